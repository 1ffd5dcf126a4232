// Gadget colours from outside: what the colour procedure answers, pixels through transparent
// controls, subclassing once, brushes kept, replaced, shared and given back, the controls that
// take colours of their own, and shutdown.
#include <gtest/gtest.h>

#include "gui/colours.h"
#include "gui/controls.h"
#include "gui/hyperlink.h"
#include "gui/windows.h"
#include "gui_support.h"

#include <commctrl.h>
#include <richedit.h>

namespace {

using namespace rt;
using namespace gui_test;

constexpr COLORREF GREY = RGB(128, 128, 128), RED = RGB(200, 30, 30), BLUE = RGB(20, 40, 220);
constexpr COLORREF YELLOW = RGB(230, 220, 20), UNSET = RGB(1, 2, 3);  // UNSET: in the DC before asking

HBRUSH null_brush() { return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); }
bool is_brush(HBRUSH brush) { return GetObjectType(brush) == static_cast<DWORD>(OBJ_BRUSH); }
LONG_PTR procedure_of(HWND window) { return GetWindowLongPtrA(window, GWLP_WNDPROC); }
COLORREF brush_colour(HBRUSH brush) {
    LOGBRUSH description{};
    GetObjectA(brush, sizeof description, &description);
    return description.lbColor;
}

// What a window answers a control's colour message with, and what it set in the control's DC.
struct ColourAnswer {
    HBRUSH brush;
    COLORREF text, back;
    int mode;
};
ColourAnswer ask_window(HWND window, HWND control, UINT message = WM_CTLCOLORSTATIC, int mode_before = OPAQUE) {
    HDC dc = GetDC(control);
    SetTextColor(dc, UNSET);
    SetBkColor(dc, UNSET);
    SetBkMode(dc, mode_before);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageA(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    ColourAnswer answer{brush, GetTextColor(dc), GetBkColor(dc), GetBkMode(dc)};
    ReleaseDC(control, dc);
    return answer;
}

// A standard control of any class made a gadget, the way the gadget kinds make theirs.
HWND control_gadget(intptr_t number, const char* class_name, DWORD style, const RECT& area = {10, 300, 100, 330}) {
    static const GadgetOps ops = gadget_ops(0);
    HWND control;
    GadgetRecord* record = create_gadget(
        number, {0, class_name, "x", WS_CHILD | WS_VISIBLE | style, area.left, area.top, area.right - area.left, area.bottom - area.top},
        &control);
    register_gadget(number, record, control, &ops);
    return control;
}

class ColourTest : public testing::Test {
protected:
    HWND window() const { return window_.handle(); }
    ColourAnswer ask(HWND control, UINT message = WM_CTLCOLORSTATIC, int mode_before = OPAQUE) {
        return ask_window(window(), control, message, mode_before);
    }
    TestWindow window_;
};

// The converter's labels: their own text colour on the skin; a static's old rectangle is painted over.
TEST_F(ColourTest, ATransparentControlShowsTheWindowsBackgroundAndItsTextOnly) {
    constexpr RECT LABEL{250, 42, 275, 54}, STATIC{100, 100, 180, 116};
    hyperlink_gadget(12, LABEL.left, LABEL.top, 25, 12, "FLV", 0xFFFFFF);
    set_gadget_colour(12, FRONT_COLOUR, RGB(162, 162, 162));
    colour_gadget(12, RGB(195, 195, 195), COLOUR_TRANSPARENT);
    control_gadget(21, "Static", SS_NOTIFY, STATIC);
    EXPECT_GT(split(client_pixels(window(), STATIC), STATIC, GetSysColor(COLOR_BTNFACE)).coloured, 0) << "uncoloured";
    colour_gadget(21, GREY, COLOUR_TRANSPARENT);
    for (const auto& [area, colour] : {std::pair{LABEL, RGB(162, 162, 162)}, std::pair{STATIC, GREY}}) {
        Split through = split(client_pixels(window(), area), area, colour);
        EXPECT_GT(through.coloured, 5) << "the text in its front colour";
        EXPECT_GT(through.background, 100) << "the window's background around it";
        EXPECT_EQ(through.other, 0) << "and nothing else";
    }
    ColourAnswer answer = ask(gadget_handle(21));
    EXPECT_EQ(answer.brush, null_brush());
    EXPECT_EQ(answer.back, UNSET) << "a transparent back colour sets none";
}

// The climb goes through containers up to the first runtime window, never to its owner; a window
// already subclassed is not subclassed again; the window's own layers still answer behind.
TEST_F(ColourTest, TheColourProcedureGoesOnceInFrontOfEachParentUpToTheRuntimeWindow) {
    HWND owner = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND second = static_cast<HWND>(open_window(1, 10, 10, 300, 200, "second", 0, owner));
    HWND container = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 100, second, nullptr, nullptr, nullptr);
    use_gadget_list(container);
    const LONG_PTR owner_own = procedure_of(owner), second_own = procedure_of(second), container_own = procedure_of(container);
    HWND inner = control_gadget(5, "Static", 0), plain = control_gadget(6, "Static", 0);
    colour_gadget(5, GREY, COLOUR_TRANSPARENT);
    EXPECT_NE(procedure_of(container), container_own);
    EXPECT_NE(procedure_of(second), second_own);
    EXPECT_EQ(procedure_of(owner), owner_own) << "the runtime window's owner is no parent";
    LONG_PTR coloured = procedure_of(container);
    colour_gadget(6, GREY, BLUE);
    EXPECT_EQ(procedure_of(container), coloured) << "subclassed once";
    EXPECT_EQ(ask_window(container, inner).brush, null_brush());
    EXPECT_EQ(brush_colour(ask_window(container, plain).brush), BLUE);
    close_window(1);
    DestroyWindow(owner);
    use_gadget_list(window());
    SendMessageA(window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(only(read_events(), EV_CLOSE_WINDOW).size(), 1u) << "the runtime's procedure still raises events";
}

TEST_F(ColourTest, RecolouringWithKeepKeepsTheBrushAndANewColourReplacesIt) {
    HWND label = control_gadget(7, "Static", 0);
    colour_gadget(7, RED, BLUE);
    ColourAnswer first = ask(label);
    EXPECT_EQ(first.text, RED);
    EXPECT_EQ(first.back, BLUE);
    EXPECT_EQ(first.mode, TRANSPARENT) << "every control but an edit draws its text transparently";
    colour_gadget(7, GREY, COLOUR_KEEP);
    EXPECT_EQ(ask(label).brush, first.brush) << "back KEEP keeps the brush";
    EXPECT_EQ(ask(label).text, GREY);
    colour_gadget(7, COLOUR_KEEP, YELLOW);
    EXPECT_FALSE(is_brush(first.brush)) << "the old brush is deleted";
    EXPECT_EQ(brush_colour(ask(label).brush), YELLOW);
    EXPECT_EQ(ask(label).text, GREY) << "front KEEP keeps the text colour";
    HBRUSH yellow = ask(label).brush;
    colour_gadget(7, COLOUR_KEEP, COLOUR_TRANSPARENT);
    EXPECT_FALSE(is_brush(yellow)) << "going transparent gives the solid brush up too";
}

// The system's text colours are both black here: one is changed so that they can be told apart.
TEST_F(ColourTest, DefaultColoursFollowTheControlsClass) {
    int element = COLOR_BTNTEXT;
    COLORREF button_text = GetSysColor(COLOR_BTNTEXT), changed = RGB(90, 0, 90);
    SetSysColors(1, &element, &changed);
    const struct {
        const char* class_name;
        UINT message;
        int text, back, mode;
    } rows[] = {{"Edit", WM_CTLCOLOREDIT, COLOR_WINDOWTEXT, COLOR_WINDOW, OPAQUE},
                {"Button", WM_CTLCOLORBTN, COLOR_BTNTEXT, COLOR_BTNFACE, TRANSPARENT},
                {"ListBox", WM_CTLCOLORLISTBOX, COLOR_WINDOWTEXT, COLOR_WINDOW, TRANSPARENT}};
    intptr_t number = 30;  // a number coloured before keeps its entry: one each
    for (const auto& row : rows) {
        HWND control = control_gadget(number, row.class_name, 0);
        colour_gadget(number++, COLOUR_DEFAULT, COLOUR_KEEP);  // KEEP the first time is the default too
        ColourAnswer answer = ask(control, row.message, row.mode == OPAQUE ? TRANSPARENT : OPAQUE);
        EXPECT_EQ(answer.text, GetSysColor(row.text)) << row.class_name;
        EXPECT_EQ(brush_colour(answer.brush), GetSysColor(row.back)) << row.class_name;
        EXPECT_EQ(answer.mode, row.mode) << row.class_name;
    }
    SetSysColors(1, &element, &button_text);
}

TEST_F(ColourTest, TextFieldsWithOneBackColourShareOneCachedBrush) {
    HWND first = static_cast<HWND>(text_field_gadget(8, 10, 100, 200, 20, "first"));
    HWND second = static_cast<HWND>(text_field_gadget(9, 10, 130, 200, 20, "second"));
    HWND third = static_cast<HWND>(text_field_gadget(10, 10, 160, 200, 20, "third"));
    for (intptr_t field : {8, 9}) set_gadget_colour(field, BACK_COLOUR, BLUE);
    set_gadget_colour(10, BACK_COLOUR, YELLOW);
    HBRUSH shared = ask(first, WM_CTLCOLOREDIT).brush;
    EXPECT_EQ(ask(second, WM_CTLCOLOREDIT).brush, shared) << "one brush for one colour";
    EXPECT_NE(ask(third, WM_CTLCOLOREDIT).brush, shared) << "another colour, another brush";
    set_gadget_colour(8, BACK_COLOUR, NO_COLOUR);
    EXPECT_TRUE(is_brush(shared)) << "the second field still uses it";
    DestroyWindow(second);
    EXPECT_FALSE(is_brush(shared)) << "deleted when the last user gives it back";
}

TEST_F(ColourTest, ColourTypesAccumulateAndANumberWithoutAGadgetIsLeftAlone) {
    const LONG_PTR own = procedure_of(window());
    EXPECT_EQ(colour_gadget(9, GREY, COLOUR_TRANSPARENT), 0);
    EXPECT_EQ(colour_gadget(0x12345678, GREY, COLOUR_TRANSPARENT), 0) << "a stray value is no gadget";
    EXPECT_EQ(procedure_of(window()), own) << "and nothing is subclassed for it";
    HWND label = control_gadget(11, "Static", 0);
    EXPECT_EQ(colour_gadget(11, GREY, BLUE), 1);
    EXPECT_EQ(colour_gadget(11, RED, YELLOW, 0, 4), 5) << "a further type is added to the set";
    EXPECT_EQ(ask(label).text, GREY) << "and applies no front or back colour";
    EXPECT_EQ(colour_gadget(11, RED, YELLOW, 0, ~4), 1) << "a type below 0 masks the set";
    EXPECT_EQ(colour_gadget(11, RED, YELLOW, 0, 128 + 1), 1) << "so does one above 64";
    EXPECT_EQ(brush_colour(ask(label).brush), BLUE) << "a mask applies nothing";
}

// A handle value of a control destroyed behind the runtime's back may be given to a later control.
TEST_F(ColourTest, AColourStaysWithItsControlAndGoesWithIt) {
    HWND old = control_gadget(11, "Static", 0);
    colour_gadget(11, GREY, BLUE);
    HBRUSH coloured = ask(old).brush;
    HWND newer = control_gadget(11, "Static", 0);
    EXPECT_NE(ask(newer).brush, coloured) << "a new control under the number is not coloured by the old colours";
    colour_gadget(11, RED, COLOUR_KEEP);
    EXPECT_EQ(brush_colour(ask(newer).brush), BLUE) << "colouring the number again moves its colours over";
    DestroyWindow(newer);
    EXPECT_NE(ask(newer).brush, coloured) << "no colour entry names the dead handle";
}

TEST_F(ColourTest, ControlsThatKeepColoursOfTheirOwnAreGivenThem) {
    HWND bar = static_cast<HWND>(progress_bar_gadget(12, 10, 380, 300, 17, 0, 100));
    colour_gadget(12, RED, COLOUR_TRANSPARENT);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(bar, PBM_GETBARCOLOR, 0, 0)), RED);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(bar, PBM_GETBKCOLOR, 0, 0)), CLR_DEFAULT) << "transparent: the default";
    HWND list = control_gadget(13, WC_LISTVIEWA, LVS_REPORT);
    colour_gadget(13, RED, BLUE);
    EXPECT_EQ(ListView_GetTextBkColor(list), BLUE);
    HWND tree = control_gadget(14, WC_TREEVIEWA, 0);
    colour_gadget(14, RED, YELLOW);
    EXPECT_EQ(TreeView_GetBkColor(tree), YELLOW);
    colour_gadget(14, RED, BLUE, COLOUR_TRANSPARENT);
    EXPECT_EQ(ask(tree, WM_CTLCOLOREDIT).brush, nullptr) << "a tree with extra COLOUR_TRANSPARENT paints itself";
    ASSERT_NE(LoadLibraryA("riched20.dll"), nullptr);
    HWND rich = control_gadget(15, "RichEdit20A", ES_MULTILINE);
    colour_gadget(15, RED, BLUE);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(rich, EM_SETBKGNDCOLOR, 0, BLUE)), BLUE) << "answers the previous";
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(rich, EM_SETSEL, 0, -1);
    SendMessageA(rich, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.crTextColor, RED) << "all of its text";
}

// A combo box's edit part asks the combo box; a tab control is owner-drawn over its class brush.
// Shutdown gives back brushes, procedures and class brushes; the colour procedure then passes on.
TEST_F(ColourTest, ComboBoxesAndTabControlsAreColouredUntilShutdownGivesEverythingBack) {
    HWND label = control_gadget(18, "Static", 0), combo = control_gadget(16, "ComboBox", CBS_DROPDOWN, {10, 300, 160, 400});
    HWND tabs = control_gadget(17, WC_TABCONTROLA, 0, {300, 100, 500, 220});
    const LONG_PTR combo_own = procedure_of(combo);
    for (intptr_t gadget : {16, 17, 18}) colour_gadget(gadget, RED, BLUE);
    HBRUSH brush = ask(label).brush;
    ColourAnswer part = ask_window(combo, GetWindow(combo, GW_CHILD), WM_CTLCOLOREDIT);
    EXPECT_EQ(brush_colour(part.brush), BLUE);
    EXPECT_EQ(part.text, RED);
    EXPECT_TRUE(GetWindowLongPtrA(tabs, GWL_STYLE) & TCS_OWNERDRAWFIXED);
    auto class_brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(tabs, GCLP_HBRBACKGROUND));
    EXPECT_EQ(brush_colour(class_brush), BLUE);
    free_colour_library();
    EXPECT_FALSE(is_brush(brush)) << "back brushes deleted";
    EXPECT_EQ(procedure_of(combo), combo_own) << "the combo box has its own procedure back";
    EXPECT_FALSE(is_brush(class_brush)) << "class brushes deleted";
    EXPECT_EQ(ask(label).brush, GetSysColorBrush(COLOR_BTNFACE)) << "the colour procedure passes everything on";
    close_window(0);
    init_colour_library();  // as start-up left it, for the tests that follow
}

} // namespace
