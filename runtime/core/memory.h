// The runtime's two general heaps: the main heap (tables, records, lists, library state) and the
// memory heap (zeroed blocks handed to callers, e.g. the window background image's pixels).
#pragma once

#include "core/platform.h"

#include <new>
#include <type_traits>

namespace rt {

void create_main_heap();
Heap* main_heap();

// Zeroed block on the main heap; never null (the process stops when memory runs out).
void* main_allocate(std::size_t size);
// Zeroed block on the main heap, or null when the heap cannot supply it.
void* main_try_allocate(std::size_t size);
void* main_reallocate(void* block, std::size_t size);
void main_free(void* block);

void create_memory_heap();
// size <= 0: null. Otherwise a zeroed block of size bytes.
void* allocate_memory(int size);
// size <= 0: null, the block left alone. Null block: as allocate_memory. New bytes are zeroed.
void* reallocate_memory(void* block, int size);

// One process-wide state record of a library: a zeroed State on the main heap, handed once to
// the initialiser when one is given.
template <class State>
State* create_library_state(void (*initialise)(State&) = nullptr) {
    static_assert(std::is_trivially_destructible_v<State>, "library state lives until the process ends");
    auto* state = new (main_allocate(sizeof(State))) State{};
    if (initialise) initialise(*state);
    return state;
}

} // namespace rt
