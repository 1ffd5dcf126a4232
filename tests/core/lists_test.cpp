// Linked lists and block pools: a random walk checked against a model after every step, and a
// pool on a heap short of memory.
#include <gtest/gtest.h>

#include "core/lists.h"
#include "core/platform.h"
#include "core/strings.h"

#include <cstddef>
#include <random>
#include <vector>

namespace {

using namespace rt;

// Two strings freed with the element, described as two embedded one-string records.
struct Item {
    int value;
    char* names[2];
};
const intptr_t NAME[] = {0, STRUCTURE_END};
const intptr_t ITEM[] = {STRUCTURE_EMBEDDED, 2, offsetof(Item, names), sizeof(char*), reinterpret_cast<intptr_t>(NAME), STRUCTURE_END};

int slots_in(const PoolBlock* block) { return block ? block->slot_count + slots_in(block->next) : 0; }

// Full blocks have no room, blocks with room have some but are not wholly free, totals add up.
void expect_pool_consistent(const BlockPool* pool) {
    for (const PoolBlock* block = pool->full_blocks; block; block = block->next)
        EXPECT_TRUE(block->free_count == 0 && block->next_unused == block->slot_count) << "a full block is full";
    for (const PoolBlock* block = pool->blocks_with_room; block; block = block->next)
        EXPECT_TRUE(block->free_count < block->next_unused && (block->free_count || block->next_unused < block->slot_count));
    EXPECT_EQ(pool->total_slots, slots_in(pool->full_blocks) + slots_in(pool->blocks_with_room));
}

// The values front to back, checking the links both ways, the count, the current index and the pool.
std::vector<int> checked_values(const LinkedList* list) {
    std::vector<int> values;
    const ListNode* previous = nullptr;
    for (ListNode* node = list->first; node; previous = node, node = node->next) {
        EXPECT_EQ(node->previous, previous) << "node " << values.size() << " links back to its predecessor";
        EXPECT_TRUE(node != list->current || list->index == static_cast<int>(values.size())) << "the current index";
        values.push_back(static_cast<Item*>(static_cast<void*>(node + 1))->value);
    }
    EXPECT_TRUE(list->last == previous && list->count == static_cast<int>(values.size()));
    EXPECT_EQ(list->before_first, list->current ? 0 : 1) << "before-first exactly when nothing is current";
    expect_pool_consistent(list->pool);
    return values;
}

// Additions, walks, deletions with either flag, resets and clears against a vector with a current
// position: where an element goes, which becomes current and what the owner's cell holds. Natively,
// LeakSanitizer reports an element's string left behind.
TEST(LinkedListTest, RandomOperationsMatchAModel) {
    void* cell = &cell;  // create_list must clear it
    LinkedList* list = create_list(sizeof(Item), &cell, ITEM);
    std::vector<int> model;
    int current = -1;  // -1: before the first element
    std::mt19937 random(2024);
    for (int step = 0; step < 3000 && !testing::Test::HasFailure(); ++step) {
        int operation = static_cast<int>(random() % 8), flags = static_cast<int>(random() % 2);
        if (operation < 3) {
            model.insert(model.begin() + ++current, step);
            auto* item = static_cast<Item*>(add_element(list));
            EXPECT_TRUE(item->value == 0 && !item->names[0] && !item->names[1]) << "a new element is zeroed, in a reused slot too";
            item->value = step;
            assign_string(&item->names[step % 2], "name");
        } else if (operation == 3) {
            if (current + 1 < static_cast<int>(model.size())) ++current;
            next_element(list);
        } else if (operation < 6) {
            if (current >= 0) model.erase(model.begin() + current);
            bool to_successor = current == 0 && (flags & DELETE_TO_SUCCESSOR) && !model.empty();
            current = current > 0 ? current - 1 : (to_successor ? 0 : -1);
            delete_element(list, flags);
        } else if (operation == 6 || random() % 16 == 0) {
            if (operation == 7) model.clear();
            current = -1;
            operation == 6 ? reset_list(list) : clear_list(list);
            EXPECT_TRUE(operation == 6 || list->pool->total_slots == 0) << "clear_list gives every block back";
        }
        ASSERT_EQ(checked_values(list), model) << "step " << step;
        EXPECT_EQ(cell ? static_cast<Item*>(cell)->value : -1, current < 0 ? -1 : model[current]) << "step " << step;
    }
    free_list(list);
}

// A heap short of a whole block still gives a slot, in a block of its own; a block goes back to
// the heap with the last of its slots.
TEST(BlockPoolTest, AHeapShortOfABlockGivesAOneSlotBlockAndBlocksGoWithTheirLastSlot) {
    BlockPool* pool = create_pool(24, 16, 65536);
    std::vector<void*> slots;
    for (int i = 0; i < 16; ++i) slots.push_back(pool_alloc(pool));
    fail_allocations_over(sizeof(PoolBlock) + static_cast<std::size_t>(pool->slot_size));
    slots.push_back(pool_alloc(pool));
    fail_allocations_over(SIZE_MAX);
    EXPECT_EQ(pool->total_slots, 17) << "16 in the first block, 1 in a block of its own";
    static_cast<char*>(slots.back())[23] = 1;  // the whole element space is usable
    for (void* slot : slots) {
        expect_pool_consistent(pool);
        pool_free(pool, slot);
    }
    EXPECT_EQ(pool->total_slots, 0) << "every block went back to the heap";
    destroy_pool(pool);
}

} // namespace
