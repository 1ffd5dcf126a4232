// A Windows ffmpeg.exe that runs Debian's ffmpeg under Wine: a plain stand-in for a Windows build.
// A Unix program started from Windows cannot be waited for, so this bridge is the process its caller
// waits on. Every argument reaches ffmpeg unchanged except that X:\ paths become Unix paths and all
// text goes from the caller's code page to the Unix side's UTF-8; the bridge adds only -nostdin.
// ffmpeg writes its standard output and error into files that the bridge copies to its own handles
// as they grow, so that they reach a Windows caller's pipes whatever Wine gives a Unix child; the
// bridge exits with ffmpeg's status, which the script renames into place once ffmpeg has ended.
// When FFMPEG_BRIDGE_LOG names a file, the bridge appends its command line to it: the tests and the
// benchmark read there what their caller chose.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using UnixFileName = char*(CDECL*)(LPCWSTR);

std::string utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        nullptr);
    return result;
}

std::wstring from_utf8(const std::string& text) {
    int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

// Wine's own mapping of a Windows path to a Unix one ("" outside Wine or for unmappable paths).
std::string unix_path(const std::wstring& windows_path) {
    static auto to_unix = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    char* mapped = to_unix ? to_unix(windows_path.c_str()) : nullptr;
    if (!mapped) return {};
    std::string result = mapped;
    HeapFree(GetProcessHeap(), 0, mapped);
    return result;
}

bool is_windows_path(const std::wstring& argument) {
    return argument.size() > 2 && iswalpha(argument[0]) && argument[1] == L':' && argument[2] == L'\\';
}

std::string shell_quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::wstring current_directory() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring directory(size, L'\0');
    directory.resize(GetCurrentDirectoryW(size, directory.data()));
    return directory;
}

// The caller's arguments after the program name, as Windows parsed them into UTF-16.
std::vector<std::wstring> arguments() {
    int count = 0;
    LPWSTR* parsed = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> result;
    for (int i = 1; parsed && i < count; ++i) result.emplace_back(parsed[i]);
    LocalFree(parsed);
    return result;
}

// A path that Wine cannot map (a drive it does not know) goes on as text: ffmpeg then reports it.
std::string unix_argument(const std::wstring& argument) {
    std::string mapped = is_windows_path(argument) ? unix_path(argument) : std::string();
    return mapped.empty() ? utf8(argument) : mapped;
}

// The Unix files of one run: the script, ffmpeg's two streams and its status.
struct JobFiles {
    std::wstring script, output, errors, status;
};

// The shell script that runs ffmpeg into the stream files and then renames its status into place;
// the status is written whatever happened, so that the bridge never waits for nothing.
std::string job_script(const JobFiles& files) {
    std::string status = unix_path(files.status);
    std::string script = "cd " + shell_quoted(unix_path(current_directory())) + " && /usr/bin/ffmpeg -nostdin";
    for (const std::wstring& argument : arguments())
        script += ' ' + shell_quoted(unix_argument(argument));
    script += " >" + shell_quoted(unix_path(files.output)) + " 2>" + shell_quoted(unix_path(files.errors)) + '\n';
    script += "echo $? >" + shell_quoted(status + ".tmp") + " && mv " + shell_quoted(status + ".tmp") + ' ' +
              shell_quoted(status) + '\n';
    return script;
}

bool write_file(const std::wstring& path, const std::string& data) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool whole = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                 written == data.size();
    CloseHandle(file);
    return whole;
}

// One of ffmpeg's stream files, copied to one of the bridge's handles from where the last copy ended.
class StreamCopy {
public:
    StreamCopy(std::wstring path, DWORD handle) : path_(std::move(path)), target_(GetStdHandle(handle)) {}
    ~StreamCopy() {
        if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
        DeleteFileW(path_.c_str());
    }
    StreamCopy(const StreamCopy&) = delete;
    StreamCopy& operator=(const StreamCopy&) = delete;

    void copy_new_bytes() {
        if (file_ == INVALID_HANDLE_VALUE)
            file_ = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
        char buffer[16384];
        DWORD read = 0;
        while (file_ != INVALID_HANDLE_VALUE && ReadFile(file_, buffer, sizeof buffer, &read, nullptr) && read) {
            DWORD written = 0;
            if (target_ && target_ != INVALID_HANDLE_VALUE) WriteFile(target_, buffer, read, &written, nullptr);
        }
    }

private:
    std::wstring path_;
    HANDLE target_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

// ffmpeg's status once the script has written it, or -1 while ffmpeg runs.
int finished_status(const std::wstring& status_file) {
    FILE* file = _wfopen(status_file.c_str(), L"r");
    if (!file) return -1;
    int status = -1;
    if (fscanf(file, "%d", &status) != 1) status = -1;
    fclose(file);
    return status;
}

void log_command_line() {
    wchar_t log_path[MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"FFMPEG_BRIDGE_LOG", log_path, MAX_PATH);
    if (!length || length >= MAX_PATH) return;
    HANDLE log = CreateFileW(log_path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                             nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    std::string line = utf8(GetCommandLineW()) + "\n";
    DWORD written = 0;
    WriteFile(log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(log);
}

}  // namespace

int main() {
    log_command_line();
    wchar_t temp[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, temp)) return 125;
    std::wstring base = std::wstring(temp) + L"ffmpeg-bridge-" + std::to_wstring(GetCurrentProcessId());
    JobFiles files{base + L".sh", base + L".out", base + L".err", base + L".done"};
    if (!write_file(files.script, job_script(files))) return 125;

    std::wstring command = L"sh \"" + from_utf8(unix_path(files.script)) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        DeleteFileW(files.script.c_str());
        return 126;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    StreamCopy output(files.output, STD_OUTPUT_HANDLE), errors(files.errors, STD_ERROR_HANDLE);
    int status;
    while ((status = finished_status(files.status)) < 0) {
        output.copy_new_bytes();
        errors.copy_new_bytes();
        Sleep(50);
    }
    output.copy_new_bytes();
    errors.copy_new_bytes();
    DeleteFileW(files.script.c_str());
    DeleteFileW(files.status.c_str());
    return status;
}
