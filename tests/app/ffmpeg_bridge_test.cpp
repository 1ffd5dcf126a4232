// The ffmpeg bridge as the front-end starts it: an ANSI command line and pipes for its standard
// output and error, running Debian's ffmpeg on generated pictures (lavfi), so no source is needed.
#include <gtest/gtest.h>

#include "system/scratch_folder.h"

#include <windows.h>

#include <string>
#include <thread>

namespace {

struct BridgeRun {
    DWORD status = STILL_ACTIVE;
    std::string output, errors;
};

std::string read_all(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    for (DWORD read = 0; ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read;) text.append(buffer, read);
    CloseHandle(pipe);
    return text;
}

BridgeRun run_bridge(const std::string& arguments, const std::string& directory) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE output = nullptr, errors = nullptr;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    CreatePipe(&output, &startup.hStdOutput, &inheritable, 0);
    CreatePipe(&errors, &startup.hStdError, &inheritable, 0);
    SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errors, HANDLE_FLAG_INHERIT, 0);
    std::string command = "\"" BRIDGE_PROGRAM "\" " + arguments;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, directory.c_str(),
                                        &startup, &process);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    BridgeRun run;
    std::thread errors_reader([&] { run.errors = read_all(errors); });
    run.output = read_all(output);
    errors_reader.join();
    if (!started) return run;
    WaitForSingleObject(process.hProcess, 60000);
    GetExitCodeProcess(process.hProcess, &run.status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

// What the front-end relies on: the report and errors on standard error, progress on standard
// output, ffmpeg's status; a Windows path and a Windows-1251 name ("клип 1.avi") name ffmpeg's file.
TEST(FfmpegBridgeTest, StreamsStatusAndWindowsNamesReachFfmpegAndTheCaller) {
    test_support::ScratchFolder folder("bridge");
    const std::string pictures = "-f lavfi -i testsrc2=duration=0.2:size=64x48 ";
    const struct {
        const char* what;
        std::string arguments;
        bool succeeds;
        const char* in_output;
        const char* in_errors;
        std::string made;
    } rows[] = {
        {"progress", pictures + "-progress pipe:1 -y \"" + folder.file("out.avi") + "\"", true, "progress=end",
         "Stream #0:0", folder.file("out.avi")},
        {"a Cyrillic name", pictures + "-y \"\xEA\xEB\xE8\xEF 1.avi\"", true, "", "", folder.file("\xEA\xEB\xE8\xEF 1.avi")},
        {"-sameq, which ffmpeg rejects", pictures + "-y -sameq same.avi", false, "", "sameq", ""},
    };
    for (const auto& row : rows) {
        const BridgeRun run = run_bridge(row.arguments, folder.path());
        EXPECT_EQ(run.status == 0, row.succeeds) << row.what << ": status " << run.status << "\n" << run.errors;
        EXPECT_NE(run.output.find(row.in_output), std::string::npos) << row.what << ": " << run.output;
        EXPECT_NE(run.errors.find(row.in_errors), std::string::npos) << row.what << ": " << run.errors;
        EXPECT_TRUE(row.made.empty() || test_support::file_exists(row.made)) << row.what << ": " << row.made;
    }
}

} // namespace
