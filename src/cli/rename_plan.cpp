#include "cli/rename_plan.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#include "exif/stamp_name.h"

namespace velmo::cli {

namespace {

bool all_digits(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int64_t number_of(std::string_view digits)
{
    int64_t value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

// A minute or second field: two digits below 60.
std::optional<int64_t> sixty(std::string_view text)
{
    if (text.size() != 2 || !all_digits(text) || number_of(text) >= 60)
        return std::nullopt;
    return number_of(text);
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t days_from_civil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t year_of_era = year - era * 400;
    int64_t day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

void civil_from_days(int64_t days, int64_t& year, int64_t& month, int64_t& day)
{
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    int64_t day_of_era = days - era * 146097;
    int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    int64_t mp = (5 * day_of_year + 2) / 153;
    day = day_of_year - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = year_of_era + era * 400 + (month <= 2);
}

int64_t floor_div(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

std::optional<int64_t> parse_shift(std::string_view text)
{
    int64_t sign = 1;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        sign = text.front() == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view hours = text.substr(0, colon);
    std::string_view rest = text.substr(colon + 1);
    // Nine digits of hours are a hundred thousand years: more than any stamp can move.
    if (!all_digits(hours) || hours.size() > 9)
        return std::nullopt;
    std::optional<int64_t> minutes = sixty(rest.substr(0, rest.find(':')));
    std::optional<int64_t> seconds = 0;
    if (rest.size() > 2) {
        if (rest[2] != ':')
            return std::nullopt;
        seconds = sixty(rest.substr(3));
    }
    if (!minutes || !seconds)
        return std::nullopt;
    return sign * (number_of(hours) * 3600 + *minutes * 60 + *seconds);
}

std::string shifted_stem(std::string_view stem, int64_t seconds)
{
    if (!exif::is_real_moment(stem))
        return "";
    int64_t days = days_from_civil(number_of(stem.substr(4, 4)), number_of(stem.substr(2, 2)), number_of(stem.substr(0, 2)));
    int64_t moment = days * 86400 + number_of(stem.substr(9, 2)) * 3600 + number_of(stem.substr(11, 2)) * 60 + number_of(stem.substr(13, 2))
        + seconds;
    int64_t year = 0, month = 0, day = 0;
    civil_from_days(floor_div(moment, 86400), year, month, day);
    int64_t second_of_day = moment - floor_div(moment, 86400) * 86400;
    if (year < 1 || year > 9999)
        return "";
    char text[32];
    std::snprintf(text, sizeof text, "%02d%02d%04d_%02d%02d%02d", int(day), int(month), int(year), int(second_of_day / 3600),
        int(second_of_day / 60 % 60), int(second_of_day % 60));
    return text;
}

double subsecond(std::string_view digits)
{
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\0'))
        digits.remove_suffix(1);
    while (!digits.empty() && digits.front() == ' ')
        digits.remove_prefix(1);
    if (!all_digits(digits))
        return 0;
    double value = 0;
    double scale = 0.1;
    for (char c : digits) {
        value += (c - '0') * scale;
        scale /= 10;
    }
    return value;
}

std::vector<unsigned> sequence_numbers(const std::vector<Shot>& shots, const HeldByOther& held_by_other)
{
    std::vector<unsigned> numbers(shots.size(), 1);
    std::map<std::string, std::vector<size_t>> groups;  // by plain target, whichever way the folder is written
    for (size_t i = 0; i < shots.size(); ++i) {
        if (!shots[i].stem.empty())
            groups[exif::stamp_target(std::filesystem::absolute(shots[i].path).lexically_normal().string(), shots[i].stem)].push_back(i);
    }
    for (auto& [target, members] : groups) {
        std::stable_sort(members.begin(), members.end(), [&](size_t a, size_t b) { return shots[a].subsecond < shots[b].subsecond; });
        std::set<unsigned> taken;
        for (size_t i : members) {
            unsigned number = 1;
            while (taken.contains(number) || held_by_other(exif::stamp_target(shots[i].path, shots[i].stem, number), shots[i].path))
                ++number;
            taken.insert(number);
            numbers[i] = number;
        }
    }
    return numbers;
}

bool held_on_disk_by_other(const std::string& target, const std::string& image)
{
    struct stat held {};
    if (::lstat(target.c_str(), &held) != 0)
        return false;
    struct stat own {};
    return ::stat(image.c_str(), &own) != 0 || own.st_dev != held.st_dev || own.st_ino != held.st_ino;
}

}  // namespace velmo::cli
