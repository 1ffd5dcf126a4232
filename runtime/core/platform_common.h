// The allocation-failure hook shared by both platform implementations.
#pragma once

#include <atomic>

namespace rt::detail {

// Allocations left before the hook makes them fail; negative means no limit.
inline std::atomic<long> allocations_left{-1};

// True when the hook says this allocation must fail.
inline bool allocation_refused() {
    long left = allocations_left.load();
    while (left >= 0) {
        if (left == 0) return true;
        if (allocations_left.compare_exchange_weak(left, left - 1)) return false;
    }
    return false;
}

} // namespace rt::detail
