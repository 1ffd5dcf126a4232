// The string functions, one case for each way through; their fuzz targets check the rules in full.
#include <gtest/gtest.h>

#include "core/string_functions.h"
#include "core/strings.h"
#include "support/buffer_result.h"

#include <string>

namespace {

using namespace rt;
using test_support::written_by;

TEST(ReplaceStringTest, IntoTheBufferAndInPlace) {
    const struct { const char *string, *search, *replacement; int mode, start; const char* expected; } rows[] = {
        {"a b c", " ", "<->", 0, 3, "a b<->c"},  {"Apple apple", "APPLE", nullptr, REPLACE_IGNORE_CASE, -5, " "},
        {"abc", "", "x", 0, 1, "abc"},           {"AbxAB", "ab", "xy", REPLACE_IN_PLACE | REPLACE_IGNORE_CASE, 1, "xyxxy"},
        {"a b", " ", "__", REPLACE_IN_PLACE, 1, "a b"},  // another length would move the text: nothing changes
    };
    for (const auto& row : rows) {
        std::string string = row.string;
        std::string result = written_by([&](int at) { replace_string(string.data(), row.search, row.replacement, row.mode, row.start, at); });
        EXPECT_EQ(row.mode & REPLACE_IN_PLACE ? string : result, row.expected) << row.string << ", mode " << row.mode;
    }
    replace_string(nullptr, " ", "_", REPLACE_IN_PLACE, 1, 0);
}

// Temporaries in the buffer, the result placed where its reservation grows (natively: moves) it.
TEST(StringBufferTest, ArgumentsInTheBufferSurviveTheMoveTheirResultCauses) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    append_to_buffer("a b");
    int search = ++buffer.position;
    append_to_buffer(" ");
    int result = buffer.capacity;
    replace_string(buffer.base + saved, buffer.base + search, "0123", 0, 1, result);
    EXPECT_STREQ(buffer.base + result, "a0123b");
    int left = buffer.capacity;
    left_string(buffer.base + result, 3, left);
    EXPECT_STREQ(buffer.base + left, "a01");
    set_buffer_position(buffer.capacity - 5);
    append_to_buffer(buffer.base + saved);  // its own text behind itself
    EXPECT_STREQ(buffer.base + buffer.position - 3, "a b");
    set_buffer_position(saved);
}

TEST(StringFunctionTest, LeftPartsSpacesPositionsLengthsAndNumbers) {
    EXPECT_EQ(written_by([](int at) { left_string(nullptr, -1, at); }) + written_by([](int at) { space_string(2, at); }), "  ");
    EXPECT_EQ(written_by([](int at) { replace_all("Z:\\my clip.avi", " ", "_", at); }), "Z:\\my_clip.avi");
    EXPECT_EQ(find_string("abcabc", "bc", 3), 5);
    EXPECT_EQ(find_string("abcabc", "bc", 6) + find_string(nullptr, "a", 1) + find_string("abc", "", 1), 0);
    EXPECT_EQ(string_length("abc") + string_length(nullptr), 3);
    EXPECT_EQ(float_value("  -0.1xyz") + float_value(nullptr), -0.1f) << "rounded to single precision; null is 0";
    const std::pair<const char*, int64_t> rows[] = {{" \t$fF", 255}, {"-%102", -2}, {"+12abc", 12},
                                                    {"$", 0}, {nullptr, 0}, {" -9223372036854775808", INT64_MIN}};
    for (const auto& [text, expected] : rows) EXPECT_EQ(integer_value(text), expected) << (text ? text : "(null)");
}

} // namespace
