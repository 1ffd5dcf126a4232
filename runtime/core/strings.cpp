// String variables, per-thread string buffers and the string heap they share.
#include "core/strings.h"

#include "core/platform.h"

#include <cstring>

namespace rt {

namespace {

constexpr int NEW_BUFFER_BYTES = 16;
constexpr int GROWTH_MARGIN = 4;      // grow when a reservation comes this close to capacity
constexpr int GROWTH_EXTRA = 0x4000;  // bytes added beyond what a growing reservation needs
constexpr int BLOCK_SPARE = 5;        // a block holds its text, a terminator and 4 spare bytes

Heap* string_heap;  // shared by all threads; the platform heap is safe for concurrent use
ThreadSlot thread_buffer;  // each thread's StringBuffer, null until its first use

StringBuffer* new_buffer() {
    auto* buffer = static_cast<StringBuffer*>(heap_allocate(string_heap, sizeof(StringBuffer)));
    buffer->base = static_cast<char*>(heap_allocate(string_heap, NEW_BUFFER_BYTES));
    buffer->capacity = NEW_BUFFER_BYTES;
    return buffer;
}

char* resized_block(char* block, std::size_t length) {
    std::size_t size = length + BLOCK_SPARE;
    return static_cast<char*>(block ? heap_reallocate(string_heap, block, size) : heap_allocate(string_heap, size));
}

bool lies_in_buffer(const StringBuffer& buffer, const char* address) {
    auto at = reinterpret_cast<uintptr_t>(address), base = reinterpret_cast<uintptr_t>(buffer.base);
    return at >= base && at <= base + static_cast<uintptr_t>(buffer.position);
}

// The operations on a buffer already found: an append looks its thread's buffer up once.
intptr_t offset_in(const StringBuffer& buffer, const char* address) {
    if (!address || !lies_in_buffer(buffer, address)) return 0;
    return (address - buffer.base) + 1;
}

// Does address lie within the text of block (its terminator included)?
bool lies_in_text(const char* block, const char* address) {
    if (!block) return false;
    auto at = reinterpret_cast<uintptr_t>(address), start = reinterpret_cast<uintptr_t>(block);
    return at >= start && at <= start + std::strlen(block);
}

char* reserve_in(StringBuffer& buffer, int length, int at) {
    if (length < 0) length = 0;
    // Measured from the furthest of position and at, so that no reservation ends past the block.
    int64_t need = static_cast<int64_t>(at > buffer.position ? at : buffer.position) + length;
    if (need >= buffer.capacity - GROWTH_MARGIN) {
        int64_t capacity = need + GROWTH_EXTRA;
        if (capacity > INT32_MAX - BLOCK_SPARE) stop_out_of_memory();
        buffer.base = static_cast<char*>(heap_reallocate(string_heap, buffer.base, static_cast<std::size_t>(capacity) + BLOCK_SPARE));
        buffer.capacity = static_cast<int>(capacity);
    }
    buffer.position = at + length;
    return buffer.base + at;
}

} // namespace

void init_string_engine() {
    string_heap = create_heap();
    thread_buffer.set(new_buffer());
}

StringBuffer& current_string_buffer() {
    auto* buffer = static_cast<StringBuffer*>(thread_buffer.get());
    if (buffer) return *buffer;
    buffer = new_buffer();
    thread_buffer.set(buffer);
    return *buffer;
}

void release_string_buffer() {
    auto* buffer = static_cast<StringBuffer*>(thread_buffer.get());
    if (!buffer) return;
    heap_free(string_heap, buffer->base);
    heap_free(string_heap, buffer);
    thread_buffer.set(nullptr);
}

char* reserve_in_buffer(int length, int at) { return reserve_in(current_string_buffer(), length, at); }

void append_to_buffer(const char* text) {
    StringBuffer& buffer = current_string_buffer();
    if (!text) {
        buffer.base[buffer.position] = 0;
        return;
    }
    // A text inside the buffer is re-found by its offset after the reservation may move it.
    intptr_t offset = offset_in(buffer, text);
    int length = static_cast<int>(std::strlen(text));
    char* destination = reserve_in(buffer, length, buffer.position);
    if (offset) text = buffer.base + offset - 1;
    std::memmove(destination, text, static_cast<std::size_t>(length));
    destination[length] = 0;
}

void assign_from_buffer(char** variable, int saved) {
    StringBuffer& buffer = current_string_buffer();
    auto length = static_cast<std::size_t>(buffer.position - saved);
    char* block = resized_block(*variable, length);
    std::memcpy(block, buffer.base + saved, length);
    block[length] = 0;
    *variable = block;
    buffer.position = saved;
}

int assign_string(char** variable, const char* text) {
    if (!text) {
        free_string(*variable);
        *variable = nullptr;
        return 1;
    }
    std::size_t length = std::strlen(text);
    if (lies_in_text(*variable, text)) {
        // A part of the variable's own text: moved to the block's start before the block shrinks
        // (which may move it) to that part's size.
        std::memmove(*variable, text, length + 1);
        *variable = resized_block(*variable, length);
        return static_cast<int>(length + 1);
    }
    char* block = resized_block(*variable, length);
    std::memcpy(block, text, length + 1);
    *variable = block;
    return static_cast<int>(length + 1);
}

void assign_new_string(char** variable, const char* text) {
    if (!text) return;
    std::size_t length = std::strlen(text);
    char* block = resized_block(nullptr, length);
    std::memcpy(block, text, length + 1);
    *variable = block;
}

void free_string(char* block) { heap_free(string_heap, block); }

int compare_strings(const char* a, const char* b) {
    return std::strcmp(a ? a : "", b ? b : "") == 0 ? 1 : 0;
}

intptr_t buffer_offset_of(const char* address) { return offset_in(current_string_buffer(), address); }

char* pointer_at_offset(intptr_t offset_plus_one) { return current_string_buffer().base + offset_plus_one - 1; }

int unreserve_in_buffer(int n) { return current_string_buffer().position -= n; }

void set_buffer_position(int at) {
    StringBuffer& buffer = current_string_buffer();
    buffer.position = at;
    buffer.base[at] = 0;
}

void copy_terminated(char* destination, const char* source, int n) {
    std::size_t length = n > 0 && source ? strnlen(source, static_cast<std::size_t>(n)) : 0;
    std::memcpy(destination, source ? source : "", length);
    destination[length] = 0;
}

} // namespace rt
