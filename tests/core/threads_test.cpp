// Threads: numbering from 1, ended threads' handles closed at the next start, a buffer each.
#include <gtest/gtest.h>

#include "core/string_functions.h"
#include "core/strings.h"
#include "core/threads.h"

#include <string>

namespace {

using namespace rt;

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
    SetEvent(reinterpret_cast<HANDLE>(gate));
    WaitForSingleObject(first, INFINITE);
    DWORD code = 0, first_id = GetThreadId(first);
    GetExitCodeThread(first, &code);
    EXPECT_EQ(code, 7u) << "the procedure's result is the thread's exit code";
    EXPECT_TRUE(!thread_handle_if_running(1) && !thread_handle_if_running(0)) << "an ended thread, or 0, has no handle";
    EXPECT_EQ(create_thread(wait_for_gate, gate), 3);
    // A closed handle's value may at once name a new object: it must no longer name the first thread.
    EXPECT_NE(GetThreadId(first), first_id) << "the next start closed the ended thread's handle";
}

// Strings built as the converter builds them, once both workers are listed; the count of wrong ones.
HANDLE both_listed = CreateEventA(nullptr, TRUE, FALSE, nullptr);

int build_strings(intptr_t letter) {
    WaitForSingleObject(both_listed, INFINITE);
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
    HANDLE workers[2] = {thread_handle_if_running(create_thread(build_strings, 'a')),
                         thread_handle_if_running(create_thread(build_strings, 'b'))};
    SetEvent(both_listed);
    EXPECT_EQ(WaitForMultipleObjects(2, workers, TRUE, 120000), WAIT_OBJECT_0) << "both workers end";
    for (HANDLE worker : workers) {
        DWORD wrong = 1;
        GetExitCodeThread(worker, &wrong);
        EXPECT_EQ(wrong, 0u) << "every string a worker built is its own, intact";
    }
}

} // namespace
