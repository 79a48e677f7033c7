// The host's error object: number, source and description of a pending error, as handed to the
// framework's error-handler service.
#pragma once

#include "automation/error.h"
#include "automation/object.h"

namespace velmo::host {

class ErrObject : public Object {
public:
    explicit ErrObject(const Error& error);
    const ClassInfo& class_info() const override;

    Long Number() { return number_; }
    std::string Source() { return source_; }
    std::string Description() { return description_; }

private:
    Long number_;
    std::string source_;
    std::string description_;
};

}  // namespace velmo::host
