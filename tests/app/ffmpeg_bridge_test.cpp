// The ffmpeg bridge as the front-end starts it, with an ANSI command line, running Debian's ffmpeg
// on generated pictures (lavfi), so that no source file is needed.
#include <gtest/gtest.h>

#include "system/scratch_folder.h"

#include <windows.h>

#include <string>

namespace {

using test_support::read_file;

// What the front-end relies on: the report and errors on standard error, progress on standard
// output, ffmpeg's status; a Windows path and a Windows-1251 name ("клип 1.avi") name ffmpeg's file.
TEST(FfmpegBridgeTest, StreamsStatusAndWindowsNamesReachFfmpegAndTheCaller) {
    test_support::ScratchFolder folder("bridge");
    const std::string pictures = "-f lavfi -i testsrc2=duration=0.2:size=64x48 ";
    const struct {
        const char* what;
        std::string arguments;
        DWORD status;
        const char* in_output;
        const char* in_errors;
        std::string made;  // the file ffmpeg wrote, if any
    } rows[] = {
        {"progress", pictures + "-progress pipe:1 -y \"" + folder.file("out.avi") + "\"", 0, "progress=end",
         "Stream #0:0", folder.file("out.avi")},
        {"a Cyrillic name", pictures + "-y \"\xEA\xEB\xE8\xEF 1.avi\"", 0, "", "", folder.file("\xEA\xEB\xE8\xEF 1.avi")},
        {"-sameq, which ffmpeg rejects", pictures + "-y -sameq same.avi", 1, "", "sameq", ""},
    };
    for (const auto& row : rows) {
        SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = CreateFileA(folder.file("output").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                         CREATE_ALWAYS, 0, nullptr);
        startup.hStdError = CreateFileA(folder.file("errors").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                        CREATE_ALWAYS, 0, nullptr);
        std::string command = "\"" BRIDGE_PROGRAM "\" " + row.arguments;
        PROCESS_INFORMATION process{};
        DWORD status = STILL_ACTIVE;
        if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.path().c_str(), &startup,
                           &process)) {
            WaitForSingleObject(process.hProcess, 60000);
            GetExitCodeProcess(process.hProcess, &status);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        CloseHandle(startup.hStdOutput);
        CloseHandle(startup.hStdError);
        const std::string output = read_file(folder.file("output")), errors = read_file(folder.file("errors"));
        EXPECT_EQ(status, row.status) << row.what << "\n" << errors;
        EXPECT_NE(output.find(row.in_output), std::string::npos) << row.what << ": " << output;
        EXPECT_NE(errors.find(row.in_errors), std::string::npos) << row.what << ": " << errors;
        EXPECT_TRUE(row.made.empty() || test_support::file_exists(row.made)) << row.what << ": " << row.made;
    }
}

} // namespace
