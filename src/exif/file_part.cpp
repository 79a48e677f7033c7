#include "exif/file_part.h"

#include "automation/error.h"

namespace velmo::exif {

namespace {

std::string_view after_last(std::string_view text, char separator)
{
    size_t at = text.rfind(separator);
    return at == std::string_view::npos ? text : text.substr(at + 1);
}

}  // namespace

std::string file_part(std::string_view full_path, int32_t which)
{
    if (full_path.empty())
        return "";
    const char separator = full_path.find('/') != std::string_view::npos ? '/' : '\\';
    switch (which) {
    case FileExtOnly: {
        size_t dot = full_path.rfind('.');
        return dot == std::string_view::npos ? "" : std::string(full_path.substr(dot + 1));
    }
    case FileNameOnly: {
        std::string_view name = after_last(full_path, separator);
        // The name is split at its dots and the first piece taken: an empty name has no piece.
        if (name.empty())
            raise(err::SubscriptOutOfRange);
        return std::string(name.substr(0, name.find('.')));
    }
    case FileNameAndExt:
        return std::string(after_last(full_path, separator));
    case FilePathOnly: {
        std::string name = file_part(full_path, FileNameAndExt);
        std::string path(full_path);
        if (name.empty())
            return path;
        std::string result;
        size_t from = 0;
        for (size_t at; (at = path.find(name, from)) != std::string::npos; from = at + name.size())
            result.append(path, from, at - from);
        result.append(path, from);
        return result;
    }
    default:
        return "";
    }
}

Enumeration file_part_enumeration()
{
    return Enumeration { "FilePartTypes",
        { { "FileExtOnly", FileExtOnly }, { "FileNameOnly", FileNameOnly }, { "FileNameAndExt", FileNameAndExt }, { "FilePathOnly", FilePathOnly } } };
}

}  // namespace velmo::exif
