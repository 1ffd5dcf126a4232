// The string functions: replacing in every mode, left parts, spaces, searching, number parsing, and
// arguments that lie in a string buffer the call itself moves.
#include <gtest/gtest.h>

#include "core/string_functions.h"
#include "core/strings.h"
#include "support/buffer_result.h"

#include <cstring>
#include <string>
#include <thread>

namespace {

using namespace rt;
using test_support::written_by;

// Runs body on a fresh thread, whose buffer starts at 16 bytes, so that any real text grows it. A
// string block made right behind the new buffer keeps the heap from growing it in place: growth
// then moves it.
template <class Body>
void on_new_thread(Body body) {
    std::thread([&] {
        StringBuffer& buffer = current_string_buffer();
        char* neighbour = nullptr;
        assign_string(&neighbour, "neighbour");
        body(buffer);
        free_string(neighbour);
        release_string_buffer();
    }).join();
}

struct ReplaceCase {
    const char* rule;
    const char* string;
    const char* search;
    const char* replacement;
    int mode;
    int start;
    const char* expected;
};

TEST(ReplaceStringTest, IntoTheBuffer) {
    const ReplaceCase cases[] = {
        {"no match: unchanged", "C:\\Video\\clip.avi", " ", "_", 0, 1, "C:\\Video\\clip.avi"},
        {"three spaces, three underscores", "C:\\My Video\\a b c.avi", " ", "_", 0, 1, "C:\\My_Video\\a_b_c.avi"},
        {"longer replacement lengthens", "a-b-c", "-", "<->", 0, 1, "a<->b<->c"},
        {"empty replacement deletes", "a--b--c", "--", "", 0, 1, "abc"},
        {"null replacement deletes", "a b", " ", nullptr, 0, 1, "ab"},
        {"start 3 keeps the first two", "xxxxx", "x", "y", 0, 3, "xxyyy"},
        {"start 0 is start 1", "xax", "x", "y", 0, 0, "yay"},
        {"negative start is start 1", "xax", "x", "y", 0, -5, "yay"},
        {"start past the end: unchanged", "abc", "c", "d", 0, 9, "abc"},
        {"no match keeps the part before start", "abcdef", "z", "y", 0, 3, "abcdef"},
        {"mode 0 is exact", "Apple apple", "APPLE", "pear", 0, 1, "Apple apple"},
        {"mode 1 ignores case", "Apple apple", "APPLE", "pear", REPLACE_IGNORE_CASE, 1, "pear pear"},
        {"unknown mode bits are ignored", "a a", " ", "_", 0x40, 1, "a_a"},
        {"empty search: unchanged", "abc", "", "x", 0, 1, "abc"},
        {"empty search ignoring case: unchanged", "abc", "", "x", REPLACE_IGNORE_CASE, 1, "abc"},
        {"null search: unchanged", "abc", nullptr, "x", 0, 1, "abc"},
        {"matches do not overlap", "aaa", "aa", "b", 0, 1, "ba"},
        {"a match at the very end", "abcd", "cd", "X", 0, 1, "abX"},
        {"search longer than the string", "ab", "abc", "X", 0, 1, "ab"},
        {"null string is empty", nullptr, "a", "b", 0, 1, ""},
        {"bytes above 127 compare as they are", "\xcf\xf3\xf1\xea", "\xf1", "s", REPLACE_IGNORE_CASE, 1, "\xcf\xf3s\xea"},
    };
    for (const ReplaceCase& c : cases) {
        std::string string = c.string ? c.string : "";
        std::string result = written_by([&](int at) {
            replace_string(c.string ? string.data() : nullptr, c.search, c.replacement, c.mode, c.start, at);
        });
        EXPECT_EQ(result, c.expected) << c.rule;
        EXPECT_EQ(string, c.string ? c.string : "") << c.rule << ": the argument is not changed";
    }
}

TEST(ReplaceStringTest, InPlace) {
    const ReplaceCase cases[] = {
        {"every space becomes an underscore", "a b c", " ", "_", REPLACE_IN_PLACE, 1, "a_b_c"},
        {"from start on", "a b c", " ", "_", REPLACE_IN_PLACE, 3, "a b_c"},
        {"ignoring case", "AbAB", "ab", "xy", REPLACE_IN_PLACE | REPLACE_IGNORE_CASE, 1, "xyxy"},
        {"exact", "AbAB", "ab", "xy", REPLACE_IN_PLACE, 1, "AbAB"},
        {"empty search does nothing", "abc", "", "", REPLACE_IN_PLACE, 1, "abc"},
        {"a longer replacement would write past the end: nothing changes", "a b", " ", "__", REPLACE_IN_PLACE, 1, "a b"},
        {"a shorter replacement would shift the text: nothing changes", "a--b", "--", "_", REPLACE_IN_PLACE, 1, "a--b"},
    };
    StringBuffer& buffer = current_string_buffer();
    for (const ReplaceCase& c : cases) {
        std::string string = c.string;
        int position = buffer.position;
        replace_string(string.data(), c.search, c.replacement, c.mode, c.start, position);
        EXPECT_EQ(string, c.expected) << c.rule;
        EXPECT_EQ(buffer.position, position) << c.rule << ": the buffer is not written";
    }
    replace_string(nullptr, " ", "_", REPLACE_IN_PLACE, 1, buffer.position);  // nothing to change
}

TEST(ReplaceStringTest, ReplaceAllIsExactFromTheFirstCharacter) {
    EXPECT_EQ(written_by([](int at) { replace_all("Z:\\my clip one.avi", " ", "_", at); }), "Z:\\my_clip_one.avi");
    EXPECT_EQ(written_by([](int at) { replace_all("Aa", "a", "b", at); }), "Ab");
}

TEST(ReplaceStringTest, ArgumentsInTheBufferSurviveTheMoveTheyCause) {
    on_new_thread([](StringBuffer& buffer) {
        // The application's idiom: a temporary built in the buffer, the position stepped over it,
        // and the result placed behind it; the result is too large for the 16-byte buffer.
        append_to_buffer("a b");
        int search = ++buffer.position;
        append_to_buffer(" ");
        int replacement = ++buffer.position;
        append_to_buffer("0123");
        int result = ++buffer.position;
        char* old_base = buffer.base;
        replace_string(buffer.base, buffer.base + search, buffer.base + replacement, 0, 1, result);
        EXPECT_NE(buffer.base, old_base) << "the reservation moved the buffer";
        EXPECT_STREQ(buffer.base + result, "a0123b");
        EXPECT_STREQ(buffer.base, "a b") << "the temporary is intact";
    });
    on_new_thread([](StringBuffer& buffer) {
        // The result written over its own argument.
        append_to_buffer("x y");
        replace_all(buffer.base, " ", "-----------------", 0);
        EXPECT_STREQ(buffer.base, "x-----------------y");
        EXPECT_EQ(buffer.position, 19);
    });
}

TEST(LeftAndSpaceStringTest, Lengths) {
    EXPECT_EQ(written_by([](int at) { left_string("abcdef", 3, at); }), "abc");
    EXPECT_EQ(written_by([](int at) { left_string("abc", 10, at); }), "abc") << "n past the length: the whole text";
    EXPECT_EQ(written_by([](int at) { left_string("abc", 0, at); }), "");
    EXPECT_EQ(written_by([](int at) { left_string("abc", -1, at); }), "") << "n below 0 counts as 0";
    EXPECT_EQ(written_by([](int at) { left_string(nullptr, 3, at); }), "");
    EXPECT_EQ(written_by([](int at) { space_string(3, at); }), "   ");
    EXPECT_EQ(written_by([](int at) { space_string(0, at); }), "");
    EXPECT_EQ(written_by([](int at) { space_string(-4, at); }), "");
}

TEST(LeftAndSpaceStringTest, ATextInTheBufferIsReaddressedAfterTheMove) {
    on_new_thread([](StringBuffer& buffer) {
        append_to_buffer("abcdefgh");
        int result = ++buffer.position;
        char* old_base = buffer.base;
        left_string(buffer.base, 8, result);  // 9 + 8 reaches the 16-byte buffer's limit
        EXPECT_NE(buffer.base, old_base) << "the reservation moved the buffer";
        EXPECT_STREQ(buffer.base + result, "abcdefgh");
        left_string(buffer.base + result, 3, result);  // over its own argument
        EXPECT_STREQ(buffer.base + result, "abc");
        EXPECT_EQ(buffer.position, result + 3);
    });
}

TEST(FindStringTest, PositionsAreOneBased) {
    struct {
        const char* text;
        const char* search;
        int start;
        int expected;
    } cases[] = {
        {"abcabc", "bc", 1, 2}, {"abcabc", "bc", 2, 2},  {"abcabc", "bc", 3, 5}, {"abcabc", "bc", 0, 2},
        {"abcabc", "bc", -3, 2}, {"abcabc", "bc", 6, 0}, {"abcabc", "bc", 7, 0}, {"abcabc", "bc", 99, 0},
        {"abcabc", "x", 1, 0},  {"abcabc", "", 1, 0},    {"", "a", 1, 0},        {nullptr, "a", 1, 0},
        {"abc", nullptr, 1, 0}, {"aBc", "b", 1, 0},      {"abc", "abc", 1, 1},   {"ab", "abc", 1, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(find_string(c.text, c.search, c.start), c.expected)
            << (c.text ? c.text : "(null)") << " / " << (c.search ? c.search : "(null)") << " from " << c.start;
}

TEST(NumberValueTest, IntegerValue) {
    struct {
        const char* text;
        int64_t expected;
    } cases[] = {
        {"$ff", 255},         {"$FF", 255},      {"$1aZ", 26},       {"%101", 5},        {"%102", 2},
        {"42", 42},           {"  \t 42", 42},   {"-42", -42},       {"+42", 42},        {"-$10", -16},
        {"-%11", -3},         {"12abc", 12},     {"1 2", 1},         {"$", 0},           {"%", 0},
        {"-", 0},             {"abc", 0},        {"", 0},            {nullptr, 0},       {"--5", 0},
        {" -9223372036854775808", INT64_MIN},    {"9223372036854775807", INT64_MAX},
        {"$7fffffffffffffff", INT64_MAX},        {"\n5", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(integer_value(c.text), c.expected) << (c.text ? c.text : "(null)");
    integer_value("99999999999999999999999999");  // too long for 64 bits: wraps, no overflow
}

TEST(NumberValueTest, FloatValueAndLength) {
    EXPECT_EQ(float_value("3.5"), 3.5f);
    EXPECT_EQ(float_value("  -0.25xyz"), -0.25f);
    EXPECT_EQ(float_value("0.1"), 0.1f) << "rounded to single precision";
    EXPECT_EQ(float_value("abc"), 0.0f);
    EXPECT_EQ(float_value(nullptr), 0.0f);
    EXPECT_EQ(string_length("abc"), 3);
    EXPECT_EQ(string_length(""), 0);
    EXPECT_EQ(string_length(nullptr), 0);
}

} // namespace
