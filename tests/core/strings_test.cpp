// The string engine: variables, the per-thread buffer, its exact growth and the temporary idiom.
#include <gtest/gtest.h>

#include "core/platform.h"
#include "core/strings.h"

#include <cstring>
#include <string>
#include <thread>

namespace {

using namespace rt;

// Runs body on a fresh thread, which starts with a new 16-byte buffer, and frees that buffer.
template <class Body>
void on_new_thread(Body body) {
    std::thread([&] {
        body(current_string_buffer());
        release_string_buffer();
    }).join();
}

std::string built_since(int saved) { return current_string_buffer().base + saved; }

TEST(StringBufferTest, GrowsOnlyWhenAReservationReachesCapacityMinusFour) {
    on_new_thread([](StringBuffer& buffer) {
        EXPECT_EQ(buffer.capacity, 16);
        EXPECT_EQ(buffer.position, 0);
        char* base = buffer.base;
        append_to_buffer("abc");
        EXPECT_EQ(buffer.base, base) << "3 < 16 - 4: nothing is allocated";
        reserve_in_buffer(8, buffer.position);  // need 11: still below 12
        EXPECT_EQ(buffer.capacity, 16);
        unreserve_in_buffer(8);
        append_to_buffer("01234567890123456789");
        EXPECT_EQ(buffer.capacity, 3 + 20 + 0x4000) << "grown to need + 16384";
        EXPECT_EQ(buffer.position, 23);
        EXPECT_EQ(built_since(0), "abc01234567890123456789") << "growth keeps what was built";
    });
    on_new_thread([](StringBuffer& buffer) {
        reserve_in_buffer(12, 0);
        EXPECT_EQ(buffer.capacity, 12 + 0x4000) << "need equal to capacity - 4 grows";
    });
}

// A thread still pointing at its released buffer would build its next string in freed memory.
TEST(StringBufferTest, AThreadThatReleasedItsBufferGetsANewOneForItsNextString) {
    on_new_thread([](StringBuffer&) {
        append_to_buffer("before the release");
        release_string_buffer();
        append_to_buffer("after");
        EXPECT_EQ(built_since(0), "after");
        EXPECT_EQ(current_string_buffer().capacity, 16);
    });
}

TEST(StringBufferTest, AppendingNullOnlyTerminates) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    append_to_buffer("xy");
    buffer.base[buffer.position] = '!';
    append_to_buffer(nullptr);
    EXPECT_EQ(buffer.position, saved + 2);
    EXPECT_EQ(buffer.base[buffer.position], 0);
    set_buffer_position(saved);
}

TEST(StringBufferTest, TextsInsideTheBufferSurviveTheGrowthTheyCause) {
    on_new_thread([](StringBuffer& buffer) {
        append_to_buffer("temporary");
        // The buffer's own text, appended behind itself: this append grows the buffer (and under
        // the address sanitizer every resize moves the block).
        append_to_buffer(buffer.base);
        EXPECT_GT(buffer.capacity, 16);
        EXPECT_EQ(built_since(0), "temporarytemporary");
    });
}

TEST(StringBufferTest, ATemporaryInUseIsNotOverwrittenByStringsBuiltBehindIt) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    append_to_buffer("-i ");
    append_to_buffer("C:\\clip.avi");
    buffer.position += 1;  // step over the terminator while the temporary is in use
    std::string large(40000, 'z');
    int inner = buffer.position;
    append_to_buffer(large.c_str());  // the consumer builds a string of its own, moving the buffer
    EXPECT_EQ(built_since(inner), large);
    EXPECT_EQ(built_since(saved), "-i C:\\clip.avi");
    buffer.position = saved;
}

TEST(StringBufferTest, OffsetsOfAddressesInsideTheBuiltRange) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    append_to_buffer("abcdef");
    EXPECT_EQ(buffer_offset_of(buffer.base), 1);
    EXPECT_EQ(buffer_offset_of(buffer.base + buffer.position), buffer.position + 1);
    EXPECT_EQ(buffer_offset_of(buffer.base + buffer.position + 1), 0);
    EXPECT_EQ(buffer_offset_of(buffer.base - 1), 0);
    EXPECT_EQ(buffer_offset_of(nullptr), 0);
    EXPECT_EQ(buffer_offset_of("elsewhere"), 0);
    EXPECT_EQ(pointer_at_offset(buffer_offset_of(buffer.base + saved + 2)), buffer.base + saved + 2);
    set_buffer_position(saved);
}

TEST(StringVariableTest, EmptyAndNullAssignments) {
    char* variable = nullptr;
    EXPECT_EQ(assign_string(&variable, ""), 1);
    ASSERT_NE(variable, nullptr) << "\"\" gives a block holding a zero";
    EXPECT_EQ(variable[0], 0);
    EXPECT_EQ(assign_string(&variable, nullptr), 1);
    EXPECT_EQ(variable, nullptr) << "null frees the block";
    EXPECT_EQ(assign_string(&variable, "flv"), 4);
    EXPECT_STREQ(variable, "flv");
    EXPECT_EQ(assign_string(&variable, variable), 4) << "a variable assigned to itself keeps its text";
    EXPECT_STREQ(variable, "flv");
    free_string(variable);
}

TEST(StringVariableTest, AVariableAssignedAPartOfItselfKeepsThatPart) {
    char* variable = nullptr;
    assign_string(&variable, "C:\\Video\\clip.avi");
    EXPECT_EQ(assign_string(&variable, variable + 9), 9) << "the block shrinks under its own text";
    EXPECT_STREQ(variable, "clip.avi");
    EXPECT_EQ(assign_string(&variable, variable + 8), 1) << "its terminator: the empty string";
    EXPECT_STREQ(variable, "");
    free_string(variable);
}

TEST(StringVariableTest, AssigningFromTheBufferRestoresThePosition) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    char* variable = nullptr;
    assign_new_string(&variable, "old text that is longer");
    append_to_buffer("clip");
    append_to_buffer(".");
    append_to_buffer("avi");
    assign_from_buffer(&variable, saved);
    EXPECT_STREQ(variable, "clip.avi");
    EXPECT_EQ(buffer.position, saved);
    char* untouched = nullptr;
    assign_new_string(&untouched, nullptr);
    EXPECT_EQ(untouched, nullptr);
    free_string(variable);
}

TEST(StringVariableTest, Comparison) {
    EXPECT_EQ(compare_strings(nullptr, ""), 1);
    EXPECT_EQ(compare_strings("", nullptr), 1);
    EXPECT_EQ(compare_strings("abc", "abc"), 1);
    EXPECT_EQ(compare_strings("abc", "abcd"), 0);
    EXPECT_EQ(compare_strings("abcd", "abc"), 0);
    EXPECT_EQ(compare_strings("\xCF\xF3\xF1\xEA", "\xCF\xF3\xF1\xEA"), 1);
}

TEST(StringVariableTest, CopyTerminatedReadsNoFurtherThanItMay) {
    char destination[8];
    std::memset(destination, '#', sizeof destination);
    copy_terminated(destination, "abcdef", 3);
    EXPECT_STREQ(destination, "abc");
    copy_terminated(destination, "abcdef", 0);
    EXPECT_STREQ(destination, "");
    copy_terminated(destination, "abcdef", -4);
    EXPECT_STREQ(destination, "");
    const char short_source[2] = {'q', 0};
    copy_terminated(destination, short_source, 6);  // stops at the source's terminator
    EXPECT_STREQ(destination, "q");
}

TEST(StringBufferDeathTest, RunningOutOfMemoryWhileGrowingStopsTheProcess) {
    EXPECT_EXIT(
        {
            fail_allocations_after(0);
            reserve_in_buffer(1 << 20, current_string_buffer().position);
        },
        testing::ExitedWithCode(OUT_OF_MEMORY_EXIT_CODE), "");
}

} // namespace
