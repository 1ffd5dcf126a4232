// The global operator new replaced by a counting one, and the runtime's allocation-failure hook
// used as a counter: it counts down each allocation it lets through, so set beyond reach it
// counts them and never refuses one.
#include "allocation_count.h"

#include "core/platform.h"
#include "core/platform_common.h"

#include <atomic>
#include <climits>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> new_calls{0};
constexpr long COUNT_FROM = LONG_MAX;

void* counted_allocation(std::size_t size) {
    ++new_calls;
    void* block = std::malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}

} // namespace

void* operator new(std::size_t size) { return counted_allocation(size); }
void* operator new[](std::size_t size) { return counted_allocation(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace bench {

void count_runtime_allocations() { rt::fail_allocations_after(COUNT_FROM); }

long heap_allocations() { return new_calls.load() + (COUNT_FROM - rt::detail::allocations_left.load()); }

} // namespace bench
