// Window background images and image gadgets: pixels read back from the screen, real X input.
#include <gtest/gtest.h>

#include "graphics/images.h"
#include "gui/gadgets.h"
#include "gui/image_gadget.h"
#include "gui/window_background.h"
#include "gui/windows.h"
#include "gui_support.h"

#include <cstdlib>
#include <functional>

namespace {

using namespace rt;
using namespace gui_test;

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
    BITMAP bitmap{};
    GetObjectA(image, sizeof bitmap, &bitmap);
    for (int y = 0; y < bitmap.bmHeight; ++y)
        for (int x = 0; x < bitmap.bmWidth; ++x) {
            uint8_t* p = static_cast<uint8_t*>(bitmap.bmBits) + (bitmap.bmHeight - 1 - y) * bitmap.bmWidthBytes +
                         x * bitmap.bmBitsPixel / 8;
            const uint32_t pixel = pixel_at(x, y);
            p[0] = GetBValue(pixel), p[1] = GetGValue(pixel), p[2] = GetRValue(pixel);
            if (bitmap.bmBitsPixel == 32) p[3] = static_cast<uint8_t>(pixel >> 24);
        }
    return image;
}

HBITMAP pattern_image(intptr_t number, int width, int height, int seed) {
    create_image(number, width, height, 24);
    return paint(number, pattern(seed));
}

class PictureTest : public testing::Test {
protected:
    ~PictureTest() override {
        close_window(1);
        for (int number : {SKIN, BADGE_IMAGE, READ_OUT_IMAGE}) free_image(number);
    }
    HWND open_popup(int width, int height) {
        auto window = static_cast<HWND>(open_window(1, 0, 0, width, height, "tiles", 0x80000001));  // popup, centred
        read_events();
        return window;
    }
    // "" when every pixel of the area shows expected_at(x, y), each channel within one step (the
    // blend's rounding), else the first pixel that does not.
    static std::string pixel_fault(HWND window, const RECT& area, const PixelAt& expected_at) {
        Pixels pixels = client_pixels(window, area);
        for (int i = 0, x = 0, y = 0; i < pixels.width * pixels.height; x = ++i % pixels.width, y = i / pixels.width)
            for (int shift : {0, 8, 16})
                if (std::abs(int(pixels.at(x, y) >> shift & 0xFF) - int(expected_at(area.left + x, area.top + y) >> shift & 0xFF)) > 1)
                    return "pixel " + std::to_string(x) + "," + std::to_string(y);
        return "";
    }
    static std::string tiling_fault(HWND window, int width, int height, int seed) {
        RECT client;
        GetClientRect(window, &client);
        return pixel_fault(window, client, [&](int x, int y) { return pattern(seed)(x % width, y % height); });
    }
    // The converter's window: window 0 with a 700 x 440 skin, and its format badge.
    HWND skinned_badge() {
        set_window_background_image(window_.handle(), pattern_image(SKIN, 700, 440, 1));
        return static_cast<HWND>(image_gadget(20, BADGE.left, BADGE.top, 130, 50, pattern_image(BADGE_IMAGE, 130, 50, 2)));
    }
    TestWindow window_;
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
    HWND next = open_popup(300, 100);
    EXPECT_EQ(set_window_background_image(next, paint(SKIN, pattern(1))), entry) << "a closed window's entry is free";
}

TEST_F(PictureTest, ABackgroundDeletesTheClassBrushAndKeepsErasesFromTheWindowUntilShutdown) {
    HWND window = open_popup(200, 100);
    auto repaints = [window] {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        return only(read_events(50), EV_REPAINT).size();
    };
    ASSERT_GT(repaints(), 0u) << "an erase raises EV_REPAINT";
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    SetClassLongPtrA(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush));
    HBITMAP skin = pattern_image(SKIN, 50, 50, 1);
    set_window_background_image(window, skin);
    EXPECT_EQ(std::make_pair(GetObjectType(brush), repaints()), std::make_pair(0ul, size_t{0})) << "brush deleted, no erase";
    free_window_backgrounds();
    EXPECT_GT(repaints(), 0u) << "after shutdown the window is no longer tiled";
    set_window_background_image(window, skin);
    EXPECT_EQ(tiling_fault(window, 50, 50, 1), "") << "a picture set later is tiled again";
}

TEST_F(PictureTest, ABackgroundForNoWindowOrNoBitmapFails) {
    HWND destroyed = open_popup(10, 10), window = window_.handle();
    close_window(1);
    HBITMAP skin = pattern_image(SKIN, 50, 50, 1), brush = reinterpret_cast<HBITMAP>(GetStockObject(WHITE_BRUSH));
    for (const auto& [target, image] : {std::pair{HWND{}, skin}, {destroyed, skin}, {window, HBITMAP{}}, {window, brush}})
        EXPECT_EQ(set_window_background_image(target, image), 0) << target << " " << image;
    EXPECT_NE(GetClassLongPtrA(window, GCLP_HBRBACKGROUND), 0) << "the window's class keeps its brush";
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
    DestroyIcon(static_cast<HICON>(icon));
    for (HBITMAP part : {parts.hbmMask, parts.hbmColor}) DeleteObject(part);
}

// The read-out: transparent (its colour bytes ignored), white text, and half-transparent orange,
// premultiplied (channel * alpha >> 8) and blended over the skin once however often it is shown.
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
        EXPECT_EQ(pixel_fault(window_.handle(), READ_OUT, [&](int x, int y) {
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
        {{85, 36}, "click 1", {GADGET_CLICK}},
        {{30, 20}, "click --repeat 2 --delay 60 1", {GADGET_CLICK, GADGET_DOUBLE_CLICK}},
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
