#include "automation/error.h"

namespace velmo {

std::string_view standard_description(int32_t number)
{
    switch (number) {
    case err::InvalidArgument: return "Invalid procedure call or argument";
    case err::Overflow: return "Overflow";
    case err::OutOfMemory: return "Out of memory";
    case err::SubscriptOutOfRange: return "Subscript out of range";
    case err::DivisionByZero: return "Division by zero";
    case err::TypeMismatch: return "Type mismatch";
    case err::BadFileNameOrNumber: return "Bad file name or number";
    case err::FileNotFound: return "File not found";
    case err::FileAlreadyExists: return "File already exists";
    case err::PermissionDenied: return "Permission denied";
    case err::PathFileAccess: return "Path/File access error";
    case err::ObjectNotSet: return "Object variable or With block variable not set";
    case err::InvalidUseOfNull: return "Invalid use of Null";
    case err::ResourceNotFound: return "Resource not found";
    case err::CannotCreateObject: return "Can't create object";
    case err::MemberNotSupported: return "Object doesn't support this property or method";
    case err::ArgumentNotOptional: return "Argument not optional";
    case err::WrongArgumentCount: return "Wrong number of arguments or invalid property assignment";
    case err::InvalidPicture: return "Invalid picture";
    default: return "Application-defined or object-defined error";
    }
}

Error::Error(int32_t number, std::string source, std::string description)
    : number_(number)
    , source_(std::move(source))
    , description_(description.empty() ? std::string(standard_description(number)) : std::move(description))
{
}

void Error::set_source_if_empty(std::string_view source)
{
    if (source_.empty())
        source_ = source;
}

std::string Error::to_text() const
{
    std::string text = "Error " + std::to_string(number_);
    if (!source_.empty())
        text += " (" + source_ + ")";
    return text + ": " + description_;
}

void raise(int32_t number, std::string description)
{
    throw Error(number, {}, std::move(description));
}

}  // namespace velmo
