// The process launcher against real child processes: the command-line rule, waiting, show states,
// the three pipes, one program's output fed into another, and the shell's folder action.
#include <gtest/gtest.h>

#include "support/process_resources.h"
#include "system/launcher.h"
#include "system/scratch_folder.h"

#include <objbase.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using namespace rt;
using test_support::file_exists;
using test_support::read_file;
using test_support::ScratchFolder;

const std::string child = test_support::program_folder() + "launcher_child.exe";

// The child's record in folder: command line, current directory, show state.
std::vector<std::string> child_record(const std::string& folder) {
    std::string text = read_file(folder + "\\child-record.txt");
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

ProcessRecord& record_of(intptr_t result) { return *reinterpret_cast<ProcessRecord*>(result); }

DWORD exit_code_of(HANDLE process) {
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

void write_all(HANDLE pipe, const std::string& text) {
    DWORD written;
    ASSERT_TRUE(WriteFile(pipe, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
    ASSERT_EQ(written, text.size());
}

std::string read_to_end(HANDLE pipe) {
    std::string text;
    char chunk[512];
    DWORD got;
    while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got) text.append(chunk, got);
    return text;
}

bool inheritable(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) && (flags & HANDLE_FLAG_INHERIT);
}

TEST(LauncherTest, CommandLineIsTheQuotedProgramOneSpaceAndTheParameters) {
    ScratchFolder folder("command-line");
    const std::string quoted = "\"" + child + "\"";
    struct {
        const char* rule;
        std::string program;
        const char* parameters;
        std::string expected;
    } cases[] = {
        {"program quoted, one space, parameters", child, "-i a.avi", quoted + " -i a.avi"},
        {"double spaces are kept as they are", child, "-i C:\\a.avi -y  -sameq  a.avi.flv",
         quoted + " -i C:\\a.avi -y  -sameq  a.avi.flv"},
        {"leading and trailing blanks of the parameters are kept", child, "  x  ", quoted + "   x  "},
        {"empty parameters add no space", child, "", quoted},
        {"null parameters add no space", child, nullptr, quoted},
        {"a program already in quotes is used unchanged", quoted, "-x", quoted + " -x"},
        {"text after a quoted program stays", quoted + " -a", "-b", quoted + " -a -b"},
        {"nothing inside the parameters is quoted", child, "\"my clip.avi\" a\\\"b", quoted + " \"my clip.avi\" a\\\"b"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run_program(c.program.c_str(), c.parameters, folder.path().c_str(), RUN_WAIT), 1) << c.rule;
        std::vector<std::string> record = child_record(folder.path());
        ASSERT_EQ(record.size(), 3u) << c.rule;
        EXPECT_EQ(record[0], c.expected) << c.rule;
        EXPECT_EQ(record[1], folder.path()) << "runs in the directory given";
        DeleteFileA(folder.file("child-record.txt").c_str());
    }
}

TEST(LauncherTest, WaitReturnsOnlyWhenTheProgramHasEndedAndKeepsNothingWithoutOpen) {
    ScratchFolder folder("wait");
    intptr_t result = run_program(child.c_str(), "sleep 300 exit 7", folder.path().c_str(), RUN_WAIT | RUN_OPEN);
    ASSERT_NE(result, 0);
    ProcessRecord& record = record_of(result);
    EXPECT_EQ(exit_code_of(record.process), 7u) << "the process has ended when the call returns";
    EXPECT_NE(record.process_id, -1);
    EXPECT_EQ(record.input, nullptr);
    EXPECT_EQ(record.output, nullptr);
    EXPECT_EQ(record.error, nullptr);

    DeleteFileA(folder.file("child-record.txt").c_str());
    EXPECT_EQ(run_program(child.c_str(), "sleep 300", folder.path().c_str(), RUN_WAIT), 1) << "1 without RUN_OPEN";
    EXPECT_TRUE(file_exists(folder.file("child-record.txt"))) << "the child wrote its record before the call returned";
}

TEST(LauncherTest, WithoutWaitTheCallReturnsWhileTheProgramRuns) {
    ScratchFolder folder("no-wait");
    // The child cannot end before its standard input closes.
    ProcessRecord& record = record_of(run_program(child.c_str(), "echo exit 4", folder.path().c_str(), RUN_OPEN | RUN_WRITE));
    EXPECT_EQ(exit_code_of(record.process), STILL_ACTIVE);
    CloseHandle(record.input);
    WaitForSingleObject(record.process, INFINITE);
    EXPECT_EQ(exit_code_of(record.process), 4u);
}

TEST(LauncherTest, ShowStateFollowsTheHideFlag) {
    ScratchFolder folder("show");
    run_program(child.c_str(), "", folder.path().c_str(), RUN_WAIT);
    EXPECT_EQ(child_record(folder.path()).at(2), std::to_string(SW_SHOWNORMAL));
    run_program(child.c_str(), "", folder.path().c_str(), RUN_WAIT | RUN_HIDE);
    EXPECT_EQ(child_record(folder.path()).at(2), std::to_string(SW_HIDE));
}

TEST(LauncherTest, AnEmptyDirectoryMeansTheLaunchersOwn) {
    ScratchFolder folder("inherited");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder.path().c_str());
    EXPECT_EQ(run_program(child.c_str(), "", "", RUN_WAIT), 1);
    EXPECT_EQ(child_record(folder.path()).at(1), folder.path());
    SetCurrentDirectoryA(previous);
}

TEST(LauncherTest, OpenWithThreePipesCarriesDataBothWays) {
    ScratchFolder folder("pipes");
    intptr_t result = run_program(child.c_str(), "error oops echo exit 3", folder.path().c_str(),
                                  RUN_OPEN | RUN_READ | RUN_WRITE | RUN_ERROR);
    ASSERT_NE(result, 0);
    ProcessRecord& record = record_of(result);
    ASSERT_NE(record.input, nullptr);
    ASSERT_NE(record.output, nullptr);
    ASSERT_NE(record.error, nullptr);
    EXPECT_FALSE(inheritable(record.input)) << "the launcher's ends cannot leak into later children";
    EXPECT_FALSE(inheritable(record.output));
    EXPECT_FALSE(inheritable(record.error));

    const std::string text = "first line\r\nsecond \xc0\xc1\xc2 line\n";
    write_all(record.input, text);
    CloseHandle(record.input);
    EXPECT_EQ(read_to_end(record.output), text);
    EXPECT_EQ(read_to_end(record.error), "oops");
    WaitForSingleObject(record.process, INFINITE);
    EXPECT_EQ(exit_code_of(record.process), 3u);
    CloseHandle(record.output);
    CloseHandle(record.error);
}

// Without RUN_OPEN no record is kept, so a pipe made for the call would be an end nobody closes.
TEST(LauncherTest, PipeFlagsWithoutOpenMakeNoPipes) {
    ScratchFolder folder("no-open");
    const int flags = RUN_WAIT | RUN_READ | RUN_WRITE | RUN_ERROR;
    run_program(child.c_str(), "error x", folder.path().c_str(), flags);  // what the first call sets up for good
    const unsigned long handles = test_support::process_kernel_handles();
    EXPECT_EQ(run_program(child.c_str(), "error x", folder.path().c_str(), flags), 1);
    EXPECT_EQ(child_record(folder.path()).size(), 3u);
    EXPECT_EQ(test_support::process_kernel_handles(), handles) << "no pipe end is left open";
}

TEST(LauncherTest, ConnectFeedsOneProgramsOutputIntoAnothersInput) {
    ScratchFolder first_folder("connect-first"), second_folder("connect-second");
    intptr_t first = run_program(child.c_str(), "echo", first_folder.path().c_str(), RUN_OPEN | RUN_WRITE | RUN_READ);
    ASSERT_NE(first, 0);
    intptr_t second = run_program(child.c_str(), "echo", second_folder.path().c_str(),
                                  RUN_OPEN | RUN_READ | RUN_CONNECT, &record_of(first));
    ASSERT_NE(second, 0);
    EXPECT_EQ(record_of(second).input, nullptr) << "the input belongs to the first program's record";
    EXPECT_FALSE(inheritable(record_of(first).output)) << "the first record's end stays non-inheritable";

    write_all(record_of(first).input, "through two programs\n");
    CloseHandle(record_of(first).input);
    EXPECT_EQ(read_to_end(record_of(second).output), "through two programs\n");
    WaitForSingleObject(record_of(second).process, INFINITE);
    WaitForSingleObject(record_of(first).process, INFINITE);
}

TEST(LauncherTest, WhatNeitherWayCanStartReturnsZeroAtOnce) {
    EXPECT_EQ(run_program("no-such-program-anywhere", "", nullptr, RUN_WAIT), 0);
    EXPECT_EQ(run_program("C:\\no\\such\\folder\\tool.exe", "-x", nullptr, RUN_WAIT | RUN_OPEN), 0);
    EXPECT_EQ(run_program(nullptr, nullptr, nullptr, RUN_WAIT), 0);
}

// The test prefix's shell opens folders with a recorder that appends its command line and current
// directory to the file named by FOLDER_OPEN_LOG.
class ShellFallbackTest : public testing::Test {
protected:
    void SetUp() override { SetEnvironmentVariableA("FOLDER_OPEN_LOG", log.c_str()); }
    void TearDown() override { SetEnvironmentVariableA("FOLDER_OPEN_LOG", nullptr); }

    ScratchFolder folder{"shell"};
    ScratchFolder logs{"shell-log"};
    std::string log = logs.file("folder-open.log");
};

TEST_F(ShellFallbackTest, AFolderIsOpenedByTheShellInThatFolder) {
    const std::string target = folder.path() + "\\";
    EXPECT_EQ(run_program(target.c_str(), "", nullptr, RUN_WAIT), 1);
    std::string opened = read_file(log);
    EXPECT_NE(opened.find("\"" + target + "\"\n"), std::string::npos) << "the shell was asked to open the folder: " << opened;
    EXPECT_NE(opened.find("\n" + folder.path() + "\n"), std::string::npos) << "with the folder as directory: " << opened;
}

TEST_F(ShellFallbackTest, OpenThroughTheShellKeepsARecordWithoutPipes) {
    const std::string target = folder.path() + "\\";
    intptr_t result = run_program(target.c_str(), nullptr, nullptr, RUN_WAIT | RUN_OPEN | RUN_HIDE);
    ASSERT_NE(result, 0);
    EXPECT_EQ(record_of(result).process_id, -1);
    EXPECT_EQ(record_of(result).input, nullptr);
    EXPECT_EQ(record_of(result).output, nullptr);
    EXPECT_EQ(record_of(result).error, nullptr);
    EXPECT_TRUE(file_exists(log));
}

TEST_F(ShellFallbackTest, StreamFlagsForbidTheShell) {
    const std::string target = folder.path() + "\\";
    for (int flag : {RUN_READ, RUN_WRITE, RUN_ERROR, RUN_CONNECT}) {
        SetLastError(0);
        EXPECT_EQ(run_program(target.c_str(), "", nullptr, RUN_WAIT | flag), 0) << "flag " << flag;
        EXPECT_NE(GetLastError(), 0u) << "the failing start's error is kept";
    }
    EXPECT_FALSE(file_exists(log)) << "the shell was never asked";
}

// The shell runs in a COM apartment on the calling thread: one of its own on a thread without COM,
// which it ends again, or the thread's own, which it keeps, even a multithreaded one.
TEST_F(ShellFallbackTest, AFolderOpensFromAThreadWithOrWithoutItsOwnComAndItsComIsKept) {
    const std::string target = folder.path() + "\\";
    const struct {
        const char* thread;
        bool multithreaded_com;
        HRESULT com_afterwards;  // of CoInitializeEx(multithreaded) after the call
    } rows[] = {
        {"a fresh worker", false, S_OK},
        {"a worker in the multithreaded apartment", true, S_FALSE},
    };
    for (const auto& row : rows) {
        DeleteFileA(log.c_str());
        intptr_t result = -1;
        HRESULT afterwards = E_FAIL;
        std::thread([&] {
            if (row.multithreaded_com) CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            result = run_program(target.c_str(), "", nullptr, RUN_WAIT);
            afterwards = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            if (SUCCEEDED(afterwards)) CoUninitialize();
            if (row.multithreaded_com) CoUninitialize();
        }).join();
        EXPECT_EQ(result, 1) << row.thread;
        EXPECT_NE(read_file(log).find("\"" + target + "\"\n"), std::string::npos) << row.thread << ": " << read_file(log);
        EXPECT_EQ(afterwards, row.com_afterwards) << row.thread << ": the thread's COM as it was before the call";
    }
}

} // namespace
