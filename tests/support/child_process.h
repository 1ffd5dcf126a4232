// Child programs run by the tests, to their end or to a time limit.
#pragma once

#include "support/scratch_folder.h"

#include <windows.h>

#include <string>

namespace test_support {

// Its exit status once it has ended within the time (else it is ended with 9999); the handles closed.
inline DWORD status_of(PROCESS_INFORMATION& process, DWORD timeout_ms) {
    if (WaitForSingleObject(process.hProcess, timeout_ms) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 9999);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 9999;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

struct Finished {
    DWORD status;
    std::string output, errors;
};

// Runs a command line in the folder without a console, on an empty standard input, to its end.
inline Finished run_to_end(std::string command_line, const ScratchFolder& folder, DWORD timeout_ms = 20000) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const auto open = [&](const std::string& path, DWORD access, DWORD disposition) {
        return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition, 0, nullptr);
    };
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open("NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = open(folder.file("output"), GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = open(folder.file("errors"), GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        folder.path().c_str(), &startup, &process);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) CloseHandle(handle);
    return {started ? status_of(process, timeout_ms) : 9999, read_file(folder.file("output")), read_file(folder.file("errors"))};
}

} // namespace test_support
