// clsKxLumoJPGTagsA: the EXIF reader callers create. Putting a path into ImageFile reads that
// file's EXIF block; the other members answer from what the last read found, and ListInfo refills
// the tag collection TagsObject, from which the time-stamp members answer.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "automation/object.h"
#include "exif/reader.h"
#include "exif/tag_items.h"

namespace velmo::exif {

class clsKxLumoJPGTagsA : public Object {
public:
    // The reader takes its display overrides from exif.ini in the library's folder (App.Path).
    clsKxLumoJPGTagsA();

    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    ObjectRef GetTagsObject();
    void SetTagsObject(ObjectRef collection);
    Variant GetImageFile();
    void LetImageFile(Variant value);
    Boolean GetIntelByteAlignment();
    Long MetaInfo(Long l_ID, ByRef<std::string> StringData);
    std::string GetTagName(Long lID);
    std::string ListInfo(ByRef<Boolean> bListInfoString);
    std::string GetDataTimeStamp();
    std::string FilePart(ByRef<std::string> FullPath, ByRef<Long> WhichPart);
    std::string GetDataTimeStampAsFileName(ByRef<Boolean> bChangeImageFileName);

    // ---- The library's own access, without late binding ----

    // Reads another exif.ini than the one in the library's folder.
    void use_profile(std::filesystem::path path) { reader_.set_profile_path(std::move(path)); }
    const std::filesystem::path& profile_path() const { return reader_.profile_path(); }
    const ExifReader& reader() const { return reader_; }
    const std::string& image_path() const { return image_path_; }

    void read_file(std::string path);
    std::string list_info(bool with_lines);
    Long meta_info(int32_t id, std::string& string_data);
    // The stem GetDataTimeStampAsFileName answers, from the collection's DateTimeOriginal item.
    std::string stamp_stem() const;

private:
    TagItemsRef& tags();
    // The first record of that tag, or nullptr; raises 10 after a file without EXIF block and 9
    // before any read found one.
    const TagRecord* find_record(int32_t id) const;

    // Whether the collection holds the tags of the file ImageFile names: true only after a read of
    // it that succeeded and a ListInfo since, into the collection still in place.
    bool collection_describes_image() const;

    TagItemsRef tags_;
    std::string image_path_;
    ExifReader reader_;
    bool last_read_succeeded_ = false;
    std::weak_ptr<clsKxLumoJPGTagsItemsA> listed_into_;  // the collection ListInfo filled since the last read
};

}  // namespace velmo::exif
