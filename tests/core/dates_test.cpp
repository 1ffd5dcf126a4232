// Date formatting: the read-out's mask, every token, the "%" rules and the buffer contract.
#include <gtest/gtest.h>

#include "core/dates.h"
#include "core/strings.h"

#include <string>
#include <thread>

namespace {

using namespace rt;

// Formats at the buffer's position, checks that the position ends on the terminator, and
// releases the result.
std::string formatted(const char* mask, int32_t date) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    char* result = format_date(mask, date, saved);
    std::string text = buffer.base + saved;
    EXPECT_EQ(result, buffer.base + saved) << "the result's address is returned";
    EXPECT_EQ(buffer.position, saved + static_cast<int>(text.size())) << "position ends on the terminator";
    set_buffer_position(saved);
    return text;
}

TEST(FormatDateTest, TheReadOutMaskShowsMinutesAndSecondsOfTheHour) {
    const struct {
        int32_t seconds;
        const char* text;
    } rows[] = {{0, "00:00"}, {59, "00:59"}, {60, "01:00"}, {61, "01:01"}, {75, "01:15"},
                {3599, "59:59"}, {3600, "00:00"}, {3661, "01:01"}};
    for (const auto& row : rows) EXPECT_EQ(formatted("%ii:%ss", row.seconds), row.text) << row.seconds << " seconds";
}

// Each row would catch a token written wrongly, matched too strictly or too loosely, or a date
// below zero read as a date before 1970.
TEST(FormatDateTest, TokensInUtcAnyLetterCaseOtherTextKeptAndNegativesZero) {
    const struct {
        const char* mask;
        int32_t value;
        const char* text;
    } rows[] = {
        {"%yyyy-%mm-%dd %hh:%ii:%ss %yy", 1234567890, "2009-02-13 23:31:30 09"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", INT32_MAX, "2038-01-19 03:14:07"},
        {"%dd.%mm.%yyyy", 0, "01.01.1970"},
        {"%YYYY %Yy %MM %dD %HH %Ii %sS", 1234567890, "2009 09 02 13 23 31 30"},
        {"%%ii", 60, "%01"},            // the first % stays, the second starts the token
        {"%q%", 0, "%q%"},              // an unknown letter and a trailing %
        {"%y", 0, "%y"},                // one y is no token
        {"%yyyyy", 0, "1970y"},         // the four-letter token is tried first
        {"100% %", 0, "100% %"},
        {"%yyyy %yy %mm %dd %hh %ii %ss", -1, "0000 00 00 00 00 00 00"},
        {"%ii:%ss", INT32_MIN, "00:00"},
        {nullptr, 100, ""},
        {"", 100, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(formatted(row.mask, row.value), row.text) << (row.mask ? row.mask : "(null)") << " " << row.value;
}

TEST(FormatDateTest, LongResultsGrowTheReservationAndStayContiguous) {
    std::string mask, expected;
    for (int i = 0; i < 3000; ++i) {
        mask += i % 2 ? "%yyyy" : "-%ss";
        expected += i % 2 ? "1970" : "-05";
    }
    EXPECT_EQ(formatted(mask.c_str(), 5), expected) << expected.size() << " bytes, past three 4096-byte steps";
    std::string plain(4091, 'x');
    EXPECT_EQ(formatted((plain + "%ss").c_str(), 9), plain + "09") << "a token right at the first step's end";
}

TEST(FormatDateTest, AMaskInsideTheBufferIsReadBeforeTheResultOverwritesIt) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    append_to_buffer("%ii:%ss");
    format_date(buffer.base + saved, 3599, saved);  // the result's place is the mask's own
    EXPECT_STREQ(buffer.base + saved, "59:59");
    set_buffer_position(saved);
}

// A fresh thread starts with a 16-byte buffer, which the first reservation reallocates.
TEST(FormatDateTest, AMaskInsideTheBufferSurvivesTheBuffersGrowth) {
    std::thread([] {
        StringBuffer& buffer = current_string_buffer();
        append_to_buffer("%ii:%ss");
        int result_at = buffer.position + 1;
        format_date(buffer.base, 3599, result_at);
        EXPECT_GE(buffer.capacity, result_at + 4096) << "the buffer grew";
        EXPECT_STREQ(buffer.base + result_at, "59:59");
        release_string_buffer();
    }).join();
}

TEST(FormatDateTest, AResultBehindALabelFormsOneStringWithIt) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    const char* label = "\xC2\xF0\xE5\xEC\xFF \xEE\xE1\xF0\xE0\xE1\xEE\xF2\xEA\xE8:   ";  // Windows-1251
    append_to_buffer(label);
    format_date("%ii:%ss", 75, buffer.position);
    EXPECT_EQ(std::string(buffer.base + saved), std::string(label) + "01:15");
    set_buffer_position(saved);
}

} // namespace
