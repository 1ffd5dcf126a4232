// The string engine: string variables (one string-heap block each), the calling thread's string
// buffer in which every string expression is built, and the operations between the two.
//
// Invariant: after every append the byte at base + position is zero, so whatever was built since
// a saved position is a zero-terminated string at base + saved. Growth may move base: anything
// that must survive a later append is held as an offset, never as an address.
#pragma once

#include <cstdint>

namespace rt {

struct StringBuffer {
    char* base;
    int capacity;  // usable bytes; the block is capacity + 5 bytes (16 for a new buffer)
    int position;  // offset of the next piece
};

// Creates the string heap and the calling (main) thread's buffer.
void init_string_engine();
// The calling thread's buffer, made on its first use by a thread other than the main one.
StringBuffer& current_string_buffer();
// Frees the calling thread's buffer; for threads that end (the main thread's is never freed).
void release_string_buffer();

// Grows the buffer when position + length comes within 4 bytes of the capacity, then sets
// position to at + length and returns base + at.
char* reserve_in_buffer(int length, int at);
// Appends text (null only writes the terminator at position, which stays).
void append_to_buffer(const char* text);
// Copies what was built since saved into the variable and puts position back to saved.
void assign_from_buffer(char** variable, int saved);
// text (null empties and frees the variable); returns the text's length + 1.
int assign_string(char** variable, const char* text);
// For a variable known to hold nothing: a copy of text, or nothing for null.
void assign_new_string(char** variable, const char* text);
void free_string(char* block);
// 1 when a and b hold the same bytes (null reads as ""), else 0.
int compare_strings(const char* a, const char* b);

// (address - base) + 1 when base <= address <= base + position, else 0.
intptr_t buffer_offset_of(const char* address);
// The address for a value of buffer_offset_of, with the current base.
char* pointer_at_offset(intptr_t offset_plus_one);
// Gives back n bytes of the last reservation; returns the new position.
int unreserve_in_buffer(int n);
// position <- at, with a terminator written there.
void set_buffer_position(int at);
// Copies at most n bytes of source, stopping at its terminator, and terminates the copy.
void copy_terminated(char* destination, const char* source, int n);

} // namespace rt
