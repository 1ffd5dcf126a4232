// Entry of every test program: the runtime started the way the product starts it (on Windows the
// whole start-up order; natively the portable core's heaps and string engine), then the tests.
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
