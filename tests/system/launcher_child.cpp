// The launcher's test child: "error TEXT" to standard error, "echo" input to output, "exit N"; then
// child-record.txt in its current directory: its command line, directory and show state.
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
