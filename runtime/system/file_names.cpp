// File names on the Win32 file system: renaming and the current directory (the operations that
// only read text are in file_name_text.cpp, which builds everywhere).
#include "system/file_names.h"

#include "core/memory.h"
#include "core/strings.h"

#include <windows.h>

namespace rt {

namespace {

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

} // namespace rt
