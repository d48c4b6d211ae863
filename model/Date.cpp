#include "model/Date.h"

#include <date/date.h>

#include <cmath>
#include <sstream>

namespace moorvane {

namespace {

using namespace std::chrono;

// 2001-01-01 00:00:00 UTC, the origin of the store file's dates.
constexpr sys_days referenceDay{date::sys_days(date::year{2001} / 1 / 1)};

}  // namespace

Date currentDate() {
    return time_point_cast<microseconds>(system_clock::now());
}

double secondsSinceReferenceDate(Date value) {
    return duration<double>(value - Date(referenceDay)).count();
}

Date dateFromReferenceSeconds(double seconds) {
    // Out-of-range or non-finite numbers would overflow the microsecond count; clamp to what the type holds
    // rather than invoke undefined behaviour on a hostile file.
    constexpr double limit = 9.0e12;  // about 285,000 years either side
    if (!std::isfinite(seconds)) seconds = 0;
    if (seconds > limit) seconds = limit;
    if (seconds < -limit) seconds = -limit;
    return Date(referenceDay) + microseconds(static_cast<std::int64_t>(std::llround(seconds * 1e6)));
}

std::string iso8601(Date value) {
    return date::format("%Y-%m-%dT%H:%M:%SZ", floor<seconds>(value));
}

std::optional<Date> parseIso8601(std::string_view text) {
    // An internet date-time: date, "T", time with an optional fraction, then "Z" or a numeric offset.
    const std::string input(text);
    for (const char* format : {"%Y-%m-%dT%H:%M:%SZ", "%Y-%m-%dT%H:%M:%S%Ez"}) {
        std::istringstream in(input);
        date::sys_time<microseconds> parsed;
        in >> date::parse(format, parsed);
        if (!in.fail() && in.peek() == std::char_traits<char>::eof()) return parsed;
    }
    return std::nullopt;
}

}  // namespace moorvane
