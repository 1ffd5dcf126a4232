// Win32 side of the platform door: private heaps (serialised, zeroing), critical sections and
// TLS slots.
#include "core/platform.h"
#include "core/platform_common.h"

#include <windows.h>

#include <new>

namespace rt {

static_assert(sizeof(CRITICAL_SECTION) <= 64, "Lock storage too small");

static HANDLE handle_of(Heap* heap) { return reinterpret_cast<HANDLE>(heap); }

Heap* create_heap() {
    HANDLE heap = HeapCreate(0, 4096, 0);
    if (!heap) stop_out_of_memory();
    return reinterpret_cast<Heap*>(heap);
}

void destroy_heap(Heap* heap) { HeapDestroy(handle_of(heap)); }

void* heap_try_allocate(Heap* heap, std::size_t size) {
    return detail::allocation_refused(size) ? nullptr : HeapAlloc(handle_of(heap), HEAP_ZERO_MEMORY, size);
}

void* heap_reallocate(Heap* heap, void* block, std::size_t size) {
    if (!block) return heap_allocate(heap, size);
    void* moved = detail::allocation_refused(size)
                      ? nullptr
                      : HeapReAlloc(handle_of(heap), HEAP_ZERO_MEMORY, block, size);
    if (!moved) stop_out_of_memory();
    return moved;
}

void heap_free(Heap* heap, void* block) {
    if (block) HeapFree(handle_of(heap), 0, block);
}

void stop_out_of_memory() { ExitProcess(OUT_OF_MEMORY_EXIT_CODE); }

static CRITICAL_SECTION* section_of(unsigned char* storage) {
    return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

Lock::Lock() { InitializeCriticalSection(section_of(storage_)); }
Lock::~Lock() { DeleteCriticalSection(section_of(storage_)); }
void Lock::acquire() { EnterCriticalSection(section_of(storage_)); }
void Lock::release() { LeaveCriticalSection(section_of(storage_)); }

ThreadSlot::ThreadSlot() : index_(TlsAlloc()) {
    if (index_ == TLS_OUT_OF_INDEXES) stop_out_of_memory();
}

// TlsGetValue clears the last error on success; callers may be between a failing call and its
// GetLastError.
void* ThreadSlot::get() const {
    DWORD error = GetLastError();
    void* value = TlsGetValue(index_);
    SetLastError(error);
    return value;
}

void ThreadSlot::set(void* value) {
    if (!TlsSetValue(index_, value)) stop_out_of_memory();
}

} // namespace rt
