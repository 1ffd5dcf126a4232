// Picture display: window background images and image gadgets, their pixels read back from the
// screen, clicks and drags by real X input.
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

constexpr RECT BADGE{20, 11, 150, 61};      // the converter's gadget 20
constexpr RECT READ_OUT{520, 42, 670, 57};  // and its gadget 21
constexpr int SKIN = 1, BADGE_IMAGE = 2, READ_OUT_IMAGE = 3;

// A different colour for every (x, y) below 1024; pictures of different seeds differ.
PixelAt pattern(int seed) {
    return [seed](int x, int y) { return RGB(x & 0xFF, y & 0xFF, (x >> 8 & 3) | (y >> 8 & 3) << 2 | seed << 4); };
}

// Writes every pixel of image `number`, 24- or 32-bit (y = 0 is its top row; alpha straight).
HBITMAP paint(intptr_t number, const PixelAt& pixel_at) {
    auto image = static_cast<HBITMAP>(image_handle(number));
    DIBSECTION section{};
    GetObjectA(image, sizeof section, &section);
    const BITMAP& bitmap = section.dsBm;
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

// "" when every pixel of the area shows expected_at(x, y), each channel within one step (the
// blend's rounding), else the first pixel that does not.
std::string pixel_fault(HWND window, const RECT& area, const PixelAt& expected_at) {
    Pixels pixels = client_pixels(window, area);
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            COLORREF shown = pixels.at(x, y), expected = expected_at(area.left + x, area.top + y);
            for (int shift : {0, 8, 16})
                if (std::abs(int(shown >> shift & 0xFF) - int(expected >> shift & 0xFF)) > 1)
                    return "pixel " + std::to_string(x) + "," + std::to_string(y);
        }
    return "";
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
    std::string tiling_fault(HWND window, int width, int height, int seed) {
        RECT client;
        GetClientRect(window, &client);
        return pixel_fault(window, client, [&](int x, int y) { return pattern(seed)(x % width, y % height); });
    }
    // The converter's window: window 0 with a 700 x 440 skin, and its format badge.
    HWND skinned_badge() {
        set_window_background_image(window_.handle(), pattern_image(SKIN, 700, 440, 1));
        return static_cast<HWND>(image_gadget(20, BADGE.left, BADGE.top, 130, 50, pattern_image(BADGE_IMAGE, 130, 50, 2)));
    }
    std::vector<int> badge_events(int x, int y, const std::string& then) {
        return gadget_types(events_during_input(screen_point(window_.handle(), x, y) + " " + then), 20);
    }
    TestWindow window_;
};

TEST_F(PictureTest, ABackgroundIsTiledFromTheOriginAndASecondPictureReplacesTheFirst) {
    HWND window = open_popup(1000, 500);
    int entry = set_window_background_image(window, pattern_image(SKIN, 700, 440, 1));
    EXPECT_EQ(tiling_fault(window, 700, 440, 1), "") << "tiles at (0,0), (0,440), (700,0), (700,440), cut at the edges";
    const LONG_PTR procedure = GetWindowLongPtrA(window, GWLP_WNDPROC);
    EXPECT_EQ(set_window_background_image(window, pattern_image(BADGE_IMAGE, 64, 32, 2)), entry) << "the same entry";
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), procedure) << "the window is subclassed once";
    EXPECT_EQ(tiling_fault(window, 64, 32, 2), "") << "only the new picture shows";
    close_window(1);
    EXPECT_EQ(set_window_background_image(open_popup(300, 100), static_cast<HBITMAP>(image_handle(SKIN))), entry) << "a closed window's entry";
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
    set_window_background_image(window, pattern_image(SKIN, 50, 50, 1));
    EXPECT_EQ(GetObjectType(brush), 0u) << "the class's old brush is deleted";
    EXPECT_EQ(repaints(), 0u);
    free_window_backgrounds();
    EXPECT_GT(repaints(), 0u) << "after shutdown the window is no longer tiled";
    set_window_background_image(window, static_cast<HBITMAP>(image_handle(SKIN)));
    EXPECT_EQ(tiling_fault(window, 50, 50, 1), "") << "a picture set later is tiled again";
}

TEST_F(PictureTest, ABackgroundForNoWindowOrNoBitmapFailsAndChangesNothing) {
    HWND destroyed = open_popup(10, 10);
    close_window(1);
    const LONG_PTR procedure = GetWindowLongPtrA(window_.handle(), GWLP_WNDPROC);
    HBITMAP skin = pattern_image(SKIN, 50, 50, 1), not_a_bitmap = reinterpret_cast<HBITMAP>(GetStockObject(WHITE_BRUSH));
    const std::pair<HWND, HBITMAP> calls[] = {{nullptr, skin}, {destroyed, skin}, {window_.handle(), nullptr},
                                              {window_.handle(), not_a_bitmap}};
    for (const auto& [window, image] : calls) EXPECT_EQ(set_window_background_image(window, image), 0) << window << image;
    EXPECT_EQ(GetWindowLongPtrA(window_.handle(), GWLP_WNDPROC), procedure) << "not subclassed";
}

TEST_F(PictureTest, AnImageGadgetTakesTheSizeOfItsImageAndKeepsItsPlace) {
    HBITMAP image = pattern_image(BADGE_IMAGE, 130, 50, 2);
    const std::tuple<HBITMAP, DWORD, SIZE> cases[] = {
        {nullptr, 0, {150, 15}}, {image, 0, {130, 50}}, {image, WS_EX_CLIENTEDGE, {134, 54}}};  // an edge: 2 each side
    for (const auto& [shown, ex_style, size] : cases) {
        auto gadget = static_cast<HWND>(image_gadget(21, 520, 42, 150, 15, shown, ex_style));
        RECT outer;
        GetWindowRect(gadget, &outer);
        MapWindowPoints(nullptr, window_.handle(), reinterpret_cast<POINT*>(&outer), 2);
        const RECT expected{520, 42, 520 + size.cx, 42 + size.cy};
        EXPECT_TRUE(EqualRect(&outer, &expected)) << shown << " " << ex_style;
        EXPECT_EQ(get_gadget_state(21), reinterpret_cast<intptr_t>(shown));
    }
}

// The read-out: transparent (its colour bytes ignored), white text, and half-transparent orange,
// premultiplied and blended over the skin once however often the image is shown.
TEST_F(PictureTest, APictureWithAlphaIsBlendedOverTheSkinOnceHoweverOftenItIsShown) {
    set_window_background_image(window_.handle(), pattern_image(SKIN, 700, 440, 1));
    image_gadget(21, READ_OUT.left, READ_OUT.top, 150, 15, nullptr);
    create_image(READ_OUT_IMAGE, 150, 15, 32);
    auto read_out = [](int text) -> PixelAt {
        return [text](int x, int) { return x >= text && x < text + 10 ? 0xFFFFFFFF : x >= 40 && x < 50 ? 0x80C86432 : 0xFF0000; };
    };
    auto over_skin = [](const PixelAt& image) -> PixelAt {
        return [image](int x, int y) {
            uint32_t pixel = image(x - READ_OUT.left, y - READ_OUT.top), skin = pattern(1)(x, y), alpha = pixel >> 24, blend = 0;
            for (int shift : {0, 8, 16})
                blend |= (((pixel >> shift & 0xFF) * alpha >> 8) + ((skin >> shift & 0xFF) * (255 - alpha) + 127) / 255) << shift;
            return blend;
        };
    };
    for (int text : {10, 60}) {  // the next second's text lies elsewhere
        paint(READ_OUT_IMAGE, read_out(text));
        for (int shown = 0; shown < 3; ++shown) set_gadget_state(21, reinterpret_cast<intptr_t>(image_handle(READ_OUT_IMAGE)));
        EXPECT_EQ(pixel_fault(window_.handle(), READ_OUT, over_skin(read_out(text))), "") << "text at " << text;
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
        EXPECT_EQ(badge_events(at.x, at.y, input), types) << input;
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
            return badge_events(from.x + step.x * distance, from.y + step.y * distance, then);
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
