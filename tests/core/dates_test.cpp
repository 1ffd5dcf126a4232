// Date formatting, one case for each way through; the format_date fuzz target checks the rules in full.
#include <gtest/gtest.h>

#include "core/dates.h"
#include "core/strings.h"
#include "support/buffer_result.h"

#include <string>
#include <tuple>

namespace {

using namespace rt;

std::string formatted(const char* mask, int32_t date) {
    return test_support::written_by([&](int at) {
        char* result = format_date(mask, date, at);
        EXPECT_EQ(result, current_string_buffer().base + at) << "the result's address";
    });
}

TEST(FormatDateTest, TokensInUtcAnyLetterCaseOtherTextKeptAndNegativesZero) {
    const std::tuple<const char*, int32_t, const char*> rows[] = {
        {"%yyyy-%mm-%dd %hh:%ii:%ss %yy", 1234567890, "2009-02-13 23:31:30 09"},
        {"%YYYY%Ii:%sS %q% %y", 3600, "197000:00 %q% %y"},  // the read-out shows minutes of the hour
        {"%yyyy %ss", -1, "0000 00"},
        {nullptr, 100, ""},
    };
    for (const auto& [mask, value, text] : rows) EXPECT_EQ(formatted(mask, value), text) << value;
    std::string mask = std::string(4091, 'x') + "%ss", expected = std::string(4091, 'x') + "09";
    for (int i = 0; i < 3000; ++i) mask += "-%ss", expected += "-09";
    EXPECT_EQ(formatted(mask.c_str(), 9), expected) << "a token at the first reservation's end, then two more";
}

} // namespace
