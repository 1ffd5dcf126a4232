// Date formatting: every token, the "%" rules, long results and a mask inside the buffer it moves.
#include <gtest/gtest.h>

#include "core/dates.h"
#include "support/buffer_result.h"

#include <string>

namespace {

using namespace rt;

std::string formatted(const char* mask, int32_t date) {
    return test_support::written_by([&](int at) {
        char* result = format_date(mask, date, at);
        EXPECT_EQ(result, current_string_buffer().base + at) << "the result's address";
    });
}

// Each row would catch a token written wrongly, matched too strictly or too loosely, the read-out's
// minutes counted past the hour, or a date below zero read as a date before 1970.
TEST(FormatDateTest, TokensInUtcAnyLetterCaseOtherTextKeptAndNegativesZero) {
    const struct {
        const char* mask;
        int32_t value;
        const char* text;
    } rows[] = {
        {"%ii:%ss", 59, "00:59"},    {"%ii:%ss", 75, "01:15"},  {"%ii:%ss", 3599, "59:59"}, {"%ii:%ss", 3600, "00:00"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss %yy", 1234567890, "2009-02-13 23:31:30 09"},
        {"%yyyy-%mm-%dd %hh:%ii:%ss", INT32_MAX, "2038-01-19 03:14:07"},
        {"%YYYY %Yy %MM %dD %HH %Ii %sS", 0, "1970 70 01 01 00 00 00"},
        {"%%ii", 60, "%01"},  // the first % stays, the second starts the token
        {"%q% %y", 0, "%q% %y"},  // an unknown letter, a % that starts nothing, one y
        {"%yyyyy", 0, "1970y"},  // the four-letter token is tried first
        {"%yyyy %yy %mm %dd %hh %ii %ss", -1, "0000 00 00 00 00 00 00"},
        {"%ii:%ss", INT32_MIN, "00:00"},
        {nullptr, 100, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(formatted(row.mask, row.value), row.text) << (row.mask ? row.mask : "(null)") << " " << row.value;
}

TEST(FormatDateTest, LongResultsGrowTheReservationAndStayContiguous) {
    std::string mask = std::string(4091, 'x') + "%ss", expected = std::string(4091, 'x') + "09";
    for (int i = 0; i < 3000; ++i) mask += "-%ss", expected += "-09";
    EXPECT_EQ(formatted(mask.c_str(), 9), expected) << "a token at the first step's end, then two more steps";
}

TEST(FormatDateTest, AMaskInsideTheBufferSurvivesTheGrowthAndTheResultWrittenOverIt) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position, result = buffer.capacity;  // a reservation there grows the buffer
    append_to_buffer("%ii:%ss");
    format_date(buffer.base + saved, 3599, result);
    EXPECT_STREQ(buffer.base + result, "59:59");
    format_date(buffer.base + saved, 61, saved);
    EXPECT_STREQ(buffer.base + saved, "01:01") << "the result's place is the mask's own";
    set_buffer_position(saved);
}

} // namespace
