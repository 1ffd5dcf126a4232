// The general string functions, written into the calling thread's string buffer.
//
// Arguments that lie in the buffer are either copied out before the reservation (replace_string,
// whose result may overlap them) or re-found by their offset after it (left_string), never read
// through an address taken before the buffer could move.
#include "core/string_functions.h"

#include "core/memory.h"
#include "core/strings.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace rt {

namespace {

const char* or_empty(const char* text) { return text ? text : ""; }

// A string argument made safe to read while the buffer is written: text outside the buffer as it
// is, text inside it as a copy on the main heap, freed when the argument goes out of scope.
class StableText {
public:
    explicit StableText(const char* text) : text_(or_empty(text)) {
        if (!buffer_offset_of(text_)) return;
        std::size_t size = std::strlen(text_) + 1;
        copy_ = static_cast<char*>(main_allocate(size));
        std::memcpy(copy_, text_, size);
        text_ = copy_;
    }
    ~StableText() { main_free(copy_); }
    StableText(const StableText&) = delete;
    StableText& operator=(const StableText&) = delete;
    const char* get() const { return text_; }

private:
    const char* text_;
    char* copy_ = nullptr;
};

char folded(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Do the `length` characters at `at` equal the search string? Stops at at's terminator.
bool matches_at(const char* at, const char* search, std::size_t length, bool ignore_case) {
    if (!ignore_case) return at[0] == search[0] && std::strncmp(at, search, length) == 0;
    for (std::size_t i = 0; i < length; ++i)
        if (folded(at[i]) != folded(search[i])) return false;
    return true;
}

struct ReplaceScan {
    const char* string;
    std::size_t length;
    const char* search;
    std::size_t search_length;
    bool ignore_case;
    std::size_t begin;  // 0-based start of the scan

    bool match_at(std::size_t p) const {
        return search_length && p + search_length <= length && matches_at(string + p, search, search_length, ignore_case);
    }

    int64_t count() const {
        int64_t matches = 0;
        for (std::size_t p = begin; p < length;) {
            if (match_at(p)) {
                ++matches;
                p += search_length;
            } else {
                ++p;
            }
        }
        return matches;
    }
};

// Value of c as a digit of base 2, 10 or 16, or -1.
int digit_value(char c, int base) {
    int value = c >= '0' && c <= '9' ? c - '0'
              : c >= 'a' && c <= 'f' ? c - 'a' + 10
              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                     : -1;
    return value < base ? value : -1;
}

std::size_t scan_begin(int start) { return start < 1 ? 0 : static_cast<std::size_t>(start) - 1; }

void replace_into_buffer(const char* string_argument, const char* search_argument,
                         const char* replacement_argument, bool ignore_case, int start, int result_position) {
    StableText string(string_argument), search(search_argument), replacement(replacement_argument);
    ReplaceScan scan{string.get(), std::strlen(string.get()), search.get(), std::strlen(search.get()),
                     ignore_case, scan_begin(start)};
    const char* with = replacement.get();
    std::size_t with_length = std::strlen(with);
    int64_t matches = scan.count();
    int64_t result_length = static_cast<int64_t>(scan.length) +
                            (static_cast<int64_t>(with_length) - static_cast<int64_t>(scan.search_length)) * matches;
    if (result_length > INT_MAX / 2) stop_out_of_memory();  // no buffer can hold it

    char* out = reserve_in_buffer(static_cast<int>(result_length), result_position);
    if (!matches) {
        std::memcpy(out, scan.string, scan.length + 1);
        return;
    }
    std::memcpy(out, scan.string, scan.begin);
    out += scan.begin;
    for (std::size_t p = scan.begin; p < scan.length;) {
        if (scan.match_at(p)) {
            std::memcpy(out, with, with_length);
            out += with_length;
            p += scan.search_length;
        } else {
            *out++ = scan.string[p++];
        }
    }
    *out = 0;
}

void replace_in_place(char* string, const char* search, const char* replacement, bool ignore_case, int start) {
    if (!string) return;
    ReplaceScan scan{string, std::strlen(string), or_empty(search), std::strlen(or_empty(search)),
                     ignore_case, scan_begin(start)};
    // A replacement of another length would shift the text or write past its end.
    if (std::strlen(or_empty(replacement)) != scan.search_length) return;
    for (std::size_t p = scan.begin; p < scan.length;) {
        if (scan.match_at(p)) {
            std::memcpy(string + p, replacement, scan.search_length);
            p += scan.search_length;
        } else {
            ++p;
        }
    }
}

} // namespace

void replace_string(char* string, const char* search, const char* replacement, int mode, int start,
                    int result_position) {
    bool ignore_case = mode & REPLACE_IGNORE_CASE;
    if (mode & REPLACE_IN_PLACE)
        replace_in_place(string, search, replacement, ignore_case, start);
    else
        replace_into_buffer(string, search, replacement, ignore_case, start, result_position);
}

void replace_all(const char* string, const char* search, const char* replacement, int result_position) {
    replace_into_buffer(string, search, replacement, false, 1, result_position);
}

void left_string(const char* text, int n, int result_position) {
    text = or_empty(text);
    intptr_t offset = buffer_offset_of(text);
    int length = static_cast<int>(strnlen(text, n > 0 ? static_cast<std::size_t>(n) : 0));
    char* out = reserve_in_buffer(length, result_position);
    if (offset) text = pointer_at_offset(offset);
    std::memmove(out, text, static_cast<std::size_t>(length));
    out[length] = 0;
}

void space_string(int n, int result_position) {
    if (n < 0) n = 0;
    char* out = reserve_in_buffer(n, result_position);
    std::memset(out, ' ', static_cast<std::size_t>(n));
    out[n] = 0;
}

int find_string(const char* text, const char* search, int start) {
    if (!text || !search || !*search) return 0;
    std::size_t begin = scan_begin(start);
    if (begin >= std::strlen(text)) return 0;
    const char* found = std::strstr(text + begin, search);
    return found ? static_cast<int>(found - text) + 1 : 0;
}

float float_value(const char* text) { return text ? static_cast<float>(std::atof(text)) : 0.0f; }

int64_t integer_value(const char* text) {
    if (!text) return 0;
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    int base = 10;
    if (*text == '$' || *text == '%') base = *text++ == '$' ? 16 : 2;
    // Unsigned arithmetic: a number too long for 64 bits wraps instead of overflowing.
    uint64_t value = 0;
    for (int digit; (digit = digit_value(*text, base)) >= 0; ++text)
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    return static_cast<int64_t>(negative ? 0 - value : value);
}

int string_length(const char* text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

} // namespace rt
