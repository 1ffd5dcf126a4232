// A fresh folder for one test, removed with all it holds when it goes; and small file helpers.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace test_support {

inline std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

inline bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ScratchFolder {
public:
    explicit ScratchFolder(const char* name) {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {  // the path is in the system's code page, which std::filesystem does not assume
        const int length = static_cast<int>(path_.size());
        std::wstring wide(path_.size(), L'\0');
        wide.resize(MultiByteToWideChar(CP_ACP, 0, path_.data(), length, wide.data(), length));
        std::error_code kept;  // a file still open keeps its folder
        std::filesystem::remove_all(wide, kept);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }  // without a final backslash
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

} // namespace test_support
