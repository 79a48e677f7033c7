// Numbers to text and back, the way the reader shows tag values: the patterns "0", "0.0" and
// "0.000", the decimal text of a number, and the leading-number parse of a text. The decimal
// separator is always ".", whatever the locale.
#pragma once

#include <string>
#include <string_view>

namespace velmo::exif {

// The value to the nearest whole number (decimals 0), tenth (1) or thousandth (3), with exactly
// that many decimals and at least one integer digit. A tie between two neighbours goes away from
// zero; a negative value keeps its minus sign, even when it rounds to zero (-0.0).
std::string fixed_text(double value, int decimals);
void append_fixed_text(std::string& out, double value, int decimals);

// A whole number without decimal part; any other number with up to 15 significant digits.
std::string decimal_text(double value);
void append_decimal_text(std::string& out, double value);
// The same into a buffer of at least 32 characters; returns the length.
size_t write_decimal_text(double value, char* buffer);

// The number a text starts with: blanks anywhere in it are skipped, then an optional sign, digits
// with an optional decimal point and exponent, or a hexadecimal (&H) or octal (&O) literal.
// A text without a leading number gives 0.
double leading_number(std::string_view text);

// Text read from a file holds one character per byte; callers get UTF-8.
std::string latin1_to_utf8(std::string_view bytes);
void append_latin1_as_utf8(std::string& out, std::string_view bytes);

}  // namespace velmo::exif
