// The loaded-system-library table: one record per open module.
#include "core/system_libraries.h"

#include "core/memory.h"
#include "core/objects.h"

#include <windows.h>

namespace rt {

namespace {

struct LibraryRecord {
    HMODULE module;
};

ObjectTable* library_table;

} // namespace

void init_system_libraries() { library_table = create_table_of<LibraryRecord>(16, close_library); }

void* open_library(intptr_t number, const char* file_name) {
    auto* record = claim<LibraryRecord>(library_table, number);
    if (!record) return nullptr;
    HMODULE module = file_name ? LoadLibraryA(file_name) : nullptr;
    if (!module) {
        abandon_claim(library_table, number, record);
        return nullptr;
    }
    record->module = module;
    return number == DYNAMIC_NUMBER ? static_cast<void*>(record) : static_cast<void*>(module);
}

void* get_library_function(intptr_t number, const char* function_name) {
    auto* record = find<LibraryRecord>(library_table, number);
    if (!record || !function_name) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(record->module, function_name));
}

void close_library(intptr_t number) {
    auto* record = find<LibraryRecord>(library_table, number);
    if (!record) return;
    FreeLibrary(record->module);
    release_object(library_table, number);
}

void close_all_libraries() { free_all_objects(library_table, close_library); }

} // namespace rt
