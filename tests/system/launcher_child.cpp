// A child program for the launcher's tests (and, copied as FFmpeg.exe, the converter's tool).
// Its words, in any order: "sleep MS" waits first; "error TEXT" writes TEXT to standard error;
// "echo" copies standard input to standard output until it ends; "exit N" chooses the exit code.
// Other words are ignored. Last, it writes child-record.txt in its current directory: its command
// line exactly as received, its current directory and its show state, one per line.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void echo_input() {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE), output = GetStdHandle(STD_OUTPUT_HANDLE);
    char chunk[4096];
    DWORD got, written;
    while (ReadFile(input, chunk, sizeof chunk, &got, nullptr) && got)
        if (!WriteFile(output, chunk, got, &written, nullptr)) return;
}

void write_error(const char* text) {
    DWORD written;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

bool write_record() {
    char directory[MAX_PATH * 4] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    STARTUPINFOA startup{};
    GetStartupInfoA(&startup);
    int show = startup.dwFlags & STARTF_USESHOWWINDOW ? startup.wShowWindow : -1;
    std::FILE* record = std::fopen("child-record.txt.part", "wb");
    if (!record) return false;
    bool written = std::fprintf(record, "%s\n%s\n%d\n", GetCommandLineA(), directory, show) > 0;
    // Renamed when complete, so that a reader never sees half a record.
    return std::fclose(record) == 0 && written && MoveFileExA("child-record.txt.part", "child-record.txt", MOVEFILE_REPLACE_EXISTING);
}

} // namespace

int main(int argc, char** argv) {
    int code = 0;
    for (int i = 1; i < argc; ++i) {
        bool has_value = i + 1 < argc;
        if (!std::strcmp(argv[i], "sleep") && has_value) Sleep(static_cast<DWORD>(std::atoi(argv[++i])));
        else if (!std::strcmp(argv[i], "error") && has_value) write_error(argv[++i]);
        else if (!std::strcmp(argv[i], "echo")) echo_input();
        else if (!std::strcmp(argv[i], "exit") && has_value) code = std::atoi(argv[++i]);
    }
    return write_record() ? code : 100;
}
