// Hyperlink labels: pixels read back from the screen, hover and clicks by real X input.
#include <gtest/gtest.h>

#include "gui/gadgets.h"
#include "gui/hyperlink.h"
#include "gui/windows.h"
#include "gui_support.h"

namespace {

using namespace rt;
using namespace gui_test;

constexpr COLORREF GREY = RGB(162, 162, 162);
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr RECT FLV_LABEL{250, 42, 275, 54};  // the converter's FLV label

// The mouse leaves a label over the window's background, as a real mouse does: Wine does not grab
// the pointer for a capture, so a jump straight out of the window would go unseen.
class HyperlinkTest : public testing::Test {
protected:
    void SetUp() override { leave(); }
    void leave() { move_to(350, 20); }
    // The converter's FLV label on the painted background: hover white, then normal grey.
    HWND make_flv_label(bool transparent = true) {
        HWND label = static_cast<HWND>(hyperlink_gadget(12, 250, 42, 25, 12, "FLV", WHITE));
        if (transparent) make_transparent(label);
        set_gadget_colour(12, FRONT_COLOUR, GREY);
        read_events();
        return label;
    }
    Pixels label_pixels() { return client_pixels(window_.handle(), FLV_LABEL); }
    std::vector<SeenEvent> move_to(int x, int y) { return events_during_input(screen_point(window_.handle(), x, y)); }

    TestWindow window_;
};

TEST_F(HyperlinkTest, PaintsItsTextOnTheParentsBackgroundAndTurnsWhileHovered) {
    HWND label = make_flv_label();
    Pixels normal = label_pixels();
    Split plain = split(normal, FLV_LABEL, GREY);
    EXPECT_GT(plain.coloured, 20) << "grey text";
    EXPECT_EQ(plain.other, 0) << "nothing but the text is painted over the background";

    move_to(262, 48);
    EXPECT_EQ(GetCapture(), label) << "hovering holds the capture";
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
    Pixels hovered = label_pixels();
    Split lit = split(hovered, FLV_LABEL, WHITE);
    EXPECT_EQ(lit.coloured, plain.coloured) << "the same text in white";
    EXPECT_EQ(lit.other, 0);

    leave();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(label_pixels(), normal) << "grey again, exactly as before, once the mouse has left";
}

// Smoothed glyph edges blend with what lies under them: drawn again over themselves at every hover
// change they would build up, unless the parent's picture is painted under the label first. (The
// face smooths from 20 pixels up; smaller sizes follow its table of unsmoothed sizes.)
TEST_F(HyperlinkTest, HoverChangesOfASmoothedTransparentLabelLeaveItsPixelsAsTheFirstHover) {
    const RECT area{300, 100, 360, 124};
    HWND label = static_cast<HWND>(hyperlink_gadget(14, area.left, area.top, 60, 24, "FLV", WHITE));
    make_transparent(label);
    set_gadget_colour(14, FRONT_COLOUR, GREY);
    HFONT smoothed = CreateFontA(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, "Arial");
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(smoothed), TRUE);
    move_to(320, 112);
    ASSERT_EQ(GetCapture(), label);
    Pixels first = client_pixels(window_.handle(), area);
    ASSERT_GT(split(first, area, WHITE).other, 0) << "the font smooths: edges between text and background";
    std::string cycles;
    for (int cycle = 0; cycle < 50; ++cycle)
        cycles += screen_point(window_.handle(), 350, 20) + " sleep 0.03 " + screen_point(window_.handle(), 320, 112) + " sleep 0.03 ";
    events_during_input(cycles);
    EXPECT_EQ(GetCapture(), label);
    EXPECT_EQ(client_pixels(window_.handle(), area), first) << "after 50 hover changes";
    leave();
    SendMessageA(label, WM_SETFONT, 0, FALSE);
    DeleteObject(smoothed);
}

TEST_F(HyperlinkTest, EachReleaseIsOneClickEvent) {
    make_flv_label();
    move_to(262, 48);
    auto clicks = only(events_during_input("click 1"), EV_GADGET);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].gadget, 12);
    EXPECT_EQ(clicks[0].type, GADGET_CLICK);
    EXPECT_EQ(clicks[0].window, 0);
    auto double_click = only(events_during_input("click --repeat 2 --delay 60 1"), EV_GADGET);
    EXPECT_EQ(double_click.size(), 2u) << "a double click is two releases";
}

TEST_F(HyperlinkTest, APressOnALabelComesBackRawWithTheWindowsNumber) {
    make_flv_label();
    move_to(262, 48);
    auto presses = only(events_during_input("mousedown 1"), WM_LBUTTONDOWN);
    events_during_input("mouseup 1");
    ASSERT_EQ(presses.size(), 1u) << "a press on a label sets no event of its own";
    EXPECT_EQ(presses[0].window, 0);
}

TEST_F(HyperlinkTest, TheEdgesOfTheClientRectangleCountAsInside) {
    HWND label = make_flv_label();
    move_to(262, 48);
    ASSERT_EQ(GetCapture(), label);
    move_to(FLV_LABEL.right, 48);  // client x = 25, the width
    EXPECT_EQ(GetCapture(), label) << "x equal to the width is still inside";
    move_to(262, FLV_LABEL.bottom);  // client y = 12, the height
    EXPECT_EQ(GetCapture(), label) << "y equal to the height is still inside";
    move_to(262, FLV_LABEL.bottom + 1);
    EXPECT_EQ(GetCapture(), nullptr) << "one more pixel is outside";
}

TEST_F(HyperlinkTest, ADisabledLabelShowsDisabledTextAndIgnoresTheMouse) {
    HWND label = make_flv_label();
    disable_gadget(12, 1);
    Pixels disabled = label_pixels();
    Split shadow = split(disabled, FLV_LABEL, GetSysColor(COLOR_BTNSHADOW));
    Split highlight = split(disabled, FLV_LABEL, GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_FALSE(disabled.contains(GREY)) << "not the normal colour";
    EXPECT_GT(shadow.coloured, 20) << "embossed: the text in the shadow colour";
    EXPECT_GT(highlight.coloured, 10) << "over its highlight";
    EXPECT_EQ(shadow.background + shadow.coloured + highlight.coloured, disabled.width * disabled.height)
        << "and nothing else on the background";
    auto events = move_to(262, 48);
    EXPECT_NE(GetCapture(), label);
    EXPECT_EQ(label_pixels(), disabled) << "no hover colour";
    EXPECT_TRUE(only(events_during_input("click 1"), EV_GADGET).empty());
}

TEST_F(HyperlinkTest, ANewTextReplacesTheOldOneOnATransparentLabel) {
    HWND label = make_flv_label();
    set_gadget_text(12, "WWWW");
    read_events();
    Split wide = split(label_pixels(), FLV_LABEL, GREY);
    EXPECT_TRUE(set_gadget_text(12, "i")) << "a text that was set is reported as set";
    Pixels narrow = label_pixels();
    Split small = split(narrow, FLV_LABEL, GREY);
    EXPECT_EQ(small.other, 0);
    EXPECT_LT(small.coloured * 4, wide.coloured) << "the old text is gone, not drawn over";
    for (int y = 0; y < narrow.height; ++y)
        for (int x = 6; x < narrow.width; ++x)
            ASSERT_EQ(narrow.at(x, y), background_at(FLV_LABEL.left + x, FLV_LABEL.top + y)) << x << "," << y;
    char text[8] = {};
    GetWindowTextA(label, text, sizeof text);
    EXPECT_STREQ(text, "i");
}

TEST_F(HyperlinkTest, ABackColourIsPaintedBehindTheTextUntilItIsRemoved) {
    HWND label = make_flv_label(false);
    constexpr COLORREF RED = RGB(200, 30, 30);
    set_gadget_colour(12, BACK_COLOUR, RED);
    EXPECT_EQ(get_gadget_colour(12, BACK_COLOUR), RED);
    Split backed = split(label_pixels(), FLV_LABEL, RED);
    EXPECT_EQ(backed.background, 0);
    EXPECT_GT(backed.coloured, 200) << "the label's rectangle in its back colour";
    HDC dc = GetDC(label);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(window_.handle(), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));

    set_gadget_colour(12, BACK_COLOUR, NO_COLOUR);
    EXPECT_EQ(GetObjectType(brush), 0u) << "the label's brush is given back and deleted";
    auto answer = reinterpret_cast<HBRUSH>(SendMessageA(window_.handle(), WM_CTLCOLORSTATIC,
                                                        reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label)));
    EXPECT_EQ(answer, GetSysColorBrush(COLOR_BTNFACE)) << "the label no longer answers: the system does";
    ReleaseDC(label, dc);
    EXPECT_FALSE(label_pixels().contains(RED));
}

TEST_F(HyperlinkTest, TheUnderlineFlagDrawsALineUnderTheText) {
    hyperlink_gadget(13, 300, 42, 40, 18, "AVI", WHITE, HYPERLINK_UNDERLINE);
    make_transparent(gadget_handle(13));
    set_gadget_colour(13, FRONT_COLOUR, GREY);
    HDC dc = GetDC(gadget_handle(13));
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE text;
    GetTextExtentPoint32A(dc, "AVI", 3, &text);
    ReleaseDC(gadget_handle(13), dc);
    ASSERT_LT(text.cy, 18);
    Pixels row = client_pixels(window_.handle(), RECT{300, 42 + text.cy, 340, 43 + text.cy});
    for (int x = 0; x < 40; ++x)
        EXPECT_EQ(row.at(x, 0) == GREY, x < text.cx) << "column " << x;
}

} // namespace
