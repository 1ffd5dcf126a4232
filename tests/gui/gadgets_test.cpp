// Gadgets: numbers and controls, the gadget list, parent messages, and the kinds the converter
// uses (text fields, progress bars, hyperlink labels), by real messages, real X input and pixels.
#include <gtest/gtest.h>

#include "core/objects.h"
#include "gui/colours.h"
#include "gui/controls.h"
#include "gui/gadgets.h"
#include "gui/hyperlink.h"
#include "gui/windows.h"
#include "gui_support.h"

#include <commctrl.h>

namespace {

using namespace rt;
using namespace gui_test;

constexpr COLORREF RED = RGB(200, 30, 30), GREY = RGB(162, 162, 162), WHITE = RGB(255, 255, 255);
constexpr RECT FLV_LABEL{250, 42, 275, 54};  // the converter's FLV label

class GadgetTest : public testing::Test {
protected:
    TestWindow window_;
};

TEST_F(GadgetTest, ANumberNamesItsControlUntilTheNumberIsReusedOrTheControlDestroyed) {
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
}

TEST_F(GadgetTest, ClosingAWindowFreesItsGadgetsAndAGrownTableKeepsTheOthers) {
    open_window(1, 10, 10, 300, 200, "second", 0);
    button_gadget(5, 10, 10, 80, 24, "5");
    auto dynamic = reinterpret_cast<intptr_t>(progress_bar_gadget(DYNAMIC_NUMBER, 10, 60, 80, 10, 0, 100));
    close_window(1);
    EXPECT_FALSE(is_gadget(5) || is_gadget(dynamic));
    use_gadget_list(window_.handle());
    hyperlink_gadget(4, 10, 10, 80, 14, "label", WHITE);
    for (intptr_t number = 60; number < 400; number += 57) button_gadget(number, 10, 40, 20, 20, "");
    set_gadget_colour(4, FRONT_COLOUR, RED);
    EXPECT_EQ(get_gadget_colour(4, FRONT_COLOUR), RED) << "a record found after the table grew";
    DestroyWindow(gadget_handle(4));
    for (intptr_t number = 60; number < 400; number += 57) EXPECT_TRUE(is_gadget(number)) << number;
}

TEST_F(GadgetTest, NumbersWithoutAGadgetAndKindsWithoutAnOperationDoNothing) {
    EXPECT_FALSE(hide_gadget(9, 1) || disable_gadget(9, 1) || set_gadget_text(9, "x") || is_gadget(0x12345678));
    EXPECT_EQ(set_gadget_state(9, 1) + set_gadget_colour(9, FRONT_COLOUR, 0) + get_gadget_attribute(9, 1), 0);
    EXPECT_EQ(get_gadget_colour(9, FRONT_COLOUR), 0u);
    EXPECT_EQ(button_gadget(-7, 0, 0, 10, 10, "bad"), nullptr) << "a number no table can hold";
    EXPECT_EQ(GetWindow(window_.handle(), GW_CHILD), nullptr) << "and no control is left behind";
    HWND field = static_cast<HWND>(text_field_gadget(5, 10, 10, 120, 20, "text"));
    EXPECT_EQ(set_gadget_state(5, 1) + get_gadget_state(5), 0) << "a text field has no state";
    set_gadget_text(5, nullptr);
    EXPECT_EQ(GetWindowTextLengthA(field), 0) << "no text is the empty text";
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
    use_gadget_list(third);
    EXPECT_EQ(GetParent(static_cast<HWND>(button_gadget(4, 0, 0, 10, 10, ""))), third);
    close_window(2);
    EXPECT_EQ(button_gadget(4, 0, 0, 10, 10, ""), nullptr) << "a destroyed list window is no list";
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
    text_field_gadget(5, 25, 95, 350, 20, "");
    button_gadget(7, 385, 95, 25, 20, "...");
    auto got = gadget_types(window_.input_at(100, 105, "click 1"), 5), typed = gadget_types(events_during_input("type abc"), 5);
    auto lost = gadget_types(window_.input_at(395, 105, "click 1"), 5);
    EXPECT_NE(std::find(got.begin(), got.end(), GADGET_GOT_FOCUS), got.end());
    EXPECT_EQ(std::count(typed.begin(), typed.end(), EN_CHANGE), 3) << "one change per character";
    EXPECT_NE(std::find(lost.begin(), lost.end(), GADGET_LOST_FOCUS), lost.end());
}

// A front colour alone goes on the highlight colour; a disabled field keeps the system's look.
TEST_F(GadgetTest, ATextFieldIsPaintedInItsColoursUnlessDisabled) {
    HWND field = static_cast<HWND>(text_field_gadget(5, 25, 95, 350, 20, "text"));
    text_field_gadget(6, 25, 125, 350, 20, "disabled");
    auto colours = [&] { return ask_colours(window_.handle(), field, WM_CTLCOLOREDIT); };
    const HBRUSH plain = colours().brush;
    set_gadget_colour(5, FRONT_COLOUR, RGB(0, 0, 255));
    EXPECT_EQ(colours().back, GetSysColor(COLOR_BTNHIGHLIGHT));
    disable_gadget(6, 1);
    for (intptr_t gadget : {5, 6}) set_gadget_colour(gadget, BACK_COLOUR, RED);
    EXPECT_EQ(window_.pixels({325, 103, 326, 104}).at(0, 0), RED) << "the field is painted in its back colour";
    EXPECT_NE(window_.pixels({325, 133, 326, 134}).at(0, 0), RED) << "not when disabled";
    for (int colour : {BACK_COLOUR, FRONT_COLOUR}) set_gadget_colour(5, colour, NO_COLOUR);
    EXPECT_EQ(colours().brush, plain) << "both gone: the system's look again";
}

// The mouse leaves labels over the window's background, as a real mouse does (Wine does not grab
// the pointer for a capture: a jump out of the window would go unseen).
class HyperlinkTest : public GadgetTest {
protected:
    void SetUp() override { leave(); }
    void leave() { window_.input_at(350, 20); }
    // A label on the striped background, grey, white while hovered, as the converter makes them.
    HWND make_label(intptr_t number, const RECT& area, const char* text, int flags = 0) {
        auto label = hyperlink_gadget(number, area.left, area.top, area.right - area.left, area.bottom - area.top, text, WHITE, flags);
        colour_gadget(number, GREY, COLOUR_TRANSPARENT);
        set_gadget_colour(number, FRONT_COLOUR, GREY);
        return static_cast<HWND>(label);
    }
    Split label_split(COLORREF colour) { return split(window_.pixels(FLV_LABEL), FLV_LABEL, colour); }
};

TEST_F(HyperlinkTest, PaintsItsTextOnTheBackgroundTurnsWhileHoveredAndClicksOnEachRelease) {
    HWND label = make_label(12, FLV_LABEL, "FLV");
    const Pixels normal = window_.pixels(FLV_LABEL);
    const Split plain = label_split(GREY);
    EXPECT_TRUE(plain.coloured > 20 && plain.other == 0) << "grey text, and nothing else over the background";
    window_.input_at(262, 48);
    EXPECT_EQ(std::make_pair(GetCapture(), GetCursor()), std::make_pair(label, LoadCursorA(nullptr, IDC_HAND)));
    const Split lit = label_split(WHITE);
    EXPECT_EQ(std::make_pair(lit.coloured, lit.other), std::make_pair(plain.coloured, 0)) << "the same text in white";
    EXPECT_EQ(gadget_types(events_during_input("click --repeat 2 --delay 60 1"), 12),
              (std::vector<int>{GADGET_CLICK, GADGET_CLICK})) << "a double click's second release too";
    window_.input_at(FLV_LABEL.right, FLV_LABEL.bottom);  // client (25, 12): the width and the height
    EXPECT_EQ(GetCapture(), label) << "the edges of the client rectangle are still inside";
    window_.input_at(262, FLV_LABEL.bottom + 1);
    EXPECT_EQ(GetCapture(), nullptr) << "one more pixel is outside";
    leave();
    EXPECT_EQ(window_.pixels(FLV_LABEL), normal) << "grey again, exactly as before, once the mouse has left";
}

// Smoothed glyph edges blend with what lies under them: drawn again over themselves at every hover
// change they would build up, unless the parent's picture is painted under the label first.
TEST_F(HyperlinkTest, HoverChangesOfASmoothedLabelLeaveItsPixelsAsTheFirstHover) {
    const RECT area{300, 100, 360, 124};
    HWND label = make_label(14, area, "FLV");
    HFONT smoothed = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, "Arial");
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(smoothed), TRUE);
    window_.input_at(320, 112);
    const Pixels first = window_.pixels(area);
    ASSERT_GT(split(first, area, WHITE).other, 0) << "the font smooths: edges between text and background";
    std::string cycles;
    for (int cycle = 0; cycle < 20; ++cycle)
        cycles += screen_point(window_.handle(), 350, 20) + " sleep 0.03 " + screen_point(window_.handle(), 320, 112) + " sleep 0.03 ";
    events_during_input(cycles);
    EXPECT_EQ(window_.pixels(area), first) << "after 20 hover changes";
    leave();
    DestroyWindow(label);
    DeleteObject(smoothed);
}

TEST_F(HyperlinkTest, ADisabledLabelShowsEmbossedTextAndIgnoresTheMouse) {
    make_label(12, FLV_LABEL, "FLV");
    disable_gadget(12, 1);
    const Pixels disabled = window_.pixels(FLV_LABEL);
    const Split shadow = label_split(GetSysColor(COLOR_BTNSHADOW)), highlight = label_split(GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_GT(std::min(shadow.coloured, highlight.coloured), 10) << "the text in the shadow colour over its highlight";
    EXPECT_EQ(shadow.background + shadow.coloured + highlight.coloured, disabled.width * disabled.height) << "only";
    EXPECT_TRUE(gadget_types(window_.input_at(262, 48, "click 1"), 12).empty()) << "no click";
    EXPECT_EQ(window_.pixels(FLV_LABEL), disabled) << "no hover colour";
}

TEST_F(HyperlinkTest, ANewTextReplacesTheOldOneOnATransparentLabel) {
    make_label(12, FLV_LABEL, "WWWW");
    const Split wide = label_split(GREY);
    EXPECT_TRUE(set_gadget_text(12, "i"));
    const Split narrow = label_split(GREY);
    EXPECT_TRUE(narrow.other == 0 && narrow.coloured * 4 < wide.coloured) << "the old text is gone, not drawn over";
}

TEST_F(HyperlinkTest, ABackColourIsPaintedBehindTheTextAndItsBrushGivenBackWhenRemoved) {
    HWND label = static_cast<HWND>(hyperlink_gadget(12, 250, 42, 25, 12, "FLV", WHITE));
    set_gadget_colour(12, BACK_COLOUR, RED);
    EXPECT_EQ(get_gadget_colour(12, BACK_COLOUR), RED);
    EXPECT_GT(label_split(RED).coloured, 200) << "the label's rectangle in its back colour";
    HBRUSH brush = ask_colours(window_.handle(), label).brush;
    set_gadget_colour(12, BACK_COLOUR, NO_COLOUR);
    EXPECT_EQ(GetObjectType(brush), 0u) << "the label's brush is given back and deleted";
    EXPECT_EQ(label_split(RED).coloured, 0);
}

TEST_F(HyperlinkTest, TheUnderlineFlagDrawsALineUnderTheText) {
    HWND label = make_label(13, RECT{300, 42, 340, 60}, "AVI", HYPERLINK_UNDERLINE);
    HDC dc = GetDC(label);
    SIZE text;
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT)), GetTextExtentPoint32A(dc, "AVI", 3, &text), ReleaseDC(label, dc);
    Pixels row = window_.pixels({300, 42 + text.cy, 340, 43 + text.cy});
    for (int x = 0; x < 40; ++x) EXPECT_EQ(row.at(x, 0) == GREY, x < text.cx) << "column " << x;
}

} // namespace
