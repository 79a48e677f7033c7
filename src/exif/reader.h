// ExifReader: reads the EXIF block of a file into a table of tag records.
//
// The reader does not walk the JPEG markers. It takes the file's first 4096 bytes (the window),
// finds the signature "Exif" NUL in them, reads the TIFF header that follows, then IFD0 and the
// Exif directory that IFD0's ExifOffset entry points to (when it has one whose text gives a
// number other than 0), and nothing else.
//
// State after read(): with a signature and no fault, the records, byte order and result describe
// the new file. Without a signature only the result changes (NotExif). A fault raises error 1
// "ReadMetaInfo" and leaves the result as it was; the byte order already describes the new file
// when the fault came after the TIFF header was found, and the records then hold the entries read
// before the fault, followed by blank records for the ones the directory announced. The blank
// records are kept as a count, so that a corrupt entry count costs no work per record.
//
// A read's records are one shared list, which a tag collection can keep listing after the next
// read has made its own; the lists nobody holds any more serve later reads, whose records take
// over their texts' storage instead of allocating their own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exif/byte_view.h"
#include "exif/file_head.h"
#include "exif/profile_file.h"
#include "exif/tag_record.h"

namespace velmo::exif {

enum class ReadResult : uint8_t { Read = 0, NotExif = 1 };

class ExifReader {
public:
    // profile_path: the exif.ini whose overrides apply to every display text.
    explicit ExifReader(std::filesystem::path profile_path);

    // Reads the file; raises error 1 "ReadMetaInfo" describing the fault.
    ReadResult read(const std::string& path);

    ReadResult result() const { return result_; }
    bool little_endian() const { return little_endian_; }
    // Records of the last read that found a signature, IFD0's first; nullopt before any. After a
    // fault, blank_records() blank records (every field empty or 0) follow them.
    const std::vector<TagRecord>* records() const { return records_.get(); }
    // The same list, for someone who keeps it beyond the next read.
    std::shared_ptr<const std::vector<TagRecord>> shared_records() const { return records_; }
    size_t blank_records() const { return blank_records_; }

    const std::filesystem::path& profile_path() const { return profile_.path(); }
    void set_profile_path(std::filesystem::path path) { profile_ = ProfileFile(std::move(path)); }

private:
    ReadResult read_window(ByteView window);
    // Appends a directory's entries; returns the number that the entry with link_tag shows, if any.
    std::optional<int32_t> read_directory(ByteView window, size_t tiff, int32_t offset, int32_t link_tag);
    // Appends a blank record, in the storage of an older one where there is one.
    TagRecord& next_record();
    // A list for a new read: a kept one nobody else holds (with its old records), or a new one.
    std::shared_ptr<std::vector<TagRecord>> fresh_list();

    ProfileFile profile_;
    FileHead head_;
    ReadResult result_ = ReadResult::Read;
    bool little_endian_ = false;
    std::shared_ptr<std::vector<TagRecord>> records_;
    size_t blank_records_ = 0;
    // Lists of earlier reads, kept for their texts' storage while nobody else holds them.
    std::vector<std::shared_ptr<std::vector<TagRecord>>> lists_;
    // How many records of records_ this read has written; during a read, older ones follow them.
    size_t used_records_ = 0;
};

}  // namespace velmo::exif
