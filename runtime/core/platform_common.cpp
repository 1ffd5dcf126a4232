// What both sides of the platform door do alike: the never-null allocation and the test hooks that
// make allocations fail.
#include "core/platform.h"
#include "core/platform_common.h"

namespace rt {

void* heap_allocate(Heap* heap, std::size_t size) {
    void* block = heap_try_allocate(heap, size);
    if (!block) stop_out_of_memory();
    return block;
}

void fail_allocations_after(long count) { detail::allocations_left = count < 0 ? -1 : count; }

void fail_allocations_over(std::size_t size) { detail::largest_allocation = size; }

} // namespace rt
