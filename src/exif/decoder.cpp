#include "exif/decoder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>

#include "automation/checked.h"
#include "exif/catalogue.h"
#include "exif/number_text.h"

namespace velmo::exif {

namespace {

enum class Sign { Unsigned, Signed };

struct RationalText {
    double numerator = 0;
    double denominator = 0;
    std::optional<double> quotient;  // only when the denominator is not 0

    // numerator "/" denominator
    void append_to(std::string& out) const
    {
        append_decimal_text(out, numerator);
        out += '/';
        append_decimal_text(out, denominator);
    }
};

RationalText read_rational(ByteView raw, size_t pos, ByteOrder order, Sign sign)
{
    double numerator = 0;
    double denominator = 0;
    if (sign == Sign::Signed) {
        numerator = static_cast<double>(raw.read_signed(pos, 4, order));
        denominator = static_cast<double>(raw.read_signed(pos + 4, 4, order));
    } else {
        numerator = static_cast<double>(raw.read_unsigned(pos, 4, order));
        denominator = static_cast<double>(raw.read_unsigned(pos + 4, 4, order));
    }
    RationalText result { numerator, denominator, std::nullopt };
    if (denominator != 0)
        result.quotient = numerator / denominator;
    return result;
}

// How a special rational tag shows its number.
struct RationalFormula {
    enum Kind { Plain, Reciprocal, PowerOfRoot2, PowerOf2 } kind;
    int decimals;
};

std::optional<RationalFormula> formula_for(int32_t format, int32_t id)
{
    if (format == Rational) {
        switch (id) {
        case tag::XResolution:
        case tag::YResolution:
        case tag::FNumber:
        case tag::SubjectDistance:
        case tag::FocalLength:
        case tag::FocalPlaneXResolution:
        case tag::FocalPlaneYResolution:
            return RationalFormula { RationalFormula::Plain, 1 };
        case tag::ExposureTime:
            return RationalFormula { RationalFormula::Reciprocal, 0 };
        case tag::ApertureValue:
        case tag::MaxApertureValue:
            return RationalFormula { RationalFormula::PowerOfRoot2, 1 };
        default:
            return std::nullopt;
        }
    }
    if (format == SRational) {
        switch (id) {
        case tag::ShutterSpeedValue:
            return RationalFormula { RationalFormula::PowerOf2, 0 };
        case tag::ExposureBiasValue:
            return RationalFormula { RationalFormula::Plain, 1 };
        default:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

double apply(RationalFormula::Kind kind, double value)
{
    switch (kind) {
    case RationalFormula::Plain: return value;
    case RationalFormula::Reciprocal: return value == 0 ? HUGE_VAL : 1 / value;
    case RationalFormula::PowerOfRoot2: return std::pow(std::sqrt(2.0), value);
    case RationalFormula::PowerOf2: return std::pow(2.0, value);
    }
    return value;
}

bool is_rational_list(const TagRecord& record)
{
    return (record.format == Rational || record.format == SRational) && record.length >= 2 && !formula_for(record.format, record.id);
}

// The list's counter is 16-bit: a longer list overflows.
Integer list_count(const TagRecord& record) { return Integer(int64_t(record.length)); }

// A rational entry's display text (Latin-1), appended to `out`, and its new number.
void decode_rational(TagRecord& record, ByteView raw, ByteOrder order, std::string& out)
{
    Sign sign = record.format == SRational ? Sign::Signed : Sign::Unsigned;
    auto formula = formula_for(record.format, record.id);
    if (is_rational_list(record)) {
        // Every component, with three decimals, joined by "/".
        Integer count = list_count(record);
        for (int j = 0; j < count.value(); ++j) {
            RationalText piece = read_rational(raw, static_cast<size_t>(j) * 8, order, sign);
            if (j > 0)
                out += '/';
            // A piece with denominator 0 has no quotient; it shows its own fraction instead.
            if (piece.quotient)
                append_fixed_text(out, *piece.quotient, 3);
            else
                piece.append_to(out);
        }
        return;
    }

    RationalText rational = read_rational(raw, 0, order, sign);
    double value = rational.quotient.value_or(*record.data);
    record.data = value;
    double shown = formula ? apply(formula->kind, value) : 0;
    // One value the formula cannot take (1/0, a power beyond double range) costs only its own text.
    if (formula && std::isfinite(shown))
        append_fixed_text(out, shown, formula->decimals);
    else
        rational.append_to(out);
}

// Appends the display text of an UNDEFINED value with a display of its own to `out`.
void append_undefined(const TagRecord& record, ByteView raw, ByteOrder order, std::string& out)
{
    std::string_view chars = raw.chars();
    switch (record.id) {
    case tag::ExifVersion:
    case tag::FlashPixVersion: {
        std::string_view major = chars.substr(0, 2);
        std::string_view minor = chars.substr(chars.size() < 2 ? 0 : chars.size() - 2);
        append_decimal_text(out, leading_number(major));
        out += '.';
        out += minor;
        return;
    }
    case tag::ComponentsConfiguration: {
        static constexpr std::string_view component_names[] = { "", "Y", "Cb", "Cr", "R", "G", "B" };
        for (size_t i = 0; i < 4; ++i) {
            uint64_t code = raw.read_unsigned(i, 1, order);
            if (code >= std::size(component_names))
                raise(err::SubscriptOutOfRange);
            out += component_names[code];
        }
        return;
    }
    case tag::MakerNote:
        out.reserve(out.size() + chars.size());
        for (char c : chars) {
            auto code = static_cast<unsigned char>(c);
            if (code >= 32 && code <= 127)
                out.push_back(c);
        }
        return;
    case tag::FileSource:
    case tag::SceneType:
        append_decimal_text(out, static_cast<double>(raw.read_unsigned(0, 1, order)));
        return;
    default:
        out += chars;
        return;
    }
}

// Whether the display text is the raw value's bytes as they are: ASCII, and UNDEFINED values
// without a display of their own.
bool shows_raw_bytes(const TagRecord& record)
{
    if (record.format == Ascii)
        return true;
    if (record.format != Undefined)
        return false;
    switch (record.id) {
    case tag::ExifVersion:
    case tag::FlashPixVersion:
    case tag::ComponentsConfiguration:
    case tag::MakerNote:
    case tag::FileSource:
    case tag::SceneType:
        return false;
    default:
        return true;
    }
}

// How many leading raw bytes the display text reads as numbers: none for texts (which are cut
// where the window ends), a rational list's every piece, otherwise the first component.
int64_t bytes_read_as_numbers(const TagRecord& record, Long size)
{
    switch (record.format) {
    case 0:
    case Ascii:
        return 0;
    case Undefined:
        switch (record.id) {
        case tag::ComponentsConfiguration: return 4;
        case tag::FileSource:
        case tag::SceneType: return 1;
        default: return 0;
        }
    default:
        return is_rational_list(record) ? size.value() : format_size(record.format);
    }
}

// Appends the display text to `out`, which the caller has emptied.
void append_display_text(TagRecord& record, ByteView raw, ByteOrder order, std::string& out)
{
    switch (record.format) {
    case Ascii:
        out.append(raw.chars());
        return;
    case Rational:
    case SRational:
        decode_rational(record, raw, order, out);
        return;
    case SByte:
    case SShort:
    case SLong:
        append_decimal_text(out, static_cast<double>(raw.read_signed(0, static_cast<size_t>(format_size(record.format)), order)));
        return;
    case Undefined:
        append_undefined(record, raw, order, out);
        return;
    case 0:
        return;
    default: {  // BYTE, SHORT, LONG, FLOAT, DOUBLE: the first component's bytes as an unsigned
                // number, in decimal digits however large (an 8-byte DOUBLE's bits too)
        uint64_t value = raw.read_unsigned(0, static_cast<size_t>(format_size(record.format)), order);
        // Below 2^53 the number is exactly its digits; above, the whole number the double nearest it is.
        if (value < (uint64_t(1) << 53)) {
            char digits[24];
            out.append(digits, static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
        } else {
            append_fixed_text(out, static_cast<double>(value), 0);
        }
        return;
    }
    }
}

// The exif.ini step: a key equal to the text maps it to another; "Format" wraps it ("@X").
void apply_profile(TagRecord& record, const Profile& profile)
{
    const Profile::Section* section = profile.section(TagName(record).view());
    if (!section)
        return;
    std::string_view mapped = Profile::value(*section, record.string_data);
    std::string_view layout = section->format;
    if (!mapped.empty())
        record.string_data = std::string(mapped);
    if (layout.empty())
        return;
    std::string text;
    size_t from = 0;
    for (size_t at; (at = layout.find("@X", from)) != std::string_view::npos; from = at + 2) {
        text.append(layout, from, at - from);
        text += record.string_data;
    }
    text.append(layout, from);
    record.string_data = std::move(text);
}

struct ByteKinds {
    bool nul = false;   // a 0 byte
    bool high = false;  // a byte above 0x7F
};

// Eight bytes at a time: the texts of every file read pass through here.
ByteKinds byte_kinds(std::string_view text)
{
    constexpr uint64_t ones = 0x0101010101010101;
    constexpr uint64_t tops = 0x8080808080808080;
    uint64_t zero_bits = 0;  // a word's (w - ones) & ~w has a top bit set exactly when w has a 0 byte
    uint64_t any_bits = 0;
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        zero_bits |= (word - ones) & ~word;
        any_bits |= word;
    }
    for (; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        zero_bits |= byte == 0 ? 0x80 : 0;
        any_bits |= byte;
    }
    return { (zero_bits & tops) != 0, (any_bits & tops) != 0 };
}

}  // namespace

double value_field_number(const EntryPlace& place, int32_t format, int32_t length)
{
    size_t field = place.entry + 8;
    int64_t unit = format >= 0 && format <= highest_field_type ? format_sizes[static_cast<size_t>(format)] : 0;
    if (unit == 1 && length <= 4)  // four bytes, the first least significant
        return static_cast<double>(place.window.read_unsigned(field, 4, ByteOrder::LittleEndian));
    if (unit == 2 && length <= 2) {  // two shorts, each in the file's order, the first least significant
        uint64_t first = place.window.read_unsigned(field, 2, place.order);
        return static_cast<double>(first | place.window.read_unsigned(field + 2, 2, place.order) << 16);
    }
    return static_cast<double>(place.window.read_unsigned(field, 4, place.order));
}

void decode_tag_value(TagRecord& record, const EntryPlace& place, const Profile& profile)
{
    Long size = Long(format_size(record.format)) * Long(record.length);
    ByteView raw = size.value() > 4
        ? place.window.clipped(static_cast<uint64_t>(place.tiff) + static_cast<uint64_t>(record.data.value_or(0)), static_cast<uint64_t>(size.value()))
        : place.window.clipped(place.entry + 8, 4);

    std::string& text = record.string_data;
    auto available = static_cast<int64_t>(raw.size());
    if (available < size.value() && available < bytes_read_as_numbers(record, size)) {
        // A number to be read past the window costs only its own text, as a text there is cut;
        // Data keeps the value field. An overlong list is still a fault of the entry. A value
        // whose read numbers all lie in the window shows them, however far the rest runs.
        if (is_rational_list(record))
            list_count(record);
        text.clear();
    } else if (shows_raw_bytes(record)) {
        text.assign(raw.chars());  // in the record's own storage, which a reader reuses
    } else {
        // Written into the record's own storage; a fault leaves no part of a text behind.
        text.clear();
        try {
            append_display_text(record, raw, place.order, text);
        } catch (...) {
            text.clear();
            throw;
        }
    }
    // NULs go; the other bytes are Latin-1 characters, written as UTF-8. Only texts holding the
    // file's bytes can have either: numbers are written in plain digits.
    if (shows_raw_bytes(record) || record.format == Undefined) {
        ByteKinds kinds = byte_kinds(text);
        if (kinds.nul)
            std::erase(text, '\0');
        if (kinds.high)
            text = latin1_to_utf8(text);
    }
    if (!profile.empty())
        apply_profile(record, profile);
}

}  // namespace velmo::exif
