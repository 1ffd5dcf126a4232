// A Windows program named FFmpeg that runs Debian's ffmpeg for the converter under Wine.
// A Unix program started from Windows cannot be waited for, so this bridge is the process the
// converter waits on: it maps X:\ paths to Unix paths, drops -sameq (which ffmpeg has rejected
// since 2013), runs ffmpeg through /bin/sh in the caller's directory, waits for the script's
// status file and exits with ffmpeg's status.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using UnixFileName = char*(CDECL*)(LPCWSTR);

// Wine's own mapping of a Windows path to a Unix one ("" outside Wine or for unmappable paths).
std::string unix_path(const std::string& windows_path) {
    static auto to_unix = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    std::wstring wide(windows_path.size() + 1, L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, windows_path.c_str(), -1, wide.data(),
                                                             static_cast<int>(wide.size()))));
    char* mapped = to_unix ? to_unix(wide.c_str()) : nullptr;
    if (!mapped) return {};
    std::string result = mapped;
    HeapFree(GetProcessHeap(), 0, mapped);
    return result;
}

bool is_windows_path(const std::string& argument) {
    return argument.size() > 2 && std::isalpha(static_cast<unsigned char>(argument[0])) && argument[1] == ':' &&
           argument[2] == '\\';
}

std::string shell_quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string current_directory() {
    char directory[MAX_PATH * 4];
    DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
    return length && length < sizeof directory ? std::string(directory, length) : std::string();
}

// The shell script that runs ffmpeg and then renames its status into place.
std::string job_script(int argc, char** argv, const std::string& done_file) {
    std::ostringstream script;
    script << "cd " << shell_quoted(unix_path(current_directory())) << " || exit 1\n";
    script << "/usr/bin/ffmpeg -nostdin -hide_banner -loglevel error";
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "-sameq") continue;
        script << ' ' << shell_quoted(is_windows_path(argument) ? unix_path(argument) : argument);
    }
    script << "\necho $? > " << shell_quoted(done_file + ".tmp") << " && mv " << shell_quoted(done_file + ".tmp")
           << ' ' << shell_quoted(done_file) << '\n';
    return script.str();
}

int wait_for_status(const std::string& done_file) {
    for (;;) {
        std::ifstream done(done_file);
        int status;
        if (done >> status) return status;
        Sleep(50);
    }
}

}  // namespace

int main(int argc, char** argv) {
    char temp[MAX_PATH];
    if (!GetTempPathA(sizeof temp, temp)) return 125;
    std::string base = std::string(temp) + "ffmpeg-bridge-" + std::to_string(GetCurrentProcessId());
    std::string script_path = base + ".sh", done_path = base + ".done";
    std::ofstream(script_path, std::ios::binary) << job_script(argc, argv, unix_path(done_path));

    std::string command = "sh " + unix_path(script_path);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA("Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return 126;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    int status = wait_for_status(done_path);
    DeleteFileA(script_path.c_str());
    DeleteFileA(done_path.c_str());
    return status;
}
