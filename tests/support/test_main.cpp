// Entry of every test program: the runtime started as the product starts it (natively: the core's heaps and strings).
#include <gtest/gtest.h>

#include "core/memory.h"
#include "core/strings.h"
#ifdef _WIN32
#include "runtime.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    rt::start_runtime();
#else
    rt::create_main_heap();
    rt::init_string_engine();
    rt::create_memory_heap();
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
