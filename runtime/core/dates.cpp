// Date formatting by masks of "%"-tokens, in UTC.
//
// Invariant while writing: at most `reserved` - 5 bytes are used after each step, and one step
// writes at most 4, so the terminator always fits the reservation.
#include "core/dates.h"

#include "core/memory.h"
#include "core/strings.h"

#include <cstring>
#include <ctime>

namespace rt {

namespace {

constexpr int RESERVATION_STEP = 4096;
constexpr int ROOM_FOR_A_STEP = 5;  // the widest token and the terminator

struct DateParts {
    int year, month, day, hour, minute, second;
};

DateParts parts_of(int32_t date) {
    if (date < 0) return {};  // before 1970: nothing the mask can show
    std::time_t value = date;
    std::tm calendar{};
#ifdef _WIN32
    if (gmtime_s(&calendar, &value) != 0) return {};
#else
    if (!gmtime_r(&value, &calendar)) return {};
#endif
    return {calendar.tm_year + 1900, calendar.tm_mon + 1, calendar.tm_mday,
            calendar.tm_hour, calendar.tm_min, calendar.tm_sec};
}

// Compares with a lower-case ASCII token, ignoring the letter case of the mask.
bool starts_with_token(const char* at, const char* token, int length) {
    for (int i = 0; i < length; ++i) {
        char c = at[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != token[i]) return false;  // the mask's terminator stops here too
    }
    return true;
}

void write_two_digits(char* out, int value) {
    out[0] = static_cast<char>('0' + value / 10 % 10);
    out[1] = static_cast<char>('0' + value % 10);
}

// Writes the text of the token that `at` starts with; returns its length, which is also the
// length of its text (0: no token there).
int write_token(const char* at, const DateParts& date, char* out) {
    struct Token {
        const char* name;
        int DateParts::*part;
    };
    static constexpr Token TOKENS[] = {
        {"yyyy", &DateParts::year}, {"yy", &DateParts::year},   {"mm", &DateParts::month},
        {"dd", &DateParts::day},    {"hh", &DateParts::hour},   {"ii", &DateParts::minute},
        {"ss", &DateParts::second},
    };
    for (const Token& token : TOKENS) {
        int length = static_cast<int>(std::strlen(token.name));
        if (!starts_with_token(at, token.name, length)) continue;
        int value = date.*token.part;
        if (length == 4) {
            write_two_digits(out, value / 100);
            write_two_digits(out + 2, value);
        } else {
            write_two_digits(out, value);  // of the year: its last two digits
        }
        return length;
    }
    return 0;
}

} // namespace

char* format_date(const char* mask, int32_t date, int result_position) {
    char* copy = nullptr;  // the mask may lie in the buffer that the reservation can move
    if (mask) {
        std::size_t length = std::strlen(mask);
        copy = static_cast<char*>(main_allocate(length + 1));
        std::memcpy(copy, mask, length + 1);
    }
    DateParts parts = parts_of(date);
    int reserved = RESERVATION_STEP;
    char* start = reserve_in_buffer(reserved, result_position);
    int used = 0;
    for (const char* at = copy; at && *at;) {
        int token_length = *at == '%' ? write_token(at + 1, parts, start + used) : 0;
        if (token_length) {
            at += 1 + token_length;
            used += token_length;
        } else {
            start[used++] = *at++;
        }
        if (used > reserved - ROOM_FOR_A_STEP) {
            reserved += RESERVATION_STEP;
            start = reserve_in_buffer(reserved, result_position);
        }
    }
    start[used] = 0;
    unreserve_in_buffer(reserved - used);
    main_free(copy);
    return start;
}

} // namespace rt
