// Child programs run by the tests, to their end or to a time limit.
#pragma once

#include "support/scratch_folder.h"

#include <windows.h>

#include <string>

namespace test_support {

// Starts a command line in a folder with CreateProcessA's flags, handing on the standard handles startup names.
inline PROCESS_INFORMATION start(std::string command_line, const std::string& folder, DWORD flags, STARTUPINFOA startup = {}) {
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, (startup.dwFlags & STARTF_USESTDHANDLES) != 0, flags,
                   nullptr, folder.c_str(), &startup, &process);
    return process;
}

// Its exit status once it has ended within the time (else it is ended: 9999); the handles closed and cleared.
inline DWORD status_of(PROCESS_INFORMATION& process, DWORD timeout_ms) {
    if (WaitForSingleObject(process.hProcess, timeout_ms) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 9999);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 9999;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    process = {};
    return status;
}

struct Finished { DWORD status; std::string output, errors; };

// Runs a command line in the folder without a console, on an empty standard input, to its end.
inline Finished run_to_end(const std::string& command_line, const ScratchFolder& folder, DWORD timeout_ms = 20000) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const auto open = [&](const std::string& path, DWORD access, DWORD disposition) {
        return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition, 0, nullptr);
    };
    STARTUPINFOA startup{};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open("NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = open(folder.file("output"), GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = open(folder.file("errors"), GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process = start(command_line, folder.path(), CREATE_NO_WINDOW, startup);
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) CloseHandle(handle);
    return {status_of(process, timeout_ms), read_file(folder.file("output")), read_file(folder.file("errors"))};
}

} // namespace test_support
