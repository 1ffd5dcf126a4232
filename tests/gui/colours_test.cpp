// Gadget colours: the colour procedure's answers, transparent controls, brushes' lives, combo boxes, tab controls, shutdown.
#include <gtest/gtest.h>

#include "gui/colours.h"
#include "gui/controls.h"
#include "gui/windows.h"
#include "gui_support.h"

#include <commctrl.h>

namespace {

using namespace rt;
using namespace gui_test;

constexpr COLORREF GREY = RGB(128, 128, 128), RED = RGB(200, 30, 30), BLUE = RGB(20, 40, 220), YELLOW = RGB(230, 220, 20);

bool is_brush(HBRUSH brush) { return GetObjectType(brush) == static_cast<DWORD>(OBJ_BRUSH); }
COLORREF brush_colour(HBRUSH brush) {
    LOGBRUSH description{};
    return GetObjectA(brush, sizeof description, &description), description.lbColor;
}

// A standard control of any class made a gadget, the way the gadget kinds make theirs.
HWND control_gadget(intptr_t number, const char* class_name, DWORD style = 0, const RECT& area = {10, 300, 160, 400}) {
    static const GadgetOps ops = gadget_ops(0);
    HWND control;
    GadgetRecord* record = create_gadget(number, {0, class_name, "x", WS_CHILD | WS_VISIBLE | style, area.left, area.top,
                                                  area.right - area.left, area.bottom - area.top}, &control);
    register_gadget(number, record, control, &ops);
    return control;
}

struct ColourTest : testing::Test { TestWindow window_; };

// A static's own rectangle, painted before it was coloured, is painted over.
TEST_F(ColourTest, ATransparentControlShowsTheWindowsBackgroundAndItsTextOnly) {
    constexpr RECT STATIC{100, 100, 180, 116};
    control_gadget(21, "Static", SS_NOTIFY, STATIC);
    ASSERT_GT(split(window_.pixels(STATIC), STATIC, GetSysColor(COLOR_BTNFACE)).coloured, 0);
    colour_gadget(21, GREY, COLOUR_TRANSPARENT);
    Split through = split(window_.pixels(STATIC), STATIC, GREY);
    EXPECT_TRUE(through.coloured > 5 && through.background > 100 && through.other == 0) << "text on the background only";
    EXPECT_EQ(window_.colours(gadget_handle(21)).back, UNSET) << "a transparent back colour sets none";
}

TEST_F(ColourTest, KeepKeepsAColourANewOneReplacesItsBrushAndAMaskAppliesNothing) {
    EXPECT_EQ(colour_gadget(9, GREY, BLUE), 0) << "no gadget";
    HWND label = control_gadget(7, "Static");
    EXPECT_EQ(colour_gadget(7, RED, BLUE), FRONT_AND_BACK_COLOURS);
    const ColourAnswer first = window_.colours(label);
    EXPECT_EQ(std::make_tuple(first.text, first.back, first.mode), std::make_tuple(RED, BLUE, TRANSPARENT));
    EXPECT_EQ((colour_gadget(7, GREY, COLOUR_KEEP), window_.colours(label).brush), first.brush) << "back KEEP keeps the brush";
    EXPECT_FALSE((colour_gadget(7, COLOUR_KEEP, YELLOW), is_brush(first.brush))) << "the old brush is deleted";
    EXPECT_EQ(std::make_pair(window_.colours(label).text, brush_colour(window_.colours(label).brush)), (std::pair{GREY, YELLOW}));
    EXPECT_EQ(colour_gadget(7, RED, BLUE, 0, 4), 5) << "a further type is added to the set, applying no colour";
    EXPECT_EQ(colour_gadget(7, RED, BLUE, 0, ~4), 1) << "a type below 0 masks the set";
    EXPECT_EQ(colour_gadget(7, RED, BLUE, 0, 128 + 1), 1) << "so does one above 64";
    HBRUSH yellow = window_.colours(label).brush;
    EXPECT_EQ(brush_colour(yellow), YELLOW) << "and none applied a colour";
    EXPECT_FALSE((colour_gadget(7, COLOUR_KEEP, COLOUR_TRANSPARENT), is_brush(yellow))) << "going transparent gives the solid brush up too";
}

TEST_F(ColourTest, TextFieldsWithOneBackColourShareOneCachedBrush) {
    HWND fields[3];
    for (intptr_t number : {0, 1, 2}) {
        fields[number] = static_cast<HWND>(text_field_gadget(8 + number, 10, 100 + 30 * number, 200, 20, "x"));
        set_gadget_colour(8 + number, BACK_COLOUR, number < 2 ? BLUE : YELLOW);
    }
    HBRUSH shared = window_.colours(fields[0], WM_CTLCOLOREDIT).brush;
    EXPECT_EQ(window_.colours(fields[1], WM_CTLCOLOREDIT).brush, shared) << "one brush for one colour";
    EXPECT_NE(window_.colours(fields[2], WM_CTLCOLOREDIT).brush, shared) << "another colour, another brush";
    EXPECT_TRUE((set_gadget_colour(8, BACK_COLOUR, NO_COLOUR), is_brush(shared))) << "the second field still uses it";
    EXPECT_FALSE((DestroyWindow(fields[1]), is_brush(shared))) << "deleted when the last user gives it back";
}

// A dead control's handle value may be given to a later control.
TEST_F(ColourTest, AColourStaysWithItsControlUntilTheNumberIsColouredAgain) {
    HWND old = control_gadget(11, "Static");
    HBRUSH coloured = (colour_gadget(11, GREY, BLUE), window_.colours(old).brush);
    HWND newer = control_gadget(11, "Static");
    EXPECT_NE(window_.colours(newer).brush, coloured) << "a new control under the number is not coloured by the old colours";
    EXPECT_EQ((colour_gadget(11, RED, COLOUR_KEEP), window_.colours(newer).brush), coloured)
        << "colouring the number again moves its colours over";
    EXPECT_NE((DestroyWindow(newer), window_.colours(newer).brush), coloured) << "no colour entry names the dead handle";
}

// A combo box's edit part asks the combo box; a tab control is owner-drawn over a class brush.
// Shutdown gives back brushes, procedures and class brushes; the colour procedure then passes on.
TEST_F(ColourTest, ComboBoxesAndTabControlsAreColouredUntilShutdownGivesEverythingBack) {
    HWND label = control_gadget(18, "Static"), combo = control_gadget(16, "ComboBox", CBS_DROPDOWN);
    HWND tabs = control_gadget(17, WC_TABCONTROLA, 0, {300, 100, 500, 220});
    const LONG_PTR combo_own = GetWindowLongPtrA(combo, GWLP_WNDPROC);
    auto first_class_brush = (colour_gadget(17, RED, YELLOW), reinterpret_cast<HBRUSH>(GetClassLongPtrA(tabs, GCLP_HBRBACKGROUND)));
    for (intptr_t gadget : {16, 17}) colour_gadget(gadget, RED, BLUE);
    EXPECT_FALSE(is_brush(first_class_brush)) << "a class brush replaced is deleted";
    HBRUSH brush = (colour_gadget(18, COLOUR_KEEP, COLOUR_KEEP), window_.colours(label).brush);  // the first KEEP is the default
    EXPECT_EQ(brush_colour(brush), GetSysColor(COLOR_BTNFACE)) << "a static's default is the button face";
    ColourAnswer part = ask_colours(combo, GetWindow(combo, GW_CHILD), WM_CTLCOLOREDIT);
    EXPECT_EQ(std::make_pair(part.text, brush_colour(part.brush)), std::make_pair(RED, BLUE));
    TCITEMA tab{TCIF_TEXT, 0, 0, const_cast<char*>("tab"), 0, 0, 0};
    RECT item{};
    SendMessageA(tabs, TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&tab)), TabCtrl_GetItemRect(tabs, 0, &item);
    MapWindowPoints(tabs, window_.handle(), reinterpret_cast<POINT*>(&item), 2);
    const Pixels drawn = window_.pixels(item);
    EXPECT_TRUE(split(drawn, item, BLUE).coloured * 2 > drawn.width * drawn.height && split(drawn, item, RED).coloured > 0)
        << "the tab is drawn by its owner in its colours";
    auto class_brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(tabs, GCLP_HBRBACKGROUND));
    EXPECT_EQ(brush_colour(class_brush), BLUE);
    DestroyWindow(label), free_colour_library();  // the label's entry, brush and all, stays until shutdown
    EXPECT_FALSE(is_brush(brush) || is_brush(class_brush)) << "back and class brushes deleted";
    EXPECT_EQ(GetWindowLongPtrA(combo, GWLP_WNDPROC), combo_own) << "the combo box has its own procedure back";
    EXPECT_EQ(window_.colours(tabs).brush, GetSysColorBrush(COLOR_BTNFACE)) << "the colour procedure passes everything on";
    close_window(0);
    init_colour_library();  // as start-up left it, for the tests that follow
}

} // namespace
