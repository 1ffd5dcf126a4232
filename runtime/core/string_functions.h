// The general string functions: replacing, left parts, spaces, searching and number parsing.
//
// Null arguments read as "". A function that returns a string writes it into the calling thread's
// string buffer at the result position (its last argument) and leaves the buffer's position on the
// result's terminator; an argument that lies in the buffer itself gives the right result even when
// the reservation moves the buffer.
#pragma once

#include <cstdint>

namespace rt {

// Mode bits of replace_string; other bits are ignored.
inline constexpr int REPLACE_IGNORE_CASE = 1;  // letters match their other case (ASCII)
inline constexpr int REPLACE_IN_PLACE = 2;     // overwrite the string where it stands

// Every non-overlapping match of search, scanned left to right from the 1-based start (below 1
// counts as 1), replaced. The characters before start are kept. An empty search matches nowhere.
// In place the string is changed where it stands and the buffer is left alone; that needs a
// replacement as long as the search string, so with any other length nothing is changed.
void replace_string(char* string, const char* search, const char* replacement, int mode, int start,
                    int result_position);
// Every exact match from the first character replaced.
void replace_all(const char* string, const char* search, const char* replacement, int result_position);
// The first min(length, n) characters; n below 0 counts as 0.
void left_string(const char* text, int n, int result_position);
// n spaces; n below 0 counts as 0.
void space_string(int n, int result_position);

// 1-based position of the first exact occurrence of search at or after start (below 1 counts as
// 1); 0 when either string is empty or there is none.
int find_string(const char* text, const char* search, int start);
// The decimal conversion of the C library, rounded to single precision; 0 for null.
float float_value(const char* text);
// After leading spaces and tabs and one optional sign: hexadecimal after "$", binary after "%",
// else decimal, up to the first character that does not belong; 0 when no digit follows.
int64_t integer_value(const char* text);
// Byte count; 0 for null.
int string_length(const char* text);

} // namespace rt
