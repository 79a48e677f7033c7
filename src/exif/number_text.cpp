#include "exif/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cctype>
#include <charconv>

namespace velmo::exif {

std::string fixed_text(double value, int decimals)
{
    std::string text;
    append_fixed_text(text, value, decimals);
    return text;
}

void append_fixed_text(std::string& text, double value, int decimals)
{
    static constexpr double scales[] = { 1, 10, 100, 1000 };
    const double scale = scales[decimals];
    const double scaled = value * scale;
    if (!(std::fabs(scaled) < 9.0e15)) {
        // Beyond 2^53 every double is whole: printf gives its exact digits.
        char buffer[400];
        auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
        text.append(buffer, end);
        return;
    }
    const double whole = std::trunc(scaled);
    const double fraction = std::fabs(scaled - whole);
    bool away_from_zero = fraction > 0.5;
    if (fraction == 0.5) {
        // The product may have been rounded onto the tie: its exact error says which side it was.
        double error = std::fma(value, scale, -scaled);
        away_from_zero = error == 0 || (error > 0) == (scaled > 0);
    }
    uint64_t units = static_cast<uint64_t>(std::fabs(whole)) + (away_from_zero ? 1 : 0);

    // The digits of units, with the decimal point before the last `decimals` of them.
    char digits[24];
    const auto count = static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, units).ptr - digits);
    const auto places = static_cast<size_t>(decimals);
    if (value < 0)
        text += '-';
    if (count <= places) {
        text += "0.";
        text.append(places - count, '0');
        text.append(digits, count);
    } else {
        text.append(digits, count - places);
        if (places > 0) {
            text += '.';
            text.append(digits + count - places, places);
        }
    }
}

size_t write_decimal_text(double value, char* buffer)
{
    // The same text as the automation layer's conversion, but independent of the C locale.
    constexpr size_t size = 32;
    if (value == 0) {
        buffer[0] = '0';
        return 1;
    }
    char* end = nullptr;
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        end = std::to_chars(buffer, buffer + size, static_cast<int64_t>(value)).ptr;
    } else {
        end = std::to_chars(buffer, buffer + size, value, std::chars_format::general, 15).ptr;
        for (char* c = buffer; c != end; ++c) {
            if (*c == 'e')
                *c = 'E';
        }
    }
    return static_cast<size_t>(end - buffer);
}

std::string decimal_text(double value)
{
    char buffer[32];
    return std::string(buffer, write_decimal_text(value, buffer));
}

void append_decimal_text(std::string& out, double value)
{
    char buffer[32];
    out.append(buffer, write_decimal_text(value, buffer));
}

double leading_number(std::string_view text)
{
    // Plain digits (a directory link, a version number) need none of the parsing below.
    if (!text.empty() && text.size() <= 15 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        uint64_t value = 0;
        for (char c : text)
            value = value * 10 + static_cast<uint64_t>(c - '0');
        return static_cast<double>(value);
    }
    std::string compact;
    compact.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            compact.push_back(c);
    }
    if (compact.size() > 1 && compact[0] == '&') {
        char kind = static_cast<char>(compact[1] | 0x20);
        int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
        if (base == 0)
            return 0;
        uint64_t value = 0;
        size_t i = 2;
        for (; i < compact.size() && i < 2 + 22; ++i) {
            int digit = std::isxdigit(static_cast<unsigned char>(compact[i])) ? (std::isdigit(static_cast<unsigned char>(compact[i])) ? compact[i] - '0' : (compact[i] | 0x20) - 'a' + 10) : 99;
            if (digit >= base)
                break;
            value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        }
        // Literals of up to 16 bits are Integers, longer ones Longs; both are signed.
        if (value <= 0xFFFF && i - 2 <= (base == 16 ? 4u : 6u))
            return static_cast<int16_t>(value);
        return static_cast<int32_t>(static_cast<uint32_t>(value));
    }

    // The longest prefix of the form [sign] digits [. digits] [E|D [sign] digits].
    size_t i = 0;
    auto digits_at = [&](size_t from) {
        size_t j = from;
        while (j < compact.size() && compact[j] >= '0' && compact[j] <= '9')
            ++j;
        return j;
    };
    if (i < compact.size() && (compact[i] == '+' || compact[i] == '-'))
        ++i;
    size_t mantissa_start = i;
    i = digits_at(i);
    size_t integer_digits = i - mantissa_start;
    size_t fraction_digits = 0;
    if (i < compact.size() && compact[i] == '.') {
        size_t after = digits_at(i + 1);
        fraction_digits = after - (i + 1);
        i = after;
    }
    if (integer_digits == 0 && fraction_digits == 0)
        return 0;
    std::string number = compact.substr(0, i);
    if (i < compact.size() && (compact[i] == 'e' || compact[i] == 'E' || compact[i] == 'd' || compact[i] == 'D')) {
        size_t j = i + 1;
        if (j < compact.size() && (compact[j] == '+' || compact[j] == '-'))
            ++j;
        size_t end = digits_at(j);
        if (end > j) {
            number += 'e';
            number.append(compact, i + 1, end - i - 1);
        }
    }
    // from_chars takes no "+" sign.
    bool negative = number[0] == '-';
    size_t sign_length = (number[0] == '-' || number[0] == '+') ? 1 : 0;
    double magnitude = 0;
    auto result = std::from_chars(number.data() + sign_length, number.data() + number.size(), magnitude);
    if (result.ec == std::errc::result_out_of_range)
        magnitude = number.find("e-") == std::string::npos ? HUGE_VAL : 0.0;
    return negative ? -magnitude : magnitude;
}

void append_latin1_as_utf8(std::string& out, std::string_view bytes)
{
    out.reserve(out.size() + bytes.size() * 2);
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
}

std::string latin1_to_utf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    append_latin1_as_utf8(out, bytes);
    return out;
}

}  // namespace velmo::exif
