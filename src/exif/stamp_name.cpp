#include "exif/stamp_name.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <vector>

#include "automation/object.h"
#include "exif/number_text.h"

namespace velmo::exif {

namespace {

// Splits at every separator; an empty text has no parts.
std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    if (text.empty())
        return parts;
    for (;;) {
        size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

std::optional<double> as_number(std::string_view text)
{
    if (text.empty() || equals_ignoring_case(text, "true") || equals_ignoring_case(text, "false"))
        return std::nullopt;
    try {
        return Variant(text).to_double();
    } catch (const Error&) {
        return std::nullopt;
    }
}

// The pattern of zeros of the given width: a number to the nearest whole one, padded with zeros.
std::string padded(std::string_view text, size_t width)
{
    auto number = as_number(text);
    if (!number)
        return std::string(text);
    std::string digits = fixed_text(*number, 0);
    bool negative = digits.starts_with('-');
    if (negative)
        digits.erase(0, 1);
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

int digits_value(std::string_view text)
{
    int value = 0;
    for (char c : text)
        value = value * 10 + (c - '0');
    return value;
}

int days_in_month(int month, int year)
{
    static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return month == 2 && leap ? 29 : days[month - 1];
}

bool same_file(const std::string& a, const std::string& b)
{
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

RenameOutcome outcome_of(int error)
{
    return error == EEXIST ? RenameOutcome::TargetExists : RenameOutcome::Failed;
}

}  // namespace

// Where the file system has no rename that refuses to replace, this links the new name (which
// fails when it exists) and then unlinks the old one.
RenameOutcome rename_without_replacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return RenameOutcome::Renamed;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return outcome_of(errno);
    if (::link(from.c_str(), to.c_str()) != 0)
        return outcome_of(errno);
    if (::unlink(from.c_str()) != 0) {
        ::unlink(to.c_str());
        return RenameOutcome::Failed;
    }
    return RenameOutcome::Renamed;
}

std::string stamp_stem(std::string_view stamp)
{
    auto parts = split(stamp, ' ');
    if (parts.size() < 2)
        return "";
    auto date = split(parts[0], ':');
    auto time = split(parts[1], ':');
    if (date.size() < 3 || time.size() < 3)
        return "";
    return padded(date[2], 2) + padded(date[1], 2) + padded(date[0], 4) + "_" + padded(time[0], 2) + padded(time[1], 2)
        + padded(time[2], 2);
}

bool is_real_moment(std::string_view stem)
{
    if (stem.size() != 15 || stem[8] != '_')
        return false;
    for (size_t i = 0; i < stem.size(); ++i) {
        if (i != 8 && (stem[i] < '0' || stem[i] > '9'))
            return false;
    }
    int day = digits_value(stem.substr(0, 2));
    int month = digits_value(stem.substr(2, 2));
    int year = digits_value(stem.substr(4, 4));
    int hours = digits_value(stem.substr(9, 2));
    int minutes = digits_value(stem.substr(11, 2));
    int seconds = digits_value(stem.substr(13, 2));
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > days_in_month(month, year))
        return false;
    return hours <= 23 && minutes <= 59 && seconds <= 59;
}

std::string stamp_target(std::string_view image_path, std::string_view stem, unsigned number)
{
    size_t slash = image_path.rfind('/');
    std::string target(slash == std::string_view::npos ? std::string_view() : image_path.substr(0, slash + 1));
    target.append(stem);
    if (number > 1)
        target.append("_").append(std::to_string(number));
    return target.append(".jpg");
}

std::string_view describe(RenameOutcome outcome)
{
    switch (outcome) {
    case RenameOutcome::Renamed: return "renamed";
    case RenameOutcome::WouldRename: return "would be renamed";
    case RenameOutcome::AlreadyNamed: return "already so named";
    case RenameOutcome::NoStamp: return "no time stamp";
    case RenameOutcome::NotAFile: return "not a regular file";
    case RenameOutcome::TargetExists: return "target exists";
    case RenameOutcome::Failed: return "cannot be renamed";
    }
    return "";
}

RenameOutcome rename_to_stem(const std::string& image_path, std::string_view stem, RenameMode mode, unsigned number)
{
    // The stem's shape also keeps separators and ".." out of the target.
    if (!is_real_moment(stem))
        return RenameOutcome::NoStamp;
    struct stat image {};
    if (::stat(image_path.c_str(), &image) == 0 && !S_ISREG(image.st_mode))
        return RenameOutcome::NotAFile;
    std::string target = stamp_target(image_path, stem, number);
    if (target == image_path)
        return RenameOutcome::AlreadyNamed;
    RenameOutcome outcome = RenameOutcome::Failed;
    if (mode == RenameMode::DryRun) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) == 0)
            outcome = RenameOutcome::TargetExists;
        else if (::lstat(image_path.c_str(), &info) == 0)
            outcome = RenameOutcome::WouldRename;
    } else {
        outcome = rename_without_replacing(image_path, target);
    }
    // The name in the way may be the image's own, written another way ("./a.jpg" for "a.jpg").
    if (outcome == RenameOutcome::TargetExists && same_file(image_path, target))
        return RenameOutcome::AlreadyNamed;
    return outcome;
}

}  // namespace velmo::exif
