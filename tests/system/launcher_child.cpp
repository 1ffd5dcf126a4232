// The launcher's test child: "error TEXT" to standard error, "echo" input to output, "exit N"; then
// child-record.txt in its current directory: its command line, directory and show state.
#include "support/process_record.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

int main(int argc, char** argv) {
    int code = 0;
    for (int i = 1; i < argc; ++i) {
        bool has_value = i + 1 < argc;
        if (!std::strcmp(argv[i], "echo")) {
            char chunk[4096];
            for (DWORD got, written; ReadFile(GetStdHandle(STD_INPUT_HANDLE), chunk, sizeof chunk, &got, nullptr) && got;)
                WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), chunk, got, &written, nullptr);
        } else if (has_value && !std::strcmp(argv[i], "error")) {
            std::fputs(argv[++i], stderr);
        } else if (has_value && !std::strcmp(argv[i], "exit")) {
            code = std::atoi(argv[++i]);
        }
    }
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    if (!test_support::append_start_record("child-record.txt")) return 100;
    std::ofstream record("child-record.txt", std::ios::app | std::ios::binary);
    return record << (startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : -1) << "\n" << std::flush ? code : 100;
}
