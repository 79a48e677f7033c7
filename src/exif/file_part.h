// FilePart: splits a path into folder, name and extension. The separator is "/" when the path has
// one anywhere, otherwise "\"; only that one separator is used.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/object.h"

namespace velmo::exif {

enum FilePartType : int32_t { FileExtOnly = 0, FileNameOnly = 1, FileNameAndExt = 2, FilePathOnly = 3 };

// Raises 9 for FileNameOnly of a path whose name part is empty (it ends with the separator).
std::string file_part(std::string_view full_path, int32_t which);

Enumeration file_part_enumeration();

}  // namespace velmo::exif
