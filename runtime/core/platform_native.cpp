// Native side of the platform door, for the portable core's tests and fuzzers: malloc with a
// size header (so that a resize can zero the bytes it adds), std::mutex, and thread slots in a
// thread_local array (native TLS: one load per access).
#include "core/platform.h"
#include "core/platform_common.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>

namespace rt {

static_assert(sizeof(std::mutex) <= 64, "Lock storage too small");

namespace {

// Each block is preceded by its size; the header keeps the block maximally aligned.
struct alignas(std::max_align_t) BlockHeader {
    std::size_t size;
};

BlockHeader* header_of(void* block) { return static_cast<BlockHeader*>(block) - 1; }

bool refused(std::size_t size) { return size > SIZE_MAX - sizeof(BlockHeader) || detail::allocation_refused(size); }

} // namespace

// Native heaps all draw on malloc's heap; the object only gives each one an identity.
struct Heap {
    int unused;
};

Heap* create_heap() {
    auto* heap = new (std::nothrow) Heap{};
    if (!heap) stop_out_of_memory();
    return heap;
}

void* heap_try_allocate(Heap*, std::size_t size) {
    if (refused(size)) return nullptr;
    auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + size));
    if (!header) return nullptr;
    header->size = size;
    return header + 1;
}

void* heap_reallocate(Heap* heap, void* block, std::size_t size) {
    if (!block) return heap_allocate(heap, size);
    if (refused(size)) stop_out_of_memory();
    std::size_t old_size = header_of(block)->size;
    auto* header = static_cast<BlockHeader*>(std::realloc(header_of(block), sizeof(BlockHeader) + size));
    if (!header) stop_out_of_memory();
    if (size > old_size) std::memset(reinterpret_cast<char*>(header + 1) + old_size, 0, size - old_size);
    header->size = size;
    return header + 1;
}

void heap_free(Heap*, void* block) {
    if (block) std::free(header_of(block));
}

void stop_out_of_memory() { std::_Exit(OUT_OF_MEMORY_EXIT_CODE); }

static std::mutex* mutex_of(unsigned char* storage) { return std::launder(reinterpret_cast<std::mutex*>(storage)); }

Lock::Lock() { new (storage_) std::mutex; }
Lock::~Lock() { mutex_of(storage_)->~mutex(); }
void Lock::acquire() { mutex_of(storage_)->lock(); }
void Lock::release() { mutex_of(storage_)->unlock(); }

namespace {

constexpr unsigned long THREAD_SLOTS = 8;
std::atomic<unsigned long> slots_given{0};
thread_local void* thread_slots[THREAD_SLOTS];

} // namespace

ThreadSlot::ThreadSlot() : index_(slots_given++) {
    if (index_ >= THREAD_SLOTS) stop_out_of_memory();
}

void* ThreadSlot::get() const { return thread_slots[index_]; }

void ThreadSlot::set(void* value) { thread_slots[index_] = value; }

} // namespace rt
