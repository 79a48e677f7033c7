// Command-line words as automation values: whole numbers become Long (Integer when they carry a
// "%" suffix), other numbers Double, True/False Boolean, "Nothing" the empty object, and anything
// else text. Quoting a word ('"12"') keeps it text.
#pragma once

#include <string>
#include <vector>

#include "automation/variant.h"

namespace velmo::cli {

Variant parse_argument(const std::string& word);
std::vector<Variant> parse_arguments(const std::vector<std::string>& words);

// A value for printing: text as is, objects by class name.
std::string describe(const Variant& value);

}  // namespace velmo::cli
