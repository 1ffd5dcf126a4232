// Linked lists of fixed-size, zeroed elements walked through a current element, and the block
// pools whose slots hold their elements.
//
// Invariants: a list has no current element exactly when it is in its before-first state, and the
// owner's cell always holds the current element's data (null when there is none). A pool block is
// on the pool's full list exactly when it has neither a returned slot nor a never-used one, and a
// block goes back to the heap as soon as every slot it handed out has come back.
#pragma once

#include <cstdint>

namespace rt {

// A run of equal slots carved out of one main-heap block; the slots follow this header. Each slot
// begins with a pointer-sized word: its block while the slot is in use, the next returned slot
// of the chain while it is free.
struct PoolBlock {
    PoolBlock* next;
    PoolBlock* previous;
    char* free_slots;  // chain of returned slots, newest first
    int slot_count;
    int next_unused;  // index of the first slot never handed out
    int free_count;   // slots on the chain
};

struct BlockPool {
    PoolBlock* full_blocks;
    PoolBlock* blocks_with_room;
    int total_slots;  // in all blocks
    int slot_size;    // element space rounded up to pointer size, plus the block word
    int minimum_slots;
    int maximum_slots;
};

// The links in front of every list element's data.
struct ListNode {
    ListNode* next;
    ListNode* previous;
};

struct LinkedList {
    ListNode* first;
    ListNode* last;
    ListNode* current;
    void** current_cell;  // the owner's variable that follows the current element's data, or null
    int count;
    int index;  // of the current element, 0 for the first
    const intptr_t* descriptor;  // strings to free with each element, or null
    BlockPool* pool;
    int node_size;  // links and element
    int before_first;
};

// Structure descriptors: a sequence of entries ending with STRUCTURE_END. An entry of 0 or more is
// the offset of a string field (a char* freed with free_string). STRUCTURE_EMBEDDED is followed by
// four entries: a count, an offset, an element size and the address of the embedded records'
// own descriptor.
inline constexpr intptr_t STRUCTURE_END = -1;
inline constexpr intptr_t STRUCTURE_EMBEDDED = -2;

// delete_element flag: deleting the first element makes its successor current, instead of
// putting the list back before its first element.
inline constexpr int DELETE_TO_SUCCESSOR = 1;

// An empty list, before its first element, whose elements come from a pool of 16 to 65536 slots
// a block. The owner's cell (may be null) is set to null.
LinkedList* create_list(int element_size, void** current_cell, const intptr_t* descriptor);
// Clears the list and frees it with its pool; null does nothing.
void free_list(LinkedList* list);
int list_size(const LinkedList* list);
// Back before the first element: the next next_element returns the first.
void reset_list(LinkedList* list);
// The successor of the current element (the first, before the first) made current; null at the
// end, where the last element stays current.
void* next_element(LinkedList* list);
// A zeroed element inserted behind the current one (at the front, before the first), made current.
void* add_element(LinkedList* list);
// Deletes the current element; its predecessor becomes current, so that next_element continues
// with the deleted element's successor. Without a current element only the cell is updated.
void delete_element(LinkedList* list, int flags);
// Frees every element (and its strings) and all blocks; the list is empty, before its first element.
void clear_list(LinkedList* list);

BlockPool* create_pool(int element_size, int minimum_slots, int maximum_slots);
// Element space of one slot. Never null: when the heap cannot supply a new block a one-slot block
// is made, and when not even that can be had the process stops.
void* pool_alloc(BlockPool* pool);
// Takes back space from pool_alloc; a block whose slots have all come back is freed.
void pool_free(BlockPool* pool, void* element);
void pool_free_all(BlockPool* pool);
void destroy_pool(BlockPool* pool);

// Frees the strings a descriptor names in a record; the fields keep their values.
void clear_structure(void* record, const intptr_t* descriptor);

} // namespace rt
