// The gadget core: numbers, records and controls, the gadget list, parent messages, generic operations.
#include <gtest/gtest.h>

#include "core/objects.h"
#include "gui/controls.h"
#include "gui/gadgets.h"
#include "gui/hyperlink.h"
#include "gui/windows.h"
#include "gui_support.h"

namespace {

using namespace rt;
using namespace gui_test;

HANDLE id_property(HWND control) { return GetPropA(control, "KV_ID"); }

class GadgetTest : public testing::Test {
protected:
    TestWindow window_;
};

TEST_F(GadgetTest, AGadgetIsAControlOfTheCurrentListWindowNamedByItsNumber) {
    HWND button = static_cast<HWND>(button_gadget(3, 10, 10, 80, 24, "b"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(gadget_handle(3), button);
    EXPECT_TRUE(is_gadget(3));
    EXPECT_EQ(GetParent(button), window_.handle());
    EXPECT_EQ(GetWindowLongPtrA(button, GWLP_ID), 3);
    EXPECT_EQ(id_property(button), reinterpret_cast<HANDLE>(3));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT))
        << "every gadget gets the current gadget font";
}

TEST_F(GadgetTest, ReusingANumberDestroysTheOldControlFirst) {
    HWND first = static_cast<HWND>(button_gadget(3, 10, 10, 80, 24, "first"));
    HWND second = static_cast<HWND>(text_field_gadget(3, 10, 40, 80, 20, "second"));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(gadget_handle(3), second);
    EXPECT_EQ(GetWindowLongPtrA(second, GWLP_ID), 3);
    set_gadget_text(3, "still driven by its number");
    char text[64] = {};
    GetWindowTextA(second, text, sizeof text);
    EXPECT_STREQ(text, "still driven by its number");
}

TEST_F(GadgetTest, ADynamicGadgetIsNamedByItsRecordsAddress) {
    void* identity = button_gadget(DYNAMIC_NUMBER, 10, 10, 80, 24, "dynamic");
    ASSERT_NE(identity, nullptr);
    auto number = reinterpret_cast<intptr_t>(identity);
    HWND button = gadget_handle(number);
    ASSERT_TRUE(IsWindow(button));
    EXPECT_NE(static_cast<void*>(button), identity);
    EXPECT_EQ(GetWindowLongPtrA(button, GWLP_ID), number) << "GWL_ID holds the whole address";
    EXPECT_EQ(id_property(button), identity);
    DestroyWindow(button);
    EXPECT_FALSE(is_gadget(number)) << "destroying the control frees the record";
    EXPECT_EQ(gadget_handle(number), nullptr);
}

TEST_F(GadgetTest, ClosingAWindowFreesEveryGadgetInIt) {
    open_window(1, 10, 10, 300, 200, "second", 0);
    button_gadget(5, 10, 10, 80, 24, "5");
    hyperlink_gadget(6, 10, 40, 80, 14, "6", 0xFFFFFF);
    auto dynamic = reinterpret_cast<intptr_t>(progress_bar_gadget(DYNAMIC_NUMBER, 10, 60, 80, 10, 0, 100));
    HWND six = gadget_handle(6);
    close_window(1);
    for (intptr_t number : {intptr_t{5}, intptr_t{6}, dynamic}) {
        EXPECT_FALSE(is_gadget(number)) << number;
        EXPECT_EQ(gadget_handle(number), nullptr) << number;
    }
    EXPECT_FALSE(IsWindow(six));
}

TEST_F(GadgetTest, GadgetsKeepWorkingWhenTheTableGrowsUnderThem) {
    hyperlink_gadget(4, 10, 10, 80, 14, "label", 0xFFFFFF);
    for (intptr_t number = 60; number < 400; number += 57) button_gadget(number, 10, 40, 20, 20, "");
    set_gadget_colour(4, FRONT_COLOUR, RGB(1, 2, 3));
    EXPECT_EQ(get_gadget_colour(4, FRONT_COLOUR), RGB(1, 2, 3));
    DestroyWindow(gadget_handle(4));
    EXPECT_FALSE(is_gadget(4));
    for (intptr_t number = 60; number < 400; number += 57) EXPECT_TRUE(is_gadget(number)) << number;
}

TEST_F(GadgetTest, NumbersThatHoldNoGadgetDoNothing) {
    EXPECT_EQ(gadget_handle(9), nullptr);
    EXPECT_FALSE(is_gadget(9));
    EXPECT_EQ(hide_gadget(9, 1), FALSE);
    EXPECT_EQ(disable_gadget(9, 1), FALSE);
    EXPECT_EQ(set_gadget_state(9, 1), 0);
    EXPECT_EQ(get_gadget_state(9), 0);
    EXPECT_EQ(set_gadget_text(9, "x"), FALSE);
    EXPECT_EQ(set_gadget_colour(9, FRONT_COLOUR, 0), 0);
    EXPECT_EQ(get_gadget_colour(9, FRONT_COLOUR), 0u);
    EXPECT_EQ(get_gadget_attribute(9, 1), 0);
    EXPECT_FALSE(is_gadget(0x12345678)) << "a stray value is no identity";
    EXPECT_EQ(button_gadget(-7, 0, 0, 10, 10, "bad"), nullptr) << "a number no table can hold";
    EXPECT_EQ(GetWindow(window_.handle(), GW_CHILD), nullptr) << "and no control is left behind";
}

TEST_F(GadgetTest, KindsWithoutAnOperationIgnoreItOrUseTheGenericOne) {
    HWND field = static_cast<HWND>(text_field_gadget(5, 10, 10, 120, 20, "text"));
    EXPECT_EQ(set_gadget_state(5, 1), 0) << "a text field has no state";
    EXPECT_EQ(get_gadget_state(5), 0);
    char text[16] = {};
    GetWindowTextA(field, text, sizeof text);
    EXPECT_STREQ(text, "text");
    set_gadget_text(5, nullptr);
    EXPECT_EQ(GetWindowTextLengthA(field), 0) << "no text is the empty text";
    frame_gadget(6, 10, 40, 100, 50, "frame");
    EXPECT_EQ(get_gadget_colour(6, FRONT_COLOUR), NO_COLOUR) << "a frame has no colours";
    EXPECT_EQ(set_gadget_colour(6, FRONT_COLOUR, 0), 0);
}

TEST_F(GadgetTest, HideAndDisableAct) {
    HWND bar = static_cast<HWND>(progress_bar_gadget(10, 25, 380, 650, 17, 0, 100));
    hide_gadget(10, 1);
    EXPECT_FALSE(IsWindowVisible(bar));
    hide_gadget(10, 0);
    EXPECT_TRUE(IsWindowVisible(bar));
    disable_gadget(10, 1);
    EXPECT_FALSE(IsWindowEnabled(bar));
    disable_gadget(10, 0);
    EXPECT_TRUE(IsWindowEnabled(bar));
}

TEST_F(GadgetTest, ParentMessagesReachOnlyTheGadgetsOwnControl) {
    HWND field = static_cast<HWND>(text_field_gadget(5, 10, 10, 120, 20, ""));
    set_gadget_colour(5, BACK_COLOUR, RGB(200, 10, 10));
    HDC dc = GetDC(field);
    LRESULT answer = SendMessageA(window_.handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                  reinterpret_cast<LPARAM>(field));
    EXPECT_NE(answer, 0);
    EXPECT_EQ(GetBkColor(dc), RGB(200, 10, 10));
    // A foreign control that shares the number as its id, like the inner parts of a system control.
    HWND foreign = CreateWindowExA(0, "Edit", "", WS_CHILD, 0, 0, 10, 10, window_.handle(),
                                   reinterpret_cast<HMENU>(5), nullptr, nullptr);
    LRESULT foreign_answer = SendMessageA(window_.handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                          reinterpret_cast<LPARAM>(foreign));
    EXPECT_NE(foreign_answer, answer) << "the gadget's brush is not handed out for another control";
    ReleaseDC(field, dc);
    DestroyWindow(foreign);
    EXPECT_TRUE(is_gadget(5)) << "the foreign control's end does not free the gadget";
}

TEST_F(GadgetTest, TheGadgetListIsTheWindowLastOpenedOrChosen) {
    HWND second = static_cast<HWND>(open_window(1, 10, 10, 300, 200, "second", 0));
    EXPECT_EQ(use_gadget_list(nullptr), second) << "opening a window makes it the list";
    HWND third = static_cast<HWND>(open_window(2, 10, 10, 300, 200, "third", WF_NO_GADGET_LIST));
    EXPECT_EQ(use_gadget_list(nullptr), second) << "unless asked not to";
    EXPECT_EQ(use_gadget_list(window_.handle()), second);
    EXPECT_EQ(GetParent(static_cast<HWND>(button_gadget(3, 0, 0, 10, 10, ""))), window_.handle());
    use_gadget_list(third);
    EXPECT_EQ(GetParent(static_cast<HWND>(button_gadget(4, 0, 0, 10, 10, ""))), third);
    close_window(2);
    EXPECT_EQ(use_gadget_list(nullptr), nullptr) << "a destroyed list window is no list";
    EXPECT_EQ(button_gadget(4, 0, 0, 10, 10, ""), nullptr) << "without a list no gadget can be made";
    close_window(1);
    use_gadget_list(window_.handle());
}

TEST_F(GadgetTest, AWindowChosenAgainAsListIsSubclassedOnce) {
    WNDPROC before = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_.handle(), GWLP_WNDPROC));
    HWND previous = use_gadget_list(window_.handle());
    use_gadget_list(window_.handle());
    EXPECT_EQ(previous, window_.handle());
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window_.handle(), GWLP_WNDPROC)), before);
}

} // namespace
