// A fresh folder for one test, removed with all it holds when it goes; and small file helpers.
#pragma once

#include <windows.h>

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
    ~ScratchFolder() { remove_tree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }  // without a final backslash
    std::string file(const std::string& name) const { return path_ + "\\" + name; }

private:
    static void remove_tree(const std::string& folder) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
            std::string name = found.cFileName, path = folder + "\\" + name;
            if (name == "." || name == "..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) remove_tree(path);
            else DeleteFileA(path.c_str());
        }
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        RemoveDirectoryA(folder.c_str());
    }

    std::string path_;
};

} // namespace test_support
