// The elapsed-time read-out under Wine (win64): converter::draw_elapsed_time on the real window
// (built by converter::build_main_window from the program's own resources), against plain GDI doing
// the same work: the text drawn with TextOutA into a 32-bit DIB section, its alpha set by a loop,
// and shown over the skin on the window.
#include "report.h"
#include "self_timing.h"

#include "converter.h"
#include "core/runtime.h"
#include "graphics/fonts.h"
#include "graphics/images.h"
#include "gui/gadgets.h"
#include "gui/windows.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int WIDTH = 150, HEIGHT = 15;
constexpr POINT READ_OUT_AT{520, 42};
// "Время обработки:   " in Windows-1251.
constexpr char LABEL[] = "\xC2\xF0\xE5\xEC\xFF \xEE\xE1\xF0\xE0\xE1\xEE\xF2\xEA\xE8:   ";

// Lets the window handle what the calls left queued (paints, mostly), untimed.
void let_window_catch_up() {
    while (rt::next_window_event(0)) {
    }
}

// A 150x15 top-down 32-bit section selected into a memory device context of its own.
class Surface {
public:
    Surface() : dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), WIDTH, -HEIGHT, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels_ = static_cast<uint32_t*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
    }
    ~Surface() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;
    bool ready() const { return pixels_ != nullptr; }
    HDC dc() const { return dc_; }
    uint32_t* pixels() const { return pixels_; }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* pixels_ = nullptr;
};

// The read-out as a plain GDI program would keep it: its surfaces made once, the text drawn
// white on black, the coverage turned into premultiplied white with that alpha, then blended over
// the skin's rectangle and copied onto the window.
class PlainReadOut {
public:
    explicit PlainReadOut(HWND window) : window_(window), skin_dc_(CreateCompatibleDC(nullptr)) {
        skin_previous_ = SelectObject(skin_dc_, rt::image_handle(converter::BACKGROUND_IMAGE));
        SelectObject(text_.dc(), rt::font_handle(converter::ELAPSED_FONT));
        SetBkMode(text_.dc(), TRANSPARENT);
        SetTextColor(text_.dc(), RGB(255, 255, 255));
    }
    ~PlainReadOut() {
        SelectObject(skin_dc_, skin_previous_);
        DeleteDC(skin_dc_);
    }
    PlainReadOut(const PlainReadOut&) = delete;
    PlainReadOut& operator=(const PlainReadOut&) = delete;
    bool ready() const { return text_.ready() && shown_.ready(); }

    void draw(int seconds) {
        char text[64];
        const int length = std::snprintf(text, sizeof text, "%s%02d:%02d", LABEL, seconds / 60 % 60, seconds % 60);
        std::memset(text_.pixels(), 0, WIDTH * HEIGHT * sizeof(uint32_t));
        TextOutA(text_.dc(), 0, 0, text, length);
        GdiFlush();
        uint32_t* pixel = text_.pixels();
        for (int i = 0; i < WIDTH * HEIGHT; ++i, ++pixel) {
            const uint32_t coverage = ((*pixel & 0xFF) + (*pixel >> 8 & 0xFF) + (*pixel >> 16 & 0xFF)) / 3;
            *pixel = coverage << 24 | coverage << 16 | coverage << 8 | coverage;
        }
    }

    void show() {
        BitBlt(shown_.dc(), 0, 0, WIDTH, HEIGHT, skin_dc_, READ_OUT_AT.x, READ_OUT_AT.y, SRCCOPY);
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        GdiAlphaBlend(shown_.dc(), 0, 0, WIDTH, HEIGHT, text_.dc(), 0, 0, WIDTH, HEIGHT, blend);
        HDC window_dc = GetDC(window_);
        BitBlt(window_dc, READ_OUT_AT.x, READ_OUT_AT.y, WIDTH, HEIGHT, shown_.dc(), 0, 0, SRCCOPY);
        ReleaseDC(window_, window_dc);
    }

private:
    HWND window_;
    Surface text_, shown_;
    HDC skin_dc_;
    HGDIOBJ skin_previous_;
};

constexpr int CALLS = 100, BATCHES = 21;

template <typename Call>
double microseconds_per_call(Call call) {
    return bench::nanoseconds_per_call(call, CALLS, BATCHES, let_window_catch_up) / 1e3;
}

} // namespace

int main() {
    rt::start_runtime();
    if (!converter::build_main_window()) {
        std::printf("the converter's window did not open\n");
        rt::end_runtime();
    }
    let_window_catch_up();
    PlainReadOut plain(rt::window_handle(converter::MAIN_WINDOW));
    if (!plain.ready()) {
        std::printf("no DIB sections for the plain read-out\n");
        rt::end_runtime();
    }
    int seconds = 0;
    const double read_out = microseconds_per_call([&] { converter::draw_elapsed_time(++seconds); });
    const auto image = reinterpret_cast<intptr_t>(rt::image_handle(converter::ELAPSED_IMAGE));
    const double show = microseconds_per_call([&] { rt::set_gadget_state(converter::ELAPSED_VIEW, image); });
    const double plain_draw = microseconds_per_call([&] { plain.draw(++seconds); });
    const double plain_show = microseconds_per_call([&] { plain.show(); });
    const double plain_read_out = microseconds_per_call([&] {
        plain.draw(++seconds);
        plain.show();
    });
    bench::print_table("Elapsed-time read-out, Wine (win64), microseconds per call", {
        {"converter::draw_elapsed_time (draw and show)", read_out, "plain GDI: TextOutA, alpha loop, shown",
         plain_read_out, "ratio within 1.5, under 100 us",
         bench::goal_met(read_out <= 1.5 * plain_read_out && read_out < 100)},
        {"of which showing: rt::set_gadget_state", show, "plain GDI: blend over the skin, copy", plain_show, "", bench::Goal::NONE},
        {"of which drawing (the difference)", read_out - show, "plain GDI: TextOutA, alpha loop", plain_draw, "",
         bench::Goal::NONE},
    });
    rt::end_runtime();
}
