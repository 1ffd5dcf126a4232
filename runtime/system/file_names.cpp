// File names: telling a plain file name from a path or a pattern.
#include "system/file_names.h"

#include <cstring>

namespace rt {

int is_valid_file_name(const char* text) {
    if (!text || !*text) return 0;
    for (const char* at = text; *at; ++at) {
        auto c = static_cast<unsigned char>(*at);
        if (c < 32 || std::strchr("\"\\/:*?<>|", c)) return 0;
    }
    return 1;
}

} // namespace rt
