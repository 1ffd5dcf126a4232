// A child program for the launcher's tests. Its words, in any order: "sleep MS" waits first;
// "error TEXT" writes TEXT to standard error; "echo" copies standard input to standard output
// until it ends; "exit N" chooses the exit code. Last, it writes child-record.txt in its current
// directory: its command line exactly as received, its current directory and its show state.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void echo_input() {
    char chunk[4096];
    DWORD got, written;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), chunk, sizeof chunk, &got, nullptr) && got)
        if (!WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), chunk, got, &written, nullptr)) return;
}

// Written under another name and renamed when complete, so that a reader never sees half a record.
bool write_record() {
    char directory[MAX_PATH * 4] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    std::FILE* record = std::fopen("child-record.part", "wb");
    if (!record) return false;
    bool written = std::fprintf(record, "%s\n%s\n%d\n", GetCommandLineA(), directory,
                                startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : -1) > 0;
    return std::fclose(record) == 0 && written && MoveFileExA("child-record.part", "child-record.txt", MOVEFILE_REPLACE_EXISTING);
}

} // namespace

int main(int argc, char** argv) {
    int code = 0;
    for (int i = 1; i < argc; ++i) {
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!std::strcmp(argv[i], "echo")) echo_input();
        else if (value && !std::strcmp(argv[i], "sleep")) Sleep(static_cast<DWORD>(std::atoi(argv[++i])));
        else if (value && !std::strcmp(argv[i], "error")) std::fputs(argv[++i], stderr);
        else if (value && !std::strcmp(argv[i], "exit")) code = std::atoi(argv[++i]);
    }
    return write_record() ? code : 100;
}
