// The read-out on the blue tab: "Время обработки:   mm:ss" in white on a transparent image 22,
// shown in gadget 21. Only the main thread draws it.
#include "converter.h"

#include "core/dates.h"
#include "core/strings.h"
#include "graphics/drawing.h"
#include "graphics/fonts.h"
#include "graphics/images.h"
#include "gui/gadgets.h"

namespace converter {

int draw_elapsed_time(int32_t seconds) {
    rt::start_drawing(rt::image_output(ELAPSED_IMAGE));
    rt::set_drawing_mode(rt::DRAW_ALPHA_CHANNEL);
    rt::draw_box(0, 0, 150, 15, rt::rgba(255, 255, 255, 0));  // every pixel transparent again
    rt::set_drawing_mode(rt::DRAW_ALPHA_BLEND | rt::DRAW_TRANSPARENT);
    rt::set_drawing_font(rt::font_handle(ELAPSED_FONT));
    const int at = rt::current_string_buffer().position;
    rt::append_to_buffer("Время обработки:   ");
    rt::format_date("%ii:%ss", seconds, rt::current_string_buffer().position);  // minutes and seconds
    rt::draw_text(0, 0, rt::current_string_buffer().base + at);
    rt::set_buffer_position(at);
    rt::stop_drawing();
    rt::set_gadget_state(ELAPSED_VIEW, reinterpret_cast<intptr_t>(rt::image_handle(ELAPSED_IMAGE)));
    return 0;
}

} // namespace converter
