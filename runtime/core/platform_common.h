// The allocation-failure hooks' state, shared by both platform implementations.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace rt::detail {

// Allocations left before the hook makes them fail; negative means no limit.
inline std::atomic<long> allocations_left{-1};
// The largest block the hook lets through.
inline std::atomic<std::size_t> largest_allocation{SIZE_MAX};

// True when the hooks say this allocation must fail.
inline bool allocation_refused(std::size_t size) {
    if (size > largest_allocation.load()) return true;
    long left = allocations_left.load();
    while (left >= 0) {
        if (left == 0) return true;
        if (allocations_left.compare_exchange_weak(left, left - 1)) return false;
    }
    return false;
}

} // namespace rt::detail
