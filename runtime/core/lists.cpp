// Linked lists over block pools; lists, pools and blocks live on the main heap.
#include "core/lists.h"

#include "core/memory.h"
#include "core/platform.h"
#include "core/strings.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>

namespace rt {

namespace {

constexpr int LIST_POOL_MINIMUM = 16;
constexpr int LIST_POOL_MAXIMUM = 65536;
constexpr int64_t WORD = sizeof(void*);

// max(size, 0) rounded up to whole words, plus extra bytes. A size no heap block could hold
// stops the process like any other allocation that cannot be met.
int padded_size(int size, int64_t extra) {
    int64_t bytes = (std::max(size, 0) + WORD - 1) / WORD * WORD + extra;
    if (bytes > INT_MAX) stop_out_of_memory();
    return static_cast<int>(bytes);
}

// --- pool blocks ---

char* slot_at(const BlockPool* pool, PoolBlock* block, int index) {
    return reinterpret_cast<char*>(block + 1) + static_cast<std::size_t>(index) * pool->slot_size;
}

// The pointer-sized word at the start of a slot.
template <class Pointer>
Pointer slot_word(const char* slot) {
    Pointer value;
    std::memcpy(&value, slot, sizeof value);
    return value;
}

void set_slot_word(char* slot, const void* value) { std::memcpy(slot, &value, sizeof value); }

bool is_full(const PoolBlock* block) { return block->free_count == 0 && block->next_unused == block->slot_count; }

void link_front(PoolBlock** head, PoolBlock* block) {
    block->previous = nullptr;
    block->next = *head;
    if (*head) (*head)->previous = block;
    *head = block;
}

void unlink(PoolBlock** head, PoolBlock* block) {
    if (block->previous) block->previous->next = block->next;
    else *head = block->next;
    if (block->next) block->next->previous = block->previous;
}

PoolBlock** list_holding(BlockPool* pool, const PoolBlock* block) {
    return is_full(block) ? &pool->full_blocks : &pool->blocks_with_room;
}

// Header and slots; a size past what any heap can give asks for the impossible (and is refused).
std::size_t block_bytes(const BlockPool* pool, int slots) {
    uint64_t bytes = sizeof(PoolBlock) + static_cast<uint64_t>(slots) * static_cast<uint64_t>(pool->slot_size);
    return bytes > PTRDIFF_MAX ? SIZE_MAX : static_cast<std::size_t>(bytes);
}

// A sixteenth of what the pool holds, in multiples of 16, between the pool's minimum and maximum.
int new_block_slots(const BlockPool* pool) {
    int slots = (pool->total_slots >> 4) & ~15;
    return std::max(1, std::min(std::max(slots, pool->minimum_slots), pool->maximum_slots));
}

PoolBlock* new_block(BlockPool* pool) {
    int slots = new_block_slots(pool);
    auto* block = static_cast<PoolBlock*>(main_try_allocate(block_bytes(pool, slots)));
    if (!block) {  // the heap is short of a whole block: one slot still serves the caller
        slots = 1;
        block = static_cast<PoolBlock*>(main_allocate(block_bytes(pool, slots)));
    }
    block->slot_count = slots;
    pool->total_slots += slots;
    return block;
}

// A returned slot first, else a never-used one.
char* take_slot(const BlockPool* pool, PoolBlock* block) {
    char* slot = block->free_slots;
    if (!slot) return slot_at(pool, block, block->next_unused++);
    block->free_slots = slot_word<char*>(slot);
    --block->free_count;
    return slot;
}

// --- list nodes ---

void* data_of(ListNode* node) { return node ? node + 1 : nullptr; }

void make_current(LinkedList* list, ListNode* node, int index) {
    list->current = node;
    list->index = index;
    list->before_first = node ? 0 : 1;
    if (list->current_cell) *list->current_cell = data_of(node);
}

void free_node(LinkedList* list, ListNode* node) {
    clear_structure(data_of(node), list->descriptor);
    pool_free(list->pool, node);
}

} // namespace

LinkedList* create_list(int element_size, void** current_cell, const intptr_t* descriptor) {
    auto* list = static_cast<LinkedList*>(main_allocate(sizeof(LinkedList)));
    list->current_cell = current_cell;
    list->descriptor = descriptor;
    list->node_size = padded_size(element_size, sizeof(ListNode));
    list->pool = create_pool(list->node_size, LIST_POOL_MINIMUM, LIST_POOL_MAXIMUM);
    make_current(list, nullptr, 0);
    return list;
}

void free_list(LinkedList* list) {
    if (!list) return;
    clear_list(list);
    destroy_pool(list->pool);
    main_free(list);
}

int list_size(const LinkedList* list) { return list->count; }

void reset_list(LinkedList* list) { make_current(list, nullptr, 0); }

void* next_element(LinkedList* list) {
    if (!list->current) {
        make_current(list, list->first, 0);
        return data_of(list->current);
    }
    if (!list->current->next) return nullptr;
    make_current(list, list->current->next, list->index + 1);
    return data_of(list->current);
}

void* add_element(LinkedList* list) {
    auto* node = static_cast<ListNode*>(pool_alloc(list->pool));
    std::memset(node, 0, static_cast<std::size_t>(list->node_size));
    ListNode* before = list->current;  // none: the new element goes to the front
    ListNode* after = before ? before->next : list->first;
    node->previous = before;
    node->next = after;
    (before ? before->next : list->first) = node;
    (after ? after->previous : list->last) = node;
    ++list->count;
    make_current(list, node, before ? list->index + 1 : 0);
    return data_of(node);
}

void delete_element(LinkedList* list, int flags) {
    ListNode* node = list->current;
    if (!node) {
        make_current(list, nullptr, 0);
        return;
    }
    ListNode* before = node->previous;
    ListNode* after = node->next;
    (before ? before->next : list->first) = after;
    (after ? after->previous : list->last) = before;
    --list->count;
    if (before) make_current(list, before, list->index - 1);
    else if ((flags & DELETE_TO_SUCCESSOR) && after) make_current(list, after, 0);
    else make_current(list, nullptr, 0);
    free_node(list, node);
}

void clear_list(LinkedList* list) {
    if (list->descriptor)
        for (ListNode* node = list->first; node; node = node->next) clear_structure(data_of(node), list->descriptor);
    pool_free_all(list->pool);
    list->first = list->last = nullptr;
    list->count = 0;
    make_current(list, nullptr, 0);
}

BlockPool* create_pool(int element_size, int minimum_slots, int maximum_slots) {
    auto* pool = static_cast<BlockPool*>(main_allocate(sizeof(BlockPool)));
    pool->slot_size = padded_size(element_size, sizeof(PoolBlock*));
    pool->minimum_slots = minimum_slots;
    pool->maximum_slots = maximum_slots;
    return pool;
}

void* pool_alloc(BlockPool* pool) {
    PoolBlock* block = pool->blocks_with_room;
    bool is_new = !block;
    if (is_new) block = new_block(pool);
    char* slot = take_slot(pool, block);
    if (is_new) {
        link_front(list_holding(pool, block), block);
    } else if (is_full(block)) {
        unlink(&pool->blocks_with_room, block);
        link_front(&pool->full_blocks, block);
    }
    set_slot_word(slot, block);
    return slot + sizeof(PoolBlock*);
}

void pool_free(BlockPool* pool, void* element) {
    if (!element) return;
    char* slot = static_cast<char*>(element) - sizeof(PoolBlock*);
    auto* block = slot_word<PoolBlock*>(slot);
    PoolBlock** home = list_holding(pool, block);  // a one-slot block sits on the full list too
    bool was_full = home == &pool->full_blocks;
    set_slot_word(slot, block->free_slots);
    block->free_slots = slot;
    ++block->free_count;
    if (block->free_count == block->next_unused) {  // every slot it handed out is back
        unlink(home, block);
        pool->total_slots -= block->slot_count;
        main_free(block);
    } else if (was_full) {
        unlink(home, block);
        link_front(&pool->blocks_with_room, block);
    }
}

void pool_free_all(BlockPool* pool) {
    for (PoolBlock** head : {&pool->blocks_with_room, &pool->full_blocks}) {
        while (PoolBlock* block = *head) {
            *head = block->next;
            main_free(block);
        }
    }
    pool->total_slots = 0;
}

void destroy_pool(BlockPool* pool) {
    pool_free_all(pool);
    main_free(pool);
}

void clear_structure(void* record, const intptr_t* descriptor) {
    if (!record || !descriptor) return;
    char* base = static_cast<char*>(record);
    for (const intptr_t* entry = descriptor;;) {
        if (*entry >= 0) {
            if (char* text = slot_word<char*>(base + *entry)) free_string(text);
            entry += 1;
        } else if (*entry == STRUCTURE_EMBEDDED) {
            auto* inner = reinterpret_cast<const intptr_t*>(entry[4]);
            for (intptr_t i = 0; i < entry[1]; ++i) clear_structure(base + entry[2] + i * entry[3], inner);
            entry += 5;
        } else {
            return;  // STRUCTURE_END (or an entry no descriptor holds)
        }
    }
}

} // namespace rt
