// Windows by number, the event stream, gadgets and window backgrounds, driven by real messages and X input, seen in pixels.
#include <gtest/gtest.h>

#include "core/objects.h"
#include "graphics/images.h"
#include "gui/colours.h"
#include "gui/controls.h"
#include "gui/gadgets.h"
#include "gui/hyperlink.h"
#include "gui/image_gadget.h"
#include "gui/window_background.h"
#include "gui/windows.h"
#include "gui_support.h"

#include <commctrl.h>

#include <cstdlib>
#include <functional>

namespace {

using namespace rt;
using namespace gui_test;

struct WindowTest : testing::Test {
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
        EXPECT_TRUE((hide_window(0, 0), IsWindowVisible(window)));
        EXPECT_FALSE((hide_window(0, 1), IsWindowVisible(window)));
    }
}

// The handle value of a destroyed window may be given to a later one: the number must not name it.
TEST_F(WindowTest, ReusingANumberOrDestroyingItsWindowGivesTheNumberBack) {
    HWND first = open(2), owner = open(1), owned = open(2, 0, owner);
    EXPECT_FALSE(IsWindow(first)) << "opening a number again closes its window";
    EXPECT_EQ(window_handle(2), owned);
    DestroyWindow(open(3)), DestroyWindow(owner);  // the owner takes the window it owns with it
    for (intptr_t number : {1, 2, 3}) EXPECT_EQ(hide_window(number, 0), FALSE) << number;
    EXPECT_EQ(add_window_timer(3, 2, 100), 0u);
    EXPECT_EQ(window_handle(3), open(3)) << "the number can be opened again";
    EXPECT_EQ(open_window(-5, 0, 0, 10, 10, "bad", 0), nullptr) << "a negative number other than -1";
}

// Centred on the owner window, but never above or left of the screen.
TEST_F(WindowTest, AWindowCentredOnItsOwnerStaysOnTheScreen) {
    const uint32_t POPUP = 0x80000000;  // no border: the outer size is the size asked for
    HWND owner = static_cast<HWND>(open_window(1, 10, 10, 300, 200, "owner", POPUP));
    for (auto [width, left] : {std::pair{100L, 110L}, {400L, 0L}}) {
        RECT rect;
        GetWindowRect(static_cast<HWND>(open_window(2, 0, 0, width, 50, "c", POPUP | WF_CENTER_PARENT, owner)), &rect);
        EXPECT_EQ(std::make_pair(rect.left, rect.top), std::make_pair(left, 85L)) << width;
    }
}

int colour_changes_heard;
WNDPROC procedure_behind_listener;
LRESULT CALLBACK listen_for_colour_changes(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    colour_changes_heard += message == WM_SYSCOLORCHANGE;
    return CallWindowProcA(procedure_behind_listener, control, message, wparam, lparam);
}

struct EventStreamTest : WindowTest {
    void SetUp() override { read_events(); }
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
    HWND window_ = static_cast<HWND>(open_window(0, 100, 100, 300, 200, "events", WF_TOOL | WS_OVERLAPPEDWINDOW));
};

TEST_F(EventStreamTest, EqualEventsInARowCollapseAndACloseRequestLeavesTheWindow) {
    place(120), place(140), SendMessageA(window_, WM_CLOSE, 0, 0), SendMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_EQ(queued(), (std::vector<int>{EV_MOVE_WINDOW, EV_CLOSE_WINDOW}));
    EXPECT_TRUE(IsWindow(window_));
    place(160), place(0, 320), place(180);
    EXPECT_EQ(queued(), (std::vector<int>{EV_MOVE_WINDOW, EV_SIZE_WINDOW, EV_MOVE_WINDOW}));
    const std::vector<int> restored{EV_RESTORE, EV_SIZE_WINDOW};
    const std::pair<int, std::vector<int>> shows[] = {
        {SW_MAXIMIZE, {EV_MAXIMIZE, EV_SIZE_WINDOW}}, {SW_RESTORE, restored}, {SW_MINIMIZE, {EV_MINIMIZE}}, {SW_RESTORE, restored}};
    for (const auto& [command, sequence] : shows)
        EXPECT_EQ((ShowWindow(window_, command), queued({EV_SIZE_WINDOW, EV_MINIMIZE, EV_MAXIMIZE, EV_RESTORE})), sequence) << command;
}

// Controls hear of a change of the system's colours only through their window.
TEST_F(EventStreamTest, ASystemColourChangeIsPassedOnToTheControls) {
    procedure_behind_listener = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(button(1, 10, 10), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listen_for_colour_changes)));
    SendMessageA(window_, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(colour_changes_heard, 1);
}

TEST_F(EventStreamTest, TimerTicksAreTimerEventsUntilTheTimerIsRemoved) {
    ASSERT_NE(add_window_timer(0, 2, 20), 0u);
    EXPECT_EQ(next_window_event(200), EV_TIMER);
    EXPECT_EQ(std::make_pair(event_timer(), event_window()), std::make_pair(intptr_t{2}, intptr_t{0}));
    EXPECT_TRUE(remove_window_timer(0, 2));
    read_events(0), Sleep(60);
    EXPECT_EQ(count_events(read_events(), EV_TIMER), 0u) << "no tick after the timer is removed";
}

// A menu's command, and a keyboard shortcut's other than the two that move the focus.
TEST_F(EventStreamTest, CommandsWithoutAControlAreMenuEvents) {
    for (auto [wparam, command] : {std::pair{WPARAM{7}, intptr_t{7}}, {MAKEWPARAM(9, 1), 9}}) {
        EXPECT_EQ((PostMessageA(window_, WM_COMMAND, wparam, 0), next_window_event(0)), EV_MENU) << wparam;
        EXPECT_EQ(event_gadget(), command) << wparam;
    }
}

// A text field's change notification, sent while no wait runs, raises its event then.
TEST_F(EventStreamTest, AnEventRaisedBetweenWaitsComesAfterTheNextDispatchOrGivesWayToQueuedOnes) {
    constexpr UINT QUIET = WM_USER + 100;  // raises no event of its own
    text_field_gadget(5, 10, 10, 120, 20, ""), read_events();
    set_gadget_text(5, "changed"), PostMessageA(window_, QUIET, 0, 0);
    EXPECT_EQ(next_window_event(0), EV_GADGET);
    EXPECT_EQ(event_type(), -1) << "the type was reset when the wait began";
    EXPECT_EQ(count_events(read_events(0), EV_GADGET), 0u) << "returned once";
    EXPECT_EQ(next_window_event(30), 0);
    EXPECT_EQ(event_gadget(), 5) << "an empty wait leaves the accessors on the last event";
    set_gadget_text(5, "again"), SendMessageA(window_, WM_CLOSE, 0, 0), PostMessageA(window_, QUIET, 0, 0);
    EXPECT_EQ(next_window_event(0), EV_CLOSE_WINDOW);
    EXPECT_EQ(next_window_event(0), static_cast<int>(QUIET)) << "the change event was dropped";
}

// The last two steps start from the window itself, where no control has the focus.
TEST_F(EventStreamTest, TabMovesOverEnabledVisibleTabStopsAndWraps) {
    HWND first = button(1, 10, 10), second = static_cast<HWND>(text_field_gadget(3, 10, 50, 100, 20, "")), last = button(6, 150, 50);
    EnableWindow(button(2, 80, 10), FALSE), ShowWindow(button(4, 150, 10), SW_HIDE);
    frame_gadget(5, 10, 100, 100, 50, "no tab stop"), SetForegroundWindow(window_), read_events();
    const std::tuple<HWND, const char*, HWND> steps[] = {
        {first, "Tab", second},      {second, "Tab", last},   {last, "Tab", first},        {first, "shift+Tab", last},
        {last, "shift+Tab", second}, {window_, "Tab", first}, {window_, "shift+Tab", last}};
    for (const auto& [from, keys, to] : steps)
        EXPECT_EQ((SetFocus(from), events_during_input(std::string("key ") + keys), GetFocus()), to) << keys << " " << GetDlgCtrlID(from);
}

constexpr COLORREF RED = RGB(200, 30, 30), GREY = RGB(162, 162, 162), WHITE = RGB(255, 255, 255);
constexpr RECT FLV_LABEL{250, 42, 275, 54};  // the converter's FLV label

struct GadgetTest : testing::Test { TestWindow window_; };

TEST_F(GadgetTest, ANumberNamesItsControlUntilTheNumberIsReusedOrTheControlOrItsWindowDestroyed) {
    HWND first = static_cast<HWND>(button_gadget(3, 10, 10, 80, 24, "first"));
    EXPECT_EQ(GetParent(first), window_.handle()) << "a control of the current list window";
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(first, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
    HWND second = static_cast<HWND>(text_field_gadget(3, 10, 40, 80, 20, "second"));
    EXPECT_FALSE(IsWindow(first)) << "reusing a number destroys the old control first";
    EXPECT_EQ(std::make_pair(gadget_handle(3), GetPropA(second, "KV_ID")), std::make_pair(second, HANDLE(3)));
    auto dynamic = reinterpret_cast<intptr_t>(button_gadget(DYNAMIC_NUMBER, 10, 10, 80, 24, "dynamic"));
    EXPECT_EQ(GetWindowLongPtrA(gadget_handle(dynamic), GWLP_ID), dynamic) << "the id holds the whole address";
    DestroyWindow(gadget_handle(dynamic));
    EXPECT_FALSE(is_gadget(dynamic)) << "destroying the control frees the record";
    open_window(1, 10, 10, 300, 200, "second", 0), button_gadget(5, 10, 10, 80, 24, "5");
    dynamic = reinterpret_cast<intptr_t>(progress_bar_gadget(DYNAMIC_NUMBER, 10, 60, 80, 10, 0, 100));
    EXPECT_FALSE((close_window(1), is_gadget(5) || is_gadget(dynamic))) << "closing a window frees its gadgets";
}

TEST_F(GadgetTest, NumbersWithoutAGadgetAndKindsWithoutAnOperationDoNothing) {
    EXPECT_FALSE(hide_gadget(9, 1) || disable_gadget(9, 1) || set_gadget_text(9, "x") || is_gadget(0x12345678));
    EXPECT_EQ(set_gadget_state(9, 1) + set_gadget_colour(9, FRONT_COLOUR, 0) + get_gadget_attribute(9, 1), 0);
    EXPECT_EQ(get_gadget_colour(9, FRONT_COLOUR), 0u);
    EXPECT_EQ(button_gadget(-7, 0, 0, 10, 10, "bad"), nullptr) << "a number no table can hold";
    EXPECT_EQ(GetWindow(window_.handle(), GW_CHILD), nullptr) << "and no control is left behind";
    HWND field = static_cast<HWND>(text_field_gadget(5, 10, 10, 120, 20, "text"));
    EXPECT_EQ(set_gadget_state(5, 1) + get_gadget_state(5), 0) << "a text field has no state";
    EXPECT_EQ((set_gadget_text(5, nullptr), GetWindowTextLengthA(field)), 0) << "no text is the empty text";
    frame_gadget(6, 10, 40, 100, 50, "frame");
    EXPECT_EQ(std::make_pair(get_gadget_colour(6, FRONT_COLOUR), set_gadget_colour(6, FRONT_COLOUR, 0)),
              std::make_pair(NO_COLOUR, intptr_t{0})) << "a frame has no colours";
}

TEST_F(GadgetTest, TheGadgetListIsTheWindowLastOpenedOrChosen) {
    const LONG_PTR procedure = GetWindowLongPtrA(window_.handle(), GWLP_WNDPROC);
    HWND second = static_cast<HWND>(open_window(1, 10, 10, 300, 200, "second", 0));
    HWND third = static_cast<HWND>(open_window(2, 10, 10, 300, 200, "third", WF_NO_GADGET_LIST));
    EXPECT_EQ(use_gadget_list(window_.handle()), second) << "opened last, unless asked not to be the list";
    EXPECT_EQ(GetWindowLongPtrA(window_.handle(), GWLP_WNDPROC), procedure) << "a window chosen again is subclassed once";
    EXPECT_EQ((use_gadget_list(third), GetParent(static_cast<HWND>(button_gadget(4, 0, 0, 10, 10, "")))), third);
    EXPECT_EQ((close_window(2), button_gadget(4, 0, 0, 10, 10, "")), nullptr) << "a destroyed list window is no list";
    use_gadget_list(window_.handle());
}

TEST_F(GadgetTest, AProgressBarHasItsRangeAndColours) {
    HWND bar = static_cast<HWND>(progress_bar_gadget(11, 25, 380, 650, 17, 0, 100));
    set_gadget_attribute(11, PROGRESS_MAXIMUM, 50), set_gadget_attribute(11, PROGRESS_MINIMUM, 10), set_gadget_state(11, 80);
    for (GadgetColour front : {GadgetColour{RED}, NO_COLOUR}) set_gadget_colour(11, FRONT_COLOUR, front);
    set_gadget_colour(11, BACK_COLOUR, RED);
    EXPECT_EQ(std::make_tuple(get_gadget_attribute(11, PROGRESS_MINIMUM), get_gadget_attribute(11, PROGRESS_MAXIMUM),
                              get_gadget_attribute(11, 3), get_gadget_state(11)),
              std::make_tuple(10, 50, 0, 50)) << "no attribute 3; a position beyond the range is clamped";
    EXPECT_EQ(std::make_tuple(get_gadget_colour(11, BACK_COLOUR), get_gadget_colour(11, 3), SendMessageA(bar, PBM_GETBKCOLOR, 0, 0),
                              SendMessageA(bar, PBM_GETBARCOLOR, 0, 0)),
              std::make_tuple(RED, NO_COLOUR, LRESULT(RED), LRESULT(CLR_DEFAULT))) << "no colour: the control's default";
}

TEST_F(GadgetTest, ATextFieldReportsFocusAndEditsAsEvents) {
    text_field_gadget(5, 25, 95, 350, 20, ""), button_gadget(7, 385, 95, 25, 20, "...");
    auto got = gadget_types(window_.input_at(100, 105, "click 1"), 5), typed = gadget_types(events_during_input("type abc"), 5);
    auto lost = gadget_types(window_.input_at(395, 105, "click 1"), 5);
    EXPECT_NE(std::find(got.begin(), got.end(), GADGET_GOT_FOCUS), got.end());
    EXPECT_EQ(std::count(typed.begin(), typed.end(), EN_CHANGE), 3) << "one change per character";
    EXPECT_NE(std::find(lost.begin(), lost.end(), GADGET_LOST_FOCUS), lost.end());
}

// A front colour alone goes on the highlight colour; a disabled field keeps the system's look.
TEST_F(GadgetTest, ATextFieldIsPaintedInItsColoursUnlessDisabled) {
    HWND field = static_cast<HWND>(text_field_gadget(5, 25, 95, 350, 20, "text"));
    const HBRUSH plain = window_.colours(field, WM_CTLCOLOREDIT).brush;
    set_gadget_colour(5, FRONT_COLOUR, RGB(0, 0, 255));
    EXPECT_EQ(window_.colours(field, WM_CTLCOLOREDIT).back, GetSysColor(COLOR_BTNHIGHLIGHT));
    text_field_gadget(6, 25, 125, 350, 20, "disabled"), disable_gadget(6, 1);
    for (intptr_t gadget : {5, 6}) set_gadget_colour(gadget, BACK_COLOUR, RED);
    EXPECT_EQ(window_.pixels({325, 103, 326, 104}).at(0, 0), RED) << "the field is painted in its back colour";
    EXPECT_NE(window_.pixels({325, 133, 326, 134}).at(0, 0), RED) << "not when disabled";
    for (int colour : {BACK_COLOUR, FRONT_COLOUR}) set_gadget_colour(5, colour, NO_COLOUR);
    EXPECT_EQ(window_.colours(field, WM_CTLCOLOREDIT).brush, plain) << "both gone: the system's look again";
}

// The mouse leaves labels over the background: Wine grabs no pointer for a capture, so a jump out would go unseen.
struct HyperlinkTest : GadgetTest {
    void SetUp() override { leave(); }
    void leave() { window_.input_at(350, 20); }
    // A label on the striped background, grey, white while hovered, as the converter makes them.
    HWND make_label(intptr_t number, const RECT& area, const char* text) {
        auto label = hyperlink_gadget(number, area.left, area.top, area.right - area.left, area.bottom - area.top, text, WHITE);
        colour_gadget(number, GREY, COLOUR_TRANSPARENT);
        set_gadget_colour(number, FRONT_COLOUR, GREY);
        return static_cast<HWND>(label);
    }
    Split label_split(COLORREF colour) { return split(window_.pixels(FLV_LABEL), FLV_LABEL, colour); }
};

TEST_F(HyperlinkTest, PaintsItsTextOnTheBackgroundTurnsWhileHoveredClicksOnEachReleaseAndTakesANewText) {
    HWND label = make_label(12, FLV_LABEL, "FLV");
    const Pixels normal = window_.pixels(FLV_LABEL);
    const Split plain = label_split(GREY), lit = (window_.input_at(262, 48), label_split(WHITE));
    EXPECT_TRUE(plain.coloured > 20 && plain.other == 0) << "grey text, and nothing else over the background";
    EXPECT_EQ(std::make_pair(GetCapture(), GetCursor()), std::make_pair(label, LoadCursorA(nullptr, IDC_HAND)));
    EXPECT_EQ(std::make_pair(lit.coloured, lit.other), std::make_pair(plain.coloured, 0)) << "the same text in white";
    EXPECT_EQ(gadget_types(events_during_input("click --repeat 2 --delay 60 1"), 12),
              (std::vector<int>{GADGET_CLICK, GADGET_CLICK})) << "a double click's second release too";
    window_.input_at(FLV_LABEL.right, FLV_LABEL.bottom);  // client (25, 12): the width and the height
    EXPECT_EQ(GetCapture(), label) << "the edges of the client rectangle are still inside";
    EXPECT_EQ((window_.input_at(262, FLV_LABEL.bottom + 1), GetCapture()), nullptr) << "one more pixel is outside";
    EXPECT_EQ((leave(), window_.pixels(FLV_LABEL)), normal) << "grey again, exactly as before, once the mouse has left";
    const Split narrow = (set_gadget_text(12, "i"), label_split(GREY));
    EXPECT_TRUE(narrow.other == 0 && narrow.coloured * 3 < plain.coloured) << "the old text is gone, not drawn over";
}

// Smoothed glyph edges drawn again at every hover change would build up unless the parent's picture is painted first.
TEST_F(HyperlinkTest, HoverChangesOfASmoothedLabelLeaveItsPixelsAsTheFirstHover) {
    const RECT area{300, 100, 360, 124};
    HWND label = make_label(14, area, "FLV");
    HFONT smoothed = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial");
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(smoothed), TRUE);
    ASSERT_EQ(SendMessageA(label, WM_GETFONT, 0, 0), reinterpret_cast<LRESULT>(smoothed)) << "the label keeps its font";
    const Pixels first = (window_.input_at(320, 112), window_.pixels(area));
    ASSERT_GT(split(first, area, WHITE).other, 0) << "the font smooths: edges between text and background";
    std::string cycles;
    for (int cycle = 0; cycle < 20; ++cycle)
        cycles += screen_point(window_.handle(), 350, 20) + " sleep 0.03 " + screen_point(window_.handle(), 320, 112) + " sleep 0.03 ";
    EXPECT_EQ((events_during_input(cycles), window_.pixels(area)), first) << "after 20 hover changes";
    leave(), DestroyWindow(label), DeleteObject(smoothed);
}

TEST_F(HyperlinkTest, ADisabledLabelShowsEmbossedTextAndIgnoresTheMouse) {
    make_label(12, FLV_LABEL, "FLV"), disable_gadget(12, 1);
    const Pixels disabled = window_.pixels(FLV_LABEL);
    const Split shadow = label_split(GetSysColor(COLOR_BTNSHADOW)), highlight = label_split(GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_GT(std::min(shadow.coloured, highlight.coloured), 10) << "the text in the shadow colour over its highlight";
    EXPECT_EQ(shadow.background + shadow.coloured + highlight.coloured, disabled.width * disabled.height) << "only";
    EXPECT_TRUE(gadget_types(window_.input_at(262, 48, "click 1"), 12).empty()) << "no click";
    EXPECT_EQ(window_.pixels(FLV_LABEL), disabled) << "no hover colour";
}

TEST_F(HyperlinkTest, ABackColourIsPaintedBehindTheTextAndItsBrushGivenBackWhenRemoved) {
    HWND label = static_cast<HWND>(hyperlink_gadget(12, 250, 42, 25, 12, "FLV", WHITE));
    EXPECT_EQ((set_gadget_colour(12, BACK_COLOUR, RED), get_gadget_colour(12, BACK_COLOUR)), RED);
    EXPECT_GT(label_split(RED).coloured, 200) << "the label's rectangle in its back colour";
    HBRUSH brush = window_.colours(label).brush;
    set_gadget_colour(12, BACK_COLOUR, NO_COLOUR);
    EXPECT_EQ(std::make_pair(GetObjectType(brush), label_split(RED).coloured), std::make_pair(0ul, 0)) << "brush deleted";
}

using PixelAt = std::function<uint32_t(int x, int y)>;  // a COLORREF with the alpha in its top byte
constexpr RECT BADGE{20, 11, 150, 61}, READ_OUT{520, 42, 670, 57};  // the converter's gadgets 20 and 21
constexpr int SKIN = 1, BADGE_IMAGE = 2, READ_OUT_IMAGE = 3;

// A different colour for every (x, y) below 1024; pictures of different seeds differ.
PixelAt pattern(int seed) {
    return [seed](int x, int y) { return RGB(x & 0xFF, y & 0xFF, (x >> 8 & 3) | (y >> 8 & 3) << 2 | seed << 4); };
}

// Writes every pixel of image `number`, 24- or 32-bit (y = 0 is its top row; alpha straight).
HBITMAP paint(intptr_t number, const PixelAt& pixel_at) {
    auto image = static_cast<HBITMAP>(image_handle(number));
    BITMAP b{};
    GetObjectA(image, sizeof b, &b);
    for (int i = 0, x = 0, y = 0; i < b.bmWidth * b.bmHeight; x = ++i % b.bmWidth, y = i / b.bmWidth) {
        uint8_t* p = static_cast<uint8_t*>(b.bmBits) + (b.bmHeight - 1 - y) * b.bmWidthBytes + x * b.bmBitsPixel / 8;
        const uint32_t pixel = pixel_at(x, y);
        p[0] = GetBValue(pixel), p[1] = GetGValue(pixel), p[2] = GetRValue(pixel);
        if (b.bmBitsPixel == 32) p[3] = static_cast<uint8_t>(pixel >> 24);
    }
    return image;
}

HBITMAP pattern_image(intptr_t number, int width, int height, int seed) {
    return create_image(number, width, height, 24), paint(number, pattern(seed));
}

struct PictureTest : GadgetTest {
    ~PictureTest() override {
        close_window(1);
        for (int number : {SKIN, BADGE_IMAGE, READ_OUT_IMAGE}) free_image(number);
    }
    HWND open_popup(int width, int height) {
        auto window = static_cast<HWND>(open_window(1, 0, 0, width, height, "tiles", 0x80000001));  // popup, centred
        return read_events(), window;
    }
    // "" when each channel of every pixel is within one step (the blend's rounding) of expected_at's; pixels start at origin.
    static std::string pixel_fault(const Pixels& pixels, POINT origin, const PixelAt& expected_at) {
        for (int i = 0, x = 0, y = 0; i < pixels.width * pixels.height; x = ++i % pixels.width, y = i / pixels.width)
            for (int shift : {0, 8, 16})
                if (std::abs(int(pixels.at(x, y) >> shift & 0xFF) - int(expected_at(origin.x + x, origin.y + y) >> shift & 0xFF)) > 1)
                    return "pixel " + std::to_string(x) + "," + std::to_string(y);
        return "";
    }
    static std::string tiling_fault(HWND window, int width, int height, int seed) {
        return pixel_fault(client_pixels(window), {}, [&](int x, int y) { return pattern(seed)(x % width, y % height); });
    }
    // The converter's window: window 0 with a 700 x 440 skin, and its format badge.
    HWND skinned_badge() {
        set_window_background_image(window_.handle(), pattern_image(SKIN, 700, 440, 1));
        return static_cast<HWND>(image_gadget(20, BADGE.left, BADGE.top, 130, 50, pattern_image(BADGE_IMAGE, 130, 50, 2)));
    }
};

TEST_F(PictureTest, ABackgroundIsTiledFromTheOriginAndASecondPictureReplacesTheFirst) {
    HWND window = open_popup(1000, 500);
    const int entry = set_window_background_image(window, pattern_image(SKIN, 700, 440, 1));
    EXPECT_EQ(tiling_fault(window, 700, 440, 1), "") << "tiles at (0,0), (0,440), (700,0), (700,440), cut at the edges";
    const LONG_PTR procedure = GetWindowLongPtrA(window, GWLP_WNDPROC);
    EXPECT_EQ(set_window_background_image(window, pattern_image(BADGE_IMAGE, 64, 32, 2)), entry) << "the same entry";
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), procedure) << "the window is subclassed once";
    EXPECT_EQ(tiling_fault(window, 64, 32, 2), "") << "only the new picture shows";
    close_window(1);
    EXPECT_EQ(set_window_background_image(open_popup(300, 100), paint(SKIN, pattern(1))), entry) << "a closed window's entry is free";
}

TEST_F(PictureTest, ABackgroundForNoWindowOrNoBitmapFails) {
    HWND destroyed = open_popup(10, 10), window = window_.handle();
    close_window(1);
    HBITMAP skin = pattern_image(SKIN, 50, 50, 1), brush = reinterpret_cast<HBITMAP>(GetStockObject(WHITE_BRUSH));
    for (const auto& [target, image] : {std::pair{HWND{}, skin}, {destroyed, skin}, {window, HBITMAP{}}, {window, brush}})
        EXPECT_EQ(set_window_background_image(target, image), 0) << target << " " << image;
    EXPECT_NE(GetClassLongPtrA(window, GCLP_HBRBACKGROUND), 0) << "the window's class keeps its brush";
}

TEST_F(PictureTest, ABackgroundDeletesTheClassBrushAndKeepsErasesFromTheWindowUntilShutdown) {
    HWND window = open_popup(200, 100);
    auto repaints = [window] {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return count_events(read_events(50), EV_REPAINT);
    };
    ASSERT_GT(repaints(), 0u) << "an erase raises EV_REPAINT";
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HBITMAP skin = pattern_image(SKIN, 50, 50, 1);
    SetClassLongPtrA(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush)), set_window_background_image(window, skin);
    EXPECT_EQ(std::make_pair(GetObjectType(brush), repaints()), std::make_pair(0ul, size_t{0})) << "brush deleted, no erase";
    EXPECT_GT((free_window_backgrounds(), repaints()), 0u) << "after shutdown the window is no longer tiled";
    set_window_background_image(window, skin);
    EXPECT_EQ(tiling_fault(window, 50, 50, 1), "") << "a picture set later is tiled again";
}

TEST_F(PictureTest, AnImageGadgetTakesTheSizeOfItsImageAndKeepsItsPlace) {
    ICONINFO parts{TRUE, 0, 0, CreateBitmap(24, 20, 1, 1, nullptr), new_dib(24, 20, 32)};
    HANDLE icon = CreateIconIndirect(&parts), bitmap = pattern_image(BADGE_IMAGE, 130, 50, 2);
    const std::tuple<HANDLE, DWORD, SIZE> cases[] = {
        {nullptr, 0, {150, 15}}, {bitmap, 0, {130, 50}}, {bitmap, WS_EX_CLIENTEDGE, {134, 54}}, {icon, 0, {24, 20}}};
    for (const auto& [image, ex_style, size] : cases) {
        RECT outer, expected{520, 42, 520 + size.cx, 42 + size.cy};  // an edge takes 2 pixels each side
        GetWindowRect(static_cast<HWND>(image_gadget(21, 520, 42, 150, 15, image, ex_style)), &outer);
        MapWindowPoints(nullptr, window_.handle(), reinterpret_cast<POINT*>(&outer), 2);
        EXPECT_TRUE(EqualRect(&outer, &expected)) << image << " " << ex_style;
        EXPECT_EQ(get_gadget_state(21), reinterpret_cast<intptr_t>(image));
    }
    DestroyIcon(static_cast<HICON>(icon)), DeleteObject(parts.hbmMask), DeleteObject(parts.hbmColor);
}

// The read-out: transparent (colour bytes ignored), white text, half-transparent orange premultiplied (channel * alpha >> 8).
TEST_F(PictureTest, APictureWithAlphaIsBlendedOverTheSkinOnceHoweverOftenItIsShown) {
    set_window_background_image(window_.handle(), pattern_image(SKIN, 700, 440, 1));
    image_gadget(21, READ_OUT.left, READ_OUT.top, 150, 15, nullptr);
    create_image(READ_OUT_IMAGE, 150, 15, 32);
    for (int text : {10, 60}) {  // the next second's text lies elsewhere
        auto read_out = [text](int x, int) -> uint32_t {
            return x >= text && x < text + 10 ? 0xFFFFFFFF : x >= 40 && x < 50 ? 0x803264C8 : 0x00FF0000;
        };
        paint(READ_OUT_IMAGE, read_out);
        for (int shown = 0; shown < 3; ++shown) set_gadget_state(21, reinterpret_cast<intptr_t>(image_handle(READ_OUT_IMAGE)));
        EXPECT_EQ(pixel_fault(window_.pixels(READ_OUT), {READ_OUT.left, READ_OUT.top}, [&](int x, int y) {
                      uint32_t pixel = read_out(x - READ_OUT.left, 0), skin = pattern(1)(x, y), alpha = pixel >> 24, blend = 0;
                      for (int shift : {0, 8, 16})
                          blend |= (((pixel >> shift & 0xFF) * alpha >> 8) + ((skin >> shift & 0xFF) * (255 - alpha) + 127) / 255) << shift;
                      return blend;
                  }), "") << "text at " << text;
    }
}

TEST_F(PictureTest, AnImageGadgetsClicksAndDoubleClicksHaveTheirTypes) {
    skinned_badge();
    const std::tuple<POINT, const char*, std::vector<int>> rows[] = {
        {{85, 36}, "click 1", {GADGET_CLICK}}, {{30, 20}, "click --repeat 2 --delay 60 1", {GADGET_CLICK, GADGET_DOUBLE_CLICK}},
        {{120, 50}, "click 3", {GADGET_RIGHT_CLICK}},
        {{70, 40}, "click --repeat 2 --delay 60 3", {GADGET_RIGHT_CLICK, GADGET_RIGHT_DOUBLE_CLICK}},
        {{140, 20}, "click 3", {GADGET_RIGHT_CLICK}}};  // the release ending a right double click was none
    for (const auto& [at, input, types] : rows) {
        EXPECT_EQ(gadget_types(window_.input_at(at.x, at.y, input), 20), types) << input;
        EXPECT_EQ(GetCapture(), nullptr) << input << ": the release gives the capture back";
    }
}

// Each drag starts at its own point, so that no press makes a double click with the one before.
TEST_F(PictureTest, ADragStartsOnceTheMouseMovesBeyondTheSystemsLimits) {
    HWND gadget = skinned_badge();
    const std::tuple<POINT, POINT, int> drags[] = {{{BADGE.left + 20, BADGE.top + 25}, {1, 0}, GetSystemMetrics(SM_CXDRAG)},
                                                   {{BADGE.left + 90, BADGE.top + 5}, {0, 1}, GetSystemMetrics(SM_CYDRAG)}};
    for (const auto& [from, step, limit] : drags) {
        auto to = [&, from = from, step = step](int distance, const char* then) {
            return gadget_types(window_.input_at(from.x + step.x * distance, from.y + step.y * distance, then), 20);
        };
        EXPECT_EQ(to(0, "mousedown 1"), std::vector<int>{GADGET_CLICK}) << "the press is the click";
        EXPECT_EQ(GetCapture(), gadget);
        EXPECT_TRUE(to(limit, "").empty()) << "the limit is inside";
        EXPECT_EQ(to(limit + 1, ""), std::vector<int>{GADGET_DRAG_START});
        EXPECT_EQ(GetCapture(), nullptr) << "a drag gives the capture back";
        EXPECT_TRUE(to(limit + 8, "mouseup 1").empty()) << "once per press";
    }
}

} // namespace
