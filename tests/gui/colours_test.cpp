// Gadget colours from outside: what the colour procedure answers, pixels through transparent
// controls, subclassing once, brushes kept, replaced, shared and given back, the controls that
// take colours of their own, and shutdown.
#include <gtest/gtest.h>

#include "gui/colours.h"
#include "gui/controls.h"
#include "gui/gadgets.h"
#include "gui/hyperlink.h"
#include "gui/windows.h"
#include "gui_support.h"

#include <commctrl.h>
#include <richedit.h>

namespace {

using namespace rt;
using namespace gui_test;

constexpr COLORREF GREY = RGB(128, 128, 128);
constexpr COLORREF LABEL_GREY = RGB(162, 162, 162);
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF RED = RGB(200, 30, 30);
constexpr COLORREF GREEN = RGB(30, 160, 40);
constexpr COLORREF BLUE = RGB(20, 40, 220);
constexpr COLORREF YELLOW = RGB(230, 220, 20);
constexpr COLORREF UNSET = RGB(1, 2, 3);  // put into a device context before asking

HBRUSH null_brush() { return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); }
HBRUSH button_face_brush() { return GetSysColorBrush(COLOR_BTNFACE); }
bool is_brush(HBRUSH brush) { return GetObjectType(brush) == static_cast<DWORD>(OBJ_BRUSH); }

COLORREF brush_colour(HBRUSH brush) {
    LOGBRUSH description{};
    GetObjectA(brush, sizeof description, &description);
    return description.lbColor;
}

WNDPROC procedure_of(HWND window) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)); }

// What a window answers a control's colour message with, and what it set in the control's DC.
struct ColourAnswer {
    HBRUSH brush;
    COLORREF text, back;
    int mode;
};

ColourAnswer ask_colours(HWND window, UINT message, HWND control, int mode_before = OPAQUE) {
    HDC dc = GetDC(control);
    SetTextColor(dc, UNSET);
    SetBkColor(dc, UNSET);
    SetBkMode(dc, mode_before);
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(window, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
    ColourAnswer answer{brush, GetTextColor(dc), GetBkColor(dc), GetBkMode(dc)};
    ReleaseDC(control, dc);
    return answer;
}

// A standard control of any class made a gadget, the way the gadget kinds make theirs.
HWND control_gadget(intptr_t number, const char* class_name, DWORD style, const RECT& area, const char* text = "") {
    static const GadgetOps ops = gadget_ops(0);
    HWND control;
    GadgetControl made{0, class_name, text, WS_CHILD | WS_VISIBLE | style, area.left, area.top,
                       area.right - area.left, area.bottom - area.top};
    GadgetRecord* record = create_gadget(number, made, &control);
    if (!record) return nullptr;
    register_gadget(number, record, control, &ops);
    return control;
}

// A procedure put in front of a window's chain: it counts theme changes and passes everything on.
WNDPROC behind_spy;
int theme_changes;
LRESULT CALLBACK spy_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_THEMECHANGED) ++theme_changes;
    return CallWindowProcA(behind_spy, window, message, wparam, lparam);
}

class ColourTest : public testing::Test {
protected:
    HWND window() const { return window_.handle(); }
    ColourAnswer ask(HWND control, UINT message = WM_CTLCOLORSTATIC, int mode_before = OPAQUE) {
        return ask_colours(window(), message, control, mode_before);
    }

    TestWindow window_;
};

TEST_F(ColourTest, ATransparentLabelIsAnsweredWithTheNullBrushInTransparentMode) {
    HWND label = static_cast<HWND>(hyperlink_gadget(2, 640, 5, 50, 14, "close", WHITE));
    HWND other = static_cast<HWND>(hyperlink_gadget(3, 640, 25, 50, 14, "other", WHITE));
    EXPECT_EQ(colour_gadget(2, GREY, COLOUR_TRANSPARENT), FRONT_AND_BACK_COLOURS);
    ColourAnswer answer = ask(label);
    EXPECT_EQ(answer.brush, null_brush()) << "nothing is painted behind a transparent control";
    EXPECT_EQ(answer.mode, TRANSPARENT);
    EXPECT_EQ(answer.text, GREY);
    EXPECT_EQ(answer.back, UNSET) << "a transparent back colour sets none";
    EXPECT_EQ(ask(other).brush, button_face_brush()) << "an uncoloured control is left to the window's own layers";
}

TEST_F(ColourTest, ATransparentStaticShowsTheWindowsBackgroundThroughIt) {
    constexpr RECT AREA{100, 100, 180, 116};
    control_gadget(21, "Static", SS_NOTIFY, AREA, "Label");
    EXPECT_TRUE(client_pixels(window(), AREA).contains(GetSysColor(COLOR_BTNFACE)))
        << "an uncoloured static paints its rectangle";
    colour_gadget(21, GREY, COLOUR_TRANSPARENT);
    Split through = split(client_pixels(window(), AREA), AREA, GREY);
    EXPECT_GT(through.coloured, 20) << "its text in the front colour";
    EXPECT_GT(through.background, 800) << "the window's background around it";
    EXPECT_EQ(through.other, 0) << "and nothing else: not the rectangle it showed before";
}

TEST_F(ColourTest, ALabelKeepsItsOwnTextColourOverTheBackground) {
    constexpr RECT AREA{250, 42, 275, 54};
    hyperlink_gadget(12, AREA.left, AREA.top, 25, 12, "FLV", WHITE);
    set_gadget_colour(12, FRONT_COLOUR, LABEL_GREY);
    colour_gadget(12, RGB(195, 195, 195), COLOUR_TRANSPARENT);
    Split label = split(client_pixels(window(), AREA), AREA, LABEL_GREY);
    EXPECT_GT(label.coloured, 20) << "the label sets its own colour after asking its parent";
    EXPECT_EQ(label.other, 0) << "no rectangle over the background";
}

TEST_F(ColourTest, GadgetsOfOneWindowSubclassItOnceAndEverythingElsePassesOn) {
    WNDPROC own = procedure_of(window());
    HWND uncoloured = static_cast<HWND>(hyperlink_gadget(4, 10, 50, 50, 14, "plain", WHITE));
    make_transparent(uncoloured);
    hyperlink_gadget(2, 10, 10, 50, 14, "close", WHITE);
    hyperlink_gadget(3, 10, 30, 50, 14, "minimise", WHITE);
    colour_gadget(2, GREY, COLOUR_TRANSPARENT);
    ASSERT_NE(procedure_of(window()), own) << "the colour procedure is in front";
    behind_spy = procedure_of(window());
    SetWindowLongPtrA(window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spy_procedure));
    colour_gadget(3, GREY, COLOUR_TRANSPARENT);
    colour_gadget(2, RED, COLOUR_KEEP);
    EXPECT_EQ(procedure_of(window()), spy_procedure) << "a window already subclassed is not subclassed again";

    EXPECT_EQ(ask(uncoloured).brush, null_brush()) << "the window's own layers still answer behind it";
    SendMessageA(window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(only(read_events(), EV_CLOSE_WINDOW).size(), 1u) << "and the runtime's procedure still raises events";
}

TEST_F(ColourTest, TheClimbGoesThroughContainersUpToTheRuntimeWindowAndNoFurther) {
    HWND owner = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HWND second = static_cast<HWND>(open_window(1, 10, 10, 300, 200, "second", 0, owner));
    HWND container = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 100, second, nullptr,
                                     nullptr, nullptr);
    use_gadget_list(container);
    WNDPROC owner_own = procedure_of(owner), second_own = procedure_of(second), container_own = procedure_of(container);
    HWND label = static_cast<HWND>(hyperlink_gadget(5, 10, 10, 50, 14, "inner", WHITE));
    colour_gadget(5, GREY, COLOUR_TRANSPARENT);
    EXPECT_NE(procedure_of(container), container_own) << "the control's parent";
    EXPECT_NE(procedure_of(second), second_own) << "the runtime window it lies in";
    EXPECT_EQ(procedure_of(owner), owner_own) << "the runtime window's owner is no parent";
    EXPECT_EQ(ask_colours(container, WM_CTLCOLORSTATIC, label).brush, null_brush());

    // A window opened later may receive a recycled handle; it is subclassed afresh.
    close_window(1);
    HWND third = static_cast<HWND>(open_window(1, 10, 10, 300, 200, "third", 0));
    WNDPROC third_own = procedure_of(third);
    HWND later = static_cast<HWND>(hyperlink_gadget(6, 10, 10, 50, 14, "later", WHITE));
    colour_gadget(6, GREY, COLOUR_TRANSPARENT);
    EXPECT_NE(procedure_of(third), third_own);
    EXPECT_EQ(ask_colours(third, WM_CTLCOLORSTATIC, later).brush, null_brush());
    close_window(1);
    DestroyWindow(owner);
    use_gadget_list(window());
}

TEST_F(ColourTest, RecolouringWithKeepKeepsTheBrushAndANewColourReplacesIt) {
    HWND label = control_gadget(7, "Static", 0, RECT{100, 150, 180, 166}, "x");
    colour_gadget(7, RED, BLUE);
    ColourAnswer first = ask(label);
    ASSERT_TRUE(is_brush(first.brush));
    EXPECT_EQ(brush_colour(first.brush), BLUE);
    EXPECT_EQ(first.back, BLUE);
    EXPECT_EQ(first.text, RED);
    EXPECT_EQ(first.mode, TRANSPARENT) << "every control but an edit draws its text transparently";

    colour_gadget(7, GREEN, COLOUR_KEEP);
    ColourAnswer kept = ask(label);
    EXPECT_EQ(kept.brush, first.brush) << "back KEEP keeps the brush";
    EXPECT_TRUE(is_brush(first.brush));
    EXPECT_EQ(kept.text, GREEN);
    EXPECT_EQ(kept.back, BLUE);

    colour_gadget(7, COLOUR_KEEP, YELLOW);
    ColourAnswer replaced = ask(label);
    EXPECT_NE(replaced.brush, first.brush);
    EXPECT_FALSE(is_brush(first.brush)) << "the old brush is deleted";
    EXPECT_EQ(brush_colour(replaced.brush), YELLOW);
    EXPECT_EQ(replaced.text, GREEN) << "front KEEP keeps the text colour";

    colour_gadget(7, COLOUR_KEEP, COLOUR_TRANSPARENT);
    EXPECT_FALSE(is_brush(replaced.brush)) << "going transparent gives the solid brush up too";
    EXPECT_EQ(ask(label).brush, null_brush());
}

TEST_F(ColourTest, DefaultColoursFollowTheControlsClass) {
    // The system's text colours are both black here: one is changed so that they can be told apart.
    int element = COLOR_BTNTEXT;
    COLORREF button_text = GetSysColor(COLOR_BTNTEXT), changed = RGB(90, 0, 90);
    SetSysColors(1, &element, &changed);
    struct Row {
        const char* class_name;
        UINT message;
        int text, back, mode;
    };
    const Row rows[] = {
        {"Edit", WM_CTLCOLOREDIT, COLOR_WINDOWTEXT, COLOR_WINDOW, OPAQUE},
        {"Static", WM_CTLCOLORSTATIC, COLOR_BTNTEXT, COLOR_BTNFACE, TRANSPARENT},
        {"Button", WM_CTLCOLORBTN, COLOR_BTNTEXT, COLOR_BTNFACE, TRANSPARENT},
        {"ListBox", WM_CTLCOLORLISTBOX, COLOR_WINDOWTEXT, COLOR_WINDOW, TRANSPARENT},
    };
    intptr_t number = 30;
    for (const Row& row : rows) {
        HWND control = control_gadget(number, row.class_name, 0, RECT{10, 300, 100, 330});
        colour_gadget(number++, COLOUR_DEFAULT, COLOUR_KEEP);  // KEEP the first time is the default too
        ColourAnswer answer = ask(control, row.message, row.mode == OPAQUE ? TRANSPARENT : OPAQUE);
        EXPECT_EQ(answer.text, GetSysColor(row.text)) << row.class_name;
        EXPECT_EQ(answer.back, GetSysColor(row.back)) << row.class_name;
        EXPECT_EQ(brush_colour(answer.brush), GetSysColor(row.back)) << row.class_name;
        EXPECT_EQ(answer.mode, row.mode) << row.class_name;
        DestroyWindow(control);
    }
    SetSysColors(1, &element, &button_text);
}

TEST_F(ColourTest, TextFieldsWithOneBackColourShareOneCachedBrush) {
    HWND first = static_cast<HWND>(text_field_gadget(8, 10, 100, 200, 20, "first"));
    HWND second = static_cast<HWND>(text_field_gadget(9, 10, 130, 200, 20, "second"));
    HWND third = static_cast<HWND>(text_field_gadget(10, 10, 160, 200, 20, "third"));
    set_gadget_colour(8, BACK_COLOUR, BLUE);
    set_gadget_colour(9, BACK_COLOUR, BLUE);
    set_gadget_colour(10, BACK_COLOUR, YELLOW);
    HBRUSH shared = ask(first, WM_CTLCOLOREDIT).brush;
    EXPECT_EQ(brush_colour(shared), BLUE);
    EXPECT_EQ(ask(second, WM_CTLCOLOREDIT).brush, shared) << "one brush for one colour";
    EXPECT_NE(ask(third, WM_CTLCOLOREDIT).brush, shared) << "another colour, another brush";
    set_gadget_colour(8, BACK_COLOUR, NO_COLOUR);
    EXPECT_TRUE(is_brush(shared)) << "the second field still uses it";
    DestroyWindow(second);
    EXPECT_FALSE(is_brush(shared)) << "deleted when the last user gives it back";
}

TEST_F(ColourTest, ColourTypesAccumulateAndANumberWithoutAGadgetIsLeftAlone) {
    WNDPROC own = procedure_of(window());
    EXPECT_EQ(colour_gadget(9, GREY, COLOUR_TRANSPARENT), 0);
    EXPECT_EQ(colour_gadget(0x12345678, GREY, COLOUR_TRANSPARENT), 0) << "a stray value is no gadget";
    EXPECT_EQ(procedure_of(window()), own) << "and nothing is subclassed for it";

    HWND label = control_gadget(11, "Static", 0, RECT{100, 200, 180, 216}, "x");
    EXPECT_EQ(colour_gadget(11, GREY, BLUE), 1);
    EXPECT_EQ(colour_gadget(11, RED, YELLOW, 0, 4), 5) << "a further type is added to the set";
    EXPECT_EQ(ask(label).text, GREY) << "and applies no front or back colour";
    EXPECT_EQ(colour_gadget(11, RED, YELLOW, 0, ~4), 1) << "a type below 0 masks the set";
    EXPECT_EQ(colour_gadget(11, RED, YELLOW, 0, 128 + 1), 1) << "so does one above 64";
    EXPECT_EQ(brush_colour(ask(label).brush), BLUE) << "a mask applies nothing";
}

TEST_F(ColourTest, AColourStaysWithItsControlNotWithANewControlUnderTheNumber) {
    control_gadget(11, "Static", 0, RECT{100, 200, 180, 216}, "old");
    colour_gadget(11, GREY, BLUE);
    HWND newer = control_gadget(11, "Static", 0, RECT{100, 220, 180, 236}, "new");
    EXPECT_EQ(ask(newer).brush, button_face_brush()) << "the new control is not coloured by the old colours";
    colour_gadget(11, RED, COLOUR_KEEP);
    ColourAnswer answer = ask(newer);
    EXPECT_EQ(brush_colour(answer.brush), BLUE) << "colouring the number again moves its colours over";
    EXPECT_EQ(answer.text, RED);
}

// The handle value of a control destroyed behind the runtime's back may be given to a later
// control, which must not be answered with the dead control's colours.
TEST_F(ColourTest, AControlDestroyedOtherThanByTheRuntimeIsNoLongerColoured) {
    HWND label = control_gadget(24, "Static", 0, RECT{100, 240, 180, 256}, "gone");
    colour_gadget(24, GREY, BLUE);
    HBRUSH coloured = ask(label).brush;
    DestroyWindow(label);
    EXPECT_NE(ask(label).brush, coloured) << "no colour entry names the dead handle";
}

TEST_F(ColourTest, ControlsThatKeepColoursOfTheirOwnAreGivenThem) {
    HWND bar = static_cast<HWND>(progress_bar_gadget(12, 10, 380, 300, 17, 0, 100));
    colour_gadget(12, RED, BLUE);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(bar, PBM_GETBARCOLOR, 0, 0)), RED);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(bar, PBM_GETBKCOLOR, 0, 0)), BLUE);
    colour_gadget(12, COLOUR_KEEP, COLOUR_TRANSPARENT);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(bar, PBM_GETBKCOLOR, 0, 0)), CLR_DEFAULT)
        << "a transparent bar has the default background";

    HWND list = control_gadget(13, WC_LISTVIEWA, LVS_REPORT, RECT{10, 200, 200, 300});
    colour_gadget(13, RED, BLUE);
    EXPECT_EQ(ListView_GetBkColor(list), BLUE);
    EXPECT_EQ(ListView_GetTextBkColor(list), BLUE);

    HWND tree = control_gadget(14, WC_TREEVIEWA, 0, RECT{210, 200, 400, 300});
    colour_gadget(14, RED, YELLOW);
    EXPECT_EQ(TreeView_GetBkColor(tree), YELLOW);
    colour_gadget(14, RED, BLUE, COLOUR_TRANSPARENT);
    ColourAnswer unanswered = ask(tree, WM_CTLCOLOREDIT);
    EXPECT_EQ(unanswered.brush, nullptr) << "a tree coloured with extra COLOUR_TRANSPARENT paints itself";
    EXPECT_EQ(unanswered.text, UNSET);

    ASSERT_NE(LoadLibraryA("riched20.dll"), nullptr);
    HWND rich = control_gadget(15, "RichEdit20A", ES_MULTILINE, RECT{410, 200, 600, 300}, "rich text");
    colour_gadget(15, RED, BLUE);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(rich, EM_SETBKGNDCOLOR, 0, BLUE)), BLUE) << "answers the previous";
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(rich, EM_SETSEL, 0, -1);
    SendMessageA(rich, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.crTextColor, RED) << "all of its text";
}

TEST_F(ColourTest, AComboBoxAnswersForItsPartsItself) {
    HWND combo = control_gadget(16, "ComboBox", CBS_DROPDOWN, RECT{10, 300, 160, 400});
    HWND edit = GetWindow(combo, GW_CHILD);
    ASSERT_NE(edit, nullptr);
    colour_gadget(16, RED, BLUE);
    WNDPROC coloured = procedure_of(combo);
    ColourAnswer part = ask_colours(combo, WM_CTLCOLOREDIT, edit);
    EXPECT_EQ(brush_colour(part.brush), BLUE);
    EXPECT_EQ(part.text, RED);
    EXPECT_EQ(part.back, BLUE);
    EXPECT_EQ(part.mode, TRANSPARENT);
    colour_gadget(16, GREEN, COLOUR_KEEP);
    EXPECT_EQ(procedure_of(combo), coloured) << "the combo box's own procedure is replaced once";
    EXPECT_EQ(ask_colours(combo, WM_CTLCOLOREDIT, edit).text, GREEN);
}

TEST_F(ColourTest, ATabControlIsOwnerDrawnOverItsClassBackgroundInTheBackColour) {
    HWND tabs = control_gadget(17, WC_TABCONTROLA, 0, RECT{300, 100, 500, 220});
    colour_gadget(17, WHITE, RED);
    EXPECT_TRUE(GetWindowLongPtrA(tabs, GWL_STYLE) & TCS_OWNERDRAWFIXED);
    EXPECT_EQ(brush_colour(reinterpret_cast<HBRUSH>(GetClassLongPtrA(tabs, GCLP_HBRBACKGROUND))), RED);
}

TEST_F(ColourTest, ShutdownGivesBackWhatTheLibraryMadeAndTheWindowsPassEverythingOn) {
    HWND label = control_gadget(18, "Static", 0, RECT{100, 250, 180, 266}, "x");
    colour_gadget(18, RED, BLUE);
    HBRUSH brush = ask(label).brush;
    HWND combo = control_gadget(19, "ComboBox", CBS_DROPDOWN, RECT{10, 300, 160, 400});
    WNDPROC combo_own = procedure_of(combo);
    colour_gadget(19, RED, BLUE);
    HWND tabs = control_gadget(20, WC_TABCONTROLA, 0, RECT{300, 100, 500, 220});
    colour_gadget(20, WHITE, RED);
    auto class_brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(tabs, GCLP_HBRBACKGROUND));

    free_colour_library();
    EXPECT_FALSE(is_brush(brush)) << "back brushes deleted";
    EXPECT_EQ(procedure_of(combo), combo_own) << "the combo box has its own procedure back";
    EXPECT_EQ(reinterpret_cast<HBRUSH>(GetClassLongPtrA(tabs, GCLP_HBRBACKGROUND)), button_face_brush());
    EXPECT_FALSE(is_brush(class_brush)) << "class brushes deleted";
    EXPECT_EQ(ask(label).brush, button_face_brush()) << "the colour procedure stays and passes everything on";
    close_window(0);
    init_colour_library();  // as start-up left it, for the tests that follow
}

} // namespace
