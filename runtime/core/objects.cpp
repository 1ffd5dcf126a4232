// Numbered-object tables and linked entry lists, on the main heap.
#include "core/objects.h"

#include "core/memory.h"

#include <cstring>

namespace rt {

namespace {

// The largest slot array a table may have; beyond it a number is refused, not allocated.
constexpr int64_t MAX_SLOT_BYTES = INT32_MAX;

bool is_live(const void* record) {
    uintptr_t handle;
    std::memcpy(&handle, record, sizeof handle);
    return handle != 0;
}

char* slot_of(ObjectTable* table, intptr_t number) {
    if (number < 0 || number >= table->capacity) return nullptr;
    return table->slots + number * table->record_size;
}

// The dynamic entry whose identity is `identity`, found by comparing addresses only.
ListLink* listed_entry(ObjectTable* table, intptr_t identity) {
    for (ListLink* link = table->dynamic_list; link; link = link->next)
        if (reinterpret_cast<intptr_t>(list_record(link)) == identity) return link;
    return nullptr;
}

// The most records a slot array may hold, so that no size computed from it can overflow.
int64_t most_records(int record_size) { return MAX_SLOT_BYTES / record_size; }

// The number is refused before number + growth_step is formed.
bool grow_to_hold(ObjectTable* table, intptr_t number) {
    if (static_cast<int64_t>(number) > most_records(table->record_size) - table->growth_step) return false;
    int64_t capacity = static_cast<int64_t>(number) + table->growth_step;
    table->slots = static_cast<char*>(main_reallocate(table->slots, static_cast<std::size_t>(capacity * table->record_size)));
    table->capacity = static_cast<int>(capacity);
    return true;
}

ListLink* oldest_entry(ListLink* head) {
    while (head && head->next) head = head->next;
    return head;
}

} // namespace

ObjectTable* create_object_table(int record_size, int growth_step, ReleaseCallback release) {
    if (record_size < static_cast<int>(sizeof(void*)) || growth_step < 1) return nullptr;
    if (growth_step > most_records(record_size)) return nullptr;
    auto* table = static_cast<ObjectTable*>(main_allocate(sizeof(ObjectTable)));
    table->record_size = record_size;
    table->growth_step = growth_step;
    table->capacity = growth_step;
    table->release = release;
    table->slots = static_cast<char*>(main_allocate(static_cast<std::size_t>(growth_step) * record_size));
    return table;
}

void* claim_object(ObjectTable* table, intptr_t number) {
    if (number == DYNAMIC_NUMBER) return add_list_entry(&table->dynamic_list, table->record_size);
    if (number < 0) return nullptr;
    if (number >= table->capacity && !grow_to_hold(table, number)) return nullptr;
    if (table->release) table->release(number);
    return slot_of(table, number);
}

void* find_object(ObjectTable* table, intptr_t number) {
    if (char* slot = slot_of(table, number)) return is_live(slot) ? slot : nullptr;
    ListLink* entry = listed_entry(table, number);
    return entry && is_live(list_record(entry)) ? list_record(entry) : nullptr;
}

void* is_object(ObjectTable* table, intptr_t number) {
    if (char* slot = slot_of(table, number)) return is_live(slot) ? slot : nullptr;
    return listed_entry(table, number) ? reinterpret_cast<void*>(number) : nullptr;
}

void release_object(ObjectTable* table, intptr_t number) {
    if (char* slot = slot_of(table, number)) {
        std::memset(slot, 0, static_cast<std::size_t>(table->record_size));
    } else if (ListLink* entry = listed_entry(table, number)) {
        remove_list_entry(&table->dynamic_list, list_record(entry));
    }
}

void abandon_claim(ObjectTable* table, intptr_t number, void* record) {
    if (number == DYNAMIC_NUMBER) remove_list_entry(&table->dynamic_list, record);
}

void start_object_enumeration(ObjectTable* table) {
    table->enumeration_index = 0;
    table->enumeration_cursor = oldest_entry(table->dynamic_list);
}

void* next_object(ObjectTable* table, intptr_t* number) {
    while (table->enumeration_index < table->capacity) {
        int index = table->enumeration_index++;
        char* slot = slot_of(table, index);
        if (is_live(slot)) {
            *number = index;
            return slot;
        }
    }
    ListLink* entry = table->enumeration_cursor;
    if (!entry) return nullptr;
    table->enumeration_cursor = entry->previous;
    *number = reinterpret_cast<intptr_t>(list_record(entry));
    return list_record(entry);
}

void* add_list_entry(ListLink** head, int record_size) {
    auto* entry = static_cast<ListLink*>(main_allocate(sizeof(ListLink) + static_cast<std::size_t>(record_size)));
    entry->next = *head;
    if (*head) (*head)->previous = entry;
    *head = entry;
    return list_record(entry);
}

void remove_list_entry(ListLink** head, void* record) {
    ListLink* entry = list_link(record);
    if (entry == *head) {
        *head = entry->next;
        if (*head) (*head)->previous = nullptr;
    } else {
        entry->previous->next = entry->next;
        if (entry->next) entry->next->previous = entry->previous;
    }
    main_free(entry);
}

} // namespace rt
