// Window background images: the tiles read back from the screen, one subclassing per window, the
// class brush, and what the window's own procedure still sees.
#include <gtest/gtest.h>

#include "graphics/images.h"
#include "gui/window_background.h"
#include "gui/windows.h"
#include "gui_support.h"
#include "test_pictures.h"

#include <string>

namespace {

using namespace rt;
using namespace gui_test;

constexpr uint32_t POPUP_SHOWN_CENTRED = 0x80000001;
constexpr int SKIN = 1;  // image numbers
constexpr int OTHER_PICTURE = 2;

// "" when every client pixel is the picture's pixel (x mod width, y mod height), else the first
// one that is not.
std::string tiling_fault(HWND window, int width, int height, int seed) {
    Pixels pixels = client_pixels(window);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x)
            if (pixels.at(x, y) != pattern_at(x % width, y % height, seed))
                return "pixel " + std::to_string(x) + "," + std::to_string(y);
    return "";
}

WNDPROC procedure_of(HWND window) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)); }

int repaint_events(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return static_cast<int>(only(read_events(50), EV_REPAINT).size());
}

class WindowBackgroundTest : public testing::Test {
protected:
    ~WindowBackgroundTest() override {
        close_window(1);
        free_image(SKIN);
        free_image(OTHER_PICTURE);
    }
    HWND open_popup(int width, int height) {
        auto window = static_cast<HWND>(open_window(1, 0, 0, width, height, "tiles", POPUP_SHOWN_CENTRED));
        SetForegroundWindow(window);
        read_events();
        return window;
    }

    TestWindow window_;  // the converter's 700 x 440 popup
};

TEST_F(WindowBackgroundTest, APictureOfTheClientsSizeIsDrawnOnceAtTheOrigin) {
    HBITMAP skin = pattern_image(SKIN, 700, 440, 1);
    EXPECT_GT(set_window_background_image(window_.handle(), skin), 0);
    EXPECT_EQ(tiling_fault(window_.handle(), 700, 440, 1), "") << "the whole client area is the picture, unshifted";
}

TEST_F(WindowBackgroundTest, ALargerClientAreaIsTiledFromTheOriginWithTheLastTilesCut) {
    HWND window = open_popup(1000, 500);
    HBITMAP skin = pattern_image(SKIN, 700, 440, 1);
    set_window_background_image(window, skin);
    EXPECT_EQ(tiling_fault(window, 700, 440, 1), "") << "tiles at (0,0), (0,440), (700,0), (700,440)";
}

TEST_F(WindowBackgroundTest, ASecondPictureReplacesTheFirstWithoutSubclassingAgain) {
    HWND window = window_.handle();
    int entry = set_window_background_image(window, pattern_image(SKIN, 700, 440, 1));
    WNDPROC procedure = procedure_of(window);
    EXPECT_EQ(set_window_background_image(window, pattern_image(OTHER_PICTURE, 64, 32, 2)), entry) << "the same entry";
    EXPECT_EQ(procedure_of(window), procedure) << "the window is subclassed once";
    EXPECT_EQ(tiling_fault(window, 64, 32, 2), "") << "only the new picture shows";
}

TEST_F(WindowBackgroundTest, TheClassBrushIsRemovedAndDeleted) {
    HWND window = open_popup(200, 100);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    SetClassLongPtrA(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush));
    set_window_background_image(window, pattern_image(SKIN, 50, 50, 1));
    EXPECT_EQ(GetClassLongPtrA(window, GCLP_HBRBACKGROUND), 0);
    EXPECT_EQ(GetObjectType(brush), 0u) << "the class's old brush is deleted";
}

TEST_F(WindowBackgroundTest, ErasesNoLongerReachTheWindowsOwnProcedure) {
    HWND window = open_popup(200, 100);
    ASSERT_GT(repaint_events(window), 0) << "precondition: an erase raises EV_REPAINT";
    set_window_background_image(window, pattern_image(SKIN, 50, 50, 1));
    EXPECT_EQ(repaint_events(window), 0);
}

TEST_F(WindowBackgroundTest, MissingOrUnreadableArgumentsFailAndChangeNothing) {
    HWND window = window_.handle();
    HBITMAP skin = pattern_image(SKIN, 700, 440, 1);
    WNDPROC procedure = procedure_of(window);
    HBRUSH not_a_bitmap = CreateSolidBrush(RGB(1, 2, 3));
    HWND destroyed = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(destroyed);
    EXPECT_EQ(set_window_background_image(nullptr, skin), 0);
    EXPECT_EQ(set_window_background_image(destroyed, skin), 0);
    EXPECT_EQ(set_window_background_image(window, nullptr), 0);
    EXPECT_EQ(set_window_background_image(window, reinterpret_cast<HBITMAP>(not_a_bitmap)), 0);
    EXPECT_EQ(set_window_background_image(window, reinterpret_cast<HBITMAP>(LoadIconA(nullptr, IDI_APPLICATION))), 0);
    EXPECT_EQ(procedure_of(window), procedure) << "not subclassed";
    EXPECT_NE(GetClassLongPtrA(window, GCLP_HBRBACKGROUND), 0) << "the class brush stays";
    DeleteObject(not_a_bitmap);
}

TEST_F(WindowBackgroundTest, ADestroyedWindowsEntryIsFreeForTheNextWindow) {
    HBITMAP skin = pattern_image(SKIN, 50, 50, 1);
    int entry = set_window_background_image(open_popup(200, 100), skin);
    close_window(1);
    HWND next = open_popup(300, 100);
    EXPECT_EQ(set_window_background_image(next, skin), entry) << "the entry of the closed window is used again";
    EXPECT_EQ(tiling_fault(next, 50, 50, 1), "") << "and the new window is subclassed and tiled";
}

TEST_F(WindowBackgroundTest, AfterShutdownOfTheBackgroundsErasesGoToTheWindowAgain) {
    HWND window = open_popup(200, 100);
    HBITMAP skin = pattern_image(SKIN, 50, 50, 1);
    set_window_background_image(window, skin);
    free_window_backgrounds();
    EXPECT_GT(repaint_events(window), 0) << "the window is no longer tiled";
    set_window_background_image(window, skin);
    EXPECT_EQ(tiling_fault(window, 50, 50, 1), "") << "a picture set later is tiled again";
}

} // namespace
