// Windows by number and the event stream, driven by real messages and real X input.
#include <gtest/gtest.h>

#include "gui/controls.h"
#include "gui/windows.h"
#include "gui_support.h"

namespace {

using namespace rt;
using namespace gui_test;

constexpr UINT QUIET_MESSAGE = WM_USER + 100;  // raises no event of its own

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
        RECT rect;
        GetWindowRect(window, &rect);
        EXPECT_EQ(rect.left, (screen_width - width) / 2) << asked.cx;
        EXPECT_EQ(rect.top, (screen_height - height) / 2) << asked.cx;
        EXPECT_EQ(rect.right - rect.left, width) << "no border: the outer size is the inner size";
        EXPECT_EQ(rect.bottom - rect.top, height);
        EXPECT_EQ(GetPropA(window, "KV_WindowID"), reinterpret_cast<HANDLE>(1)) << "the number plus one";
    }
}

TEST_F(WindowTest, FlagsWithoutAStyleGiveACaptionAndAToolWindowLosesItsBoxes) {
    const struct {
        uint32_t flags;
        bool caption;
        LONG_PTR tool;
    } rows[] = {{WF_CENTER_SCREEN | WF_INVISIBLE, true, 0},
                {WS_POPUP, false, 0},
                {WF_TOOL | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, true, WS_EX_TOOLWINDOW}};
    for (const auto& row : rows) {
        HWND window = open(1, row.flags);
        LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
        EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, row.caption) << std::hex << row.flags;
        EXPECT_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, row.tool) << std::hex << row.flags;
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | 0x7)) << "nor the library's flags";
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(300L, 200L)) << "the client size";
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

class EventStreamTest : public WindowTest {
protected:
    void SetUp() override {
        window_ = static_cast<HWND>(open_window(0, 100, 100, 300, 200, "events", WS_OVERLAPPEDWINDOW));
        read_events();
    }
    // The window events the queue holds now, read without waiting.
    std::vector<int> queued(bool with_moves = true) {
        std::vector<int> codes;
        for (const SeenEvent& e : read_events(0))
            if ((with_moves && e.event == EV_MOVE_WINDOW) || e.event == EV_SIZE_WINDOW || e.event == EV_MINIMIZE ||
                e.event == EV_MAXIMIZE || e.event == EV_RESTORE || e.event == EV_CLOSE_WINDOW)
                codes.push_back(e.event);
        return codes;
    }
    void place(int x, int width = 0) {
        SetWindowPos(window_, nullptr, x, 100, width, 220, (width ? SWP_NOMOVE : SWP_NOSIZE) | SWP_NOZORDER | SWP_NOACTIVATE);
    }
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
}

TEST_F(EventStreamTest, MaximiseRestoreAndMinimiseGiveTheirSequences) {
    const std::pair<int, std::vector<int>> steps[] = {{SW_MAXIMIZE, {EV_MAXIMIZE, EV_SIZE_WINDOW}},
                                                      {SW_RESTORE, {EV_RESTORE, EV_SIZE_WINDOW}},
                                                      {SW_MINIMIZE, {EV_MINIMIZE}},
                                                      {SW_RESTORE, {EV_RESTORE, EV_SIZE_WINDOW}}};
    for (const auto& [command, sequence] : steps) {
        ShowWindow(window_, command);
        EXPECT_EQ(queued(false), sequence) << "show command " << command;
    }
}

// A text field's change notification, sent while no wait runs, raises its event then.
TEST_F(EventStreamTest, AnEventRaisedBetweenWaitsComesAfterTheNextDispatchOrGivesWayToQueuedOnes) {
    text_field_gadget(5, 10, 10, 120, 20, "");
    read_events();
    set_gadget_text(5, "changed");
    PostMessageA(window_, QUIET_MESSAGE, 0, 0);
    EXPECT_EQ(next_window_event(0), EV_GADGET) << "the quiet message raised nothing of its own";
    EXPECT_EQ(event_type(), -1) << "the type was reset when the wait began";
    EXPECT_TRUE(only(read_events(0), EV_GADGET).empty()) << "returned once";
    EXPECT_EQ(next_window_event(30), 0);
    EXPECT_EQ(event_gadget(), 5) << "an empty wait leaves the accessors on the last event";
    set_gadget_text(5, "again");
    SendMessageA(window_, WM_CLOSE, 0, 0);
    PostMessageA(window_, QUIET_MESSAGE, 0, 0);
    EXPECT_EQ(next_window_event(0), EV_CLOSE_WINDOW);
    EXPECT_EQ(next_window_event(0), static_cast<int>(QUIET_MESSAGE)) << "the change event was dropped";
}

TEST_F(EventStreamTest, TabMovesOverEnabledVisibleTabStopsAndWraps) {
    HWND first = static_cast<HWND>(button_gadget(1, 10, 10, 60, 24, "1"));
    EnableWindow(static_cast<HWND>(button_gadget(2, 80, 10, 60, 24, "2")), FALSE);
    HWND second = static_cast<HWND>(text_field_gadget(3, 10, 50, 100, 20, ""));
    ShowWindow(static_cast<HWND>(button_gadget(4, 150, 10, 60, 24, "4")), SW_HIDE);
    frame_gadget(5, 10, 100, 100, 50, "no tab stop");
    HWND last = static_cast<HWND>(button_gadget(6, 150, 50, 60, 24, "6"));
    SetForegroundWindow(window_);
    read_events();
    const std::tuple<HWND, const char*, HWND> steps[] = {
        {first, "Tab", second},      {second, "Tab", last},       {last, "Tab", first},        {first, "shift+Tab", last},
        {last, "shift+Tab", second}, {window_, "Tab", first},     {window_, "shift+Tab", last}};  // window_: no focus
    for (const auto& [from, keys, to] : steps) {
        SetFocus(from);
        events_during_input(std::string("key ") + keys);
        EXPECT_EQ(GetFocus(), to) << keys << " from control " << GetDlgCtrlID(from);
    }
}

} // namespace
