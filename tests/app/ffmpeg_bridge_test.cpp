// The ffmpeg bridge as the front-end starts it, with an ANSI command line, running Debian's ffmpeg on generated pictures
// (lavfi), so that no source file is needed; Windows-1251 names reaching ffmpeg are shown by real_conversion_test.
#include <gtest/gtest.h>

#include "support/child_process.h"

#include <string>

namespace {

// What the front-end relies on: the report and errors on standard error, progress on standard
// output, ffmpeg's status, a Windows path naming ffmpeg's file.
TEST(FfmpegBridgeTest, StreamsStatusAndWindowsPathsReachFfmpegAndTheCaller) {
    test_support::ScratchFolder folder("bridge");
    const std::string pictures = "\"" BRIDGE_PROGRAM "\" -f lavfi -i testsrc2=duration=0.2:size=64x48 -y ";
    const struct { std::string arguments; DWORD status; const char *in_output, *in_errors; } rows[] = {
        {"-progress pipe:1 \"" + folder.file("out.avi") + "\"", 0, "progress=end", "Stream #0:0"},
        {"-sameq same.avi", 1, "", "sameq"},  // an option ffmpeg rejects
    };
    for (const auto& row : rows) {
        const test_support::Finished run = test_support::run_to_end(pictures + row.arguments, folder, 60000);
        EXPECT_EQ(run.status, row.status) << row.arguments << "\n" << run.errors;
        EXPECT_NE(run.output.find(row.in_output), std::string::npos) << row.arguments << ": " << run.output;
        EXPECT_NE(run.errors.find(row.in_errors), std::string::npos) << row.arguments << ": " << run.errors;
    }
    EXPECT_TRUE(test_support::file_exists(folder.file("out.avi")));
}

} // namespace
