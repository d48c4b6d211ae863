#include "base/Date.h"

#include <date/date.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace moorvane {

namespace {

using namespace std::chrono;

// 2001-01-01 00:00:00 UTC, the origin of the store file's dates.
constexpr sys_days referenceDay{date::sys_days(date::year{2001} / 1 / 1)};

// The span a four-digit year covers. Dates outside it are written clamped to its ends, so that every
// document this app writes is an internet date-time any reader accepts, and reading it back gives a date
// that writes the same text again.
constexpr sys_seconds earliestWritten{date::sys_days(date::year{0} / 1 / 1)};
constexpr sys_seconds latestWritten{date::sys_days(date::year{9999} / 12 / 31) + hours(23) + minutes(59) +
                                    seconds(59)};

// The value of `count` decimal digits at `at`, or -1 when any of them is not a digit or the text ends.
int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

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
    const sys_seconds whole = std::clamp(floor<seconds>(value), earliestWritten, latestWritten);
    return date::format("%Y-%m-%dT%H:%M:%SZ", whole);
}

std::optional<Date> parseIso8601(std::string_view text) {
    // An internet date-time: "YYYY-MM-DDTHH:MM:SS", an optional fraction, then "Z" or "+HH:MM" / "-HH:MM".
    // Every field is checked here, before any arithmetic, so no hostile text reaches the calendar code.
    const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2);
    const int hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2), second = digitsAt(text, 17, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0) return std::nullopt;
    if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const date::year_month_day calendarDay{date::year{year}, date::month{static_cast<unsigned>(month)},
                                           date::day{static_cast<unsigned>(day)}};
    // A second of 60 is a leap second, which the clock counts as the first of the next minute.
    if (!calendarDay.ok() || hour > 23 || minute > 59 || second > 60) return std::nullopt;

    std::size_t at = 19;
    std::int64_t micros = 0;
    if (at < text.size() && text[at] == '.') {
        std::size_t digits = 0;
        for (++at; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
            // Digits past the microsecond are dropped, as the date holds no finer time.
            if (digits < 6) micros = micros * 10 + (text[at] - '0');
        }
        if (digits == 0) return std::nullopt;
        for (; digits < 6; ++digits) micros *= 10;
    }

    minutes offset{0};
    if (at < text.size() && text[at] == 'Z') {
        ++at;
    } else if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        const int offsetHours = digitsAt(text, at + 1, 2), offsetMinutes = digitsAt(text, at + 4, 2);
        if (offsetHours < 0 || offsetMinutes < 0 || text[at + 3] != ':' || offsetHours > 23 ||
            offsetMinutes > 59)
            return std::nullopt;
        offset = hours(offsetHours) + minutes(offsetMinutes);
        if (text[at] == '-') offset = -offset;
        at += 6;
    } else {
        return std::nullopt;
    }
    if (at != text.size()) return std::nullopt;

    return Date(date::sys_days(calendarDay)) + hours(hour) + minutes(minute) + seconds(second) +
           microseconds(micros) - offset;
}

}  // namespace moorvane
