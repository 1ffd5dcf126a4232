// The real tool as a child process.
//
// The tool's standard input is the null device: nothing typed into the console reaches it. Its
// pipes are read until they break, which happens when the tool and every process that inherited
// the write ends have ended; the write ends this program holds are closed right after the start.
#include "tool_process.h"

#include "call.h"

#include <windows.h>

#include <deque>

namespace frontend {

namespace {

constexpr std::size_t REPORT_LIMIT = 1 << 20;
constexpr std::size_t KEPT_ERROR_LINES = 8;

class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { close(); }
    HANDLE get() const { return handle_; }
    HANDLE* out() { return &handle_; }
    void close() {
        if (handle_) CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_;
};

// A pipe whose write end the child inherits and whose read end stays here.
struct Pipe {
    Handle read, write;
    bool open() {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        return CreatePipe(read.out(), write.out(), &inherit, 0) && SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
    }
};

Handle null_input() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return Handle(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
}

// Starts the tool with these standard handles (inherited); the process handle, or null.
HANDLE start(const std::string& tool, const std::string& arguments, HANDLE input, HANDLE output, HANDLE error) {
    std::string line = "\"" + tool + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return nullptr;
    CloseHandle(process.hThread);
    return process.hProcess;
}

int status_of(HANDLE process) {
    WaitForSingleObject(process, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process, &status);
    return static_cast<int>(status);
}

// Reads the pipe to its end, handing each complete line (without "\r" or "\n") to `on_line`.
template <typename OnLine>
void read_lines(HANDLE pipe, OnLine on_line) {
    std::string pending;
    char chunk[4096];
    DWORD count = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &count, nullptr) && count > 0) {
        for (DWORD i = 0; i < count; ++i) {
            if (chunk[i] != '\n' && chunk[i] != '\r') {
                pending += chunk[i];
                continue;
            }
            if (!pending.empty()) on_line(pending);
            pending.clear();
        }
    }
    if (!pending.empty()) on_line(pending);
}

struct ErrorReader {
    HANDLE pipe;
    std::deque<std::string> lines;
};

DWORD WINAPI keep_last_errors(LPVOID data) {
    ErrorReader& reader = *static_cast<ErrorReader*>(data);
    read_lines(reader.pipe, [&](const std::string& line) {
        reader.lines.push_back(line);
        if (reader.lines.size() > KEPT_ERROR_LINES) reader.lines.pop_front();
    });
    return 0;
}

} // namespace

std::string run_tool_for_report(const std::string& tool, const std::vector<std::string>& arguments) {
    Pipe output;
    Handle input = null_input();
    if (!output.open()) return "";
    Handle process(start(tool, arguments_line(arguments), input.get(), output.write.get(), output.write.get()));
    output.write.close();
    if (!process.get()) return "";
    std::string report;
    char chunk[4096];
    DWORD count = 0;
    while (ReadFile(output.read.get(), chunk, sizeof chunk, &count, nullptr) && count > 0)
        if (report.size() < REPORT_LIMIT) report.append(chunk, count);
    status_of(process.get());
    return report;
}

ToolResult run_tool_with_progress(const std::string& tool, const std::vector<std::string>& arguments,
                                  const std::function<void(const std::string&)>& on_line) {
    ToolResult result;
    Pipe output, errors;
    Handle input = null_input();
    if (!output.open() || !errors.open()) return result;
    Handle process(start(tool, arguments_line(arguments), input.get(), output.write.get(), errors.write.get()));
    output.write.close();
    errors.write.close();
    if (!process.get()) return result;
    ErrorReader reader{errors.read.get(), {}};
    Handle error_thread(CreateThread(nullptr, 0, keep_last_errors, &reader, 0, nullptr));
    if (!error_thread.get()) {  // nothing would drain standard error: the tool could block on it
        TerminateProcess(process.get(), 1);
        return result;
    }
    read_lines(output.read.get(), on_line);
    WaitForSingleObject(error_thread.get(), INFINITE);
    result.status = status_of(process.get());
    for (const std::string& line : reader.lines) result.last_errors += "  " + line + "\r\n";
    return result;
}

int run_tool_passing_through(const std::string& tool, const std::string& raw_arguments) {
    Handle process(start(tool, raw_arguments, GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE),
                         GetStdHandle(STD_ERROR_HANDLE)));
    return process.get() ? status_of(process.get()) : 1;
}

} // namespace frontend
