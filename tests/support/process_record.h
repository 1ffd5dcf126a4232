// What the tests' stand-in programs need to record how they were started.
#pragma once

#include <windows.h>

#include <string>

namespace test_support {

inline std::string environment_variable(const char* name) {
    std::string value(GetEnvironmentVariableA(name, nullptr, 0), '\0');
    value.resize(GetEnvironmentVariableA(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

// Appends the program's exact command line and its current directory, one line each, in a single WriteFile through a
// handle with only FILE_APPEND_DATA access: records of programs started at once never interleave or overwrite each other.
inline bool append_start_record(const std::string& log_path) {
    HANDLE log = CreateFileA(log_path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return false;
    std::string directory(GetCurrentDirectoryA(0, nullptr), '\0');  // it may be deeper than MAX_PATH
    directory.resize(GetCurrentDirectoryA(static_cast<DWORD>(directory.size()), directory.data()));
    const std::string record = std::string(GetCommandLineA()) + "\n" + directory + "\n";
    DWORD written = 0;
    const bool ok = WriteFile(log, record.data(), static_cast<DWORD>(record.size()), &written, nullptr) &&
                    written == record.size();
    return CloseHandle(log) && ok;
}

} // namespace test_support
