// RecordingSurface: a stand-in for a form or picture box that answers every drawing-surface member
// by name, keeps property values, and logs every property put and every call (Line, Circle,
// Refresh, ...) with its arguments, so a test can check the exact primitive sequence a member sends.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "automation/object.h"

namespace velmo::testing {

struct SurfaceOp {
    std::string member;  // as the caller spelled it
    Invoke how = Invoke::Call;
    std::vector<Variant> args;  // for a put: the value

    // "Line 38 0 0 100 48 16777215", "DrawWidth=5"
    std::string text() const;
};

class RecordingSurface : public Object {
public:
    // A picture box in pixels by default; `form` adds WindowState and measures Width/Height in twips.
    enum class Kind { PictureBox, Form };
    RecordingSurface(Kind kind, int pixel_width, int pixel_height);

    const ClassInfo& class_info() const override { return info_; }
    Variant invoke(std::string_view name, Invoke how, Args args) override;

    // Makes the surface answer 438 for a member, as an object that lacks it.
    void remove_member(std::string_view name) { missing_.insert(to_lower(name)); }
    void set_property(std::string_view name, Variant value) { properties_[to_lower(name)] = std::move(value); }
    Variant property(std::string_view name) const;

    const std::vector<SurfaceOp>& ops() const { return ops_; }
    std::vector<SurfaceOp> calls(std::string_view member) const;  // only calls of that member
    std::vector<SurfaceOp> puts(std::string_view member) const;   // only puts of that property
    void clear_ops() { ops_.clear(); }

private:
    ClassInfo info_;
    Kind kind_;
    int pixel_width_;
    int pixel_height_;
    std::map<std::string, Variant> properties_;
    std::set<std::string> missing_;
    std::vector<SurfaceOp> ops_;
};

}  // namespace velmo::testing
