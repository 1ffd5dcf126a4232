// Text fields, buttons and progress bars as the converter uses them: real controls, real input,
// pixels read back.
#include <gtest/gtest.h>

#include "gui/controls.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "gui_support.h"

#include <commctrl.h>

namespace {

using namespace rt;
using namespace gui_test;

constexpr COLORREF RED = RGB(200, 30, 30);

RECT client_rect(HWND window) {
    RECT rect;
    GetClientRect(window, &rect);
    return rect;
}

// The gadget's rectangle in its window's client coordinates.
RECT area_of(HWND gadget) {
    RECT rect;
    GetWindowRect(gadget, &rect);
    MapWindowPoints(nullptr, GetParent(gadget), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class ControlsTest : public testing::Test {
protected:
    void click(HWND gadget, std::vector<SeenEvent>* events = nullptr) {
        RECT area = area_of(gadget);
        auto seen = events_during_input(screen_point(window_.handle(), (area.left + area.right) / 2,
                                                     (area.top + area.bottom) / 2) + " click 1");
        if (events) *events = seen;
    }
    // What the window answers a control's colour request with, and the colours it set.
    struct ColourAnswer {
        LRESULT brush;
        COLORREF text, back;
    };
    ColourAnswer colour_answer(HWND control, UINT message) {
        HDC dc = GetDC(control);
        SetTextColor(dc, RGB(1, 1, 1));
        SetBkColor(dc, RGB(2, 2, 2));
        ColourAnswer answer{SendMessageA(window_.handle(), message, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(control)),
                            GetTextColor(dc), GetBkColor(dc)};
        ReleaseDC(control, dc);
        return answer;
    }
    TestWindow window_;
};

// --- Progress bars -----------------------------------------------------------------------------

TEST_F(ControlsTest, TheMarqueeBarAnimatesWhileSwitchedOnAndStopsWhenSwitchedOff) {
    HWND bar = static_cast<HWND>(progress_bar_gadget(10, 25, 380, 650, 17, 0, 100, PROGRESS_MARQUEE));
    EXPECT_TRUE(GetWindowLongPtrA(bar, GWL_STYLE) & PBS_MARQUEE);
    SendMessageA(bar, PBM_SETMARQUEE, 1, 50);
    Pixels first = client_pixels(window_.handle(), area_of(bar));
    read_events(300, 300);
    Pixels later = client_pixels(window_.handle(), area_of(bar));
    EXPECT_FALSE(first == later) << "the marquee moves";
    SendMessageA(bar, PBM_SETMARQUEE, 0, 0);
    read_events(100, 100);
    Pixels stopped = client_pixels(window_.handle(), area_of(bar));
    read_events(300, 300);
    EXPECT_EQ(client_pixels(window_.handle(), area_of(bar)), stopped) << "and stands still once stopped";
}

TEST_F(ControlsTest, APlainBarHasItsRangePositionAndLimits) {
    HWND bar = static_cast<HWND>(progress_bar_gadget(11, 25, 380, 650, 17, 0, 100));
    EXPECT_FALSE(GetWindowLongPtrA(bar, GWL_STYLE) & PBS_MARQUEE);
    EXPECT_EQ(get_gadget_attribute(11, PROGRESS_MINIMUM), 0);
    EXPECT_EQ(get_gadget_attribute(11, PROGRESS_MAXIMUM), 100);
    EXPECT_EQ(get_gadget_state(11), 0) << "a new bar stands at its minimum";
    set_gadget_attribute(11, PROGRESS_MAXIMUM, 50);
    EXPECT_EQ(get_gadget_attribute(11, PROGRESS_MINIMUM), 0);
    EXPECT_EQ(get_gadget_attribute(11, PROGRESS_MAXIMUM), 50);
    set_gadget_attribute(11, PROGRESS_MINIMUM, 10);
    EXPECT_EQ(get_gadget_attribute(11, PROGRESS_MINIMUM), 10);
    EXPECT_EQ(get_gadget_attribute(11, PROGRESS_MAXIMUM), 50);
    set_gadget_state(11, 80);
    EXPECT_EQ(get_gadget_state(11), 50) << "positions beyond the range are clamped";
    EXPECT_EQ(get_gadget_attribute(11, 3), 0) << "no such attribute";
}

TEST_F(ControlsTest, ABarPassesItsColoursToTheControlAndForgetsThemAgain) {
    HWND bar = static_cast<HWND>(progress_bar_gadget(11, 25, 380, 650, 17, 0, 100));
    EXPECT_EQ(get_gadget_colour(11, FRONT_COLOUR), NO_COLOUR);
    set_gadget_colour(11, FRONT_COLOUR, RED);
    set_gadget_colour(11, BACK_COLOUR, RGB(10, 200, 10));
    EXPECT_EQ(get_gadget_colour(11, FRONT_COLOUR), RED);
    EXPECT_EQ(get_gadget_colour(11, BACK_COLOUR), RGB(10, 200, 10));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(bar, PBM_GETBARCOLOR, 0, 0)), RED);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(bar, PBM_GETBKCOLOR, 0, 0)), RGB(10, 200, 10));
    set_gadget_colour(11, FRONT_COLOUR, NO_COLOUR);
    EXPECT_EQ(get_gadget_colour(11, FRONT_COLOUR), NO_COLOUR);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(bar, PBM_GETBARCOLOR, 0, 0)), CLR_DEFAULT)
        << "no colour is the control's default";
    EXPECT_EQ(get_gadget_colour(11, 3), NO_COLOUR) << "no such colour kind";
}

// --- Buttons -----------------------------------------------------------------------------------

TEST_F(ControlsTest, AClickOnAButtonIsOneEventAndOnADisabledButtonNone) {
    HWND start = static_cast<HWND>(button_gadget(9, 590, 330, 80, 40, "\xCF\xF3\xF1\xEA"));  // "Пуск"
    HWND browse = static_cast<HWND>(button_gadget(8, 385, 125, 25, 20, "..."));
    disable_gadget(8, 1);
    std::vector<SeenEvent> events;
    click(start, &events);
    auto clicks = only(events, EV_GADGET);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].gadget, 9);
    EXPECT_EQ(clicks[0].type, GADGET_CLICK);
    EXPECT_EQ(clicks[0].window, 0);
    click(browse, &events);
    EXPECT_TRUE(only(events, EV_GADGET).empty()) << "a disabled button raises no event";
}

// --- Text fields -------------------------------------------------------------------------------

TEST_F(ControlsTest, ATextFieldHasAClientEdgeUnlessAskedNot) {
    HWND edged = static_cast<HWND>(text_field_gadget(5, 25, 95, 350, 20, ""));
    HWND flat = static_cast<HWND>(text_field_gadget(6, 25, 125, 350, 20, "", TEXT_FIELD_NO_EDGE));
    EXPECT_TRUE(GetWindowLongPtrA(edged, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(client_rect(edged).right, 346) << "the edge takes two pixels on each side";
    EXPECT_FALSE(GetWindowLongPtrA(flat, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(client_rect(flat).right, 350);
    EXPECT_TRUE(GetWindowLongPtrA(flat, GWL_STYLE) & WS_TABSTOP);
}

TEST_F(ControlsTest, ATextFieldReportsFocusAndEditsAsEvents) {
    HWND field = static_cast<HWND>(text_field_gadget(5, 25, 95, 350, 20, ""));
    HWND button = static_cast<HWND>(button_gadget(7, 385, 95, 25, 20, "..."));
    std::vector<SeenEvent> events;
    click(field, &events);
    auto types = [](const std::vector<SeenEvent>& seen, intptr_t gadget) {
        std::vector<int> found;
        for (const SeenEvent& e : only(seen, EV_GADGET))
            if (e.gadget == gadget) found.push_back(e.type);
        return found;
    };
    auto focus = types(events, 5);
    EXPECT_NE(std::find(focus.begin(), focus.end(), EN_SETFOCUS), focus.end());
    EXPECT_NE(std::find(focus.begin(), focus.end(), GADGET_GOT_FOCUS), focus.end());
    auto typed = types(events_during_input("type abc"), 5);
    EXPECT_EQ(std::count(typed.begin(), typed.end(), EN_CHANGE), 3) << "one change per character";
    char text[8] = {};
    GetWindowTextA(field, text, sizeof text);
    EXPECT_STREQ(text, "abc");
    click(button, &events);
    auto lost = types(events, 5);
    EXPECT_NE(std::find(lost.begin(), lost.end(), EN_KILLFOCUS), lost.end());
    EXPECT_NE(std::find(lost.begin(), lost.end(), GADGET_LOST_FOCUS), lost.end());
}

TEST_F(ControlsTest, ATextFieldsColoursAnswerItsWindowsColourRequests) {
    HWND field = static_cast<HWND>(text_field_gadget(5, 25, 95, 350, 20, "text"));
    ColourAnswer plain = colour_answer(field, WM_CTLCOLOREDIT);
    EXPECT_EQ(plain.brush, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW))) << "the system's look";

    set_gadget_colour(5, FRONT_COLOUR, RGB(0, 0, 255));
    ColourAnswer front = colour_answer(field, WM_CTLCOLOREDIT);
    EXPECT_EQ(front.text, RGB(0, 0, 255));
    EXPECT_EQ(front.back, GetSysColor(COLOR_BTNHIGHLIGHT)) << "a front colour alone goes on the highlight colour";
    EXPECT_EQ(front.brush, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNHIGHLIGHT)));

    set_gadget_colour(5, BACK_COLOUR, RED);
    ColourAnswer both = colour_answer(field, WM_CTLCOLOREDIT);
    EXPECT_EQ(both.back, RED);
    EXPECT_EQ(client_pixels(field).at(300, 8), RED) << "the field is painted in its back colour";

    set_gadget_colour(5, BACK_COLOUR, NO_COLOUR);
    EXPECT_EQ(colour_answer(field, WM_CTLCOLOREDIT).brush, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNHIGHLIGHT)))
        << "with the front colour still set";
    set_gadget_colour(5, FRONT_COLOUR, NO_COLOUR);
    EXPECT_EQ(colour_answer(field, WM_CTLCOLOREDIT).brush, plain.brush) << "both gone: the system's look again";
}

TEST_F(ControlsTest, ADisabledFieldKeepsTheSystemsLookWhateverItsColour) {
    HWND disabled = static_cast<HWND>(text_field_gadget(6, 25, 125, 350, 20, "disabled"));
    disable_gadget(6, 1);
    set_gadget_colour(6, BACK_COLOUR, RED);
    EXPECT_NE(client_pixels(disabled).at(300, 8), RED);
}

TEST_F(ControlsTest, FieldsOfOneBackColourShareOneBrushUntilTheLastGoes) {
    HWND first = static_cast<HWND>(text_field_gadget(5, 25, 95, 350, 20, ""));
    HWND second = static_cast<HWND>(text_field_gadget(6, 25, 125, 350, 20, ""));
    set_gadget_colour(5, BACK_COLOUR, RED);
    set_gadget_colour(6, BACK_COLOUR, RED);
    auto brush = reinterpret_cast<HGDIOBJ>(colour_answer(first, WM_CTLCOLOREDIT).brush);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(colour_answer(second, WM_CTLCOLOREDIT).brush), brush);
    DestroyWindow(first);
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH)) << "still used by the second field";
    set_gadget_colour(6, BACK_COLOUR, RGB(1, 2, 3));
    EXPECT_EQ(GetObjectType(brush), 0u) << "deleted when the last user gives it back";
}

} // namespace
