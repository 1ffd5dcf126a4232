// The process launcher against real child processes: the command line, directory and show state,
// waiting, the three pipes, one program's output fed into another, and the shell's folder action.
#include <gtest/gtest.h>

#include "support/process_resources.h"
#include "system/launcher.h"
#include "system/scratch_folder.h"

#include <objbase.h>

#include <string>
#include <thread>

namespace {

using namespace rt;
using test_support::file_exists;
using test_support::read_file;
using test_support::ScratchFolder;

const std::string child = test_support::program_folder() + "launcher_child.exe";

ProcessRecord& record_of(intptr_t result) { return *reinterpret_cast<ProcessRecord*>(result); }

DWORD exit_code_of(HANDLE process) {
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

std::string read_to_end(HANDLE pipe) {
    std::string text;
    char chunk[512];
    for (DWORD got; ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got;) text.append(chunk, got);
    return text;
}

// A waiting call returns after the child ended, so its record (command line, current directory,
// show state) is there; the directory is the one given, else the launcher's own.
TEST(LauncherTest, TheChildGetsTheQuotedProgramASpaceAndTheParametersAsGivenInTheDirectoryAndShowState) {
    ScratchFolder given("given"), own("own");
    SetCurrentDirectoryA(own.path().c_str());
    const std::string quoted = "\"" + child + "\"", in_given = given.path();
    const struct {
        std::string program;
        const char *parameters, *directory;
        int flags;
        DWORD exit_code;
        std::string record;
    } rows[] = {
        {child, "-i C:\\a.avi -y  -sameq  a.avi.flv exit 5", in_given.c_str(), RUN_HIDE, 5,
         quoted + " -i C:\\a.avi -y  -sameq  a.avi.flv exit 5\n" + in_given + "\n0\n"},
        {child, "  \"my clip.avi\" a\\\"b ", "", 0, 0, quoted + "   \"my clip.avi\" a\\\"b \n" + own.path() + "\n1\n"},
        {quoted + " -a", nullptr, nullptr, 0, 0, quoted + " -a\n" + own.path() + "\n1\n"},
    };
    for (const auto& row : rows) {
        ProcessRecord& record = record_of(run_program(row.program.c_str(), row.parameters, row.directory, RUN_WAIT | RUN_OPEN | row.flags));
        EXPECT_EQ(exit_code_of(record.process), row.exit_code) << "the program has ended";
        EXPECT_TRUE(!record.input && !record.output && !record.error) << "no pipe was asked for";
        std::string written = (row.directory && *row.directory ? given : own).file("child-record.txt");
        EXPECT_EQ(read_file(written), row.record);
        DeleteFileA(written.c_str());
    }
    SetCurrentDirectoryA("C:\\");
}

// The first child echoes its input into the second's and writes to its standard error; it cannot
// end before its input closes, and the call does not wait for it.
TEST(LauncherTest, PipesCarryDataBothWaysAndConnectFeedsOneProgramsOutputIntoAnother) {
    ScratchFolder first_folder("first"), second_folder("second");
    ProcessRecord& first = record_of(run_program(child.c_str(), "error oops echo exit 3", first_folder.path().c_str(),
                                                 RUN_OPEN | RUN_READ | RUN_WRITE | RUN_ERROR));
    ProcessRecord& second = record_of(run_program(child.c_str(), "echo", second_folder.path().c_str(),
                                                  RUN_OPEN | RUN_READ | RUN_CONNECT, &first));
    for (HANDLE end : {first.input, first.output, first.error, second.output}) {
        DWORD flags = HANDLE_FLAG_INHERIT;
        EXPECT_TRUE(GetHandleInformation(end, &flags) && !(flags & HANDLE_FLAG_INHERIT)) << "later children get no end";
    }
    EXPECT_EQ(second.input, nullptr) << "the input belongs to the first program's record";
    EXPECT_EQ(exit_code_of(first.process), STILL_ACTIVE);
    const std::string text = "first line\r\nsecond \xc0\xc1\xc2 line\n";
    DWORD written;
    WriteFile(first.input, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(first.input);
    EXPECT_EQ(read_to_end(second.output), text);
    EXPECT_EQ(read_to_end(first.error), "oops");
    WaitForSingleObject(first.process, INFINITE);
    EXPECT_EQ(exit_code_of(first.process), 3u);
}

// Without RUN_OPEN no record is kept, so a pipe made for the call would be an end nobody closes.
TEST(LauncherTest, PipeFlagsWithoutOpenMakeNoPipesAndWhatCannotStartGivesZero) {
    ScratchFolder folder("no-open");
    const int flags = RUN_WAIT | RUN_READ | RUN_WRITE | RUN_ERROR;
    run_program(child.c_str(), "error x", folder.path().c_str(), flags);  // what the first call sets up for good
    const unsigned long handles = test_support::process_kernel_handles();
    EXPECT_EQ(run_program(child.c_str(), "error x", folder.path().c_str(), flags), 1);
    EXPECT_EQ(test_support::process_kernel_handles(), handles) << "no pipe end is left open";
    EXPECT_EQ(run_program("C:\\no\\such\\folder\\tool.exe", "-x", nullptr, RUN_WAIT | RUN_OPEN), 0);
    EXPECT_EQ(run_program(nullptr, nullptr, nullptr, RUN_WAIT), 0);
}

// The test prefix's shell opens folders with a recorder that appends its command line and current
// directory to the file named by FOLDER_OPEN_LOG.
class ShellFallbackTest : public testing::Test {
protected:
    void SetUp() override { SetEnvironmentVariableA("FOLDER_OPEN_LOG", log.c_str()); }
    void TearDown() override { SetEnvironmentVariableA("FOLDER_OPEN_LOG", nullptr); }
    bool opened_in_itself() { return read_file(log).find("\"" + target + "\"\n" + folder.path() + "\n") != std::string::npos; }

    ScratchFolder folder{"shell"}, logs{"shell-log"};
    std::string target = folder.path() + "\\", log = logs.file("folder-open.log");
};

TEST_F(ShellFallbackTest, StreamFlagsForbidTheShellAndAnOpenedFolderKeepsARecordWithoutPipes) {
    for (int flag : {RUN_READ, RUN_WRITE, RUN_ERROR, RUN_CONNECT}) {
        SetLastError(0);
        EXPECT_EQ(run_program(target.c_str(), "", nullptr, RUN_WAIT | flag), 0) << "flag " << flag;
        EXPECT_NE(GetLastError(), 0u) << "the failing start's error is kept";
    }
    EXPECT_FALSE(file_exists(log)) << "the shell was never asked";
    ProcessRecord& record = record_of(run_program(target.c_str(), nullptr, nullptr, RUN_WAIT | RUN_OPEN | RUN_HIDE));
    EXPECT_TRUE(record.process_id == -1 && !record.input && !record.output && !record.error);
    EXPECT_TRUE(opened_in_itself()) << read_file(log);
}

// The shell runs in a COM apartment on the calling thread: one of its own on a thread without COM,
// which it ends again, or the thread's own, which it keeps, even a multithreaded one.
TEST_F(ShellFallbackTest, AFolderOpensFromAThreadWithOrWithoutItsOwnComAndItsComIsKept) {
    for (bool multithreaded : {false, true}) {
        DeleteFileA(log.c_str());
        intptr_t result = -1;
        HRESULT afterwards = E_FAIL;  // of CoInitializeEx(multithreaded) after the call
        std::thread([&] {
            if (multithreaded) CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            result = run_program(target.c_str(), "", nullptr, RUN_WAIT);
            afterwards = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            CoUninitialize();
            if (multithreaded) CoUninitialize();
        }).join();
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(opened_in_itself()) << read_file(log);
        EXPECT_EQ(afterwards, multithreaded ? S_FALSE : S_OK) << "the thread's COM as it was before the call";
    }
}

} // namespace
