// Wine (8.0) answers GetProcessTimes for another process with the caller's own times, so under
// Wine the processor time is read where Linux keeps it: /proc/PID/stat of the Unix process that
// runs the program, reached through drive Z:. That process is found by the tag in its command
// line, which Wine shows as the Unix process's arguments. Linux counts in ticks of 10 ms.
#include "child_programs.h"

#include "self_timing.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace bench {

namespace {

constexpr double MILLISECONDS_PER_TICK = 10;

bool under_wine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// Of one width, so that no tag is the beginning of another.
std::string next_tag() {
    static std::atomic<int> children{0};
    char tag[64];
    std::snprintf(tag, sizeof tag, "bench-child-%08lu-%06d", GetCurrentProcessId(), ++children);
    return tag;
}

std::string file_text(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The /proc/PID/stat path of the Unix process whose arguments hold the tag, or "".
std::string unix_stat_of(const std::string& tag) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::string stat;
    do {
        const std::string folder = std::string("Z:\\proc\\") + found.cFileName;
        if (found.cFileName[0] >= '1' && found.cFileName[0] <= '9' &&
            file_text(folder + "\\cmdline").find(tag) != std::string::npos)
            stat = folder + "\\stat";
    } while (stat.empty() && FindNextFileA(search, &found));
    FindClose(search);
    return stat;
}

// Fields 14 and 15 (user and system ticks); the name in parentheses may hold spaces.
double ticks_in_stat(const std::string& stat) {
    const size_t name_end = stat.rfind(')');
    if (name_end == std::string::npos) return -1;
    std::istringstream fields(stat.substr(name_end + 1));
    std::string skipped;
    for (int field = 3; field <= 13; ++field) fields >> skipped;
    double user = -1, system = -1;
    fields >> user >> system;
    return fields ? user + system : -1;
}

double milliseconds_of(const FILETIME& time) {
    return static_cast<double>(static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e4;
}

struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK check_window(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

ChildProgram::ChildProgram(const std::string& program, const std::string& directory, const std::string& arguments)
    : tag_(next_tag()) {
    std::string command_line = "\"" + program + "\" " + tag_ + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    start_seconds_ = seconds_now();
    started_ = CreateProcessA(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                              &startup, &process_);
}

ChildProgram::~ChildProgram() {
    if (!started_) return;
    if (HWND window = window_ ? window_ : visible_window()) PostMessageA(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_.hProcess, 5000) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND ChildProgram::visible_window() const {
    WindowSearch search{process_.dwProcessId, nullptr};
    EnumWindows(check_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

double ChildProgram::seconds_until_window(double timeout_seconds) {
    while (started_ && !(window_ = visible_window())) {
        if (seconds_now() - start_seconds_ > timeout_seconds) return -1;
        Sleep(1);
    }
    return started_ ? seconds_now() - start_seconds_ : -1;
}

double ChildProgram::processor_milliseconds() {
    if (!started_) return -1;
    if (under_wine()) return processor_milliseconds_from_unix();
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process_.hProcess, &created, &ended, &kernel, &user)) return -1;
    return milliseconds_of(kernel) + milliseconds_of(user);
}

double ChildProgram::processor_milliseconds_from_unix() {
    if (unix_stat_.empty()) unix_stat_ = unix_stat_of(tag_);
    const double ticks = unix_stat_.empty() ? -1 : ticks_in_stat(file_text(unix_stat_));
    return ticks < 0 ? -1 : ticks * MILLISECONDS_PER_TICK;
}

} // namespace bench
