// The shared brush cache: a linked entry list of (colour, brush, uses) under the gadget library's lock.
//
// Invariant: every listed brush has at least one use; the entry goes with its last use.
#include "gui/brush_cache.h"

#include "core/objects.h"

namespace rt {

namespace {

struct CachedBrush {
    GadgetColour colour;
    HBRUSH brush;
    int uses;
};

ListLink* cached_brushes;

template <class Matches>
CachedBrush* find_cached(Matches matches) {
    for (ListLink* link = cached_brushes; link; link = link->next) {
        auto* entry = static_cast<CachedBrush*>(list_record(link));
        if (matches(*entry)) return entry;
    }
    return nullptr;
}

} // namespace

HBRUSH acquire_brush(GadgetColour colour) {
    LockGuard guard(gadget_library_lock());
    if (CachedBrush* entry = find_cached([colour](const CachedBrush& e) { return e.colour == colour; })) {
        ++entry->uses;
        return entry->brush;
    }
    HBRUSH brush = CreateSolidBrush(colour & 0xFFFFFF);
    if (!brush) return nullptr;
    auto* entry = add_entry<CachedBrush>(&cached_brushes);
    *entry = CachedBrush{colour, brush, 1};
    return brush;
}

void release_brush(HBRUSH brush) {
    if (!brush) return;
    LockGuard guard(gadget_library_lock());
    CachedBrush* entry = find_cached([brush](const CachedBrush& e) { return e.brush == brush; });
    if (!entry || --entry->uses > 0) return;
    DeleteObject(entry->brush);
    remove_list_entry(&cached_brushes, entry);
}

} // namespace rt
