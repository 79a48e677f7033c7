// File names from the capture time stamp: the stem "DDMMYYYY_HHMMSS" built from a DateTimeOriginal
// text "YYYY:MM:DD HH:MM:SS", and the rename that gives an image that name in its own folder.
//
// The rename never loses a file: it never replaces an existing file, never leaves the image's
// folder, renames only a regular file, and happens only for a stem that names a real moment.
#pragma once

#include <string>
#include <string_view>

namespace velmo::exif {

// Day, month, year, "_", hours, minutes, seconds; each part that reads as a number is padded
// with zeros to its width, any other part is used as it is. "" when the text is not a date and a
// time of three parts each, separated by a blank.
std::string stamp_stem(std::string_view stamp);

// True for exactly 8 digits, "_" and 6 digits that form a real calendar date (leap years
// included) and a real time of day.
bool is_real_moment(std::string_view stem);

// The image's folder (its path up to the last "/"), the stem and ".jpg"; a number above 1 (the
// later shots of one second) comes after the stem as "_2", "_3" and so on.
std::string stamp_target(std::string_view image_path, std::string_view stem, unsigned number = 1);

enum class RenameOutcome {
    Renamed,
    WouldRename,   // a dry run found nothing in the way
    AlreadyNamed,  // the target is the image itself
    NoStamp,       // the stem does not name a real moment
    NotAFile,      // the image path names a folder or some other thing than a regular file
    TargetExists,
    Failed,        // the image is missing or the folder refuses the change
};
enum class RenameMode { Apply, DryRun };

std::string_view describe(RenameOutcome outcome);

RenameOutcome rename_to_stem(const std::string& image_path, std::string_view stem, RenameMode mode = RenameMode::Apply, unsigned number = 1);

// Renames from to to unless to exists; a folder refusing it is Failed.
RenameOutcome rename_without_replacing(const std::string& from, const std::string& to);

}  // namespace velmo::exif
