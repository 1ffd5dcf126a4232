// Threads: numbering from 1, lazy closing of ended threads' handles, per-thread string buffers
// (found without disturbing the last error). Shutdown with a running worker is runtime_test's.
#include <gtest/gtest.h>

#include "core/dates.h"
#include "core/string_functions.h"
#include "core/strings.h"
#include "core/threads.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

using namespace rt;

// Blocks until the event given as argument is set, then ends with exit code 7.
int wait_for_gate(intptr_t gate) {
    WaitForSingleObject(reinterpret_cast<HANDLE>(gate), INFINITE);
    return 7;
}

struct Gate {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ~Gate() { CloseHandle(event); }
    intptr_t argument() const { return reinterpret_cast<intptr_t>(event); }
};

bool is_open(HANDLE handle) {
    DWORD flags;
    return GetHandleInformation(handle, &flags) != 0;
}

// Runs first in this program, so that its threads are the first the library starts.
TEST(ThreadsTest, NumbersFromOneAndClosesEndedThreadsAtTheNextStart) {
    Gate first_gate, second_gate, open_gate;
    SetEvent(open_gate.event);

    EXPECT_EQ(create_thread(wait_for_gate, first_gate.argument()), 1);
    HANDLE first = thread_handle_if_running(1);
    ASSERT_NE(first, nullptr) << "a running thread is listed";
    EXPECT_EQ(create_thread(nullptr, 0), 0) << "no procedure, no thread";
    EXPECT_EQ(create_thread(wait_for_gate, second_gate.argument()), 2) << "a failed start uses no number";
    HANDLE second = thread_handle_if_running(2);
    ASSERT_NE(second, nullptr);

    SetEvent(first_gate.event);
    WaitForSingleObject(first, INFINITE);
    DWORD code = 0;
    GetExitCodeThread(first, &code);
    EXPECT_EQ(code, 7u) << "the procedure's result is the thread's exit code";
    EXPECT_EQ(thread_handle_if_running(1), nullptr) << "an ended thread has no running handle";
    EXPECT_TRUE(is_open(first)) << "its handle stays open until the next start";

    DWORD first_id = GetThreadId(first);
    EXPECT_EQ(create_thread(wait_for_gate, open_gate.argument()), 3);
    // A closed handle's value may at once name a new object of the process: it must no longer
    // name the first thread.
    EXPECT_NE(GetThreadId(first), first_id) << "the next start closed the ended thread's handle";
    EXPECT_EQ(thread_handle_if_running(2), second) << "a still-running thread stays listed";
    EXPECT_TRUE(is_open(second));

    EXPECT_EQ(thread_handle_if_running(0), nullptr) << "0 never names a thread";
    EXPECT_EQ(thread_handle_if_running(99), nullptr);
    SetEvent(second_gate.event);
    WaitForSingleObject(second, INFINITE);
}

struct BufferProbe {
    int capacity_at_start;
    std::string built;
};

int build_in_own_buffer(intptr_t argument) {
    auto& probe = *reinterpret_cast<BufferProbe*>(argument);
    StringBuffer& buffer = current_string_buffer();
    probe.capacity_at_start = buffer.capacity;
    append_to_buffer("worker ");
    append_to_buffer(std::string(100, 'w').c_str());
    probe.built = buffer.base;
    return 0;
}

TEST(ThreadsTest, EachWorkerBuildsInABufferOfItsOwn) {
    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    append_to_buffer("main thread's temporary");
    int position = buffer.position;

    BufferProbe probe{};
    int number = create_thread(build_in_own_buffer, reinterpret_cast<intptr_t>(&probe));
    ASSERT_NE(number, 0);
    if (HANDLE thread = thread_handle_if_running(number)) WaitForSingleObject(thread, INFINITE);

    EXPECT_EQ(probe.capacity_at_start, 16) << "a worker starts with a new buffer";
    EXPECT_EQ(probe.built, "worker " + std::string(100, 'w'));
    EXPECT_EQ(buffer.position, position) << "the worker did not move the main thread's position";
    EXPECT_STREQ(buffer.base + saved, "main thread's temporary");
    set_buffer_position(saved);
}

// The buffer is found through a TLS slot, whose plain read would clear the thread's last error.
TEST(ThreadsTest, BuildingAStringKeepsTheThreadsLastError) {
    const int saved = current_string_buffer().position;
    SetLastError(ERROR_FILE_NOT_FOUND);
    append_to_buffer("after a failed call, before its GetLastError");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    set_buffer_position(saved);
}

// One thread's share of the load: five thousand temporaries built the way the converter builds them
// (pieces appended, a string function's result placed behind them, the whole assigned to a string
// variable), each checked against the text made without the runtime. The lengths vary, so the
// buffer grows, the variable's block is resized, and every thousandth round it is freed and made
// anew on the shared string heap.
struct StringLoad {
    HANDLE start;
    char letter;
    int failures;
    int rounds;
};

constexpr int ROUNDS_PER_THREAD = 5000;

void build_one(StringLoad& load, int round, char** variable) {
    char number[16], piece[40], pair[80], expected[128];
    std::snprintf(number, sizeof number, "%d", round);
    int length = 1 + round % 37;
    std::memset(piece, load.letter, static_cast<size_t>(length));
    piece[length] = 0;
    std::snprintf(pair, sizeof pair, "%s %s", piece, piece);
    std::snprintf(expected, sizeof expected, "%s %s_%s %02d:%02d", number, piece, piece, round / 60 % 60, round % 60);

    StringBuffer& buffer = current_string_buffer();
    int saved = buffer.position;
    append_to_buffer(number);
    append_to_buffer(" ");
    replace_all(pair, " ", "_", buffer.position);
    append_to_buffer(" ");
    format_date("%ii:%ss", round, buffer.position);
    assign_from_buffer(variable, saved);
    if (std::strcmp(*variable, expected) != 0 || buffer.position != saved) ++load.failures;
    if (round % 1000 == 0) assign_string(variable, nullptr);
}

int build_the_load(intptr_t argument) {
    auto& load = *reinterpret_cast<StringLoad*>(argument);
    WaitForSingleObject(load.start, INFINITE);
    char* variable = nullptr;
    for (int round = 0; round < ROUNDS_PER_THREAD; ++round, ++load.rounds) build_one(load, round, &variable);
    assign_string(&variable, nullptr);
    return 0;
}

TEST(ThreadsTest, TwoWorkersBuildingStringsAtOnceNeverSeeEachOthersText) {
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    StringLoad loads[2] = {{start, 'a', 0, 0}, {start, 'b', 0, 0}};
    HANDLE threads[2];
    for (int i = 0; i < 2; ++i) {
        int number = create_thread(build_the_load, reinterpret_cast<intptr_t>(&loads[i]));
        ASSERT_NE(number, 0);
        threads[i] = thread_handle_if_running(number);
        ASSERT_NE(threads[i], nullptr);
    }
    SetEvent(start);  // both begin together
    EXPECT_EQ(WaitForMultipleObjects(2, threads, TRUE, 120000), WAIT_OBJECT_0) << "both workers end";
    CloseHandle(start);
    for (const StringLoad& load : loads) {
        EXPECT_EQ(load.rounds, ROUNDS_PER_THREAD) << load.letter;
        EXPECT_EQ(load.failures, 0) << "every string thread " << load.letter << " built is its own, intact";
    }
}

} // namespace
