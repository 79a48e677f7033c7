#include "exif/jpg_tags.h"

#include <cstring>

#include "automation/error_modes.h"
#include "automation/late.h"
#include "exif/catalogue.h"
#include "exif/file_part.h"
#include "exif/stamp_name.h"
#include "runtime/app.h"

namespace velmo::exif {

namespace {

constexpr std::string_view not_exif_text = "File is not in EXIF format.";

std::string not_found_text(int32_t id) { return "Tag " + std::to_string(id) + " not found."; }

// The line of a blank record: no name, no value.
constexpr std::string_view blank_line = ": \r\n";

std::filesystem::path profile_in_library_folder()
{
    std::string folder = late::get(host::app(), "Path").to_string();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder + "exif.ini";
}

// "name: text" and CR LF for each record, then a blank line for each blank record. Sized first and
// written once: every listing of every file read passes through here.
std::string listing(const std::vector<TagRecord>& records, size_t blanks)
{
    constexpr std::string_view separator = ": ";
    constexpr std::string_view line_end = "\r\n";
    size_t size = blanks * blank_line.size();
    for (const TagRecord& record : records)
        size += TagName(record).view().size() + separator.size() + record.string_data.size() + line_end.size();
    std::string lines(size, '\0');
    char* at = lines.data();
    auto put = [&at](std::string_view part) {
        std::memcpy(at, part.data(), part.size());
        at += part.size();
    };
    for (const TagRecord& record : records) {
        put(TagName(record).view());
        put(separator);
        put(record.string_data);
        put(line_end);
    }
    for (size_t i = 0; i < blanks; ++i)
        put(blank_line);
    return lines;
}

}  // namespace

clsKxLumoJPGTagsA::clsKxLumoJPGTagsA() : reader_(profile_in_library_folder()) { }

const ClassInfo& clsKxLumoJPGTagsA::info()
{
    using Self = clsKxLumoJPGTagsA;
    const auto string = TypeName::of(VarType::String);
    const auto boolean = TypeName::of(VarType::Boolean);
    const auto collection = TypeName::object("clsKxLumoJPGTagsItemsA");
    static const ClassInfo table {
        "Velmo10", "clsKxLumoJPGTagsA", Creatable::Yes,
        {
            property_get("TagsObject", &Self::GetTagsObject, collection),
            property_set("TagsObject", &Self::SetTagsObject, collection),
            property_get("ImageFile", &Self::GetImageFile, TypeName::of(VarType::Variant)),
            property_let("ImageFile", &Self::LetImageFile, TypeName::of(VarType::Variant)),
            property_get("IntelByteAlignment", &Self::GetIntelByteAlignment, boolean),
            method("MetaInfo", &Self::MetaInfo,
                { param("l_ID", TypeName::enumeration("enTAG")).by_value(), param("StringData", string) },
                TypeName::of(VarType::Long)),
            method("GetTagName", &Self::GetTagName, { param("lID", TypeName::enumeration("enTAG")).by_value() }, string),
            method("ListInfo", &Self::ListInfo, { param("bListInfoString", boolean).optional_default(False) }, string),
            method("GetDataTimeStamp", &Self::GetDataTimeStamp, {}, string),
            method("FilePart", &Self::FilePart,
                { param("FullPath", string), param("WhichPart", TypeName::enumeration("FilePartTypes")).optional_default(Long(FileNameOnly)) },
                string),
            method("GetDataTimeStampAsFileName", &Self::GetDataTimeStampAsFileName,
                { param("bChangeImageFileName", boolean).optional_default(False) }, string),
        },
    };
    return table;
}

TagItemsRef& clsKxLumoJPGTagsA::tags()
{
    if (!tags_)
        tags_ = std::make_shared<clsKxLumoJPGTagsItemsA>();
    return tags_;
}

ObjectRef clsKxLumoJPGTagsA::GetTagsObject() { return tags(); }

void clsKxLumoJPGTagsA::SetTagsObject(ObjectRef collection)
{
    if (!collection) {
        tags_.reset();
        return;
    }
    auto items = std::dynamic_pointer_cast<clsKxLumoJPGTagsItemsA>(collection);
    if (!items)
        raise(err::TypeMismatch);
    tags_ = std::move(items);
}

Variant clsKxLumoJPGTagsA::GetImageFile() { return Variant(image_path_); }

void clsKxLumoJPGTagsA::LetImageFile(Variant value) { read_file(value.to_string()); }

void clsKxLumoJPGTagsA::read_file(std::string path)
{
    image_path_ = std::move(path);
    last_read_succeeded_ = false;
    listed_into_.reset();
    last_read_succeeded_ = reader_.read(image_path_) == ReadResult::Read;
}

bool clsKxLumoJPGTagsA::collection_describes_image() const
{
    return last_read_succeeded_ && tags_ && listed_into_.lock() == tags_;
}

Boolean clsKxLumoJPGTagsA::GetIntelByteAlignment() { return Boolean::from(reader_.little_endian()); }

Long clsKxLumoJPGTagsA::MetaInfo(Long l_ID, ByRef<std::string> StringData)
{
    const TagRecord* record = find_record(l_ID.value());
    // The text is stored before the number's conversion, which may overflow.
    StringData = record ? record->string_data : not_found_text(l_ID.value());
    return record ? clng(record->data.value_or(0)) : Long(0);
}

Long clsKxLumoJPGTagsA::meta_info(int32_t id, std::string& string_data)
{
    const TagRecord* record = find_record(id);
    string_data = record ? record->string_data : not_found_text(id);
    return record ? clng(record->data.value_or(0)) : Long(0);
}

const TagRecord* clsKxLumoJPGTagsA::find_record(int32_t id) const
{
    if (reader_.result() == ReadResult::NotExif)
        throw Error(err::MetaInfo, "MetaInfo", std::string(not_exif_text));
    const auto& records = reader_.records();
    if (!records)
        raise(err::SubscriptOutOfRange);
    for (const auto& record : *records) {
        if (record.id == id)
            return &record;
    }
    // The blank records after a fault have the number 0.
    static const TagRecord blank;
    return id == 0 && reader_.blank_records() > 0 ? &blank : nullptr;
}

std::string clsKxLumoJPGTagsA::GetTagName(Long lID) { return tag_name(lID.value()); }

std::string clsKxLumoJPGTagsA::ListInfo(ByRef<Boolean> bListInfoString) { return list_info(bListInfoString.get().is_true()); }

std::string clsKxLumoJPGTagsA::list_info(bool with_lines)
{
    if (reader_.result() == ReadResult::NotExif)
        return std::string(not_exif_text);
    TagItemsRef& collection = tags();
    collection->Clear();
    const auto& records = reader_.records();
    if (!records)
        raise(err::SubscriptOutOfRange);
    const size_t blanks = reader_.blank_records();
    // The record counter is 16-bit: more records overflow.
    [[maybe_unused]] const Integer last = Integer(int64_t(records->size() + blanks));

    // Items KEY1, KEY2, ... for the records, then the blank records after a fault: made only when
    // someone looks at them.
    collection->add_records(reader_.shared_records(), 1);
    collection->add_blanks(records->size() + 1, blanks);
    std::string lines;
    if (with_lines)
        lines = listing(*records, blanks);
    listed_into_ = collection;
    return lines;
}

std::string clsKxLumoJPGTagsA::GetDataTimeStamp()
{
    std::string stamp;
    skip([&] {
        if (auto item = tags()->tag_for_id(tag::DateTimeOriginal))
            stamp = item->string_data();
    });
    return stamp;
}

std::string clsKxLumoJPGTagsA::FilePart(ByRef<std::string> FullPath, ByRef<Long> WhichPart)
{
    return file_part(FullPath.get(), WhichPart.get().value());
}

std::string clsKxLumoJPGTagsA::stamp_stem() const
{
    if (!tags_)
        return "";
    auto item = tags_->tag_for_id(tag::DateTimeOriginal);
    return item ? exif::stamp_stem(item->string_data()) : "";
}

std::string clsKxLumoJPGTagsA::GetDataTimeStampAsFileName(ByRef<Boolean> bChangeImageFileName)
{
    std::string stem;
    skip([&] { stem = stamp_stem(); });
    // What became of the file is not reported to the caller. The stamp names a file only when the
    // collection holds that file's tags: never after a read that failed or found no EXIF block
    // (a folder, a PNG), before ListInfo, or with another reader's collection put in.
    if (bChangeImageFileName.get().is_true() && collection_describes_image())
        skip([&] { rename_to_stem(image_path_, stem); });
    return stem;
}

}  // namespace velmo::exif
