// Linked lists and block pools, driven the way the colour library drives them; every mutation is
// followed by a walk that checks the links, counts and block bookkeeping.
#include <gtest/gtest.h>

#include "core/lists.h"
#include "core/memory.h"
#include "core/platform.h"
#include "core/strings.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

using namespace rt;

struct Item {
    int value;
    char* name;
};

int value_of(void* element) { return element ? static_cast<Item*>(element)->value : -1; }

void* add_value(LinkedList* list, int value) {
    void* element = add_element(list);
    static_cast<Item*>(element)->value = value;
    return element;
}

std::vector<int> values_of(const LinkedList* list) {
    std::vector<int> values;
    for (ListNode* node = list->first; node; node = node->next) values.push_back(value_of(node + 1));
    return values;
}

// Links both ways, first/last, count, the current element's index and the owner's cell.
void expect_list_consistent(const LinkedList* list, void* cell) {
    int count = 0, current_index = -1;
    const ListNode* previous = nullptr;
    for (ListNode* node = list->first; node; node = node->next, ++count) {
        ASSERT_EQ(node->previous, previous) << "node " << count << " links back to its predecessor";
        if (node == list->current) current_index = count;
        previous = node;
    }
    EXPECT_EQ(list->last, previous) << "last is the tail of the chain";
    EXPECT_EQ(list->count, count);
    EXPECT_EQ(list->before_first, list->current ? 0 : 1) << "before-first exactly when nothing is current";
    if (list->current) {
        EXPECT_EQ(list->index, current_index) << "index is the current element's position";
    }
    EXPECT_EQ(cell, list->current ? static_cast<void*>(list->current + 1) : nullptr)
        << "the owner's cell follows the current element's data";
}

int slots_in(const PoolBlock* block) {
    int slots = 0;
    for (; block; block = block->next) slots += block->slot_count;
    return slots;
}

int blocks_in(const PoolBlock* block) {
    int blocks = 0;
    for (; block; block = block->next) ++blocks;
    return blocks;
}

// Full blocks have no room, blocks with room have some, none is wholly free, totals add up.
void expect_pool_consistent(const BlockPool* pool) {
    for (const PoolBlock* block = pool->full_blocks; block; block = block->next) {
        EXPECT_EQ(block->free_count, 0) << "a full block has no returned slot";
        EXPECT_EQ(block->next_unused, block->slot_count) << "a full block has no never-used slot";
    }
    for (const PoolBlock* block = pool->blocks_with_room; block; block = block->next) {
        EXPECT_TRUE(block->free_count > 0 || block->next_unused < block->slot_count) << "a block with room has room";
        EXPECT_LT(block->free_count, block->next_unused) << "a block whose slots all came back is freed";
    }
    EXPECT_EQ(pool->total_slots, slots_in(pool->full_blocks) + slots_in(pool->blocks_with_room));
}

class LinkedListTest : public testing::Test {
protected:
    void SetUp() override { list = create_list(sizeof(Item), &cell, nullptr); }
    void TearDown() override { free_list(list); }

    void expect_consistent() {
        expect_list_consistent(list, cell);
        expect_pool_consistent(list->pool);
    }

    void* cell = reinterpret_cast<void*>(1);  // create_list must clear it
    LinkedList* list = nullptr;
};

TEST_F(LinkedListTest, ClearLeavesAnEmptyListWithNoBlocks) {
    for (int value = 0; value < 40; ++value) add_value(list, value);
    clear_list(list);
    EXPECT_EQ(list_size(list), 0);
    EXPECT_EQ(cell, nullptr) << "the owner's cell is null after clear_list";
    EXPECT_EQ(list->pool->total_slots, 0) << "every block went back to the heap";
    EXPECT_EQ(list->pool->full_blocks, nullptr);
    EXPECT_EQ(list->pool->blocks_with_room, nullptr);
    EXPECT_EQ(next_element(list), nullptr);
    add_value(list, 5);
    EXPECT_EQ(values_of(list), std::vector<int>{5}) << "a cleared list is used again";
    expect_consistent();
}

// A random mix of additions, walks, deletions with either flag and resets, checked against a
// vector with a current position: where an element goes, which becomes current, the owner's cell,
// the links, counts and pool after every step.
TEST_F(LinkedListTest, RandomOperationsMatchAModel) {
    std::vector<int> model;
    int current = -1;  // -1: before the first element
    std::mt19937 random(2024);
    for (int step = 0; step < 5000; ++step) {
        switch (random() % 6) {
        case 0:
        case 1: {
            model.insert(model.begin() + (current + 1), step);
            ++current;
            ASSERT_EQ(static_cast<Item*>(add_value(list, step))->name, nullptr) << "a new element is zeroed";
            break;
        }
        case 2:
            if (current + 1 < static_cast<int>(model.size())) ++current;
            next_element(list);
            break;
        case 3:
        case 4: {
            int flags = static_cast<int>(random() % 2);
            if (current >= 0) {
                model.erase(model.begin() + current);
                bool to_successor = current == 0 && (flags & DELETE_TO_SUCCESSOR) && !model.empty();
                current = current > 0 ? current - 1 : (to_successor ? 0 : -1);
            }
            delete_element(list, flags);
            break;
        }
        case 5:
            if (random() % 8 == 0) {
                current = -1;
                reset_list(list);
            }
            break;
        }
        ASSERT_EQ(values_of(list), model) << "step " << step;
        ASSERT_EQ(value_of(cell), current < 0 ? -1 : model[current]) << "step " << step;
        expect_consistent();
        if (HasFailure()) return;
    }
}

TEST(StructureTest, ClearingFreesNamedStringsOfRecordsEmbeddedRecordsAndListElements) {
    struct Inner {
        int number;
        char* label;
    };
    struct Outer {
        char* title;
        Inner parts[2];
        char* empty;
    };
    static const intptr_t inner_descriptor[] = {offsetof(Inner, label), STRUCTURE_END};
    const intptr_t descriptor[] = {offsetof(Outer, title),
                                   STRUCTURE_EMBEDDED, 2, offsetof(Outer, parts), sizeof(Inner),
                                   reinterpret_cast<intptr_t>(inner_descriptor),
                                   offsetof(Outer, empty), STRUCTURE_END};
    Outer record{};
    assign_string(&record.title, "title");
    assign_string(&record.parts[0].label, "first");
    assign_string(&record.parts[1].label, "second");
    Outer before = record;
    clear_structure(&record, descriptor);  // natively, LeakSanitizer reports any string left
    EXPECT_EQ(record.title, before.title) << "the fields are not set to null";
    EXPECT_EQ(record.parts[1].label, before.parts[1].label);

    static const intptr_t item_descriptor[] = {offsetof(Item, name), STRUCTURE_END};
    LinkedList* list = create_list(sizeof(Item), nullptr, item_descriptor);
    for (int value = 0; value < 3; ++value) assign_string(&static_cast<Item*>(add_element(list))->name, "element");
    delete_element(list, 0);  // frees one element's string, clear_list the others'
    free_list(list);
    free_list(nullptr);
}

class BlockPoolTest : public testing::Test {
protected:
    void SetUp() override { pool = create_pool(24, 16, 65536); }
    void TearDown() override {
        fail_allocations_over(SIZE_MAX);
        destroy_pool(pool);
    }

    std::vector<void*> take(int count) {
        std::vector<void*> slots;
        for (int i = 0; i < count; ++i) slots.push_back(pool_alloc(pool));
        return slots;
    }

    BlockPool* pool = nullptr;
};

TEST_F(BlockPoolTest, SixteenSlotsMakeOneBlockAndTheSeventeenthASecond) {
    EXPECT_EQ(pool->slot_size, static_cast<int>(24 + sizeof(void*))) << "element space plus the block word";
    std::vector<void*> slots = take(16);
    EXPECT_EQ(pool->total_slots, 16);
    EXPECT_EQ(blocks_in(pool->full_blocks), 1) << "the first block is full after 16 slots";
    EXPECT_EQ(pool->blocks_with_room, nullptr);
    slots.push_back(pool_alloc(pool));
    EXPECT_EQ(pool->total_slots, 32) << "the 17th slot makes a second block of 16";
    EXPECT_EQ(blocks_in(pool->blocks_with_room), 1);
    expect_pool_consistent(pool);

    for (int i = 0; i < 16; ++i) pool_free(pool, slots[i]);
    EXPECT_EQ(pool->total_slots, 16) << "the block whose 16 slots all came back is freed";
    EXPECT_EQ(pool->full_blocks, nullptr);
    expect_pool_consistent(pool);
    pool_free(pool, slots[16]);
    EXPECT_EQ(pool->total_slots, 0);
    EXPECT_EQ(pool->blocks_with_room, nullptr);
}

TEST_F(BlockPoolTest, BlocksGrowByASixteenthOfThePool) {
    take(512);
    EXPECT_EQ(pool->total_slots, 512) << "16-slot blocks until the pool holds 512";
    take(1);
    EXPECT_EQ(pool->total_slots, 544) << "then 32-slot blocks";
    EXPECT_EQ(pool->blocks_with_room->slot_count, 32);

    BlockPool* bounded = create_pool(4, 20, 24);
    pool_alloc(bounded);
    EXPECT_EQ(bounded->total_slots, 20) << "raised to the minimum";
    for (int i = 1; i < 521; ++i) pool_alloc(bounded);
    EXPECT_EQ(bounded->total_slots, 544) << "a sixteenth of 520 slots (32) capped at the maximum (24)";
    destroy_pool(bounded);
}

TEST_F(BlockPoolTest, AShortHeapGivesOneSlotBlocksThatGoBackWhenTheirSlotReturns) {
    void* in_block = pool_alloc(pool);
    take(15);
    fail_allocations_over(sizeof(PoolBlock) + static_cast<std::size_t>(pool->slot_size));
    void* single = pool_alloc(pool);
    void* another = pool_alloc(pool);
    fail_allocations_over(SIZE_MAX);
    EXPECT_EQ(pool->total_slots, 18) << "each block the heap could not supply became one slot";
    EXPECT_EQ(blocks_in(pool->full_blocks), 3) << "one-slot blocks are full at once";
    EXPECT_EQ(pool->blocks_with_room, nullptr);
    std::memset(single, 0xAB, 24);  // the whole element space is usable
    std::memset(another, 0xCD, 24);

    pool_free(pool, single);
    EXPECT_EQ(pool->total_slots, 17) << "a one-slot block goes back to the heap with its slot";
    EXPECT_EQ(blocks_in(pool->full_blocks), 2);
    expect_pool_consistent(pool);
    pool_free(pool, in_block);
    pool_free(pool, another);
    EXPECT_EQ(pool->total_slots, 16);
    EXPECT_EQ(blocks_in(pool->blocks_with_room), 1);
    expect_pool_consistent(pool);
}

// Adding and deleting within existing blocks never calls the heap: any allocation would stop
// the process with the out-of-memory code.
TEST_F(BlockPoolTest, SlotsComeAndGoWithoutHeapCallsInsideABlock) {
    std::vector<void*> slots = take(10);
    fail_allocations_after(0);
    for (int round = 0; round < 1000; ++round) {
        pool_free(pool, slots[round % 10]);
        slots[round % 10] = pool_alloc(pool);
    }
    fail_allocations_after(-1);
    EXPECT_EQ(pool->total_slots, 16);
}

TEST(BlockPoolDeathTest, NoMemoryForEvenOneSlotStopsTheProcess) {
    EXPECT_EXIT(
        {
            BlockPool* pool = create_pool(24, 16, 65536);
            fail_allocations_after(0);
            pool_alloc(pool);
        },
        testing::ExitedWithCode(OUT_OF_MEMORY_EXIT_CODE), "");
}

} // namespace
