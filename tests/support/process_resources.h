// What the calling process holds, for checks that a run of operations gives back all it takes.
#pragma once

#include <cstdint>

namespace test_support {

struct ProcessResources {
    unsigned long gdi_objects;
    unsigned long user_objects;  // windows, menus, accelerator tables, icons and cursors
    unsigned long kernel_handles;
    uint64_t private_bytes;      // committed memory of the process alone
};

// Counting the USER objects under Wine takes about 1.5 s (see the source).
ProcessResources count_process_resources();
// The kernel handles alone, at once.
unsigned long process_kernel_handles();

} // namespace test_support
