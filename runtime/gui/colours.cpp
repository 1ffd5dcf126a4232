// The gadget colour library: one colour entry per coloured gadget, the colour procedure in front of
// the ancestor windows of each coloured control, and what each kind of control needs besides.
//
// Invariants: a window has a ParentSubclass exactly while the colour procedure is in its chain of
// procedures (recorded when it is put there, forgotten on the window's WM_NCDESTROY). An entry
// answers for the control it was last given; a gadget's entry lives until shutdown and moves to
// a new control under the same number when that is coloured. An entry owns its back brush unless
// that is the stock null brush of COLOUR_TRANSPARENT; a ClassBrushEntry owns the brush it put into
// a class. Colour entries are deleted only at shutdown, so an entry held across a call out stays
// valid; no walk of a list is kept open across a call that may send a message, since the colour
// procedure then runs and walks the same lists. An entry or class brush names a control only while
// it exists: every coloured control has the control procedure in front of its own, which forgets
// the control's handle when it is destroyed, so a handle value given to a later window is never
// coloured or touched on its behalf.
#include "gui/colours.h"

#include "core/lists.h"
#include "core/memory.h"
#include "core/objects.h"
#include "core/system_libraries.h"
#include "gui/windows.h"

#include <commctrl.h>
#include <richedit.h>

#include <cstring>

namespace rt {

namespace {

// Kinds of control, with fixed numbers: 0 for every class not listed below.
enum ControlKind : int {
    OTHER_CONTROL,
    BUTTON_CONTROL,
    EDIT_CONTROL,
    LIST_BOX_CONTROL,
    COMBO_BOX_CONTROL,
    LIST_VIEW_CONTROL,
    CONTAINER_CONTROL,
    SCROLL_AREA_CONTROL,
    TREE_VIEW_CONTROL,
    PROGRESS_CONTROL,
    RICH_EDIT_CONTROL,
    TAB_CONTROL,
    CONTROL_KINDS
};

struct ClassKind {
    const char* class_name;
    ControlKind kind;
};

// Window class names ignore case; the rich-edit control of msftedit.dll is registered as "RICHEDIT50W".
constexpr ClassKind CLASS_KINDS[] = {
    {"Button", BUTTON_CONTROL},
    {"Edit", EDIT_CONTROL},
    {"ListBox", LIST_BOX_CONTROL},
    {"ComboBox", COMBO_BOX_CONTROL},
    {"SysListView32", LIST_VIEW_CONTROL},
    {"KivaContainer", CONTAINER_CONTROL},
    {"KivaScrollArea", SCROLL_AREA_CONTROL},
    {"SysTreeView32", TREE_VIEW_CONTROL},
    {"msctls_progress32", PROGRESS_CONTROL},
    {"RichEdit20A", RICH_EDIT_CONTROL},
    {"RichEdit", RICH_EDIT_CONTROL},
    {"RichEdit50W", RICH_EDIT_CONTROL},
    {"SysTabControl32", TAB_CONTROL},
};

constexpr char RUNTIME_WINDOW_CLASS[] = "WindowClass";
constexpr int CLASS_NAME_SIZE = 255;  // up to 254 characters
constexpr LONG_PTR THEMED_STYLE_BITS = 0x7;  // button styles other than the push button, and the like
constexpr int FURTHER_COLOURS = 6;        // colour types 2, 4, ... 64

struct ColourEntry {
    intptr_t gadget;
    HWND control;
    int kind;
    GadgetColour text_colour;
    GadgetColour back_colour;  // or COLOUR_TRANSPARENT
    int no_paint;              // colour messages are answered with 0 and set nothing
    HBRUSH back_brush;
    GadgetColour further_colours[FURTHER_COLOURS];
    int colour_types;
    HWND window;  // the runtime window the control lies in
};

struct ParentSubclass {
    HWND window;
    WNDPROC previous_proc;
};

// A coloured control whose own procedure the library replaced.
struct ControlSubclass {
    intptr_t gadget;
    HWND control;
    WNDPROC previous_proc;
};

struct ClassBrushEntry {
    HWND window;  // through which the class was given the brush
    HBRUSH brush;
};

struct ColourLibrary {
    LinkedList* colour_entries;
    LinkedList* control_subclasses;
    LinkedList* parent_subclasses;
    LinkedList* class_brushes;
    int redraw;  // redraw a control after colouring it
    int themes_active;
};

ColourLibrary* library;

LRESULT CALLBACK colour_procedure(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK control_procedure(HWND, UINT, WPARAM, LPARAM);

// --- Lists -------------------------------------------------------------------------------------

template <class Record>
LinkedList* recreate_list(LinkedList* list) {
    free_list(list);
    return create_list(sizeof(Record), nullptr, nullptr);
}

template <class Record>
Record* add_record(LinkedList* list, const Record& record) {
    auto* added = static_cast<Record*>(add_element(list));
    *added = record;
    return added;
}

// The walk is over when this returns, so the caller may call out while it holds the record.
template <class Record, class Matches>
Record* find_record(LinkedList* list, Matches matches) {
    reset_list(list);
    while (auto* record = static_cast<Record*>(next_element(list)))
        if (matches(*record)) return record;
    return nullptr;
}

// Takes each record off the list before it is used, so that using it may walk the list again.
template <class Record, class Use>
void drain(LinkedList* list, Use use) {
    for (;;) {
        reset_list(list);
        auto* first = static_cast<Record*>(next_element(list));
        if (!first) return;
        Record record = *first;
        delete_element(list, 0);
        use(record);
    }
}

// Hands each record to use, which must send no message.
template <class Record, class Use>
void visit_records(LinkedList* list, Use use) {
    reset_list(list);
    while (auto* record = static_cast<Record*>(next_element(list))) use(*record);
}

// Deletes each record for which done answers true; done must send no message.
template <class Record, class Done>
void delete_records(LinkedList* list, Done done) {
    reset_list(list);
    while (auto* record = static_cast<Record*>(next_element(list)))
        if (done(*record)) delete_element(list, 0);
}

ColourEntry* entry_of_gadget(intptr_t gadget) {
    return find_record<ColourEntry>(library->colour_entries,
                                    [gadget](const ColourEntry& e) { return e.gadget == gadget; });
}

ColourEntry* entry_of_control(HWND control) {
    if (!control) return nullptr;
    return find_record<ColourEntry>(library->colour_entries,
                                    [control](const ColourEntry& e) { return e.control == control; });
}

ParentSubclass* parent_subclass_of(HWND window) {
    return find_record<ParentSubclass>(library->parent_subclasses,
                                       [window](const ParentSubclass& s) { return s.window == window; });
}

ControlSubclass* control_subclass_of(HWND control) {
    return find_record<ControlSubclass>(library->control_subclasses,
                                        [control](const ControlSubclass& s) { return s.control == control; });
}

ClassBrushEntry* class_brush_of(HWND window) {
    return find_record<ClassBrushEntry>(library->class_brushes,
                                        [window](const ClassBrushEntry& c) { return c.window == window; });
}

// --- Themes ------------------------------------------------------------------------------------

// Calls an export of "UxTheme.dll", loaded for the call; without the library or the export
// nothing happens.
template <class Function, class Call>
void with_uxtheme(const char* function_name, Call call) {
    auto uxtheme = reinterpret_cast<intptr_t>(open_library(DYNAMIC_NUMBER, "UxTheme.dll"));
    if (!uxtheme) return;
    if (void* function = get_library_function(uxtheme, function_name)) call(reinterpret_cast<Function>(function));
    close_library(uxtheme);
}

bool themes_are_active() {
    bool active = false;
    with_uxtheme<BOOL(WINAPI*)()>("IsThemeActive", [&active](auto is_theme_active) { active = is_theme_active(); });
    return active;
}

// A themed control paints its own background; without a theme it asks its parent.
void remove_theme(HWND control) {
    if (!library->themes_active) return;
    with_uxtheme<HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR)>(
        "SetWindowTheme", [control](auto set_window_theme) { set_window_theme(control, L"", L""); });
}

// --- Resolving colours -------------------------------------------------------------------------

int kind_of_class(const char* class_name) {
    for (const ClassKind& entry : CLASS_KINDS)
        if (lstrcmpiA(entry.class_name, class_name) == 0) return entry.kind;
    return OTHER_CONTROL;
}

bool is_runtime_window(HWND window) {
    char name[CLASS_NAME_SIZE];
    return GetClassNameA(window, name, sizeof name) &&
           std::strncmp(name, RUNTIME_WINDOW_CLASS, sizeof RUNTIME_WINDOW_CLASS - 1) == 0;
}

// Edit, list, tree and rich-edit controls default to the window colours, the others to the
// button-face colours.
bool takes_window_colours(int kind) {
    switch (kind) {
    case EDIT_CONTROL:
    case LIST_BOX_CONTROL:
    case COMBO_BOX_CONTROL:
    case LIST_VIEW_CONTROL:
    case TREE_VIEW_CONTROL:
    case RICH_EDIT_CONTROL:
        return true;
    default:
        return false;
    }
}

GadgetColour text_colour_for(int kind, GadgetColour front) {
    if (front != COLOUR_DEFAULT) return front;
    return GetSysColor(takes_window_colours(kind) ? COLOR_WINDOWTEXT : COLOR_BTNTEXT);
}

GadgetColour back_colour_for(int kind, GadgetColour back) {
    if (back != COLOUR_DEFAULT) return back;
    return GetSysColor(takes_window_colours(kind) ? COLOR_WINDOW : COLOR_BTNFACE);
}

// A colour for a control that takes its colours by message; a transparent back colour becomes
// the control's own "none" or "default" value.
COLORREF control_colour(GadgetColour colour, COLORREF transparent) {
    return colour == COLOUR_TRANSPARENT ? transparent : gdi_colour(colour);
}

HBRUSH null_brush() { return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); }

void delete_brush(HBRUSH brush) {
    if (brush && brush != null_brush()) DeleteObject(brush);
}

// The new brush is in place before the old one goes, so the two never share a handle value.
void set_back(ColourEntry& entry, GadgetColour colour, HBRUSH brush) {
    HBRUSH old = entry.back_brush;
    entry.back_brush = brush;
    entry.back_colour = colour;
    delete_brush(old);
}

// --- Answering colour messages -----------------------------------------------------------------

// Sets the entry's colours into a control's device context and answers its brush.
LRESULT answer_colours(const ColourEntry& entry, HDC dc, int background_mode) {
    if (entry.no_paint) return 0;
    SetBkMode(dc, background_mode);
    SetTextColor(dc, gdi_colour(entry.text_colour));
    if (entry.back_colour != COLOUR_TRANSPARENT) SetBkColor(dc, gdi_colour(entry.back_colour));
    return reinterpret_cast<LRESULT>(entry.back_brush);
}

// A coloured tab control's tabs are owner-drawn: its back brush, then the tab's text.
LRESULT draw_tab(const DRAWITEMSTRUCT& item) {
    ColourEntry* found = item.CtlType == ODT_TAB ? entry_of_control(item.hwndItem) : nullptr;
    if (!found || found->kind != TAB_CONTROL) return NOT_HANDLED;
    const ColourEntry entry = *found;
    char text[256] = {};
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = sizeof text;
    SendMessageA(item.hwndItem, TCM_GETITEMA, item.itemID, reinterpret_cast<LPARAM>(&tab));
    RECT area = item.rcItem;
    FillRect(item.hDC, &area, entry.back_brush);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, gdi_colour(entry.text_colour));
    DrawTextA(item.hDC, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return TRUE;
}

LRESULT colour_answer(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        ColourEntry* entry = entry_of_control(reinterpret_cast<HWND>(lparam));
        if (!entry) return NOT_HANDLED;
        int mode = entry->kind == EDIT_CONTROL ? OPAQUE : TRANSPARENT;
        return answer_colours(*entry, reinterpret_cast<HDC>(wparam), mode);
    }
    case WM_DRAWITEM:
        return lparam ? draw_tab(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)) : NOT_HANDLED;
    default:
        return NOT_HANDLED;
    }
}

LRESULT CALLBACK colour_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    ParentSubclass* subclass = parent_subclass_of(window);
    if (!subclass) return DefWindowProcA(window, message, wparam, lparam);
    WNDPROC previous = subclass->previous_proc;
    if (message == WM_NCDESTROY) {
        LRESULT answer = CallWindowProcA(previous, window, message, wparam, lparam);
        delete_records<ParentSubclass>(library->parent_subclasses,
                                       [window](const ParentSubclass& s) { return s.window == window; });
        return answer;
    }
    LRESULT answer = colour_answer(message, wparam, lparam);
    return answer != NOT_HANDLED ? answer : CallWindowProcA(previous, window, message, wparam, lparam);
}

// The entry and class brush that named a destroyed control stop naming it.
void forget_control(HWND control) {
    delete_records<ControlSubclass>(library->control_subclasses,
                                    [control](const ControlSubclass& s) { return s.control == control; });
    visit_records<ColourEntry>(library->colour_entries, [control](ColourEntry& e) {
        if (e.control == control) e.control = e.window = nullptr;
    });
    // A scroll area's brush went to its inner window, destroyed just before the area itself.
    visit_records<ClassBrushEntry>(library->class_brushes, [control](ClassBrushEntry& c) {
        if (c.window == control || !IsWindow(c.window)) c.window = nullptr;
    });
}

// Forgets the control when it is destroyed; a combo box's edit and list parts ask the combo box
// for their colours, not its parent.
LRESULT CALLBACK control_procedure(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    ControlSubclass* subclass = control_subclass_of(control);
    if (!subclass) return DefWindowProcA(control, message, wparam, lparam);
    intptr_t gadget = subclass->gadget;
    LRESULT answer = CallWindowProcA(subclass->previous_proc, control, message, wparam, lparam);
    if (message == WM_NCDESTROY) forget_control(control);
    if (message != WM_CTLCOLOREDIT && message != WM_CTLCOLORLISTBOX) return answer;
    ColourEntry* entry = entry_of_gadget(gadget);
    return entry && entry->control == control && entry->kind == COMBO_BOX_CONTROL
               ? answer_colours(*entry, reinterpret_cast<HDC>(wparam), TRANSPARENT)
               : answer;
}

// --- Putting the procedures in place -----------------------------------------------------------

void subclass_parent(HWND window) {
    if (parent_subclass_of(window)) return;
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(colour_procedure)));
    if (previous) add_record(library->parent_subclasses, ParentSubclass{window, previous});
}

// Owners are not climbed: colour messages go to parents only.
HWND parent_of_child(HWND window) {
    return (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
}

// Puts the colour procedure in front of every ancestor of the control (containers pass their
// children's colour messages on) up to and including the first runtime window, which it returns;
// null when the control lies in no runtime window.
HWND subclass_ancestors(HWND control) {
    for (HWND window = parent_of_child(control); window; window = parent_of_child(window)) {
        subclass_parent(window);
        if (is_runtime_window(window)) return window;
    }
    return nullptr;
}

void subclass_control(const ColourEntry& entry) {
    if (control_subclass_of(entry.control)) return;
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(entry.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control_procedure)));
    if (previous) add_record(library->control_subclasses, ControlSubclass{entry.gadget, entry.control, previous});
}

// Gives the window's class a brush of the back colour; a brush this window gave its class
// earlier goes once the new one is in place.
void put_class_brush(HWND window, GadgetColour back_colour) {
    if (!window) return;
    HBRUSH brush = back_colour == COLOUR_TRANSPARENT ? null_brush() : CreateSolidBrush(gdi_colour(back_colour));
    SetClassLongPtrA(window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush));
    if (ClassBrushEntry* held = class_brush_of(window)) {
        delete_brush(held->brush);
        held->brush = brush;
    } else {
        add_record(library->class_brushes, ClassBrushEntry{window, brush});
    }
}

// --- What each kind of control needs besides --------------------------------------------------

void colour_list_view(ColourEntry& entry, GadgetColour) {
    COLORREF back = control_colour(entry.back_colour, CLR_NONE);
    ListView_SetBkColor(entry.control, back);
    ListView_SetTextBkColor(entry.control, back);
    if (HIMAGELIST images = ListView_GetImageList(entry.control, LVSIL_NORMAL)) ImageList_SetBkColor(images, back);
}

void colour_container(ColourEntry& entry, GadgetColour) { put_class_brush(entry.control, entry.back_colour); }

void colour_scroll_area(ColourEntry& entry, GadgetColour) {
    put_class_brush(GetWindow(entry.control, GW_CHILD), entry.back_colour);
}

// extra COLOUR_TRANSPARENT: the tree paints itself and its colour messages get no answer.
void colour_tree_view(ColourEntry& entry, GadgetColour extra) {
    entry.no_paint = extra == COLOUR_TRANSPARENT;
    if (entry.no_paint) return;
    COLORREF back = control_colour(entry.back_colour, CLR_NONE);
    TreeView_SetBkColor(entry.control, back);
    if (HIMAGELIST images = TreeView_GetImageList(entry.control, TVSIL_NORMAL)) ImageList_SetBkColor(images, back);
}

void colour_progress_bar(ColourEntry& entry, GadgetColour) {
    SendMessageA(entry.control, PBM_SETBARCOLOR, 0, gdi_colour(entry.text_colour));
    SendMessageA(entry.control, PBM_SETBKCOLOR, 0, control_colour(entry.back_colour, CLR_DEFAULT));
}

// A rich-edit control cannot be transparent: it then takes the system's background.
void colour_rich_edit(ColourEntry& entry, GadgetColour) {
    SendMessageA(entry.control, WM_SETREDRAW, FALSE, 0);
    bool system_back = entry.back_colour == COLOUR_TRANSPARENT;
    SendMessageA(entry.control, EM_SETBKGNDCOLOR, system_back, system_back ? 0 : gdi_colour(entry.back_colour));
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = gdi_colour(entry.text_colour);
    SendMessageA(entry.control, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageA(entry.control, WM_SETREDRAW, TRUE, 0);
}

void colour_tab_control(ColourEntry& entry, GadgetColour) {
    put_class_brush(entry.control, entry.back_colour);
    SetWindowLongPtrA(entry.control, GWL_STYLE, GetWindowLongPtrA(entry.control, GWL_STYLE) | TCS_OWNERDRAWFIXED);
}

using KindStep = void (*)(ColourEntry&, GadgetColour extra);

// Static, button, edit and list-box controls ask their parent for everything.
constexpr KindStep KIND_STEPS[CONTROL_KINDS] = {
    nullptr,             // OTHER_CONTROL
    nullptr,             // BUTTON_CONTROL
    nullptr,             // EDIT_CONTROL
    nullptr,             // LIST_BOX_CONTROL
    nullptr,             // COMBO_BOX_CONTROL: answered by the control procedure
    colour_list_view,    // LIST_VIEW_CONTROL
    colour_container,    // CONTAINER_CONTROL
    colour_scroll_area,  // SCROLL_AREA_CONTROL
    colour_tree_view,    // TREE_VIEW_CONTROL
    colour_progress_bar, // PROGRESS_CONTROL
    colour_rich_edit,    // RICH_EDIT_CONTROL
    colour_tab_control,  // TAB_CONTROL
};

// --- Colouring ---------------------------------------------------------------------------------

void apply_front_and_back(ColourEntry& entry, GadgetColour front, GadgetColour back, GadgetColour extra) {
    if (front != COLOUR_KEEP) entry.text_colour = text_colour_for(entry.kind, front);
    if (back == COLOUR_TRANSPARENT) {
        set_back(entry, COLOUR_TRANSPARENT, null_brush());
    } else if (back != COLOUR_KEEP) {
        GadgetColour colour = back_colour_for(entry.kind, back);
        set_back(entry, colour, CreateSolidBrush(gdi_colour(colour)));
    }
    if (back == COLOUR_TRANSPARENT || (GetWindowLongPtrA(entry.control, GWL_STYLE) & THEMED_STYLE_BITS))
        remove_theme(entry.control);
    if (KindStep step = KIND_STEPS[entry.kind]) step(entry, extra);
}

void store_further_colours(ColourEntry& entry, GadgetColour front, int type) {
    if (front == COLOUR_KEEP) return;
    for (int slot = 0; slot < FURTHER_COLOURS; ++slot)
        if (type & (2 << slot)) entry.further_colours[slot] = front;
}

// A transparent control shows what its parent painted under it, so the parent repaints there
// first: what the control showed before would otherwise stay.
void redraw(const ColourEntry& entry) {
    if (entry.back_colour == COLOUR_TRANSPARENT) {
        HWND parent = GetParent(entry.control);
        RECT area;
        GetWindowRect(entry.control, &area);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
        RedrawWindow(parent, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
    RedrawWindow(entry.control, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

// --- Shutdown ----------------------------------------------------------------------------------

void forget_colours(const ColourEntry& entry) {
    if (entry.kind == LIST_VIEW_CONTROL && IsWindow(entry.control))
        ListView_SetBkColor(entry.control, GetSysColor(COLOR_WINDOW));
    delete_brush(entry.back_brush);
}

// A procedure put in front of ours later keeps ours behind it: then ours stays, passing on.
bool give_procedure_back(const ControlSubclass& subclass) {
    if (GetWindowLongPtrA(subclass.control, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(control_procedure))
        return false;
    SetWindowLongPtrA(subclass.control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass.previous_proc));
    return true;
}

// A class that can no longer be reached keeps its brush: deleting it would leave the class a dead one.
void give_class_brush_back(const ClassBrushEntry& entry) {
    if (!IsWindow(entry.window)) return;
    SetClassLongPtrA(entry.window, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)));
    delete_brush(entry.brush);
}

} // namespace

void init_colour_library() {
    if (!library) library = create_library_state<ColourLibrary>();
    library->redraw = 1;
    library->colour_entries = recreate_list<ColourEntry>(library->colour_entries);
    library->control_subclasses = recreate_list<ControlSubclass>(library->control_subclasses);
    library->parent_subclasses = recreate_list<ParentSubclass>(library->parent_subclasses);
    library->class_brushes = recreate_list<ClassBrushEntry>(library->class_brushes);
    library->themes_active = themes_are_active();
}

void free_colour_library() {
    drain<ColourEntry>(library->colour_entries, forget_colours);
    delete_records<ControlSubclass>(library->control_subclasses, give_procedure_back);
    drain<ClassBrushEntry>(library->class_brushes, give_class_brush_back);
}

int colour_gadget(intptr_t gadget, GadgetColour front, GadgetColour back, GadgetColour extra, int type) {
    if (!is_gadget(gadget)) return 0;
    HWND control = gadget_handle(gadget);
    char class_name[CLASS_NAME_SIZE];
    if (!GetClassNameA(control, class_name, sizeof class_name)) class_name[0] = '\0';
    ColourEntry* entry = entry_of_gadget(gadget);
    if (!entry) {
        entry = add_record(library->colour_entries, ColourEntry{});
        entry->gadget = gadget;
        if (front == COLOUR_KEEP) front = COLOUR_DEFAULT;
        if (back == COLOUR_KEEP) back = COLOUR_DEFAULT;
    }
    entry->control = control;
    entry->window = subclass_ancestors(control);
    subclass_control(*entry);
    if (type < 0 || type > LAST_COLOUR_TYPE) {
        entry->colour_types &= type;
    } else {
        entry->colour_types |= type;
        entry->kind = kind_of_class(class_name);
        if (type & FRONT_AND_BACK_COLOURS) apply_front_and_back(*entry, front, back, extra);
        store_further_colours(*entry, front, type);
    }
    if (library->redraw) redraw(*entry);
    return entry->colour_types;
}

} // namespace rt
