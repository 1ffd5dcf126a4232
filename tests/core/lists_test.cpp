// Linked lists and their block pools: a random walk checked against a model after every step.
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
struct Item { int value; char* names[2]; };
const intptr_t NAME[] = {0, STRUCTURE_END};
const intptr_t ITEM[] = {STRUCTURE_EMBEDDED, 2, offsetof(Item, names), sizeof(char*), reinterpret_cast<intptr_t>(NAME), STRUCTURE_END};

int slots_in(const PoolBlock* block) { return block ? block->slot_count + slots_in(block->next) : 0; }

// The values front to back, checking the links, count, current index and the pool's blocks.
std::vector<int> checked_values(const LinkedList* list) {
    std::vector<int> values;
    const ListNode* previous = nullptr;
    for (ListNode* node = list->first; node; previous = node, node = node->next) {
        EXPECT_EQ(node->previous, previous) << "node " << values.size() << " links back to its predecessor";
        EXPECT_TRUE(node != list->current || list->index == static_cast<int>(values.size())) << "the current index";
        values.push_back(static_cast<Item*>(static_cast<void*>(node + 1))->value);
    }
    EXPECT_TRUE(list->last == previous && list_size(list) == static_cast<int>(values.size()));
    EXPECT_EQ(list->before_first, list->current ? 0 : 1) << "before-first exactly when nothing is current";
    const BlockPool* pool = list->pool;
    EXPECT_EQ(pool->total_slots, slots_in(pool->full_blocks) + slots_in(pool->blocks_with_room));
    for (const PoolBlock* block = pool->blocks_with_room; block; block = block->next)
        EXPECT_LT(block->free_count, block->next_unused) << "a block whose slots all came back is freed";
    return values;
}

// Every operation against a vector model; the first element gets a block of its own from a short heap.
TEST(LinkedListTest, RandomOperationsMatchAModel) {
    void* cell = &cell;  // create_list must clear it
    LinkedList* list = create_list(sizeof(Item), &cell, ITEM);
    fail_allocations_over(sizeof(PoolBlock) + static_cast<std::size_t>(list->pool->slot_size));
    add_element(list);
    fail_allocations_over(SIZE_MAX);
    EXPECT_EQ(list->pool->total_slots, 1);
    std::vector<int> model{0};
    int current = 0;
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

} // namespace
