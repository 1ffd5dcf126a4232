// What the calling process holds, for checks that a run of operations gives back all it takes.
#pragma once

#include <cstdint>

namespace test_support {

struct ProcessResources {
    unsigned long gdi_objects, user_objects, kernel_handles;  // user: windows, menus, accelerators, icons
    uint64_t private_bytes;                                   // committed memory of the process alone
};

ProcessResources count_process_resources();  // about 1.5 s under Wine (the USER objects)
unsigned long process_kernel_handles();      // at once

} // namespace test_support
