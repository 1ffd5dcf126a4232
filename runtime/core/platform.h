// The portable core's only door to the platform: private heaps, one lock type, one thread slot
// type, the orderly stop. Win32 heaps, critical sections and TLS slots on Windows; malloc,
// std::mutex and thread_local natively.
#pragma once

#include <cstddef>

namespace rt {

// Exit code of a process stopped because memory ran out (ERROR_NOT_ENOUGH_MEMORY).
inline constexpr int OUT_OF_MEMORY_EXIT_CODE = 8;

struct Heap;

// A growable private heap, 4096 bytes at first, no maximum; safe for concurrent use.
Heap* create_heap();
// Frees the heap and every block in it (Windows only: the native core never destroys a heap).
void destroy_heap(Heap* heap);
// A zeroed block; never null: when memory is exhausted the process stops.
void* heap_allocate(Heap* heap, std::size_t size);
// As heap_allocate, but null when the heap cannot supply the block: for callers that can make do
// with less.
void* heap_try_allocate(Heap* heap, std::size_t size);
// The block resized, contents kept, new bytes zeroed; it may move; never null. A null block
// is allocated.
void* heap_reallocate(Heap* heap, void* block, std::size_t size);
void heap_free(Heap* heap, void* block);

// Ends the process with OUT_OF_MEMORY_EXIT_CODE, writing through no null address on the way.
[[noreturn]] void stop_out_of_memory();

// Test hook: the next `count` allocations succeed, every one after fails; a negative count
// makes allocations succeed again.
void fail_allocations_after(long count);
// Test hook: every allocation of more than `size` bytes fails; SIZE_MAX lifts the limit.
void fail_allocations_over(std::size_t size);

// A mutual-exclusion lock, not recursive across threads' expectations: one owner at a time.
class Lock {
public:
    Lock();
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    void acquire();
    void release();

private:
    alignas(16) unsigned char storage_[64];
};

class LockGuard {
public:
    explicit LockGuard(Lock& lock) : lock_(lock) { lock_.acquire(); }
    ~LockGuard() { lock_.release(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    Lock& lock_;
};

// One pointer for each thread, null in a thread that has not set it. A slot lives as long as the
// process (no slot is given back). On Windows it is a TLS slot: mingw's thread_local is emulated
// and costs ten times as much per access, which every append to a string buffer pays.
class ThreadSlot {
public:
    ThreadSlot();  // stops the process when the platform has no slot left
    ThreadSlot(const ThreadSlot&) = delete;
    ThreadSlot& operator=(const ThreadSlot&) = delete;
    // Leaves the thread's last-error value as it was.
    void* get() const;
    void set(void* value);

private:
    unsigned long index_;
};

} // namespace rt
