#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace moorvane {

// A point in time, kept to the microsecond: the store writes dates as seconds with fraction, and a round trip
// through that double must give the same point back.
using Date = std::chrono::sys_time<std::chrono::microseconds>;

Date currentDate();

// Seconds since 2001-01-01 00:00:00 UTC, the store file's form.
double secondsSinceReferenceDate(Date date);
Date dateFromReferenceSeconds(double seconds);

// ISO 8601 in UTC without fraction (2026-12-06T11:43:46Z), the document's form; a date outside the years
// 0000 to 9999 is written as the nearest end of that span. Reading accepts an internet date-time with "Z" or
// a numeric offset ("+01:00"), with or without a fraction, and nothing else.
std::string iso8601(Date date);
std::optional<Date> parseIso8601(std::string_view text);

}  // namespace moorvane
