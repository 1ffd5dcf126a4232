// The Windows (drive Z:) form of a Unix path, for the build's files that the Windows benchmarks
// read or start under Wine.
#pragma once

#include <string>

namespace bench {

inline std::string windows_path(std::string unix_path) {
    for (char& c : unix_path)
        if (c == '/') c = '\\';
    return "Z:" + unix_path;
}

} // namespace bench
