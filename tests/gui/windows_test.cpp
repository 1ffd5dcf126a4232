// Windows by number and the event stream, driven by real messages and real X input.
#include <gtest/gtest.h>

#include "gui/controls.h"
#include "gui/windows.h"
#include "gui_support.h"

namespace {

using namespace rt;
using namespace gui_test;

class WindowTest : public testing::Test {
protected:
    void TearDown() override {
        for (intptr_t number : {0, 1, 2, 3}) close_window(number);
        read_events(20);
    }
    HWND open(intptr_t number, uint32_t flags = 0, HWND owner = nullptr) {
        return static_cast<HWND>(open_window(number, 10, 10, 300, 200, "w", flags, owner));
    }
};

// Also run on a screen smaller than the converter's window (gui_test_small_screen).
TEST_F(WindowTest, WindowsAreCutToTheScreenAndCentredOnIt) {
    const LONG screen_width = GetSystemMetrics(SM_CXSCREEN), screen_height = GetSystemMetrics(SM_CYSCREEN);
    for (SIZE asked : {SIZE{700, 440}, SIZE{screen_width + 300, screen_height + 200}}) {
        auto window = static_cast<HWND>(open_window(0, 0, 0, asked.cx, asked.cy, "c", 0x90000001));  // the converter's
        const LONG width = std::min(asked.cx, screen_width), height = std::min(asked.cy, screen_height);
        RECT rect, expected{(screen_width - width) / 2, (screen_height - height) / 2, 0, 0};
        expected.right = expected.left + width, expected.bottom = expected.top + height;  // no border
        GetWindowRect(window, &rect);
        EXPECT_TRUE(EqualRect(&rect, &expected)) << asked.cx << " x " << asked.cy;
        EXPECT_EQ(GetPropA(window, "KV_WindowID"), reinterpret_cast<HANDLE>(1)) << "the number plus one";
        EXPECT_FALSE(IsWindowVisible(window)) << "created invisible";
        hide_window(0, 0);
        EXPECT_TRUE(IsWindowVisible(window));
        hide_window(0, 1);
        EXPECT_FALSE(IsWindowVisible(window));
    }
}

// The handle value of a destroyed window may be given to a later one: the number must not name it.
TEST_F(WindowTest, ReusingANumberOrDestroyingItsWindowGivesTheNumberBack) {
    HWND first = open(2), owner = open(1), owned = open(2, 0, owner);
    EXPECT_FALSE(IsWindow(first)) << "opening a number again closes its window";
    EXPECT_EQ(window_handle(2), owned);
    DestroyWindow(open(3));
    DestroyWindow(owner);  // takes the window it owns with it
    for (intptr_t number : {1, 2, 3}) EXPECT_EQ(hide_window(number, 0), FALSE) << number;
    EXPECT_EQ(add_window_timer(3, 2, 100), 0u);
    EXPECT_EQ(window_handle(3), open(3)) << "the number can be opened again";
    EXPECT_EQ(open_window(-5, 0, 0, 10, 10, "bad", 0), nullptr) << "a negative number other than -1";
}

int colour_changes_heard;
WNDPROC procedure_behind_listener;
LRESULT CALLBACK listen_for_colour_changes(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    colour_changes_heard += message == WM_SYSCOLORCHANGE;
    return CallWindowProcA(procedure_behind_listener, control, message, wparam, lparam);
}

class EventStreamTest : public WindowTest {
protected:
    void SetUp() override {
        window_ = static_cast<HWND>(open_window(0, 100, 100, 300, 200, "events", WF_TOOL | WS_OVERLAPPEDWINDOW));
        read_events();
    }
    // The codes among `codes` of the events the queue holds now, read without waiting.
    std::vector<int> queued(std::vector<int> codes = {EV_MOVE_WINDOW, EV_SIZE_WINDOW, EV_CLOSE_WINDOW}) {
        std::vector<int> seen;
        for (const SeenEvent& e : read_events(0))
            if (std::find(codes.begin(), codes.end(), e.event) != codes.end()) seen.push_back(e.event);
        return seen;
    }
    void place(int x, int width = 0) {
        SetWindowPos(window_, nullptr, x, 100, width, 220, (width ? SWP_NOMOVE : SWP_NOSIZE) | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    HWND button(intptr_t number, int x, int y) { return static_cast<HWND>(button_gadget(number, x, y, 60, 24, "b")); }
    HWND window_ = nullptr;
};

TEST_F(EventStreamTest, EqualEventsInARowCollapseAndACloseRequestLeavesTheWindow) {
    place(120), place(140);
    SendMessageA(window_, WM_CLOSE, 0, 0);
    SendMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(queued(), (std::vector<int>{EV_MOVE_WINDOW, EV_CLOSE_WINDOW}));
    EXPECT_TRUE(IsWindow(window_));
    place(160), place(0, 320), place(180);
    EXPECT_EQ(queued(), (std::vector<int>{EV_MOVE_WINDOW, EV_SIZE_WINDOW, EV_MOVE_WINDOW}));
    const std::pair<int, std::vector<int>> shows[] = {{SW_MAXIMIZE, {EV_MAXIMIZE, EV_SIZE_WINDOW}},
                                                      {SW_RESTORE, {EV_RESTORE, EV_SIZE_WINDOW}},
                                                      {SW_MINIMIZE, {EV_MINIMIZE}},
                                                      {SW_RESTORE, {EV_RESTORE, EV_SIZE_WINDOW}}};
    for (const auto& [command, sequence] : shows) {
        ShowWindow(window_, command);
        EXPECT_EQ(queued({EV_SIZE_WINDOW, EV_MINIMIZE, EV_MAXIMIZE, EV_RESTORE}), sequence) << "show " << command;
    }
}

// Controls hear of a change of the system's colours only through their window.
TEST_F(EventStreamTest, ASystemColourChangeIsPassedOnToTheControls) {
    procedure_behind_listener = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(button(1, 10, 10), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listen_for_colour_changes)));
    SendMessageA(window_, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(colour_changes_heard, 1);
}

// A text field's change notification, sent while no wait runs, raises its event then.
TEST_F(EventStreamTest, AnEventRaisedBetweenWaitsComesAfterTheNextDispatchOrGivesWayToQueuedOnes) {
    constexpr UINT QUIET = WM_USER + 100;  // raises no event of its own
    text_field_gadget(5, 10, 10, 120, 20, "");
    read_events();
    set_gadget_text(5, "changed");
    PostMessageA(window_, QUIET, 0, 0);
    EXPECT_EQ(next_window_event(0), EV_GADGET);
    EXPECT_EQ(event_type(), -1) << "the type was reset when the wait began";
    EXPECT_TRUE(only(read_events(0), EV_GADGET).empty()) << "returned once";
    EXPECT_EQ(next_window_event(30), 0);
    EXPECT_EQ(event_gadget(), 5) << "an empty wait leaves the accessors on the last event";
    set_gadget_text(5, "again");
    SendMessageA(window_, WM_CLOSE, 0, 0);
    PostMessageA(window_, QUIET, 0, 0);
    EXPECT_EQ(next_window_event(0), EV_CLOSE_WINDOW);
    EXPECT_EQ(next_window_event(0), static_cast<int>(QUIET)) << "the change event was dropped";
}

// window_ has no focus to move from.
TEST_F(EventStreamTest, TabMovesOverEnabledVisibleTabStopsAndWraps) {
    HWND first = button(1, 10, 10), second = static_cast<HWND>(text_field_gadget(3, 10, 50, 100, 20, "")), last = button(6, 150, 50);
    EnableWindow(button(2, 80, 10), FALSE);
    ShowWindow(button(4, 150, 10), SW_HIDE);
    frame_gadget(5, 10, 100, 100, 50, "no tab stop");
    SetForegroundWindow(window_);
    read_events();
    const std::tuple<HWND, const char*, HWND> steps[] = {
        {first, "Tab", second},      {second, "Tab", last},   {last, "Tab", first},        {first, "shift+Tab", last},
        {last, "shift+Tab", second}, {window_, "Tab", first}, {window_, "shift+Tab", last}};
    for (const auto& [from, keys, to] : steps) {
        SetFocus(from);
        events_during_input(std::string("key ") + keys);
        EXPECT_EQ(GetFocus(), to) << keys << " from control " << GetDlgCtrlID(from);
    }
}

} // namespace
