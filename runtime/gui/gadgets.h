// Gadgets: numbered child controls of a window, created by the gadget kinds and afterwards driven
// only by their number; the gadget list (the window new gadgets go into); the generic operations.
//
// Invariants: a live gadget's control carries the common gadget procedure, its GWL_ID and its
// property "KV_ID" both hold the gadget's number (for DYNAMIC_NUMBER, the record's address), and
// its record's handle is that control. The control's WM_NCDESTROY frees the record, however the
// control goes (its number reused, its window closed).
#pragma once

#include "core/platform.h"

#include <windows.h>

#include <cstdint>

namespace rt {

// A gadget colour is a COLORREF-like value (red in the low byte); NO_COLOUR means none is set.
using GadgetColour = uint32_t;
inline constexpr GadgetColour NO_COLOUR = 0xFFFFFFFF;
// The colour as GDI takes it (the alpha byte dropped).
inline COLORREF gdi_colour(GadgetColour colour) { return colour & 0xFFFFFF; }

// Colour kinds of set_gadget_colour.
inline constexpr int FRONT_COLOUR = 1;
inline constexpr int BACK_COLOUR = 2;

// Event types the gadget kinds raise with EV_GADGET (notification codes come as they are).
inline constexpr int GADGET_CLICK = 0;
inline constexpr int GADGET_RIGHT_CLICK = 1;
inline constexpr int GADGET_DOUBLE_CLICK = 2;
inline constexpr int GADGET_RIGHT_DOUBLE_CLICK = 3;
inline constexpr int GADGET_GOT_FOCUS = 14000;
inline constexpr int GADGET_LOST_FOCUS = 14001;
inline constexpr int GADGET_DRAG_START = 14002;

// Kind numbers.
inline constexpr intptr_t BUTTON_KIND = 1;
inline constexpr intptr_t TEXT_FIELD_KIND = 2;
inline constexpr intptr_t FRAME_KIND = 7;
inline constexpr intptr_t IMAGE_KIND = 9;
inline constexpr intptr_t HYPERLINK_KIND = 10;
inline constexpr intptr_t PROGRESS_BAR_KIND = 14;

struct GadgetOps;

struct GadgetRecord {
    HWND handle;
    const GadgetOps* ops;
    WNDPROC previous_proc;  // the control's procedure behind the common gadget procedure
    GadgetColour back_colour;
    GadgetColour front_colour;
    HBRUSH back_brush;  // for back_colour, from the shared brush cache
    void* extra;        // kind-specific
};

// One table per kind, shared by its gadgets; an empty slot means the generic behaviour applies
// or the kind does not support the operation. Slots the kinds of this runtime never fill are
// kept as untyped words so that the table keeps its 37-slot layout.
struct GadgetOps {
    intptr_t kind;
    intptr_t table_size;
    LRESULT (*on_parent_message)(GadgetRecord&, HWND parent, UINT message, WPARAM, LPARAM);
    void (*release)(GadgetRecord&);  // before the record is freed
    intptr_t (*get_state)(GadgetRecord&);
    intptr_t (*set_state)(GadgetRecord&, intptr_t value);
    void* get_text;
    BOOL (*set_text)(GadgetRecord&, const char* text);
    void* reserved_8;
    void* add_item;
    void* remove_item;
    void* clear_items;
    void* resize;
    void* count_items;
    void* get_item_state;
    void* set_item_state;
    void* get_item_text;
    void* set_item_text;
    void* reserved_18;
    void* get_x;
    void* get_y;
    void* get_width;
    void* get_height;
    BOOL (*hide)(GadgetRecord&, int state);
    void* reserved_24;
    void* reserved_25;
    intptr_t (*get_attribute)(GadgetRecord&, int attribute);
    void (*set_attribute)(GadgetRecord&, int attribute, intptr_t value);
    void* get_item_attribute;
    void* reserved_29;
    intptr_t (*set_colour)(GadgetRecord&, int colour_kind, GadgetColour colour);
    GadgetColour (*get_colour)(GadgetRecord&, int colour_kind);
    void* set_item_colour;
    void* get_item_colour;
    void* set_item_data;
    void* get_item_data;
    void* reserved_36;
};
static_assert(sizeof(GadgetOps) == 37 * sizeof(void*), "the operation table has 37 word-sized slots");

// An empty table of a kind, to be filled with the kind's operations.
GadgetOps gadget_ops(intptr_t kind);

void init_gadget_library();
// The lock of the shared brush cache.
Lock& gadget_library_lock();

// Makes window the one new gadgets go into and returns the one before (null: only reports it).
HWND use_gadget_list(HWND window);

// What a kind asks of the system for its control.
struct GadgetControl {
    DWORD ex_style;
    const char* class_name;
    const char* text;  // null is the empty text
    DWORD style;
    int x, y, width, height;
    intptr_t control_id = -1;
};
// Creates the control in the current gadget list, then claims the number (a gadget under it is
// destroyed first). Null when either fails; the new control is then destroyed again.
GadgetRecord* create_gadget(intptr_t number, const GadgetControl& control, HWND* handle);
// Makes a created control the gadget of its record: the common gadget procedure in front of its
// procedure, GWL_ID and "KV_ID", the current gadget font. Returns what a creator returns: the
// record's address for DYNAMIC_NUMBER, else the control.
void* register_gadget(intptr_t number, GadgetRecord* record, HWND handle, const GadgetOps* ops);

// The gadget whose control this is; null for any other window (a foreign control whose GWL_ID
// happens to equal a gadget number included).
GadgetRecord* gadget_of_control(HWND control);
// The font every new gadget is given.
HFONT current_gadget_font();

// Raises EV_GADGET of the given type later, by posting to the control's runtime window.
void post_gadget_event(HWND control, int type);
// The runtime window a control lies in (the nearest one carrying "KV_WindowID"), else its root.
HWND gadget_top_window(HWND control);
// A parent's message about a control, offered to that control's kind; NOT_HANDLED when the
// control is no gadget or its kind does not take parent messages.
LRESULT gadget_parent_message(HWND parent, UINT message, WPARAM, LPARAM, HWND control);
// Removes a window's drag-and-drop registration, if it has one.
void remove_drop_target(HWND window);

// Generic operations: each does nothing and answers 0 for a number that holds no gadget.
HWND gadget_handle(intptr_t number);
bool is_gadget(intptr_t number);
BOOL hide_gadget(intptr_t number, int state);     // non-zero hides
BOOL disable_gadget(intptr_t number, int state);  // non-zero disables
intptr_t set_gadget_state(intptr_t number, intptr_t value);
intptr_t get_gadget_state(intptr_t number);
BOOL set_gadget_text(intptr_t number, const char* text);  // null is the empty text
intptr_t set_gadget_colour(intptr_t number, int colour_kind, GadgetColour colour);
GadgetColour get_gadget_colour(intptr_t number, int colour_kind);  // NO_COLOUR for kinds without
void set_gadget_attribute(intptr_t number, int attribute, intptr_t value);
intptr_t get_gadget_attribute(intptr_t number, int attribute);

} // namespace rt
