// The version of the velmo libraries and of the type library Velmo10 they carry.
#pragma once

namespace velmo {

inline constexpr int version_major = 1;
inline constexpr int version_minor = 0;
inline constexpr const char* version_line = "velmo 1.0 (type library Velmo10 1.0)";

}  // namespace velmo
