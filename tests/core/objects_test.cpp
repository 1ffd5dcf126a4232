// Numbered-object tables and entry lists, driven the way a library drives them.
#include <gtest/gtest.h>

#include "core/memory.h"
#include "core/objects.h"
#include "core/platform.h"

#include <cstring>
#include <vector>

namespace {

using namespace rt;

struct ThingRecord {
    uintptr_t handle;
    int value;
};

// A miniature library: its objects are "things"; freeing one records its number.
ObjectTable* things;
std::vector<intptr_t> freed;

void free_thing(intptr_t number) {
    if (!find_object(things, number)) return;
    freed.push_back(number);
    release_object(things, number);
}

intptr_t create_thing(intptr_t number, int value) {
    auto* record = claim<ThingRecord>(things, number);
    if (!record) return 0;
    record->handle = 0x1000 + static_cast<uintptr_t>(value);
    record->value = value;
    return identity_of(number, record);
}

class ObjectTableTest : public testing::Test {
protected:
    void SetUp() override {
        things = create_table_of<ThingRecord>(16, free_thing);
        freed.clear();
    }
    // The runtime never frees a table (it lives until the process ends); each test frees its own.
    void TearDown() override {
        free_all_objects(things, free_thing);
        main_free(things->slots);
        main_free(things);
    }
};

TEST_F(ObjectTableTest, GrowsBeyondTheHighestNumberByTheGrowthStep) {
    for (int n = 0; n < 16; ++n) create_thing(n, n);
    EXPECT_EQ(things->capacity, 16) << "numbers 0 to 15 fit a new table of step 16";
    create_thing(16, 16);
    EXPECT_EQ(things->capacity, 32);
    create_thing(100, 100);
    EXPECT_EQ(things->capacity, 116);
    for (int n = 17; n < 116; ++n) {
        if (n == 100) continue;
        EXPECT_EQ(find_object(things, n), nullptr) << "new slot " << n << " is free";
    }
    for (int n = 0; n <= 16; ++n)
        EXPECT_EQ(find<ThingRecord>(things, n)->value, n) << "records keep their contents when the array moves";
}

TEST_F(ObjectTableTest, ClaimingALiveNumberFreesTheOldObjectFirst) {
    create_thing(3, 30);
    auto* record = claim<ThingRecord>(things, 3);
    EXPECT_EQ(freed, std::vector<intptr_t>{3});
    EXPECT_EQ(record->handle, 0u) << "the claimed record is zeroed";
    EXPECT_EQ(record->value, 0);
    claim<ThingRecord>(things, 4);
    EXPECT_EQ(freed.size(), 1u) << "a free number has nothing to free";
}

TEST_F(ObjectTableTest, DynamicObjectsHaveDistinctIdentitiesAndAreWalkedOldestFirstAfterNumbers) {
    intptr_t older = create_thing(DYNAMIC_NUMBER, 1);
    intptr_t newer = create_thing(DYNAMIC_NUMBER, 2);
    create_thing(7, 7);
    create_thing(2, 2);
    ASSERT_NE(older, newer);
    EXPECT_EQ(find<ThingRecord>(things, older)->value, 1);
    EXPECT_EQ(is_object(things, newer), reinterpret_cast<void*>(newer));

    std::vector<intptr_t> walked;
    intptr_t number;
    start_object_enumeration(things);
    while (next_object(things, &number)) walked.push_back(number);
    EXPECT_EQ(walked, (std::vector<intptr_t>{2, 7, older, newer}));
}

TEST_F(ObjectTableTest, FreeingDuringTheWalkFreesEverything) {
    for (int n : {0, 5, 9}) create_thing(n, n);
    intptr_t a = create_thing(DYNAMIC_NUMBER, 1);
    intptr_t b = create_thing(DYNAMIC_NUMBER, 2);
    free_all_objects(things, free_thing);
    EXPECT_EQ(freed, (std::vector<intptr_t>{0, 5, 9, a, b}));
    EXPECT_EQ(things->dynamic_list, nullptr);
    for (int n : {0, 5, 9}) EXPECT_EQ(find_object(things, n), nullptr);
}

TEST_F(ObjectTableTest, StrayValuesAreNeverReadAsAddresses) {
    intptr_t listed = create_thing(DYNAMIC_NUMBER, 1);
    ThingRecord unlisted{0x55, 5};  // looks live, but no table handed it out
    auto stray = reinterpret_cast<intptr_t>(&unlisted);
    for (intptr_t value : {stray, intptr_t{-7}, INTPTR_MAX - 3, listed + 1}) {
        EXPECT_EQ(find_object(things, value), nullptr) << value;
        EXPECT_EQ(is_object(things, value), nullptr) << value;
        release_object(things, value);
    }
    EXPECT_NE(find_object(things, listed), nullptr) << "releasing stray values touches nothing";
}

TEST_F(ObjectTableTest, NumbersNoTableCanHoldAreRefused) {
    EXPECT_EQ(create_thing(-5, 1), 0);
    EXPECT_EQ(create_thing(intptr_t{1} << 30, 1), 0) << "a slot array of 16 GiB is refused";
    EXPECT_EQ(things->capacity, 16);
}

// Numbers whose slot array size overflows (or wraps round to a few bytes) are refused before any
// size is computed: the table keeps its slots, and every earlier record stays where it was.
TEST(ObjectTableGrowthTest, NumbersWhoseSlotArraySizeWouldOverflowAreRefused) {
    for (int record_size : {24, 48}) {
        // (number + 16) * record_size passes 2^64 (or 2^32) by a few bytes.
        intptr_t wrapping = static_cast<intptr_t>(UINTPTR_MAX / static_cast<uintptr_t>(record_size) + 1) - 16;
        ObjectTable* table = create_object_table(record_size, 16, nullptr);
        for (intptr_t n = 0; n < 16; ++n) {
            void* record = claim_object(table, n);
            std::memset(record, 0, static_cast<std::size_t>(record_size));
            std::memcpy(record, &n, sizeof n);
            ++*static_cast<intptr_t*>(record);
        }
        for (intptr_t number : {INTPTR_MAX, INTPTR_MAX - 15, wrapping, wrapping + 1}) {
            EXPECT_EQ(claim_object(table, number), nullptr) << record_size << "-byte records, number " << number;
            EXPECT_EQ(table->capacity, 16) << record_size << "-byte records, number " << number;
        }
        for (intptr_t n = 0; n < 16; ++n) {
            auto* record = static_cast<intptr_t*>(find_object(table, n));
            ASSERT_NE(record, nullptr) << "earlier object " << n << " is still found";
            EXPECT_EQ(*record, n + 1);
        }
        EXPECT_NE(claim_object(table, 40), nullptr) << "a reasonable number still grows the table";
        main_free(table->slots);
        main_free(table);
    }
}

TEST(ObjectTableGrowthTest, TablesWhoseRecordsCannotHoldAHandleAreRefused) {
    for (int record_size : {-8, 0, 1, static_cast<int>(sizeof(void*)) - 1})
        EXPECT_EQ(create_object_table(record_size, 16, nullptr), nullptr) << record_size << "-byte records";
    for (int growth_step : {-1, 0, INT32_MAX / 8 + 1})
        EXPECT_EQ(create_object_table(8, growth_step, nullptr), nullptr) << "growth step " << growth_step;
}

TEST_F(ObjectTableTest, AnAbandonedClaimLeavesNothingBehind) {
    void* dynamic = claim_object(things, DYNAMIC_NUMBER);
    abandon_claim(things, DYNAMIC_NUMBER, dynamic);
    EXPECT_EQ(things->dynamic_list, nullptr);
    abandon_claim(things, 4, claim_object(things, 4));
    EXPECT_EQ(find_object(things, 4), nullptr);
}

TEST(ObjectTableDeathTest, RunningOutOfMemoryWhileGrowingStopsTheProcess) {
    EXPECT_EXIT(
        {
            ObjectTable* table = create_object_table(16, 16, nullptr);
            fail_allocations_after(0);
            claim_object(table, 1000);
        },
        testing::ExitedWithCode(OUT_OF_MEMORY_EXIT_CODE), "");
}

// Walks a list both ways and returns its records from newest to oldest.
std::vector<int*> records_of(ListLink* head) {
    std::vector<int*> records;
    ListLink* previous = nullptr;
    for (ListLink* link = head; link; previous = link, link = link->next) {
        EXPECT_EQ(link->previous, previous) << "each entry's previous link names the newer entry";
        records.push_back(static_cast<int*>(list_record(link)));
    }
    return records;
}

TEST(EntryListTest, EntriesGoToTheFrontAndUnlinkFromAnyPlace) {
    ListLink* head = nullptr;
    int* first = add_entry<int>(&head);
    int* second = add_entry<int>(&head);
    int* third = add_entry<int>(&head);
    int* fourth = add_entry<int>(&head);
    EXPECT_EQ(*first, 0) << "entries are zeroed";
    EXPECT_EQ(records_of(head), (std::vector<int*>{fourth, third, second, first}));
    remove_list_entry(&head, second);
    EXPECT_EQ(records_of(head), (std::vector<int*>{fourth, third, first}));
    remove_list_entry(&head, fourth);
    EXPECT_EQ(records_of(head), (std::vector<int*>{third, first}));
    remove_list_entry(&head, first);
    EXPECT_EQ(records_of(head), (std::vector<int*>{third}));
    remove_list_entry(&head, third);
    EXPECT_EQ(head, nullptr);
}

} // namespace
