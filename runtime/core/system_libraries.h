// Optional system libraries loaded at run time by number (e.g. "UxTheme.dll" for theme checks).
#pragma once

#include <cstdint>

namespace rt {

void init_system_libraries();
// Claims the number (freeing a library held under it), then loads file_name. Returns the record's
// identity for DYNAMIC_NUMBER, else the module handle; null when nothing could be loaded.
void* open_library(intptr_t number, const char* file_name);
// The address of an exported function, or null (no name, no such export, number not live).
void* get_library_function(intptr_t number, const char* function_name);
void close_library(intptr_t number);
// Closes every library still open (shutdown).
void close_all_libraries();

} // namespace rt
