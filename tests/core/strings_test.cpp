// The string engine: the per-thread buffer and string variables.
#include <gtest/gtest.h>

#include "core/strings.h"

#include <thread>

namespace {

using namespace rt;

// A thread still pointing at its released buffer would build its next string in freed memory.
TEST(StringBufferTest, AThreadThatReleasedItsBufferGetsANewOneForItsNextString) {
    std::thread([] {
        append_to_buffer("before the release");
        release_string_buffer();
        append_to_buffer("after");
        EXPECT_STREQ(current_string_buffer().base, "after");
        release_string_buffer();
    }).join();
}

TEST(StringVariableTest, AssignmentsOfEmptyNullItselfAPartOfItselfAndTheBuffer) {
    char* variable = nullptr;
    EXPECT_EQ(assign_string(&variable, "") + assign_string(&variable, nullptr), 2) << "each the length + 1";
    EXPECT_EQ(variable, nullptr) << "null frees the block";
    assign_new_string(&variable, "C:\\Video\\clip.avi");
    EXPECT_EQ(assign_string(&variable, variable), 18) << "a variable assigned to itself keeps its text";
    EXPECT_EQ(assign_string(&variable, variable + 9), 9) << "the block shrinks under a part of its own text";
    EXPECT_STREQ(variable, "clip.avi");
    int saved = current_string_buffer().position;
    append_to_buffer("clip");
    append_to_buffer(nullptr);  // only terminates
    append_to_buffer(".flv");
    assign_from_buffer(&variable, saved);
    EXPECT_STREQ(variable, "clip.flv");
    EXPECT_EQ(current_string_buffer().position, saved) << "the position goes back";
    free_string(variable);
}

TEST(StringVariableTest, ComparisonReadsNullAsEmptyAndACopyStopsAtEitherEnd) {
    EXPECT_EQ(compare_strings(nullptr, "") + compare_strings("abc", "abcd") + compare_strings("abcd", "abc"), 1);
    char copy[8] = "#######";
    copy_terminated(copy, "abcdef", 3);
    copy_terminated(copy + 3, "q", 6);
    EXPECT_STREQ(copy, "abcq");
    copy_terminated(copy, nullptr, -4);
    EXPECT_STREQ(copy, "");
}

} // namespace
