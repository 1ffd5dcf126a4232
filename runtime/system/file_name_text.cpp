// File names as text: the file part of a path and the plain-name test. Portable (no file system
// is touched), so the native build tests and fuzzes them.
#include "system/file_names.h"

#include "core/strings.h"

#include <cstdint>
#include <cstring>

namespace rt {

namespace {

bool is_separator(char c) { return c == '\\' || c == '/'; }

} // namespace

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

int is_valid_file_name(const char* text) {
    if (!text || !*text) return 0;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c)
        if (*c < 32 || std::strchr("\"\\/:*?<>|", *c)) return 0;
    return 1;
}

} // namespace rt
