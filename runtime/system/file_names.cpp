// File names on the Win32 file system; results that are strings go into the string buffer.
#include "system/file_names.h"

#include "core/memory.h"
#include "core/strings.h"

#include <windows.h>

#include <cstring>

namespace rt {

namespace {

bool is_separator(char c) { return c == '\\' || c == '/'; }

// A current directory too deep for MAX_PATH bytes (the 8-bit call then reports the size it needs,
// or under Wine fails): read in UTF-16 and converted to the system code page into a reservation
// made to fit. Returns its length, or 0 when it cannot be read.
DWORD read_deep_directory(int result_position, char** out, DWORD* room) {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (!size) return 0;
    auto* wide = static_cast<wchar_t*>(main_allocate(size * sizeof(wchar_t)));
    DWORD wide_length = GetCurrentDirectoryW(size, wide);
    int length = 0;
    if (wide_length && wide_length < size) {  // else it changed in between: nothing to trust
        length = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(wide_length), nullptr, 0, nullptr, nullptr);
        *room = static_cast<DWORD>(length) + 1;
        *out = reserve_in_buffer(static_cast<int>(*room), result_position);
        WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(wide_length), *out, length, nullptr, nullptr);
    }
    main_free(wide);
    return static_cast<DWORD>(length);
}

} // namespace

int rename_file(const char* old_name, const char* new_name) {
    if (!old_name || !new_name) return 0;
    return MoveFileA(old_name, new_name) ? 1 : 0;
}

void get_file_part(const char* path, int result_position) {
    if (!path) path = "";
    std::size_t start = path[0] == '"' ? 1 : 0;
    for (std::size_t i = 0; path[i]; ++i)
        if (is_separator(path[i])) start = i + 1;
    std::size_t end = start;
    while (path[end] && path[end] != '"') ++end;

    intptr_t offset = buffer_offset_of(path);  // the path may be a temporary the reservation moves
    int length = static_cast<int>(end - start);
    char* out = reserve_in_buffer(length, result_position);
    if (offset) path = pointer_at_offset(offset);
    std::memmove(out, path + start, static_cast<std::size_t>(length));
    out[length] = 0;
}

void get_current_directory(int result_position) {
    DWORD room = MAX_PATH;
    char* out = reserve_in_buffer(static_cast<int>(room), result_position);
    DWORD length = GetCurrentDirectoryA(room, out);
    if (length == 0 || length >= room) length = read_deep_directory(result_position, &out, &room);
    // A length below room leaves a byte for the backslash before the terminator's place.
    if (length > 0 && out[length - 1] != '\\') out[length++] = '\\';
    out[length] = 0;
    unreserve_in_buffer(static_cast<int>(room - length));
}

int is_valid_file_name(const char* text) {
    if (!text || !*text) return 0;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c)
        if (*c < 32 || std::strchr("\"\\/:*?<>|", *c)) return 0;
    return 1;
}

} // namespace rt
