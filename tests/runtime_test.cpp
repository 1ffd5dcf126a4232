// Start-up and shutdown, the memory heap and optional system libraries, on the real platform.
#include <gtest/gtest.h>

#include "core/memory.h"
#include "core/objects.h"
#include "core/system_libraries.h"
#include "core/threads.h"
#include "gui/colours.h"
#include "gui/controls.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "runtime.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace rt;

TEST(MemoryHeapTest, BlocksAreZeroedAndKeptWhenResizedAndSizesOfZeroOrLessGiveNull) {
    EXPECT_EQ(allocate_memory(-1), nullptr);
    auto* block = static_cast<unsigned char*>(reallocate_memory(nullptr, 10));
    std::fill_n(block, 10, 0xAB);
    EXPECT_EQ(reallocate_memory(block, 0), nullptr) << "a refused resize leaves the block alone";
    block = static_cast<unsigned char*>(reallocate_memory(block, 100000));
    std::vector<unsigned char> expected(100000, 0);
    std::fill_n(expected.begin(), 10, 0xAB);
    EXPECT_EQ(std::vector<unsigned char>(block, block + 100000), expected) << "contents kept, new bytes zeroed";
}

// A number reused frees the library it held; a library that cannot be loaded leaves no record.
TEST(SystemLibraryTest, AReusedNumberFreesItsLibraryAndAFailedLoadLeavesNothing) {
    ASSERT_EQ(GetModuleHandleA("mpr.dll"), nullptr) << "precondition: mpr not loaded yet";
    open_library(5, "mpr.dll");
    EXPECT_EQ(open_library(5, "kernel32.dll"), GetModuleHandleA("kernel32.dll")) << "a number answers with the module";
    EXPECT_EQ(GetModuleHandleA("mpr.dll"), nullptr) << "reusing a number freed the library it held";
    EXPECT_EQ(open_library(5, "no_such_library.dll"), nullptr);
    EXPECT_EQ(get_library_function(5, "GetTickCount"), nullptr) << "the failed load left the number free";
    EXPECT_EQ(open_library(DYNAMIC_NUMBER, nullptr), nullptr);
}

HBRUSH back_brush;
HANDLE worker, windows_closing, worker_reported;
char worker_calls[80];
WNDPROC behind_watch;

// A job's worker, still running when shutdown begins, whose tool ends while the windows close: it
// makes the job's last calls then.
int end_a_job_during_shutdown(intptr_t) {
    WaitForSingleObject(windows_closing, INFINITE);
    UINT_PTR timer = add_window_timer(0, 2, 1000);
    HWND bar = gadget_handle(4);
    BOOL shown = hide_gadget(4, 0);
    BOOL removed = remove_window_timer(0, 2);
    std::snprintf(worker_calls, sizeof worker_calls, "timer %d, bar %d, shown %d, removed %d", timer != 0,
                  bar != nullptr, shown, removed);
    SetEvent(worker_reported);
    return 0;
}

// At WM_DESTROY shutdown is under way and the window and its gadgets still exist: what shutdown
// has done by then, and what the worker's calls did then, go to standard error for the parent.
LRESULT CALLBACK report_at_destruction(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        SetEvent(windows_closing);
        WaitForSingleObject(worker_reported, 2000);
        DWORD flags;
        std::fprintf(stderr, "brush deleted %d, library freed %d, thread handle closed %d; worker's calls: %s\n",
                     GetObjectType(back_brush) == 0, GetModuleHandleA("mpr.dll") == nullptr,
                     !GetHandleInformation(worker, &flags), worker_calls);
        std::fflush(stderr);  // the process ends through ExitProcess, which flushes nothing
    }
    return CallWindowProcA(behind_watch, window, message, wparam, lparam);
}

// The colours are given back first, then the system libraries freed and the thread handles closed,
// and the windows destroyed after them. A running worker is not waited for, and once shutdown has
// begun its calls do nothing: shutdown frees their records, then destroys the heap under them.
TEST(RuntimeDeathTest, ShutdownFreesWhatTheWindowsUseBeforeThemIgnoresWorkersAndExitsZero) {
    EXPECT_EXIT(
        {
            auto window = static_cast<HWND>(open_window(0, 10, 10, 200, 100, "shutdown", 0));
            auto field = static_cast<HWND>(text_field_gadget(3, 10, 10, 100, 20, "field"));
            colour_gadget(3, RGB(200, 30, 30), RGB(20, 40, 220));
            HDC dc = GetDC(field);
            back_brush = reinterpret_cast<HBRUSH>(
                SendMessageA(window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(field)));
            ReleaseDC(field, dc);
            progress_bar_gadget(4, 10, 40, 150, 17, 0, 100, PBS_MARQUEE);
            hide_gadget(4, 1);
            open_library(1, "mpr.dll");
            windows_closing = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            worker_reported = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            worker = thread_handle_if_running(create_thread(end_a_job_during_shutdown, 0));
            behind_watch = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(report_at_destruction)));
            end_runtime();
        },
        testing::ExitedWithCode(0),
        "brush deleted 1, library freed 1, thread handle closed 1; worker's calls: timer 0, bar 0, shown 0, removed 0");
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
