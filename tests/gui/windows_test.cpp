// Windows by number and the event stream, driven by real messages and real X input.
#include <gtest/gtest.h>

#include "gui/controls.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "gui_support.h"

#include "core/objects.h"

namespace {

using namespace rt;
using namespace gui_test;

constexpr uint32_t CONVERTER_FLAGS = 0x90000001;
const char* const CONVERTER_TITLE = "\xCE\xEA\xED\xEE";  // "Окно" in Windows-1251

RECT window_rect(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
}

LONG_PTR style_of(HWND window) { return GetWindowLongPtrA(window, GWL_STYLE); }

class WindowTest : public testing::Test {
protected:
    void SetUp() override { read_events(20); }
    void TearDown() override {
        for (intptr_t number : {0, 1, 2, 3}) close_window(number);
        read_events(20);
    }
};

TEST_F(WindowTest, TheConverterWindowIsCentredOnTheScreenBorderlessAndHiddenUntilShown) {
    HWND window = static_cast<HWND>(open_window(0, 0, 0, 700, 440, CONVERTER_TITLE, CONVERTER_FLAGS));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window_handle(0), window) << "a numbered window answers with its native handle";
    int screen_width = GetSystemMetrics(SM_CXSCREEN), screen_height = GetSystemMetrics(SM_CYSCREEN);
    int width = screen_width < 700 ? screen_width : 700, height = screen_height < 440 ? screen_height : 440;
    RECT rect = window_rect(window);
    EXPECT_EQ(rect.left, (screen_width - width) / 2) << "610 on a 1920x1080 screen, 0 on a smaller one";
    EXPECT_EQ(rect.top, (screen_height - height) / 2) << "320 on a 1920x1080 screen";
    EXPECT_EQ(rect.right - rect.left, width) << "no border: the outer size is the inner size";
    EXPECT_EQ(rect.bottom - rect.top, height);
    EXPECT_TRUE(style_of(window) & WS_POPUP);
    EXPECT_FALSE(style_of(window) & WS_CAPTION);
    EXPECT_FALSE(IsWindowVisible(window)) << "created invisible";
    char title[16] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, CONVERTER_TITLE);
    char class_name[32] = {};
    GetClassNameA(window, class_name, sizeof class_name);
    EXPECT_STREQ(class_name, "WindowClass_0");
    EXPECT_EQ(GetPropA(window, "KV_WindowID"), reinterpret_cast<HANDLE>(1)) << "the number plus one";
    hide_window(0, 0);
    EXPECT_TRUE(IsWindowVisible(window));
    hide_window(0, 1);
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(WindowTest, AWindowLargerThanTheScreenIsCutToItAndPlacedTopLeft) {
    int screen_width = GetSystemMetrics(SM_CXSCREEN), screen_height = GetSystemMetrics(SM_CYSCREEN);
    HWND window = static_cast<HWND>(
        open_window(1, 0, 0, screen_width + 300, screen_height + 200, "big", CONVERTER_FLAGS));
    RECT rect = window_rect(window);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, screen_width);
    EXPECT_EQ(rect.bottom, screen_height);
}

TEST_F(WindowTest, WindowsAskedForWithoutStylesGetACaption) {
    struct Row {
        uint32_t flags;
        bool caption;
    } rows[] = {
        {0, true},
        {WF_CENTER_SCREEN, true},
        {WF_CENTER_SCREEN | WF_INVISIBLE, true},
        {WS_POPUP, false},
        {WS_POPUP | WF_TOOL, true},
    };
    for (const Row& row : rows) {
        HWND window = static_cast<HWND>(open_window(1, 10, 10, 300, 200, "styles", row.flags));
        ASSERT_NE(window, nullptr);
        EXPECT_EQ((style_of(window) & WS_CAPTION) == WS_CAPTION, row.caption) << "flags " << std::hex << row.flags;
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(client.right, 300) << "the size given is the client size, flags " << std::hex << row.flags;
        EXPECT_EQ(client.bottom, 200) << "flags " << std::hex << row.flags;
        EXPECT_FALSE(style_of(window) & 0x7) << "the library's flags are no styles";
    }
}

TEST_F(WindowTest, AToolWindowLosesItsMinimiseAndMaximiseBoxes) {
    HWND window = static_cast<HWND>(
        open_window(1, 10, 10, 200, 100, "tool", WF_TOOL | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(style_of(window) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(style_of(window) & WS_SYSMENU) << "other styles pass through";
}

TEST_F(WindowTest, ADynamicWindowIsNamedByItsRecord) {
    void* identity = open_window(DYNAMIC_NUMBER, 10, 10, 200, 100, "dynamic", 0);
    ASSERT_NE(identity, nullptr);
    auto number = reinterpret_cast<intptr_t>(identity);
    HWND window = window_handle(number);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_NE(static_cast<void*>(window), identity) << "the identity is the record, not the window";
    EXPECT_EQ(GetPropA(window, "KV_WindowID"), reinterpret_cast<HANDLE>(number + 1));
    close_window(number);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(window_handle(number), nullptr);
}

TEST_F(WindowTest, ReusingANumberClosesTheWindowItHeld) {
    HWND first = static_cast<HWND>(open_window(2, 10, 10, 200, 100, "first", 0));
    HWND second = static_cast<HWND>(open_window(2, 10, 10, 200, 100, "second", 0));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(window_handle(2), second);
    close_window(2);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(window_handle(2), nullptr);
}

// The handle value of a window destroyed behind the runtime's back may be given to a later window;
// the number must not go on naming it.
TEST_F(WindowTest, AWindowDestroyedOtherThanByClosingGivesItsNumberBack) {
    auto owner = static_cast<HWND>(open_window(1, 10, 10, 200, 100, "owner", 0));
    open_window(2, 30, 30, 200, 100, "owned", 0, owner);
    close_window(2);
    EXPECT_EQ(window_handle(1), owner) << "closing an owned window leaves its owner's number alone";
    open_window(2, 30, 30, 200, 100, "owned", 0, owner);
    auto lone = static_cast<HWND>(open_window(3, 50, 50, 200, 100, "lone", 0));
    DestroyWindow(lone);
    DestroyWindow(owner);  // takes the window it owns with it
    for (intptr_t number : {1, 2, 3}) {
        EXPECT_EQ(window_handle(number), nullptr) << "window " << number;
        EXPECT_EQ(hide_window(number, 0), FALSE) << "window " << number;
    }
    HWND reopened = static_cast<HWND>(open_window(3, 50, 50, 200, 100, "again", 0));
    EXPECT_EQ(window_handle(3), reopened) << "the number can be opened again";
}

TEST_F(WindowTest, NumbersThatHoldNoWindowDoNothing) {
    EXPECT_EQ(window_handle(3), nullptr);
    EXPECT_EQ(hide_window(3, 1), FALSE);
    EXPECT_EQ(add_window_timer(3, 2, 100), 0u);
    EXPECT_EQ(remove_window_timer(3, 2), FALSE);
    close_window(3);
    EXPECT_EQ(window_handle(12345), nullptr) << "a number beyond the table";
    EXPECT_EQ(open_window(-5, 0, 0, 10, 10, "bad", 0), nullptr) << "a negative number other than -1";
}

// --- The event stream ----------------------------------------------------------------------------

class EventStreamTest : public WindowTest {
protected:
    void SetUp() override {
        window_ = static_cast<HWND>(open_window(0, 100, 100, 300, 200, "events", WS_OVERLAPPEDWINDOW));
        read_events();
    }
    // The window events that the queue holds now, read without waiting.
    std::vector<int> queued_window_events() {
        std::vector<int> codes;
        for (const SeenEvent& e : read_events(0))
            if (e.event == EV_MOVE_WINDOW || e.event == EV_SIZE_WINDOW || e.event == EV_MINIMIZE ||
                e.event == EV_MAXIMIZE || e.event == EV_RESTORE)
                codes.push_back(e.event);
        return codes;
    }
    HWND window_ = nullptr;
};

TEST_F(EventStreamTest, ACloseRequestIsAnEventAndTheWindowStays) {
    SendMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(next_window_event(0), EV_CLOSE_WINDOW);
    EXPECT_EQ(event_window(), 0);
    EXPECT_TRUE(IsWindow(window_)) << "a close request never closes the window by itself";
}

TEST_F(EventStreamTest, AltF4IsACloseRequest) {
    ASSERT_TRUE(SetForegroundWindow(window_));
    read_events();
    auto closes = only(events_during_input("key alt+F4"), EV_CLOSE_WINDOW);
    ASSERT_EQ(closes.size(), 1u);
    EXPECT_EQ(closes[0].window, 0);
    EXPECT_TRUE(IsWindowVisible(window_));
}

TEST_F(EventStreamTest, EqualEventsInARowCollapse) {
    SetWindowPos(window_, nullptr, 120, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(window_, nullptr, 140, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(queued_window_events(), std::vector<int>{EV_MOVE_WINDOW}) << "two moves, one event";
    SetWindowPos(window_, nullptr, 160, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(window_, nullptr, 0, 0, 320, 220, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(window_, nullptr, 180, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(queued_window_events(), (std::vector<int>{EV_MOVE_WINDOW, EV_SIZE_WINDOW, EV_MOVE_WINDOW}));
}

TEST_F(EventStreamTest, MaximiseRestoreAndMinimiseGiveTheirSequences) {
    auto without_moves = [this] {
        std::vector<int> codes;
        for (int code : queued_window_events())
            if (code != EV_MOVE_WINDOW) codes.push_back(code);
        return codes;
    };
    ShowWindow(window_, SW_MAXIMIZE);
    EXPECT_EQ(without_moves(), (std::vector<int>{EV_MAXIMIZE, EV_SIZE_WINDOW}));
    ShowWindow(window_, SW_RESTORE);
    EXPECT_EQ(without_moves(), (std::vector<int>{EV_RESTORE, EV_SIZE_WINDOW}));
    ShowWindow(window_, SW_MINIMIZE);
    EXPECT_EQ(without_moves(), std::vector<int>{EV_MINIMIZE}) << "no size event for a minimise";
    ShowWindow(window_, SW_RESTORE);
    EXPECT_EQ(without_moves(), (std::vector<int>{EV_RESTORE, EV_SIZE_WINDOW}));
}

TEST_F(EventStreamTest, TimerTicksAreTimerEventsUntilTheTimerIsRemoved) {
    ASSERT_NE(add_window_timer(0, 2, 20), 0u);
    int event;
    do event = next_window_event(2000);
    while (event != 0 && event != EV_TIMER);
    ASSERT_EQ(event, EV_TIMER);
    EXPECT_EQ(event_timer(), 2);
    EXPECT_EQ(event_window(), 0);
    EXPECT_EQ(event_gadget(), 2) << "the timer id and the gadget number are one field";
    EXPECT_TRUE(remove_window_timer(0, 2));
    Sleep(60);
    EXPECT_TRUE(only(read_events(), EV_TIMER).empty()) << "no tick after the timer is removed";
}

TEST_F(EventStreamTest, PollingAnEmptyQueueAnswersZeroAndKeepsTheLastEvent) {
    PostMessageA(window_, MSG_GADGET_EVENT, 44, 5);
    ASSERT_EQ(next_window_event(0), EV_GADGET);
    read_events(0);
    EXPECT_EQ(next_window_event(0), 0);
    EXPECT_EQ(next_window_event(30), 0) << "a timed wait that sees nothing";
    EXPECT_EQ(event_gadget(), 44) << "the accessors still answer for the last event";
    EXPECT_EQ(event_type(), 5);
}

TEST_F(EventStreamTest, APressOnTheBackgroundComesBackAsARawButtonDown) {
    SetForegroundWindow(window_);
    auto presses = only(events_during_input(screen_point(window_, 150, 100) + " click 1"), WM_LBUTTONDOWN);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].window, 0) << "with the window's number";
    park_mouse();
}

TEST_F(EventStreamTest, APostedGadgetEventComesBackWithTheGadgetsNumberAndType) {
    HWND button = static_cast<HWND>(button_gadget(7, 10, 10, 80, 24, "b"));
    post_gadget_event(button, 14002);
    auto gadget_events = only(read_events(), EV_GADGET);
    ASSERT_EQ(gadget_events.size(), 1u);
    EXPECT_EQ(gadget_events[0].gadget, 7);
    EXPECT_EQ(gadget_events[0].type, 14002);
    EXPECT_EQ(gadget_events[0].window, 0);
}

TEST_F(EventStreamTest, AnEventRaisedBetweenWaitsIsReturnedAfterTheNextDispatch) {
    text_field_gadget(5, 10, 10, 120, 20, "");
    read_events();
    set_gadget_text(5, "changed");  // the edit control's change notification arrives now
    constexpr UINT QUIET = WM_USER + 100;
    PostMessageA(window_, QUIET, 0, 0);
    EXPECT_EQ(next_window_event(0), EV_GADGET) << "the quiet message raised nothing of its own";
    EXPECT_EQ(event_gadget(), 5);
    EXPECT_EQ(event_type(), -1) << "the type was reset when the wait began";
    EXPECT_TRUE(only(read_events(0), EV_GADGET).empty()) << "returned once";
}

TEST_F(EventStreamTest, QueuedEventsGoFirstAndDropTheEventRaisedBetweenWaits) {
    text_field_gadget(5, 10, 10, 120, 20, "");
    read_events();
    set_gadget_text(5, "changed");
    SendMessageA(window_, WM_CLOSE, 0, 0);
    constexpr UINT QUIET = WM_USER + 100;
    PostMessageA(window_, QUIET, 0, 0);
    EXPECT_EQ(next_window_event(0), EV_CLOSE_WINDOW);
    EXPECT_EQ(next_window_event(0), static_cast<int>(QUIET)) << "the change event was dropped";
}

// --- Focus navigation --------------------------------------------------------------------------

class TabTest : public WindowTest {
protected:
    void SetUp() override {
        window_ = static_cast<HWND>(open_window(0, 100, 100, 300, 200, "tabs", WS_OVERLAPPEDWINDOW));
        first_ = static_cast<HWND>(button_gadget(1, 10, 10, 60, 24, "1"));
        HWND disabled = static_cast<HWND>(button_gadget(2, 80, 10, 60, 24, "2"));
        second_ = static_cast<HWND>(text_field_gadget(3, 10, 50, 100, 20, ""));
        HWND hidden = static_cast<HWND>(button_gadget(4, 150, 10, 60, 24, "4"));
        frame_gadget(5, 10, 100, 100, 50, "no tab stop");
        last_ = static_cast<HWND>(button_gadget(6, 150, 50, 60, 24, "6"));
        EnableWindow(disabled, FALSE);
        ShowWindow(hidden, SW_HIDE);
        SetForegroundWindow(window_);
        read_events();
    }
    HWND focus_after(const char* keys) {
        events_during_input(std::string("key ") + keys);
        return GetFocus();
    }
    HWND window_ = nullptr, first_ = nullptr, second_ = nullptr, last_ = nullptr;
};

TEST_F(TabTest, TabMovesOverEnabledVisibleTabStopsAndWraps) {
    ASSERT_EQ(GetActiveWindow(), window_);
    SetFocus(first_);
    EXPECT_EQ(focus_after("Tab"), second_) << "the disabled and the hidden button are passed over";
    EXPECT_EQ(focus_after("Tab"), last_) << "the frame is no tab stop";
    EXPECT_EQ(focus_after("Tab"), first_) << "Tab from the last wraps to the first";
    EXPECT_EQ(focus_after("shift+Tab"), last_) << "Shift+Tab from the first wraps to the last";
    EXPECT_EQ(focus_after("shift+Tab"), second_);
}

TEST_F(TabTest, WithNoFocusedControlTabGoesToTheFirstAndShiftTabToTheLast) {
    SetFocus(window_);
    EXPECT_EQ(focus_after("Tab"), first_);
    SetFocus(window_);
    EXPECT_EQ(focus_after("shift+Tab"), last_);
}

} // namespace
