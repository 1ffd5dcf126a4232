// The elapsed-time read-out under Wine (win64): converter::draw_elapsed_time on the real window
// (built by converter::build_main_window from the program's own resources), against plain GDI doing
// the same work: the text drawn with TextOutA into a 32-bit DIB section, its alpha set by a loop,
// and shown over the skin in a plain window of its own, repainted at once as the image gadget is.
#include "report.h"
#include "self_timing.h"

#include "converter.h"
#include "runtime.h"
#include "graphics/fonts.h"
#include "graphics/images.h"
#include "gui/windows.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int WIDTH = 150, HEIGHT = 15;
constexpr RECT READ_OUT{520, 42, 520 + WIDTH, 42 + HEIGHT};
// "Время обработки:   " in Windows-1251.
constexpr char LABEL[] = "\xC2\xF0\xE5\xEC\xFF \xEE\xE1\xF0\xE0\xE1\xEE\xF2\xEA\xE8:   ";

// Lets the windows handle what the calls left queued, untimed.
void let_windows_catch_up() {
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
    HDC dc() const { return dc_; }
    uint32_t* pixels() const { return pixels_; }

private:
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    uint32_t* pixels_ = nullptr;
};

// The text as a plain GDI program would draw it: white on black into the section, then the
// coverage turned into premultiplied white with that alpha.
class PlainText {
public:
    PlainText() {
        SelectObject(surface_.dc(), rt::font_handle(converter::ELAPSED_FONT));
        SetBkMode(surface_.dc(), TRANSPARENT);
        SetTextColor(surface_.dc(), RGB(255, 255, 255));
    }
    void draw(int seconds) {
        if (!surface_.pixels()) return;
        char text[64];
        const int length = std::snprintf(text, sizeof text, "%s%02d:%02d", LABEL, seconds / 60 % 60, seconds % 60);
        std::memset(surface_.pixels(), 0, WIDTH * HEIGHT * sizeof(uint32_t));
        TextOutA(surface_.dc(), 0, 0, text, length);
        GdiFlush();
        uint32_t* pixel = surface_.pixels();
        for (int i = 0; i < WIDTH * HEIGHT; ++i, ++pixel) {
            const uint32_t coverage = ((*pixel & 0xFF) + (*pixel >> 8 & 0xFF) + (*pixel >> 16 & 0xFF)) / 3;
            *pixel = coverage << 24 | coverage << 16 | coverage << 8 | coverage;
        }
    }
    // Pixels the last draw covered at least partly.
    int inked_pixels() const {
        int inked = 0;
        for (int i = 0; surface_.pixels() && i < WIDTH * HEIGHT; ++i) inked += surface_.pixels()[i] != 0;
        return inked;
    }
    HDC dc() const { return surface_.dc(); }

private:
    Surface surface_;
};

// A popup of the converter's size at the screen's top left (clear of the converter's read-out)
// that paints the skin and blends the plain text over it at the read-out's place.
class PlainWindow {
public:
    explicit PlainWindow(const PlainText& text) : text_(text), skin_dc_(CreateCompatibleDC(nullptr)) {
        skin_previous_ = SelectObject(skin_dc_, rt::image_handle(converter::BACKGROUND_IMAGE));
        WNDCLASSA window_class{};
        window_class.lpfnWndProc = procedure;
        window_class.hInstance = GetModuleHandleA(nullptr);
        window_class.lpszClassName = "PlainReadOut";
        RegisterClassA(&window_class);
        window_ = CreateWindowExA(0, "PlainReadOut", "", WS_POPUP | WS_VISIBLE, 0, 0, 700, 440, nullptr, nullptr,
                                  window_class.hInstance, this);
    }
    ~PlainWindow() {
        DestroyWindow(window_);
        SelectObject(skin_dc_, skin_previous_);
        DeleteDC(skin_dc_);
    }
    PlainWindow(const PlainWindow&) = delete;
    PlainWindow& operator=(const PlainWindow&) = delete;
    // As the image gadget shows a new image: what lies under it repainted at once.
    void show() { RedrawWindow(window_, &READ_OUT, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrA(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams));
        auto* self = reinterpret_cast<PlainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (message == WM_ERASEBKGND) return 1;
        if (message != WM_PAINT || !self) return DefWindowProcA(window, message, wparam, lparam);
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        self->paint(dc, paint.rcPaint);
        EndPaint(window, &paint);
        return 0;
    }
    void paint(HDC dc, const RECT& area) const {
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, skin_dc_, area.left, area.top,
               SRCCOPY);
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        GdiAlphaBlend(dc, READ_OUT.left, READ_OUT.top, WIDTH, HEIGHT, text_.dc(), 0, 0, WIDTH, HEIGHT, blend);
    }

    const PlainText& text_;
    HDC skin_dc_;
    HGDIOBJ skin_previous_;
    HWND window_;
};

double microseconds(double nanoseconds) { return nanoseconds / 1e3; }

} // namespace

int main() {
    rt::start_runtime();
    if (!converter::build_main_window()) {
        std::printf("the converter's window did not open\n");
        rt::end_runtime();
    }
    PlainText text;
    PlainWindow window(text);
    text.draw(0);
    let_windows_catch_up();
    if (text.inked_pixels() < 150) {
        std::printf("the plain read-out drew no text\n");
        rt::end_runtime();
    }
    int seconds = 0;
    const bench::Batches batches{100, 21};
    const bench::Timing shown = bench::time_against([&] { converter::draw_elapsed_time(++seconds); },
                                                    [&] {
                                                        text.draw(++seconds);
                                                        window.show();
                                                    },
                                                    batches, let_windows_catch_up);
    // With the converter's window hidden its repaint does nothing: what is left is the drawing
    // and the image gadget's premultiplied copy.
    rt::hide_window(converter::MAIN_WINDOW, 1);
    const bench::Timing hidden = bench::time_against([&] { converter::draw_elapsed_time(++seconds); },
                                                     [&] { text.draw(++seconds); }, batches, let_windows_catch_up);
    const bench::Timing made_anew = bench::time_against(
        [&] {
            PlainText made;
            made.draw(++seconds);
        },
        [&] { text.draw(++seconds); }, batches);
    bench::print_table("Elapsed-time read-out, Wine (win64), microseconds per call", {
        {"converter::draw_elapsed_time", microseconds(shown.nanoseconds),
         "plain GDI: TextOutA into a DIB section, alpha loop, shown", microseconds(shown.baseline_nanoseconds),
         "ratio within 1.5, under 100 us",
         bench::goal_met(shown.nanoseconds <= 1.5 * shown.baseline_nanoseconds && shown.nanoseconds < 100e3)},
        {"converter::draw_elapsed_time, window hidden (no repaint)", microseconds(hidden.nanoseconds),
         "plain GDI: TextOutA into a DIB section, alpha loop", microseconds(hidden.baseline_nanoseconds), "",
         bench::Goal::NONE},
        {"plain GDI, its device context and section made for each call", microseconds(made_anew.nanoseconds),
         "plain GDI: TextOutA into a DIB section, alpha loop", microseconds(made_anew.baseline_nanoseconds), "",
         bench::Goal::NONE},
    });
    rt::end_runtime();
}
