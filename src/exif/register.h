// The EXIF subsystem's classes and enumerations, for the library frame and the type-library
// listing.
#pragma once

#include <vector>

#include "automation/object.h"

namespace velmo::exif {

// Registers clsKxLumoJPGTagsA (creatable) and the collection and item classes (not creatable).
void register_classes();
std::vector<const ClassInfo*> classes();
// enTAG and FilePartTypes.
std::vector<Enumeration> enumerations();

}  // namespace velmo::exif
