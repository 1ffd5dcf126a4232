// The main heap and the memory heap.
#include "core/memory.h"

namespace rt {

namespace {
Heap* the_main_heap;
Heap* the_memory_heap;
} // namespace

void create_main_heap() { the_main_heap = create_heap(); }

Heap* main_heap() { return the_main_heap; }

void* main_allocate(std::size_t size) { return heap_allocate(the_main_heap, size); }
void* main_try_allocate(std::size_t size) { return heap_try_allocate(the_main_heap, size); }
void* main_reallocate(void* block, std::size_t size) { return heap_reallocate(the_main_heap, block, size); }
void main_free(void* block) { heap_free(the_main_heap, block); }

void create_memory_heap() { the_memory_heap = create_heap(); }

void* allocate_memory(int size) {
    if (size <= 0) return nullptr;
    return heap_allocate(the_memory_heap, static_cast<std::size_t>(size));
}

void* reallocate_memory(void* block, int size) {
    if (size <= 0) return nullptr;
    if (!block) return allocate_memory(size);
    return heap_reallocate(the_memory_heap, block, static_cast<std::size_t>(size));
}

} // namespace rt
