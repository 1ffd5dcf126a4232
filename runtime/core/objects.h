// Numbered objects: each library's table from the application's numbers (and from dynamic
// identities) to the library's fixed-size object records; and the linked entry lists.
//
// Invariant: a record is live exactly when its first, pointer-sized field (the object's system
// handle) is non-zero. A library stores the handle there only after the object exists.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rt {

// Asks for an object without a number; its identity is the address of its record.
inline constexpr intptr_t DYNAMIC_NUMBER = -1;

// Two links in front of every entry of a linked entry list (and of every dynamic record).
struct ListLink {
    ListLink* next;      // older entry
    ListLink* previous;  // newer entry
};

// Frees the library's object under a number or identity (and so clears its record).
using ReleaseCallback = void (*)(intptr_t number);

struct ObjectTable {
    int record_size;
    int growth_step;
    int capacity;
    ListLink* dynamic_list;  // newest dynamic entry, or null
    ReleaseCallback release;
    int enumeration_index;
    ListLink* enumeration_cursor;
    char* slots;  // capacity records, zeroed when made
};

// Null for a record smaller than the pointer-sized handle it begins with, a growth step below 1,
// or a first slot array that would pass 2 GiB.
ObjectTable* create_object_table(int record_size, int growth_step, ReleaseCallback release);

// The record for a number, after the release callback has freed what the number held; a zeroed
// new dynamic record for DYNAMIC_NUMBER. Null for a number no table can hold (another negative
// value, or one whose slot array would pass 2 GiB).
void* claim_object(ObjectTable* table, intptr_t number);
// The live record of a number or listed identity, else null.
void* find_object(ObjectTable* table, intptr_t number);
// The record of a live number, or the value itself when it is a listed identity; else null.
// An identity is compared, never read through.
void* is_object(ObjectTable* table, intptr_t number);
// Zeroes a numbered slot, or unlinks and frees a dynamic entry.
void release_object(ObjectTable* table, intptr_t number);

// Undoes a claim whose system object could not be made: a dynamic entry is freed, a numbered
// slot stays free. Creation fails whole.
void abandon_claim(ObjectTable* table, intptr_t number, void* record);
// What a creating operation hands back to name the object: the number, or for DYNAMIC_NUMBER
// the record's address.
inline intptr_t identity_of(intptr_t number, void* record) {
    return number == DYNAMIC_NUMBER ? reinterpret_cast<intptr_t>(record) : number;
}

// Live numbered records in increasing order, then dynamic ones from oldest to newest. Releasing
// the object just returned does not disturb the walk.
void start_object_enumeration(ObjectTable* table);
void* next_object(ObjectTable* table, intptr_t* number);

// A zeroed entry of record_size bytes (behind its links) put at the front of the list; returns
// the record part.
void* add_list_entry(ListLink** head, int record_size);
void remove_list_entry(ListLink** head, void* record);

inline void* list_record(ListLink* link) { return link + 1; }
inline ListLink* list_link(void* record) { return static_cast<ListLink*>(record) - 1; }

// Typed views for the libraries: a table of Record, and lookups that return Record*.
template <class Record>
ObjectTable* create_table_of(int growth_step, ReleaseCallback release) {
    static_assert(sizeof(Record) >= sizeof(void*), "a record begins with its handle");
    return create_object_table(static_cast<int>(sizeof(Record)), growth_step, release);
}

template <class Record>
Record* claim(ObjectTable* table, intptr_t number) {
    return static_cast<Record*>(claim_object(table, number));
}

template <class Record>
Record* find(ObjectTable* table, intptr_t number) {
    return static_cast<Record*>(find_object(table, number));
}

template <class Record>
Record* add_entry(ListLink** head) {
    return static_cast<Record*>(add_list_entry(head, static_cast<int>(sizeof(Record))));
}

// Frees every object of a table with the library's free operation (the shutdown walk).
template <class Free>
void free_all_objects(ObjectTable* table, Free free_object) {
    intptr_t number;
    start_object_enumeration(table);
    while (next_object(table, &number)) free_object(number);
}

} // namespace rt
