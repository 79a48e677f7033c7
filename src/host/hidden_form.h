// Hidden library forms: one per thread and kind (the kind is the form's name, which is also its
// caption until the library changes it), made on first use and never shown. A form whose window
// went away with a replaced display is made anew on the next use.
#pragma once

#include <memory>
#include <string_view>

#include "host/form.h"

namespace velmo::host {

std::shared_ptr<Form> hidden_form(std::string_view kind);

// Whether the thread's hidden form of that kind exists now (without making it).
bool hidden_form_exists(std::string_view kind);

}  // namespace velmo::host
