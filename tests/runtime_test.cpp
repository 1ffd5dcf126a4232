// Shutdown, and running out of memory, on the real platform.
#include <gtest/gtest.h>

#include "core/memory.h"
#include "core/system_libraries.h"
#include "core/threads.h"
#include "gui/colours.h"
#include "gui/controls.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "runtime.h"

#include <windows.h>

#include <cstdio>

namespace {

using namespace rt;

HBRUSH back_brush;
HANDLE worker, windows_closing = CreateEventA(nullptr, TRUE, FALSE, nullptr);
HANDLE worker_reported = CreateEventA(nullptr, TRUE, FALSE, nullptr);
char worker_calls[80];
WNDPROC behind_watch;

// A job's worker, still running at shutdown, whose tool ends while the windows close.
int end_a_job_during_shutdown(intptr_t) {
    WaitForSingleObject(windows_closing, INFINITE);
    const bool timer = add_window_timer(0, 2, 1000) != 0, field = gadget_handle(3) != nullptr;
    const BOOL hidden = hide_gadget(3, 1), removed = remove_window_timer(0, 2);
    std::snprintf(worker_calls, sizeof worker_calls, "timer %d, field %d, hidden %d, removed %d", timer, field, hidden, removed);
    SetEvent(worker_reported);
    return 0;
}

// At WM_DESTROY, what shutdown and the worker's calls have done goes to standard error.
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

// Colours, libraries and thread handles go before the windows; a worker's calls then do nothing.
TEST(RuntimeDeathTest, ShutdownFreesWhatTheWindowsUseBeforeThemIgnoresWorkersAndExitsZero) {
    EXPECT_EXIT({
        auto window = static_cast<HWND>(open_window(0, 10, 10, 200, 100, "shutdown", 0));
        auto field = static_cast<HWND>(text_field_gadget(3, 10, 10, 100, 20, "field"));
        colour_gadget(3, RGB(200, 30, 30), RGB(20, 40, 220));
        HDC dc = GetDC(field);
        back_brush = reinterpret_cast<HBRUSH>(
            SendMessageA(window, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(field)));
        ReleaseDC(field, dc);
        open_library(1, "mpr.dll");
        worker = thread_handle_if_running(create_thread(end_a_job_during_shutdown, 0));
        behind_watch = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(report_at_destruction)));
        end_runtime();
    }, testing::ExitedWithCode(0),
       "brush deleted 1, library freed 1, thread handle closed 1; worker's calls: timer 0, field 0, hidden 0, removed 0");
}

TEST(RuntimeDeathTest, RunningOutOfMemoryStopsTheProcess) {
    EXPECT_EXIT({
        fail_allocations_after(2);
        for (;;) main_allocate(64);
    }, testing::ExitedWithCode(OUT_OF_MEMORY_EXIT_CODE), "");
}

} // namespace
