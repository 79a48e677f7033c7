#include "support/exif_fixture.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <stdexcept>

#include "exif/catalogue.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#endif
#include <stb/stb_image_write.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

namespace velmo::exif::fixture {

namespace {

class Bytes {
public:
    explicit Bytes(ByteOrder order) : order_(order) { }

    void put(uint64_t value, size_t size)
    {
        for (size_t k = 0; k < size; ++k) {
            size_t shift = order_ == ByteOrder::LittleEndian ? k : size - 1 - k;
            out_.push_back(static_cast<uint8_t>(value >> (8 * shift)));
        }
    }
    void put_text(std::string_view text)
    {
        // Byte by byte: a range insert into the empty vector makes the optimiser warn falsely.
        for (char c : text)
            out_.push_back(static_cast<uint8_t>(c));
    }
    void put_at(size_t at, uint64_t value, size_t size)
    {
        for (size_t k = 0; k < size; ++k) {
            size_t shift = order_ == ByteOrder::LittleEndian ? k : size - 1 - k;
            out_[at + k] = static_cast<uint8_t>(value >> (8 * shift));
        }
    }
    size_t size() const { return out_.size(); }
    std::vector<uint8_t>& data() { return out_; }

private:
    ByteOrder order_;
    std::vector<uint8_t> out_;
};

size_t component_size(uint16_t type) { return type <= highest_field_type ? static_cast<size_t>(format_sizes[type]) : 1; }

// The entry's value bytes in the given order.
std::string value_bytes(const Entry& entry, ByteOrder order)
{
    if (entry.bytes)
        return *entry.bytes;
    Bytes out(order);
    bool rational = entry.type == Rational || entry.type == SRational;
    size_t size = rational ? 4 : component_size(entry.type);
    for (int64_t n : entry.numbers)
        out.put(static_cast<uint64_t>(n), size);
    return std::string(out.data().begin(), out.data().end());
}

size_t directory_size(size_t entries) { return 2 + 12 * entries + 4; }

const std::vector<uint8_t>& cached_image_body(int side)
{
    // A grey pattern, encoded once per size; its start marker and JFIF segment are dropped.
    static std::map<int, std::vector<uint8_t>> bodies;
    auto& body = bodies[side];
    if (body.empty()) {
        std::vector<uint8_t> encoded;
        std::vector<uint8_t> pixels(static_cast<size_t>(side * side));
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint8_t>((i * 37 + i / static_cast<size_t>(side) * 11) & 0xFF);
        stbi_write_jpg_to_func(
            [](void* context, void* data, int size) {
                auto* out = static_cast<std::vector<uint8_t>*>(context);
                auto* bytes = static_cast<uint8_t*>(data);
                out->insert(out->end(), bytes, bytes + size);
            },
            &encoded, side, side, 1, pixels.data(), 50);
        size_t at = 2;
        if (encoded.size() > 6 && encoded[2] == 0xFF && encoded[3] == 0xE0)
            at = 4 + (size_t(encoded[4]) << 8 | encoded[5]);
        body.assign(encoded.begin() + static_cast<ptrdiff_t>(at), encoded.end());
    }
    return body;
}

void put_segment(std::vector<uint8_t>& out, uint8_t marker, const std::vector<uint8_t>& payload)
{
    if (payload.size() + 2 > 0xFFFF)
        throw std::length_error("segment too long");
    size_t length = payload.size() + 2;
    out.insert(out.end(), { 0xFF, marker, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length) });
    out.insert(out.end(), payload.begin(), payload.end());
}

}  // namespace

Entry ascii(uint16_t tag, std::string_view text)
{
    std::string with_nul(text);
    with_nul.push_back('\0');
    return Entry { tag, Ascii, static_cast<uint32_t>(with_nul.size()), {}, with_nul, {} };
}

Entry undefined(uint16_t tag, std::string_view bytes) { return bytes_of(tag, Undefined, static_cast<uint32_t>(bytes.size()), bytes); }

Entry bytes_of(uint16_t tag, uint16_t type, uint32_t count, std::string_view bytes)
{
    return Entry { tag, type, count, {}, std::string(bytes), {} };
}

Entry shorts(uint16_t tag, std::vector<int64_t> values) { return numbers_of(tag, Short, std::move(values)); }
Entry longs(uint16_t tag, std::vector<int64_t> values) { return numbers_of(tag, LongType, std::move(values)); }

Entry numbers_of(uint16_t tag, uint16_t type, std::vector<int64_t> values)
{
    auto count = static_cast<uint32_t>(values.size());
    return Entry { tag, type, count, std::move(values), {}, {} };
}

static Entry rational_entry(uint16_t tag, uint16_t type, const std::vector<std::pair<int64_t, int64_t>>& values)
{
    Entry entry { tag, type, static_cast<uint32_t>(values.size()), {}, {}, {} };
    for (auto [numerator, denominator] : values) {
        entry.numbers.push_back(numerator);
        entry.numbers.push_back(denominator);
    }
    return entry;
}

Entry rationals(uint16_t tag, std::vector<std::pair<int64_t, int64_t>> values) { return rational_entry(tag, Rational, values); }
Entry srationals(uint16_t tag, std::vector<std::pair<int64_t, int64_t>> values) { return rational_entry(tag, SRational, values); }

Entry crafted(uint16_t tag, uint16_t type, uint32_t count, uint32_t field) { return Entry { tag, type, count, {}, {}, field }; }

std::string camera_stamp(int shot)
{
    // Days since 2019-01-01 to a civil date (proleptic Gregorian).
    int64_t seconds = int64_t(shot) * 3671;
    int64_t z = 17897 + seconds / 86400 + 719468;  // 17897: days from 1970-01-01 to 2019-01-01
    int64_t era = z / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int64_t day = doy - (153 * mp + 2) / 5 + 1;
    int64_t month = mp < 10 ? mp + 3 : mp - 9;
    int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    int64_t second_of_day = seconds % 86400;
    char text[64];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", int(year), int(month), int(day), int(second_of_day / 3600),
        int(second_of_day / 60 % 60), int(second_of_day % 60));
    return text;
}

Layout camera(ByteOrder order, int shot)
{
    const int64_t speeds[] = { 30, 60, 125, 250, 500, 1000 };
    const int64_t f_numbers[] = { 18, 28, 40, 56, 80, 110 };
    const int64_t isos[] = { 100, 200, 400, 800, 1600 };
    const std::string stamp = camera_stamp(shot);
    const std::string models[] = { "Model 7", "Model 7 Mark II", "Compact 12", "Bridge Zoom 40x" };
    Layout layout;
    layout.order = order;
    layout.ifd0 = {
        ascii(271, "Camera Maker"),
        ascii(272, models[shot % 4]),
        shorts(274, { 1 + (shot % 8) }),
        rationals(282, { { 72, 1 } }),
        rationals(283, { { 72, 1 } }),
        shorts(296, { 2 }),
        ascii(305, "Firmware 1." + std::to_string(shot % 10)),
        ascii(306, stamp),
        shorts(531, { 1 + shot % 2 }),
        longs(tag::ExifOffset, { 0 }),
    };
    layout.exif = {
        rationals(tag::ExposureTime, { { 1, speeds[shot % 6] } }),
        rationals(tag::FNumber, { { f_numbers[shot % 6], 10 } }),
        shorts(34850, { 2 }),
        shorts(34855, { isos[shot % 5] }),
        undefined(tag::ExifVersion, "0220"),
        ascii(36867, stamp),
        ascii(36868, stamp),
        undefined(tag::ComponentsConfiguration, { "\1\2\3\0", 4 }),
        srationals(tag::ShutterSpeedValue, { { 7 + shot % 3, 1 } }),
        rationals(tag::ApertureValue, { { 3 + shot % 4, 1 } }),
        srationals(tag::ExposureBiasValue, { { -(shot % 3), 3 } }),
        rationals(tag::MaxApertureValue, { { 3, 1 } }),
        shorts(37383, { 5 }),
        shorts(37385, { shot % 2 ? 16 : 9 }),
        rationals(tag::FocalLength, { { 35 + shot % 50, 1 } }),
        undefined(tag::FlashPixVersion, "0100"),
        shorts(40961, { 1 }),
        longs(40962, { 4000 }),
        longs(40963, { 3000 }),
        undefined(tag::SceneType, "\1"),
    };
    return layout;
}

std::vector<uint8_t> tiff_block(const Layout& layout)
{
    std::vector<Entry> ifd0 = layout.ifd0;
    const bool has_exif = !layout.exif.empty();
    if (has_exif) {
        bool linked = false;
        for (const auto& entry : ifd0)
            linked = linked || entry.tag == tag::ExifOffset;
        if (!linked)
            ifd0.push_back(longs(tag::ExifOffset, { 0 }));
    }

    const size_t ifd0_at = 8;
    const size_t exif_at = ifd0_at + directory_size(ifd0.size());
    const size_t ifd1_at = exif_at + (has_exif ? directory_size(layout.exif.size()) : 0);
    size_t data_at = ifd1_at + (layout.ifd1.empty() ? 0 : directory_size(layout.ifd1.size()));

    Bytes out(layout.order);
    out.put_text(layout.order == ByteOrder::LittleEndian ? "II" : "MM");
    out.put(42, 2);
    out.put(ifd0_at, 4);

    std::string data_area;
    auto put_directory = [&](const std::vector<Entry>& entries, size_t next) {
        out.put(entries.size(), 2);
        for (const Entry& entry : entries) {
            out.put(entry.tag, 2);
            out.put(entry.type, 2);
            out.put(entry.count, 4);
            if (entry.field) {
                out.put(*entry.field, 4);
                continue;
            }
            std::string value = entry.tag == tag::ExifOffset && has_exif
                ? value_bytes(longs(entry.tag, { static_cast<int64_t>(exif_at) }), layout.order)
                : value_bytes(entry, layout.order);
            if (value.size() <= 4) {
                value.resize(4, '\0');
                out.put_text(value);
            } else {
                out.put(data_at + data_area.size(), 4);
                data_area += value;
                if (data_area.size() % 2)
                    data_area.push_back('\0');  // values start on word boundaries
            }
        }
        out.put(next, 4);
    };
    put_directory(ifd0, layout.ifd1.empty() ? 0 : ifd1_at);
    if (has_exif)
        put_directory(layout.exif, 0);
    if (!layout.ifd1.empty())
        put_directory(layout.ifd1, 0);
    if (out.size() != data_at)
        throw std::logic_error("directory sizes disagree");
    out.put_text(data_area);
    return std::move(out.data());
}

std::vector<uint8_t> jpeg(const Layout& layout)
{
    std::vector<uint8_t> file { 0xFF, 0xD8 };
    for (size_t left = layout.padding; left > 0;) {
        // A comment segment is 4 bytes of marker and length, then its payload.
        if (left < 4)
            throw std::invalid_argument("padding shorter than a segment header");
        size_t payload = std::min<size_t>(left - 4, 60000);
        size_t rest = left - 4 - payload;
        if (rest > 0 && rest < 4)
            payload -= 4;  // so that the rest can still hold a segment of its own
        put_segment(file, 0xFE, std::vector<uint8_t>(payload, 'p'));
        left -= payload + 4;
    }
    std::vector<uint8_t> app1 { 'E', 'x', 'i', 'f', 0, 0 };
    auto tiff = tiff_block(layout);
    app1.insert(app1.end(), tiff.begin(), tiff.end());
    put_segment(file, 0xE1, app1);
    const auto& body = cached_image_body(layout.image_side);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

std::vector<uint8_t> plain_jpeg()
{
    std::vector<uint8_t> file { 0xFF, 0xD8 };
    const auto& body = cached_image_body(8);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

void write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace velmo::exif::fixture
