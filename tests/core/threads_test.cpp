// Threads: numbering from 1, ended threads' handles closed at the next start, a string buffer of
// each thread's own, found without disturbing the last error. Shutdown is runtime_test's.
#include <gtest/gtest.h>

#include "core/string_functions.h"
#include "core/strings.h"
#include "core/threads.h"

#include <string>

namespace {

using namespace rt;

// Blocks until the event given as argument is set, then ends with exit code 7.
int wait_for_gate(intptr_t gate) {
    WaitForSingleObject(reinterpret_cast<HANDLE>(gate), INFINITE);
    return 7;
}

// Runs first in this program, so that its threads are the first the library starts.
TEST(ThreadsTest, NumbersFromOneAndClosesEndedThreadsAtTheNextStart) {
    auto gate = reinterpret_cast<intptr_t>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_EQ(create_thread(wait_for_gate, gate), 1);
    EXPECT_EQ(create_thread(nullptr, 0), 0) << "no procedure, no thread";
    EXPECT_EQ(create_thread(wait_for_gate, gate), 2) << "a failed start uses no number";
    HANDLE first = thread_handle_if_running(1);
    ASSERT_NE(first, nullptr) << "a running thread is listed";
    SetEvent(reinterpret_cast<HANDLE>(gate));
    WaitForSingleObject(first, INFINITE);
    DWORD code = 0, first_id = GetThreadId(first);
    GetExitCodeThread(first, &code);
    EXPECT_EQ(code, 7u) << "the procedure's result is the thread's exit code";
    EXPECT_EQ(thread_handle_if_running(1), nullptr) << "an ended thread has no running handle";
    EXPECT_EQ(create_thread(wait_for_gate, gate), 3);
    // A closed handle's value may at once name a new object: it must no longer name the first thread.
    EXPECT_NE(GetThreadId(first), first_id) << "the next start closed the ended thread's handle";
    EXPECT_EQ(thread_handle_if_running(0), nullptr) << "0 never names a thread";
}

// The buffer is found through a TLS slot, whose plain read would clear the thread's last error.
TEST(ThreadsTest, BuildingAStringKeepsTheThreadsLastError) {
    const int saved = current_string_buffer().position;
    SetLastError(ERROR_FILE_NOT_FOUND);
    append_to_buffer("after a failed call, before its GetLastError");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    set_buffer_position(saved);
}

// Strings built as the converter builds them (pieces appended, a string function's result behind
// them, the whole assigned to a variable) and of varying length, so that the buffer grows and the
// variable's block is resized on the shared heap; returns how many came out other than expected.
int build_strings(intptr_t letter) {
    char* variable = nullptr;
    int wrong = 0;
    for (int round = 0; round < 5000; ++round) {
        std::string piece(static_cast<std::size_t>(1 + round % 37), static_cast<char>(letter));
        int saved = current_string_buffer().position;
        append_to_buffer(std::to_string(round).c_str());
        replace_all((" " + piece).c_str(), " ", "_", current_string_buffer().position);
        assign_from_buffer(&variable, saved);
        wrong += std::to_string(round) + "_" + piece != variable;
    }
    free_string(variable);
    return wrong;
}

TEST(ThreadsTest, TwoWorkersBuildingStringsAtOnceNeverSeeEachOthersText) {
    HANDLE threads[2] = {thread_handle_if_running(create_thread(build_strings, 'a')),
                         thread_handle_if_running(create_thread(build_strings, 'b'))};
    ASSERT_TRUE(threads[0] && threads[1]);
    EXPECT_EQ(WaitForMultipleObjects(2, threads, TRUE, 120000), WAIT_OBJECT_0) << "both workers end";
    for (HANDLE thread : threads) {
        DWORD wrong = 1;
        GetExitCodeThread(thread, &wrong);
        EXPECT_EQ(wrong, 0u) << "every string a worker built is its own, intact";
    }
}

} // namespace
