// A child program for the launcher's tests. Its words, in any order: "error TEXT" writes TEXT to
// standard error; "echo" copies standard input to standard output until it ends; "exit N" chooses
// the exit code. Last, it writes child-record.txt in its current directory: its command line
// exactly as received, its current directory and its show state, one per line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    int code = 0;
    for (int i = 1; i < argc; ++i) {
        bool has_value = i + 1 < argc;
        if (!std::strcmp(argv[i], "echo")) {
            char chunk[4096];
            DWORD got, written;
            while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), chunk, sizeof chunk, &got, nullptr) && got &&
                   WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), chunk, got, &written, nullptr)) {
            }
        } else if (has_value && !std::strcmp(argv[i], "error")) {
            std::fputs(argv[++i], stderr);
        } else if (has_value && !std::strcmp(argv[i], "exit")) {
            code = std::atoi(argv[++i]);
        }
    }
    char directory[MAX_PATH * 4] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    std::FILE* record = std::fopen("child-record.txt", "wb");
    bool written = record && std::fprintf(record, "%s\n%s\n%d\n", GetCommandLineA(), directory,
                                          startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : -1) > 0;
    return record && std::fclose(record) == 0 && written ? code : 100;
}
