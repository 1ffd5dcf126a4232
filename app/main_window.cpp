// Start-up of the converter's window: the five pictures carried in the program's resources, the
// read-out's image and font, window 0 with the skin as its background, and every gadget at its
// place, created in a fixed order (the order is also the order of the keyboard focus).
#include "converter.h"

#include "core/process.h"
#include "core/strings.h"
#include "graphics/fonts.h"
#include "graphics/images.h"
#include "graphics/pixels.h"
#include "graphics/png_decoder.h"
#include "gui/colours.h"
#include "gui/controls.h"
#include "gui/gadgets.h"
#include "gui/hyperlink.h"
#include "gui/image_gadget.h"
#include "gui/window_background.h"
#include "gui/windows.h"

#include <windows.h>

namespace converter {

ApplicationState state;

namespace {

constexpr int WINDOW_WIDTH = 700;
constexpr int WINDOW_HEIGHT = 440;
// Centred, borderless (WS_POPUP) and created invisible: the user sees it only when it is complete.
constexpr uint32_t WINDOW_FLAGS = 0x90000001;

// In the order in which they are decoded.
constexpr intptr_t PICTURES[] = {BACKGROUND_IMAGE, FLV_BADGE, AVI_BADGE, SWF_BADGE, MPG_BADGE};

// The pictures are RCDATA resources named by the image each one is decoded into.
void decode_picture(intptr_t image) {
    HINSTANCE module = rt::module_handle();
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(image), MAKEINTRESOURCEA(10));
    HGLOBAL data = resource ? LoadResource(module, resource) : nullptr;
    if (data == nullptr) return;
    rt::catch_image(image, LockResource(data), static_cast<int>(SizeofResource(module, resource)));
}

struct LinkColours {
    rt::Colour library;
    rt::Colour front;
};

// A label on the skin: the picture shows through, white while the mouse is over it.
void skin_link(intptr_t number, int x, int y, int width, const char* text, LinkColours colours) {
    rt::hyperlink_gadget(number, x, y, width, 12, text, rt::rgb(255, 255, 255));
    rt::colour_gadget(number, colours.library, rt::COLOUR_TRANSPARENT);
    rt::set_gadget_colour(number, rt::FRONT_COLOUR, colours.front);
}

void create_gadgets() {
    const LinkColours window_link{rt::rgb(128, 128, 128), rt::rgb(162, 162, 162)};
    const LinkColours format_link{rt::rgb(195, 195, 195), rt::rgb(177, 177, 177)};
    skin_link(CLOSE_LINK, 680, 5, 10, "x", window_link);
    skin_link(MINIMISE_LINK, 660, 5, 10, "--", window_link);
    rt::frame_gadget(JOB_FRAME, 15, 75, 670, 333, "Конвертируем видео файл");
    rt::image_gadget(FORMAT_BADGE, 20, 11, 130, 50, rt::image_handle(FLV_BADGE));
    skin_link(FLV_LINK, 250, 42, 25, "FLV", format_link);
    skin_link(AVI_LINK, 300, 42, 25, "AVI", format_link);
    skin_link(MPG_LINK, 350, 42, 25, "MPG", format_link);
    skin_link(SWF_LINK, 400, 42, 25, "SWF", format_link);
    rt::text_field_gadget(SOURCE_FIELD, 25, 95, 350, 20, "");
    rt::button_gadget(BROWSE_BUTTON, 385, 95, 25, 20, "...");
    rt::text_field_gadget(SECOND_FIELD, 25, 125, 350, 20, "");
    rt::button_gadget(SECOND_BROWSE_BUTTON, 385, 125, 25, 20, "...");
    rt::disable_gadget(SECOND_FIELD, 1);
    rt::disable_gadget(SECOND_BROWSE_BUTTON, 1);
    rt::button_gadget(START_BUTTON, 590, 330, 80, 40, "Пуск");
    rt::progress_bar_gadget(BUSY_BAR, 25, 380, 650, 17, 0, 100, rt::PROGRESS_MARQUEE);
    rt::hide_gadget(BUSY_BAR, 1);
    rt::progress_bar_gadget(IDLE_BAR, 25, 380, 650, 17, 0, 100);
    rt::image_gadget(ELAPSED_VIEW, 520, 42, 150, 15, nullptr);
    rt::colour_gadget(ELAPSED_VIEW, rt::rgb(249, 249, 249), rt::COLOUR_TRANSPARENT);
}

} // namespace

bool build_main_window() {
    rt::assign_string(&state.output_extension, "flv");
    rt::register_png_decoder();
    rt::create_image(ELAPSED_IMAGE, 150, 15, 32);
    rt::load_font(ELAPSED_FONT, "Arial", 9);
    for (intptr_t image : PICTURES) decode_picture(image);
    if (!rt::open_window(MAIN_WINDOW, 0, 0, WINDOW_WIDTH, WINDOW_HEIGHT, "Окно", WINDOW_FLAGS)) return false;
    rt::set_window_background_image(rt::window_handle(MAIN_WINDOW),
                                    static_cast<HBITMAP>(rt::image_handle(BACKGROUND_IMAGE)));
    create_gadgets();
    draw_elapsed_time(state.elapsed_seconds);
    rt::hide_window(MAIN_WINDOW, 0);
    return true;
}

} // namespace converter
