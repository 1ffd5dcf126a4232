// Start-up and shutdown, the memory heap and optional system libraries, on the real platform.
#include <gtest/gtest.h>

#include "core/memory.h"
#include "core/objects.h"
#include "core/runtime.h"
#include "core/system_libraries.h"

#include <windows.h>

#include <cstring>

namespace {

using namespace rt;

TEST(MemoryHeapTest, SizesOfZeroOrLessGiveNull) {
    EXPECT_EQ(allocate_memory(0), nullptr);
    EXPECT_EQ(allocate_memory(-1), nullptr);
    void* block = allocate_memory(8);
    EXPECT_EQ(reallocate_memory(block, 0), nullptr);
    EXPECT_EQ(static_cast<char*>(block)[7], 0) << "a refused resize leaves the block alone";
}

TEST(MemoryHeapTest, BlocksAreZeroedAndKeepTheirContentsWhenResized) {
    auto* block = static_cast<unsigned char*>(reallocate_memory(nullptr, 10));
    ASSERT_NE(block, nullptr) << "a null block is allocated";
    for (int i = 0; i < 10; ++i) EXPECT_EQ(block[i], 0);
    std::memset(block, 0xAB, 10);
    block = static_cast<unsigned char*>(reallocate_memory(block, 100000));
    for (int i = 0; i < 10; ++i) EXPECT_EQ(block[i], 0xAB) << "contents kept";
    for (int i = 10; i < 100000; ++i) ASSERT_EQ(block[i], 0) << "new byte " << i << " zeroed";
}

TEST(SystemLibraryTest, NumberedLibrariesAnswerWithTheirModuleAndExports) {
    void* module = open_library(3, "kernel32.dll");
    EXPECT_EQ(module, GetModuleHandleA("kernel32.dll"));
    EXPECT_EQ(get_library_function(3, "GetTickCount"),
              reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount")));
    EXPECT_EQ(get_library_function(3, "NoSuchFunction"), nullptr);
    EXPECT_EQ(get_library_function(3, nullptr), nullptr);
    close_library(3);
    EXPECT_EQ(get_library_function(3, "GetTickCount"), nullptr) << "a closed number answers nothing";
    close_library(3);  // closing a number that is not live does nothing
}

TEST(SystemLibraryTest, DynamicLibrariesAreNamedByTheirIdentity) {
    void* identity = open_library(DYNAMIC_NUMBER, "user32.dll");
    ASSERT_NE(identity, nullptr);
    EXPECT_NE(identity, GetModuleHandleA("user32.dll")) << "the identity is the record, not the module";
    auto number = reinterpret_cast<intptr_t>(identity);
    EXPECT_NE(get_library_function(number, "MessageBoxA"), nullptr);
    close_library(number);
    EXPECT_EQ(get_library_function(number, "MessageBoxA"), nullptr);
}

TEST(SystemLibraryTest, MissingLibrariesGiveNull) {
    EXPECT_EQ(open_library(DYNAMIC_NUMBER, "no_such_library.dll"), nullptr);
    EXPECT_EQ(open_library(4, "no_such_library.dll"), nullptr);
    EXPECT_EQ(open_library(4, nullptr), nullptr);
    EXPECT_EQ(get_library_function(4, "Anything"), nullptr);
    EXPECT_EQ(get_library_function(12345, "Anything"), nullptr) << "a number never used";
}

TEST(SystemLibraryTest, ReusingANumberFreesTheLibraryItHeld) {
    ASSERT_EQ(GetModuleHandleA("mpr.dll"), nullptr) << "precondition: mpr not loaded yet";
    open_library(5, "mpr.dll");
    EXPECT_NE(GetModuleHandleA("mpr.dll"), nullptr);
    open_library(5, "kernel32.dll");
    EXPECT_EQ(GetModuleHandleA("mpr.dll"), nullptr) << "the old module was freed";
    close_library(5);
}

DWORD WINAPI keep_working(void*) {
    for (;;) Sleep(10);
}

TEST(RuntimeDeathTest, ShutdownEndsTheProcessWithCodeZeroWhileAWorkerRuns) {
    EXPECT_EXIT(
        {
            open_library(1, "msimg32.dll");
            open_library(DYNAMIC_NUMBER, "uxtheme.dll");
            CloseHandle(CreateThread(nullptr, 0, keep_working, nullptr, 0, nullptr));
            end_runtime();
        },
        testing::ExitedWithCode(0), "");
}

TEST(RuntimeDeathTest, RunningOutOfMemoryStopsTheProcess) {
    EXPECT_EXIT(
        {
            fail_allocations_after(2);
            for (;;) main_allocate(64);
        },
        testing::ExitedWithCode(OUT_OF_MEMORY_EXIT_CODE), "");
}

} // namespace
