// Numbered-object tables, driven the way a library drives them (its objects are "things").
#include <gtest/gtest.h>

#include "core/memory.h"
#include "core/objects.h"

#include <vector>

namespace {

using namespace rt;

struct Thing { intptr_t handle, value; };
ObjectTable* things;

void release_thing(intptr_t number) { if (find_object(things, number)) release_object(things, number); }

class ObjectTableTest : public testing::Test {
protected:
    void SetUp() override { things = create_table_of<Thing>(16, release_thing); }
    void TearDown() override {
        free_all_objects(things, release_thing);
        main_free(things->slots);
        main_free(things);
    }
};

intptr_t create_thing(intptr_t number, intptr_t value) {
    auto* record = claim<Thing>(things, number);
    if (record) *record = {0x1000, value};
    return record ? identity_of(number, record) : 0;
}

// Numbers ascending, then dynamic objects oldest first; stray values never read as addresses.
TEST_F(ObjectTableTest, TheWalkFindsNumbersThenDynamicObjectsOldestFirstAndStrayValuesTouchNothing) {
    intptr_t oldest = create_thing(DYNAMIC_NUMBER, 1), middle = create_thing(DYNAMIC_NUMBER, 2);
    intptr_t newest = create_thing(DYNAMIC_NUMBER, 3), number_7 = create_thing(7, 7), number_2 = create_thing(2, 2);
    abandon_claim(things, DYNAMIC_NUMBER, claim_object(things, DYNAMIC_NUMBER));
    abandon_claim(things, 4, claim_object(things, 4));
    EXPECT_EQ(find<Thing>(things, middle)->value, 2) << "a dynamic object is found by its identity";
    EXPECT_EQ(is_object(things, newest), reinterpret_cast<void*>(newest));
    Thing unlisted{0x55, 5};  // looks live, but no table handed it out
    for (intptr_t value : {reinterpret_cast<intptr_t>(&unlisted), intptr_t{-7}, INTPTR_MAX - 3, newest + 1}) {
        EXPECT_TRUE(!find_object(things, value) && !is_object(things, value)) << value;
        release_object(things, value);
    }
    release_object(things, middle);
    std::vector<intptr_t> walked;
    free_all_objects(things, [&](intptr_t number) {
        walked.push_back(number);
        release_object(things, number);
    });
    EXPECT_EQ(walked, (std::vector<intptr_t>{number_2, number_7, oldest, newest}));
    EXPECT_EQ(things->dynamic_list, nullptr);
}

// A number whose slot array size would overflow (or wrap) is refused before any size is computed.
TEST_F(ObjectTableTest, NumbersNoTableCanHoldAreRefusedAndOthersGrowTheTable) {
    for (intptr_t n = 0; n < 16; ++n) create_thing(n, n);
    intptr_t wrapping = static_cast<intptr_t>(UINTPTR_MAX / sizeof(Thing) + 1) - 16;
    for (intptr_t number : {intptr_t{-5}, intptr_t{1} << 30, INTPTR_MAX, INTPTR_MAX - 15, wrapping, wrapping + 1})
        EXPECT_EQ(create_thing(number, 0), 0) << number;
    EXPECT_EQ(things->capacity, 16);
    create_thing(100, 100);
    EXPECT_EQ(things->capacity, 116);
    EXPECT_EQ(find_object(things, 99), nullptr) << "a new slot is free";
    for (intptr_t n = 0; n < 16; ++n) EXPECT_EQ(find<Thing>(things, n)->value, n) << "record " << n;
    EXPECT_EQ(claim<Thing>(things, 3)->value, 0) << "a live number claimed again is freed first";
    for (int record_size : {-8, 0, static_cast<int>(sizeof(void*)) - 1})
        EXPECT_EQ(create_object_table(record_size, 16, nullptr), nullptr) << record_size << "-byte records";
    for (int growth_step : {0, INT32_MAX / 8 + 1})
        EXPECT_EQ(create_object_table(8, growth_step, nullptr), nullptr) << "growth step " << growth_step;
}

} // namespace
