// The front-end's console: Russian text a person can read, or bytes a caller can read, and a
// window that stays clear of the converter's.
#pragma once

#include <cstddef>
#include <string>

namespace frontend {

// Writes Windows-1251 text to standard output: as Cyrillic on a real console, as the same bytes
// into a pipe or file. "\r" at the start of a line overwrites the line on a console.
void say(const std::string& text);
void say(const char* text, std::size_t size);  // allocates nothing

// True when standard output is a real console (progress then overwrites one line).
bool writes_to_console();

// Waits for a key press, at most `seconds`, when standard input is a real console; returns at
// once otherwise, so a caller without a console is never blocked.
void wait_for_key(unsigned seconds);

// Moves this console's window below the calling program's largest visible window, or beside or
// above it when there is no room below; when there is no room anywhere, shows fewer lines first so
// that it fits below or above. Does nothing without a console window or a caller's window.
void place_console_beside_caller();

} // namespace frontend
