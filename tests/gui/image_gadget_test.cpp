// Image gadgets on the window's background picture: sizes, pixels read back from the screen
// (opaque badges, per-pixel alpha blended over the skin), and clicks and drags by real X input.
#include <gtest/gtest.h>

#include "graphics/images.h"
#include "gui/gadgets.h"
#include "gui/image_gadget.h"
#include "gui/window_background.h"
#include "gui/windows.h"
#include "gui_support.h"
#include "test_pictures.h"

#include <string>
#include <vector>

namespace {

using namespace rt;
using namespace gui_test;

constexpr int SKIN_SEED = 1;
constexpr RECT BADGE{20, 11, 150, 61};     // the converter's gadget 20
constexpr RECT READ_OUT{520, 42, 670, 57};  // and its gadget 21
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr COLORREF ORANGE = RGB(200, 100, 50);

SIZE window_size(HWND window) {
    RECT outer;
    GetWindowRect(window, &outer);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

POINT position_in_parent(HWND control) {
    RECT outer;
    GetWindowRect(control, &outer);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&outer), 2);
    return {outer.left, outer.top};
}

std::vector<int> gadget_types(const std::vector<SeenEvent>& events, intptr_t gadget) {
    std::vector<int> types;
    for (const SeenEvent& e : only(events, EV_GADGET))
        if (e.gadget == gadget) types.push_back(e.type);
    return types;
}

HICON make_icon(int width, int height) {
    ICONINFO info{TRUE, 0, 0, CreateBitmap(width, height, 1, 1, nullptr), new_dib(width, height, 32)};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    return icon;
}

// The converter's window: window 0 with its 700 x 440 skin as the background picture.
class ImageGadgetTest : public testing::Test {
protected:
    ImageGadgetTest() { set_window_background_image(window_.handle(), pattern_image(1, 700, 440, SKIN_SEED)); }
    ~ImageGadgetTest() override {
        for (int number = 1; number <= 22; ++number) free_image(number);
    }

    HWND badge_gadget(int seed) {
        return static_cast<HWND>(image_gadget(20, BADGE.left, BADGE.top, 130, 50, pattern_image(16, 130, 50, seed)));
    }
    // The read-out's image: transparent everywhere (its colour bytes kept, to show they are ignored).
    HBITMAP clear_read_out() {
        auto image = reinterpret_cast<HBITMAP>(create_image(22, 150, 15, 32));
        fill_columns_32(image, 0, 150, RGB(0, 0, 255), 0);
        return image;
    }
    // "" when every pixel of the read-out shows what the columns of `drawn` say (a column not
    // named shows the skin), else the first pixel that does not.
    struct Column {
        int left, right;
        COLORREF colour;
        int alpha;
    };
    std::string read_out_fault(const std::vector<Column>& drawn) {
        Pixels pixels = client_pixels(window_.handle(), READ_OUT);
        for (int y = 0; y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x) {
                COLORREF skin = pattern_at(READ_OUT.left + x, READ_OUT.top + y, SKIN_SEED);
                COLORREF expected = skin;
                for (const Column& c : drawn)
                    if (x >= c.left && x < c.right) expected = blended(c.colour, c.alpha, skin);
                if (!nearly_equal(pixels.at(x, y), expected))
                    return "pixel " + std::to_string(x) + "," + std::to_string(y);
            }
        return "";
    }
    std::vector<SeenEvent> input_at(int x, int y, const std::string& then) {
        return events_during_input(screen_point(window_.handle(), x, y) + " " + then);
    }

    TestWindow window_;
};

TEST_F(ImageGadgetTest, TakesTheSizeOfItsImageAndKeepsItsPlace) {
    struct Case {
        const char* rule;
        HANDLE image;
        DWORD ex_style;
        SIZE expected;
    };
    const Case cases[] = {
        {"no image: the size asked for", nullptr, 0, {150, 15}},
        {"a bitmap's own size", pattern_image(16, 130, 50, 2), 0, {130, 50}},
        {"plus 4 each way with a client edge", image_handle(16), WS_EX_CLIENTEDGE, {134, 54}},
        {"an icon's size", make_icon(24, 20), 0, {24, 20}},
    };
    for (const Case& c : cases) {
        auto gadget = static_cast<HWND>(image_gadget(21, 520, 42, 150, 15, c.image, c.ex_style));
        ASSERT_NE(gadget, nullptr) << c.rule;
        SIZE size = window_size(gadget);
        EXPECT_EQ(size.cx, c.expected.cx) << c.rule;
        EXPECT_EQ(size.cy, c.expected.cy) << c.rule;
        POINT place = position_in_parent(gadget);
        EXPECT_EQ(place.x, 520) << c.rule;
        EXPECT_EQ(place.y, 42) << c.rule;
        EXPECT_EQ(get_gadget_state(21), reinterpret_cast<intptr_t>(c.image)) << c.rule;
    }
    DestroyIcon(static_cast<HICON>(cases[3].image));
}

TEST_F(ImageGadgetTest, AnOpaqueBadgeShowsItsPixelsAndItsStateSwitchesIt) {
    HWND gadget = badge_gadget(2);
    EXPECT_EQ(gadget_handle(20), gadget);
    auto shows = [&](int seed) {
        Pixels pixels = client_pixels(window_.handle(), BADGE);
        for (int y = 0; y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x)
                if (pixels.at(x, y) != pattern_at(x, y, seed)) return "pixel " + std::to_string(x) + "," + std::to_string(y);
        return std::string();
    };
    EXPECT_EQ(shows(2), "") << "the badge's own pixels";
    HBITMAP next = pattern_image(17, 130, 50, 3);
    EXPECT_EQ(set_gadget_state(20, reinterpret_cast<intptr_t>(next)), reinterpret_cast<intptr_t>(next));
    EXPECT_EQ(get_gadget_state(20), reinterpret_cast<intptr_t>(next));
    EXPECT_EQ(shows(3), "") << "a format click's badge replaces the old one";
}

TEST_F(ImageGadgetTest, APictureWithAlphaIsBlendedOverTheSkinOnceHoweverOftenItIsShown) {
    image_gadget(21, READ_OUT.left, READ_OUT.top, 150, 15, nullptr);
    HBITMAP read_out = clear_read_out();
    fill_columns_32(read_out, 10, 20, WHITE, 255);
    fill_columns_32(read_out, 40, 50, ORANGE, 128);
    set_gadget_state(21, reinterpret_cast<intptr_t>(read_out));
    EXPECT_EQ(read_out_fault({{10, 20, WHITE, 255}, {40, 50, ORANGE, 128}}), "")
        << "the skin where alpha is 0, white where it is 255, premultiplied and blended where it is 128";

    fill_columns_32(read_out, 10, 20, WHITE, 0);  // the next second's text lies elsewhere
    fill_columns_32(read_out, 60, 70, WHITE, 255);
    for (int second = 0; second < 3; ++second) set_gadget_state(21, reinterpret_cast<intptr_t>(read_out));
    EXPECT_EQ(read_out_fault({{40, 50, ORANGE, 128}, {60, 70, WHITE, 255}}), "")
        << "the new pixels, the old text gone, and partial alpha blended once however often it is shown";
}

TEST_F(ImageGadgetTest, APressAndReleaseIsOneClick) {
    badge_gadget(2);
    auto events = input_at(85, 36, "click 1");
    EXPECT_EQ(gadget_types(events, 20), std::vector<int>{GADGET_CLICK});
    ASSERT_FALSE(only(events, EV_GADGET).empty());
    EXPECT_EQ(only(events, EV_GADGET)[0].window, 0);
    EXPECT_EQ(GetCapture(), nullptr) << "the release gives the capture back";
}

// Each drag starts at its own point, so that no press makes a double click with the one before.
TEST_F(ImageGadgetTest, ADragStartsOnceTheMouseMovesBeyondTheSystemsLimits) {
    HWND gadget = badge_gadget(2);
    struct Drag {
        const char* direction;
        POINT from, step;
        int limit;
    };
    const Drag drags[] = {
        {"horizontal", {BADGE.left + 20, BADGE.top + 25}, {1, 0}, GetSystemMetrics(SM_CXDRAG)},
        {"vertical", {BADGE.left + 90, BADGE.top + 5}, {0, 1}, GetSystemMetrics(SM_CYDRAG)},
    };
    for (const Drag& d : drags) {
        auto to = [&](int distance) { return POINT{d.from.x + d.step.x * distance, d.from.y + d.step.y * distance}; };
        EXPECT_EQ(gadget_types(input_at(d.from.x, d.from.y, "mousedown 1"), 20), std::vector<int>{GADGET_CLICK})
            << d.direction << ": the press is the click";
        EXPECT_EQ(GetCapture(), gadget) << d.direction;
        POINT at_limit = to(d.limit), beyond = to(d.limit + 1), further = to(d.limit + 8);
        EXPECT_TRUE(gadget_types(input_at(at_limit.x, at_limit.y, ""), 20).empty()) << d.direction << ": the limit is inside";
        EXPECT_EQ(gadget_types(input_at(beyond.x, beyond.y, ""), 20), std::vector<int>{GADGET_DRAG_START}) << d.direction;
        EXPECT_EQ(GetCapture(), nullptr) << d.direction << ": a drag gives the capture back";
        EXPECT_TRUE(gadget_types(input_at(further.x, further.y, "mouseup 1"), 20).empty())
            << d.direction << ": once per press";
    }
}

TEST_F(ImageGadgetTest, DoubleClicksAndRightClicksHaveTheirOwnTypes) {
    badge_gadget(2);
    EXPECT_EQ(gadget_types(input_at(30, 20, "click --repeat 2 --delay 60 1"), 20),
              (std::vector<int>{GADGET_CLICK, GADGET_DOUBLE_CLICK}));
    EXPECT_EQ(gadget_types(input_at(120, 50, "click 3"), 20), std::vector<int>{GADGET_RIGHT_CLICK});
    EXPECT_EQ(gadget_types(input_at(70, 40, "click --repeat 2 --delay 60 3"), 20),
              (std::vector<int>{GADGET_RIGHT_CLICK, GADGET_RIGHT_DOUBLE_CLICK}))
        << "the release that ends a right double click is no right click";
    EXPECT_EQ(gadget_types(input_at(140, 20, "click 3"), 20), std::vector<int>{GADGET_RIGHT_CLICK})
        << "and the next right click counts again";
}

} // namespace
