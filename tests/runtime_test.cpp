// Start-up and shutdown, the memory heap and optional system libraries, on the real platform.
#include <gtest/gtest.h>

#include "core/memory.h"
#include "core/objects.h"
#include "core/system_libraries.h"
#include "core/threads.h"
#include "gui/colours.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "runtime.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <vector>

namespace {

using namespace rt;

TEST(MemoryHeapTest, BlocksAreZeroedAndKeptWhenResizedAndSizesOfZeroOrLessGiveNull) {
    EXPECT_EQ(allocate_memory(0), nullptr);
    EXPECT_EQ(allocate_memory(-1), nullptr);
    auto* block = static_cast<unsigned char*>(reallocate_memory(nullptr, 10));
    ASSERT_NE(block, nullptr) << "a null block is allocated";
    EXPECT_EQ(std::vector<unsigned char>(block, block + 10), std::vector<unsigned char>(10, 0));
    std::fill_n(block, 10, 0xAB);
    EXPECT_EQ(reallocate_memory(block, 0), nullptr) << "a refused resize leaves the block alone";
    block = static_cast<unsigned char*>(reallocate_memory(block, 100000));
    std::vector<unsigned char> expected(100000, 0);
    std::fill_n(expected.begin(), 10, 0xAB);
    EXPECT_EQ(std::vector<unsigned char>(block, block + 100000), expected) << "contents kept, new bytes zeroed";
}

TEST(SystemLibraryTest, LibrariesAnswerUnderTheirNumberOrIdentityUntilClosed) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ASSERT_EQ(GetModuleHandleA("mpr.dll"), nullptr) << "precondition: mpr not loaded yet";
    EXPECT_NE(open_library(5, "mpr.dll"), nullptr);
    EXPECT_EQ(open_library(5, "kernel32.dll"), kernel) << "a number answers with the module";
    EXPECT_EQ(GetModuleHandleA("mpr.dll"), nullptr) << "reusing a number freed the library it held";
    EXPECT_EQ(get_library_function(5, "GetTickCount"), reinterpret_cast<void*>(GetProcAddress(kernel, "GetTickCount")));
    EXPECT_EQ(get_library_function(5, "NoSuchFunction"), nullptr);
    EXPECT_EQ(get_library_function(5, nullptr), nullptr);
    auto identity = reinterpret_cast<intptr_t>(open_library(DYNAMIC_NUMBER, "kernel32.dll"));
    EXPECT_NE(identity, reinterpret_cast<intptr_t>(kernel)) << "the identity is the record, not the module";
    for (intptr_t number : {intptr_t{5}, identity}) {
        EXPECT_NE(get_library_function(number, "GetTickCount"), nullptr) << number;
        close_library(number);
        EXPECT_EQ(get_library_function(number, "GetTickCount"), nullptr) << "a closed library answers nothing";
    }
    EXPECT_EQ(open_library(DYNAMIC_NUMBER, "no_such_library.dll"), nullptr);
    EXPECT_EQ(open_library(4, nullptr), nullptr);
    EXPECT_EQ(open_library(-5, "kernel32.dll"), nullptr);
    EXPECT_EQ(get_library_function(4, "GetTickCount"), nullptr) << "a number whose library could not be loaded";
}

// Runs a check when the window gets its WM_DESTROY: shutdown is then under way, and the window
// and its gadgets still exist. Checks write to standard error, for the parent to match.
WNDPROC behind_watch;
void (*at_window_destruction)();

LRESULT CALLBACK watch_destruction(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) at_window_destruction();
    return CallWindowProcA(behind_watch, window, message, wparam, lparam);
}

void end_runtime_watching_the_window(void* window, void (*check)()) {
    at_window_destruction = check;
    behind_watch = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(static_cast<HWND>(window), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(watch_destruction)));
    end_runtime();
}

HBRUSH back_brush;
HANDLE worker;

int run_forever(intptr_t) {
    Sleep(INFINITE);
    return 0;
}

void report_what_shutdown_has_done() {
    DWORD flags;
    std::fprintf(stderr, "window destroyed after: brush deleted %d, library freed %d, thread handle closed %d\n",
                 GetObjectType(back_brush) == 0, GetModuleHandleA("mpr.dll") == nullptr,
                 !GetHandleInformation(worker, &flags));
    std::fflush(stderr);  // the process ends through ExitProcess, which flushes nothing
}

// The colours are given back first, then the system libraries freed and the thread handles
// closed, and the windows destroyed after them; a running worker is not waited for.
TEST(RuntimeDeathTest, ShutdownGivesBackColoursLibrariesAndThreadsBeforeClosingTheWindowsAndExitsZero) {
    EXPECT_EXIT(
        {
            void* window = open_window(0, 10, 10, 200, 100, "shutdown", 0);
            auto field = static_cast<HWND>(text_field_gadget(3, 10, 10, 100, 20, "field"));
            colour_gadget(3, RGB(200, 30, 30), RGB(20, 40, 220));
            HDC dc = GetDC(field);
            back_brush = reinterpret_cast<HBRUSH>(SendMessageA(static_cast<HWND>(window), WM_CTLCOLOREDIT,
                                                               reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(field)));
            ReleaseDC(field, dc);
            open_library(1, "mpr.dll");
            worker = thread_handle_if_running(create_thread(run_forever, 0));
            end_runtime_watching_the_window(window, report_what_shutdown_has_done);
        },
        testing::ExitedWithCode(0), "window destroyed after: brush deleted 1, library freed 1, thread handle closed 1");
}

// Signalled when the window is being destroyed, and when the worker has made its calls then.
HANDLE windows_closing, worker_reported;

// A job's worker whose tool ends while shutdown runs: it makes the job's last calls then.
int end_a_job_during_shutdown(intptr_t) {
    WaitForSingleObject(windows_closing, INFINITE);
    UINT_PTR timer = add_window_timer(0, 2, 1000);
    HWND bar = gadget_handle(4);
    BOOL shown = hide_gadget(4, 0);
    BOOL removed = remove_window_timer(0, 2);
    std::fprintf(stderr, "calls during shutdown: timer %d, bar %d, shown %d, removed %d\n", timer != 0,
                 bar != nullptr, shown, removed);
    std::fflush(stderr);
    SetEvent(worker_reported);
    return 0;
}

void let_the_worker_call() {
    SetEvent(windows_closing);
    WaitForSingleObject(worker_reported, 2000);
}

// Once shutdown has begun, what a worker calls does nothing, though the window and its gadgets
// still exist: shutdown is freeing their records and then destroys the heap under them.
TEST(RuntimeDeathTest, WorkerCallsDoNothingOnceShutdownHasBegun) {
    EXPECT_EXIT(
        {
            void* window = open_window(0, 10, 10, 200, 100, "busy", 0);
            progress_bar_gadget(4, 10, 10, 150, 17, 0, 100, PBS_MARQUEE);
            hide_gadget(4, 1);
            windows_closing = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            worker_reported = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            create_thread(end_a_job_during_shutdown, 0);
            end_runtime_watching_the_window(window, let_the_worker_call);
        },
        testing::ExitedWithCode(0), "calls during shutdown: timer 0, bar 0, shown 0, removed 0");
}

TEST(RuntimeDeathTest, RunningOutOfMemoryStopsTheProcess) {
    EXPECT_EXIT(
        {
            fail_allocations_after(2);
            for (;;) main_allocate(64);
        },
        testing::ExitedWithCode(OUT_OF_MEMORY_EXIT_CODE), "");
}

} // namespace
