// Where the real tool is: beside the front-end, then on PATH, never the front-end itself.
//
// Names cannot tell two files apart (Windows names ignore case, and one folder can be reached by
// several paths), so files and folders are compared by identity: volume serial and file index.
#include "tool_search.h"

#include <windows.h>

#include <sstream>

namespace frontend {

namespace {

struct Identity {
    DWORD volume = 0, index_high = 0, index_low = 0;
    bool known = false;
    bool operator==(const Identity& other) const {
        return known && other.known && volume == other.volume && index_high == other.index_high &&
               index_low == other.index_low;
    }
};

// A file's or folder's identity; unknown when it cannot be opened.
Identity identity_of(const std::string& path) {
    Identity identity;
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return identity;
    BY_HANDLE_FILE_INFORMATION information;
    if (GetFileInformationByHandle(file, &information)) {
        identity = {information.dwVolumeSerialNumber, information.nFileIndexHigh, information.nFileIndexLow, true};
    }
    CloseHandle(file);
    return identity;
}

bool is_file(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string own_path() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return "";
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

std::string environment(const char* name) {
    DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
    if (size == 0) return "";
    std::string value(size, '\0');
    DWORD length = GetEnvironmentVariableA(name, &value[0], size);
    return length < size ? value.substr(0, length) : "";
}

std::string unquoted(const std::string& folder) {
    std::string result;
    for (char c : folder)
        if (c != '"') result += c;
    return result;
}

} // namespace

std::string own_folder() {
    std::string path = own_path();
    std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? "." : path.substr(0, separator);
}

std::string find_tool() {
    const std::string folder = own_folder();
    const Identity self = identity_of(own_path()), own_place = identity_of(folder);
    auto usable = [&](const std::string& candidate) { return is_file(candidate) && !(identity_of(candidate) == self); };
    for (const char* beside : {"\\ffmpeg\\bin\\ffmpeg.exe", "\\ffmpeg\\ffmpeg.exe"})
        if (usable(folder + beside)) return folder + beside;
    std::istringstream path_list(environment("PATH"));
    std::string entry;
    while (std::getline(path_list, entry, ';')) {
        entry = unquoted(entry);
        while (entry.size() > 3 && (entry.back() == '\\' || entry.back() == '/')) entry.pop_back();
        if (entry.empty() || identity_of(entry) == own_place) continue;
        if (usable(entry + "\\ffmpeg.exe")) return entry + "\\ffmpeg.exe";
    }
    return "";
}

} // namespace frontend
