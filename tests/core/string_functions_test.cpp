// The string functions: replacing in every mode, left parts, spaces, searching, number parsing,
// and arguments that lie in a string buffer the call itself moves.
#include <gtest/gtest.h>

#include "core/string_functions.h"
#include "support/buffer_result.h"

#include <string>

namespace {

using namespace rt;
using test_support::written_by;

TEST(ReplaceStringTest, IntoTheBufferAndInPlace) {
    const int IN_PLACE = REPLACE_IN_PLACE, CASELESS = REPLACE_IGNORE_CASE;
    const struct {
        const char *string, *search, *replacement;
        int mode, start;
        const char* expected;
    } rows[] = {
        {"C:\\My Video\\a b.avi", " ", "_", 0, 1, "C:\\My_Video\\a_b.avi"}, {"a-b", "-", "<->", 0, 1, "a<->b"},
        {"a--b--c", "--", nullptr, 0, 1, "abc"}, {"xxxxx", "x", "y", 0, 3, "xxyyy"}, {"xax", "x", "y", 0, -5, "yay"},
        {"abc", "c", "d", 0, 9, "abc"}, {"Apple apple", "APPLE", "pear", 0, 1, "Apple apple"},
        {"Apple apple", "APPLE", "pear", CASELESS | 0x40, 1, "pear pear"}, {"abc", "", "x", CASELESS, 1, "abc"},
        {"aaa", "aa", "b", 0, 1, "ba"}, {"ab", "abc", "X", 0, 1, "ab"}, {nullptr, nullptr, "b", 0, 1, ""},
        {"\xcf\xf3\xf1", "\xf1", "s", CASELESS, 1, "\xcf\xf3s"}, {"a b c", " ", "_", IN_PLACE, 3, "a b_c"},
        {"AbAB", "ab", "xy", IN_PLACE | CASELESS, 1, "xyxy"}, {"AbAB", "ab", "xy", IN_PLACE, 1, "AbAB"},
        {"a b", " ", "__", IN_PLACE, 1, "a b"}, {nullptr, " ", "_", IN_PLACE, 1, ""},  // another length changes nothing
    };
    for (const auto& row : rows) {
        const std::string before = row.string ? row.string : "";
        std::string string = before;
        std::string result = written_by([&](int at) {
            replace_string(row.string ? string.data() : nullptr, row.search, row.replacement, row.mode, row.start, at);
        });
        bool in_place = row.mode & IN_PLACE;
        EXPECT_EQ(in_place ? string : result, row.expected) << before << ", mode " << row.mode;
        EXPECT_EQ(in_place ? result : string, in_place ? "" : before) << before << ": the other one is left alone";
    }
}

// The converter's idiom: temporaries built in the buffer, the position stepped over each, the
// result placed where its reservation grows the buffer (natively, every growth moves it) or over them.
TEST(ReplaceStringTest, ArgumentsInTheBufferSurviveTheMoveTheirResultCauses) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    append_to_buffer("a b");
    int search = ++buffer.position;
    append_to_buffer(" ");
    int replacement = ++buffer.position;
    append_to_buffer("0123");
    int result = buffer.capacity;
    replace_string(buffer.base + saved, buffer.base + search, buffer.base + replacement, 0, 1, result);
    EXPECT_STREQ(buffer.base + result, "a0123b");
    EXPECT_STREQ(buffer.base + saved, "a b") << "the temporary is intact";
    int left = buffer.capacity;
    left_string(buffer.base + result, 3, left);
    EXPECT_STREQ(buffer.base + left, "a01");
    replace_all(buffer.base + saved, " ", "---", saved);  // over its own argument
    EXPECT_STREQ(buffer.base + saved, "a---b");
    left_string(buffer.base + saved, 2, saved);
    EXPECT_STREQ(buffer.base + saved, "a-");
    set_buffer_position(saved);
}

TEST(LeftSpaceAndFindTest, LengthsAndOneBasedPositions) {
    EXPECT_EQ(written_by([](int at) { left_string("abcdef", 3, at); }), "abc");
    EXPECT_EQ(written_by([](int at) { left_string(nullptr, -1, at); }), "");
    EXPECT_EQ(written_by([](int at) { space_string(3, at); }) + written_by([](int at) { space_string(-4, at); }), "   ");
    const struct {
        const char *text, *search;
        int start, expected;
    } rows[] = {{"abcabc", "bc", 2, 2}, {"abcabc", "bc", 3, 5}, {"abcabc", "bc", -3, 2}, {"abcabc", "bc", 6, 0},
                {"abcabc", "", 1, 0},   {nullptr, "a", 1, 0},   {"abc", nullptr, 1, 0}, {"aBc", "b", 1, 0}};
    for (const auto& row : rows) EXPECT_EQ(find_string(row.text, row.search, row.start), row.expected) << row.start;
}

TEST(NumberValueTest, DecimalHexadecimalAndBinaryAfterBlanksAndASign) {
    const struct {
        const char* text;
        int64_t expected;
    } rows[] = {{"$fF", 255}, {"$1aZ", 26}, {"%102", 2},  {"  \t 42", 42}, {"-$10", -16},      {"+%11", 3},
                {"12abc", 12}, {"$", 0},    {"--5", 0},   {"\n5", 0},      {nullptr, 0},       {"$7fffffffffffffff", INT64_MAX},
                {" -9223372036854775808", INT64_MIN}};
    for (const auto& row : rows) EXPECT_EQ(integer_value(row.text), row.expected) << (row.text ? row.text : "(null)");
    integer_value("99999999999999999999999999");  // too long for 64 bits: wraps, no overflow
    EXPECT_EQ(float_value("  -0.1xyz") + float_value(nullptr), -0.1f) << "rounded to single precision; null is 0";
    EXPECT_EQ(string_length("abc") + string_length(nullptr), 3) << "null has no length";
}

} // namespace
