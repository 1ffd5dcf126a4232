// The converter's controls, made as the converter makes them, at their places on a skinned window.
// With CONVERTER_LAYOUT_SHOT set to a file name, the screen is saved there as a BMP picture.
#include <gtest/gtest.h>

#include "gui/controls.h"
#include "gui/gadgets.h"
#include "gui/hyperlink.h"
#include "gui/windows.h"
#include "gui_support.h"

#include <cstdlib>

namespace {

using namespace rt;
using namespace gui_test;

constexpr COLORREF WHITE = RGB(255, 255, 255);

struct Placed {
    intptr_t gadget;
    RECT area;
};

// The window's controls, in the order of creation (the two pictures are another library's).
const Placed LAYOUT[] = {
    {2, {680, 5, 690, 17}},    {3, {660, 5, 670, 17}},    {4, {15, 75, 685, 408}},  {12, {250, 42, 275, 54}},
    {13, {300, 42, 325, 54}},  {14, {350, 42, 375, 54}},  {15, {400, 42, 425, 54}}, {5, {25, 95, 375, 115}},
    {7, {385, 95, 410, 115}},  {6, {25, 125, 375, 145}},  {8, {385, 125, 410, 145}}, {9, {590, 330, 670, 370}},
    {10, {25, 380, 675, 397}}, {11, {25, 380, 675, 397}},
};

void link(intptr_t number, int x, int y, int width, const char* text, COLORREF front) {
    hyperlink_gadget(number, x, y, width, 12, text, WHITE);
    make_transparent(gadget_handle(number));
    set_gadget_colour(number, FRONT_COLOUR, front);
}

void build_converter_controls() {
    link(2, 680, 5, 10, "x", RGB(162, 162, 162));
    link(3, 660, 5, 10, "--", RGB(162, 162, 162));
    frame_gadget(4, 15, 75, 670, 333, "\xCA\xEE\xED\xE2\xE5\xF0\xF2\xE8\xF0\xF3\xE5\xEC \xE2\xE8\xE4\xE5\xEE \xF4\xE0\xE9\xEB");
    link(12, 250, 42, 25, "FLV", RGB(177, 177, 177));
    link(13, 300, 42, 25, "AVI", RGB(177, 177, 177));
    link(14, 350, 42, 25, "MPG", RGB(177, 177, 177));
    link(15, 400, 42, 25, "SWF", RGB(177, 177, 177));
    text_field_gadget(5, 25, 95, 350, 20, "");
    button_gadget(7, 385, 95, 25, 20, "...");
    text_field_gadget(6, 25, 125, 350, 20, "");
    button_gadget(8, 385, 125, 25, 20, "...");
    disable_gadget(6, 1);
    disable_gadget(8, 1);
    button_gadget(9, 590, 330, 80, 40, "\xCF\xF3\xF1\xEA");
    progress_bar_gadget(10, 25, 380, 650, 17, 0, 100, PROGRESS_MARQUEE);
    hide_gadget(10, 1);
    progress_bar_gadget(11, 25, 380, 650, 17, 0, 100);
}

TEST(ConverterLayoutTest, EveryControlSitsAtItsPlaceInItsState) {
    TestWindow window(paint_skin);
    build_converter_controls();
    read_events();
    for (const Placed& placed : LAYOUT) {
        HWND control = gadget_handle(placed.gadget);
        ASSERT_NE(control, nullptr) << "gadget " << placed.gadget;
        EXPECT_EQ(GetParent(control), window.handle());
        RECT area;
        GetWindowRect(control, &area);
        MapWindowPoints(nullptr, window.handle(), reinterpret_cast<POINT*>(&area), 2);
        EXPECT_TRUE(EqualRect(&area, &placed.area)) << "gadget " << placed.gadget << " at " << area.left << ","
                                                    << area.top << " to " << area.right << "," << area.bottom;
    }
    EXPECT_FALSE(IsWindowEnabled(gadget_handle(6)));
    EXPECT_FALSE(IsWindowEnabled(gadget_handle(8)));
    EXPECT_FALSE(IsWindowVisible(gadget_handle(10))) << "the busy bar waits hidden";
    EXPECT_TRUE(IsWindowVisible(gadget_handle(11)));
    Pixels close_link = client_pixels(window.handle(), LAYOUT[0].area);
    EXPECT_TRUE(close_link.contains(RGB(162, 162, 162))) << "the close label's grey text";
    EXPECT_TRUE(close_link.contains(RGB(50, 51, 43))) << "on the dark ground, no box behind it";
    Pixels flv_link = client_pixels(window.handle(), LAYOUT[3].area);
    EXPECT_TRUE(flv_link.contains(RGB(177, 177, 177)));
    EXPECT_FALSE(flv_link.contains(GetSysColor(COLOR_BTNFACE))) << "the tab shows through";
    if (const char* shot = std::getenv("CONVERTER_LAYOUT_SHOT")) {
        EXPECT_TRUE(save_screen(shot)) << shot;
    }
}

} // namespace
