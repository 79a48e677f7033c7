// The one exception type of the project: an automation error with number, source and description,
// the way the host runtime's error object carries it to a client.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace velmo {

// The host runtime's error numbers that the component and its stand-ins raise.
namespace err {
inline constexpr int32_t ReadMetaInfo = 1;
inline constexpr int32_t InvalidArgument = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t OutOfMemory = 7;
inline constexpr int32_t SubscriptOutOfRange = 9;
inline constexpr int32_t MetaInfo = 10;
inline constexpr int32_t DivisionByZero = 11;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t BadFileNameOrNumber = 52;
inline constexpr int32_t FileNotFound = 53;
inline constexpr int32_t FileAlreadyExists = 58;
inline constexpr int32_t PermissionDenied = 70;
inline constexpr int32_t PathFileAccess = 75;
inline constexpr int32_t ObjectNotSet = 91;
inline constexpr int32_t InvalidUseOfNull = 94;
inline constexpr int32_t ResourceNotFound = 326;
inline constexpr int32_t InvalidPropertyValue = 380;
inline constexpr int32_t CannotCreateObject = 429;
inline constexpr int32_t MemberNotSupported = 438;
inline constexpr int32_t ArgumentNotOptional = 449;
inline constexpr int32_t WrongArgumentCount = 450;
inline constexpr int32_t InvalidPicture = 481;
}  // namespace err

/// The runtime's usual description for a number, or "Application-defined or object-defined error".
std::string_view standard_description(int32_t number);

class Error : public std::exception {
public:
    /// An empty description takes the standard one for the number.
    explicit Error(int32_t number, std::string source = {}, std::string description = {});

    int32_t number() const { return number_; }
    const std::string& source() const { return source_; }
    const std::string& description() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

    /// The automation boundary names the component that raised an error nobody named.
    void set_source_if_empty(std::string_view source);

    /// "Error 6 (Velmo10): Overflow"
    std::string to_text() const;

private:
    int32_t number_;
    std::string source_;
    std::string description_;
};

[[noreturn]] void raise(int32_t number, std::string description = {});

}  // namespace velmo
