// Date formatting: a count of seconds since 1970-01-01 00:00:00 UTC written out by a mask.
#pragma once

#include <cstdint>

namespace rt {

// Writes `date` by `mask` at result_position of the calling thread's string buffer and leaves the
// buffer's position on the result's terminator; returns the result's address. In the mask,
// "%yyyy", "%yy", "%mm", "%dd", "%hh", "%ii" (minute) and "%ss" (any letter case) stand for the
// parts of the date in UTC, each two digits wide except the four-digit year; any other character,
// a "%" that starts no token included, is copied. A null or empty mask gives "". Every part of a
// date below 0 reads as 0.
char* format_date(const char* mask, int32_t date, int result_position);

} // namespace rt
