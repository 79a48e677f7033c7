#include "exif/reader.h"

#include <algorithm>
#include <cstring>

#include "automation/checked.h"
#include "exif/catalogue.h"
#include "exif/decoder.h"
#include "exif/number_text.h"

namespace velmo::exif {

namespace {

constexpr std::string_view signature { "Exif\0", 5 };
constexpr size_t max_records = 32767;  // the record counter is 16-bit

std::optional<size_t> find_signature(ByteView window)
{
    size_t at = window.chars().find(signature);
    if (at == std::string_view::npos)
        return std::nullopt;
    return at;
}

}  // namespace

ExifReader::ExifReader(std::filesystem::path profile_path) : profile_(std::move(profile_path)) { }

ReadResult ExifReader::read(const std::string& path)
{
    try {
        read_file_head(path, head_);
        if (head_.status == FileHead::Status::NotFound)
            throw Error(err::ReadMetaInfo, "ReadMetaInfo", "File not found.");
        ReadResult result = read_window(head_.bytes());
        result_ = result;
        return result;
    } catch (const Error& error) {
        if (error.number() == err::ReadMetaInfo)
            throw;
        throw Error(err::ReadMetaInfo, "ReadMetaInfo", error.description());
    } catch (const std::bad_alloc&) {
        throw Error(err::ReadMetaInfo, "ReadMetaInfo", std::string(standard_description(err::OutOfMemory)));
    } catch (const std::exception& failure) {
        throw Error(err::ReadMetaInfo, "ReadMetaInfo", failure.what());
    }
}

ReadResult ExifReader::read_window(ByteView window)
{
    auto found = find_signature(window);
    if (!found)
        return ReadResult::NotExif;
    const size_t tiff = *found + 6;
    little_endian_ = window.clipped(tiff, 2).chars() == "II";
    const ByteOrder order = little_endian_ ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
    const Long ifd0 = Long(int64_t(window.read_unsigned(tiff + 4, 4, order)));

    profile_.refresh();
    records_ = fresh_list();
    used_records_ = 0;
    // A reused list still holds an older read's records, which the new ones overwrite in place to
    // keep their texts' storage; what is left of them goes when the read ends, however it ends.
    struct Trim {
        std::vector<TagRecord>& list;
        const size_t& used;
        ~Trim() { list.resize(used); }
    } trim { *records_, used_records_ };
    blank_records_ = 0;
    // A link of 0 (an ExifOffset whose text is no number, say of the wrong field type) points at
    // the TIFF header, which is no directory: there is no Exif directory to read.
    auto exif_offset = read_directory(window, tiff, ifd0.value(), tag::ExifOffset);
    if (exif_offset && *exif_offset != 0)
        read_directory(window, tiff, *exif_offset, tag::ExifInteroperabilityOffset);
    return ReadResult::Read;
}

std::optional<int32_t> ExifReader::read_directory(ByteView window, size_t tiff, int32_t offset, int32_t link_tag)
{
    const ByteOrder order = little_endian_ ? ByteOrder::LittleEndian : ByteOrder::BigEndian;
    const Profile& profile = profile_.profile();
    const Long start = Long(int64_t(tiff)) + Long(offset);
    if (start.value() < 0)
        raise(err::InvalidArgument);
    size_t pos = static_cast<size_t>(start.value());
    const auto count = static_cast<size_t>(window.read_unsigned(pos, 2, order));

    // The directory's records are blank until read; a fault leaves the rest blank.
    auto& records = *records_;
    blank_records_ = count;
    if (used_records_ + count > max_records)
        raise(err::Overflow);
    pos += 2;
    // Only the entries that start inside the window can be read.
    records.reserve(used_records_ + std::min(count, (window.size() - std::min(pos, window.size())) / 12 + 1));

    std::optional<int32_t> link;
    for (; blank_records_ > 0; pos += 12) {
        --blank_records_;
        TagRecord& record = next_record();
        record.id = static_cast<int32_t>(window.read_unsigned(pos, 2, order));
        record.catalogue_name = catalogue_name(record.id);
        record.format = static_cast<int32_t>(window.read_unsigned(pos + 2, 2, order));
        record.length = Long(int64_t(window.read_unsigned(pos + 4, 4, order))).value();
        EntryPlace place { window, tiff, pos, order };
        record.data = value_field_number(place, record.format, record.length);
        decode_tag_value(record, place, profile);
        if (record.id == link_tag)
            link = clng(leading_number(record.string_data)).value();
    }
    return link;
}

std::shared_ptr<std::vector<TagRecord>> ExifReader::fresh_list()
{
    // A few lists are kept: this read's, one a collection may still list, and spares.
    constexpr size_t kept_lists = 3;
    if (records_) {
        lists_.push_back(std::move(records_));
        records_.reset();
    }
    for (auto it = lists_.begin(); it != lists_.end(); ++it) {
        if (it->use_count() == 1) {
            auto list = std::move(*it);
            lists_.erase(it);
            return list;
        }
    }
    while (lists_.size() > kept_lists)
        lists_.erase(lists_.begin());
    auto list = std::make_shared<std::vector<TagRecord>>();
    list->reserve(48);
    return list;
}

TagRecord& ExifReader::next_record()
{
    auto& records = *records_;
    if (used_records_ == records.size()) {
        ++used_records_;
        return records.emplace_back();
    }
    // A blank record in the storage of an older one.
    TagRecord& blank = records[used_records_++];
    blank.id = blank.format = blank.length = 0;
    blank.catalogue_name = {};
    blank.data.reset();
    blank.string_data.clear();
    return blank;
}

}  // namespace velmo::exif
