// The ffmpeg bridge as its Windows caller sees it: started with an ANSI command line and pipes for
// its standard output and error, as the front-end starts it, running Debian's ffmpeg on generated
// pictures (lavfi), so that no source file is needed.
#include <gtest/gtest.h>

#include "system/scratch_folder.h"

#include <windows.h>

#include <string>
#include <thread>

namespace {

using test_support::file_exists;
using test_support::ScratchFolder;

// What one run of the bridge gave back through its pipes.
struct BridgeRun {
    DWORD status = STILL_ACTIVE;
    std::string output, errors;
};

std::string read_all(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read) text.append(buffer, read);
    return text;
}

BridgeRun run_bridge(const std::string& arguments, const std::string& directory) {
    BridgeRun run;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE output_read, output_write, errors_read, errors_write;
    if (!CreatePipe(&output_read, &output_write, &inheritable, 0)) return run;
    if (!CreatePipe(&errors_read, &errors_write, &inheritable, 0)) return run;
    SetHandleInformation(output_read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errors_read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output_write;
    startup.hStdError = errors_write;
    std::string command = "\"" BRIDGE_PROGRAM "\" " + arguments;
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(),
                                  &startup, &process);
    CloseHandle(output_write);
    CloseHandle(errors_write);
    if (started) {
        std::thread errors_reader([&] { run.errors = read_all(errors_read); });
        run.output = read_all(output_read);
        errors_reader.join();
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &run.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(output_read);
    CloseHandle(errors_read);
    return run;
}

const char* const PICTURES = "-f lavfi -i testsrc2=duration=0.2:size=64x48 ";

// "клип 1.avi" in Windows-1251, the tests' ANSI code page.
const char* const CYRILLIC_NAME = "\xEA\xEB\xE8\xEF 1.avi";

TEST(FfmpegBridgeTest, ACyrillicNameIsWrittenUnderThatName) {
    ScratchFolder folder("bridge-name");
    BridgeRun run = run_bridge(std::string(PICTURES) + "-y \"" + CYRILLIC_NAME + "\"", folder.path());
    EXPECT_EQ(run.status, 0u) << run.errors;
    EXPECT_TRUE(file_exists(folder.file(CYRILLIC_NAME))) << "a name passed as CP1251 bytes is garbled on disk";
}

// What the front-end reads: the probe text and errors on standard error, progress on standard
// output, and ffmpeg's status; a Windows path is ffmpeg's file.
TEST(FfmpegBridgeTest, StreamsAndStatusReachTheCallerAndWindowsPathsAreMapped) {
    ScratchFolder folder("bridge-streams");
    const struct {
        const char* what;
        std::string arguments;
        bool succeeds;
        const char* in_output;
        const char* in_errors;
    } rows[] = {
        {"progress", PICTURES + std::string("-progress pipe:1 -y \"") + folder.file("out.avi") + "\"", true,
         "progress=end", "Stream #0:0"},
        {"-sameq, which ffmpeg rejects", PICTURES + std::string("-y -sameq same.avi"), false, "", "sameq"},
    };
    for (const auto& row : rows) {
        BridgeRun run = run_bridge(row.arguments, folder.path());
        EXPECT_EQ(run.status == 0, row.succeeds) << row.what << ": status " << run.status << "\n" << run.errors;
        EXPECT_NE(run.output.find(row.in_output), std::string::npos) << row.what << ": " << run.output;
        EXPECT_NE(run.errors.find(row.in_errors), std::string::npos) << row.what << ": " << run.errors;
    }
    EXPECT_TRUE(file_exists(folder.file("out.avi")));
}

}  // namespace
