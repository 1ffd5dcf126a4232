// The converter's window in this process, built by its own start-up code: through thousands of
// read-out redraws, badge switches and a run of conversion jobs, GDI and USER objects and kernel
// handles are counted before and after, and the private bytes must settle; and what a job sends
// to its busy bar.
#include <gtest/gtest.h>

#include "converter.h"
#include "core/threads.h"
#include "graphics/images.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "support/process_resources.h"
#include "system/scratch_folder.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using test_support::count_process_resources;
using test_support::process_private_bytes;
using test_support::ProcessResources;
using test_support::read_file;
using test_support::ScratchFolder;

// Handles what the window's controls need meanwhile, as the event loop would.
void take_events() {
    while (rt::next_window_event(0)) {
    }
}

// Private bytes grow while the heaps reach their working size and then grow no more, unless
// something leaks; so a first round of the work only warms up, and over the measured rounds after
// it the private bytes may grow by at most this fixed allowance for the heaps' last settling (a
// heap commits memory in steps of pages, not block by block). A leak shows once it exceeds the
// allowance over the measured rounds: from 27 bytes per redraw (10,000 of them, beyond the smallest
// heap block's 32 bytes with its header), from 263 bytes per badge switch (1,000), from 32 KiB per
// job (8 measured of 10). Objects are counted exactly: one kept object fails.
constexpr uint64_t SETTLING_ALLOWANCE = 256 * 1024;

template <class Work>
void expect_steady(const char* what, int warm_up_rounds, int rounds, int per_round, Work work) {
    auto run_round = [&] {
        for (int i = 0; i < per_round; ++i) work(i);
        take_events();
    };
    for (int round = 0; round < warm_up_rounds; ++round) run_round();
    const ProcessResources before = count_process_resources();
    std::printf("%s: %lu GDI, %lu USER, %lu handles, %" PRIu64 " private bytes after warm-up\n", what,
                before.gdi_objects, before.user_objects, before.kernel_handles, before.private_bytes);
    for (int round = 0; round < rounds; ++round) {
        run_round();
        std::printf("  round %d: %" PRIu64 " private bytes\n", round + 1, process_private_bytes());
    }
    const ProcessResources after = count_process_resources();
    EXPECT_EQ(after.gdi_objects, before.gdi_objects) << what << ": every GDI object made was given back";
    EXPECT_EQ(after.user_objects, before.user_objects) << what << ": every USER object made was given back";
    EXPECT_EQ(after.kernel_handles, before.kernel_handles) << what << ": every kernel handle opened was closed";
    EXPECT_LE(after.private_bytes, before.private_bytes + SETTLING_ALLOWANCE) << what << ": private bytes settled";
}

class ConverterLeakTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(converter::build_main_window()) << "the converter's window opens in this process";
        rt::hide_window(converter::MAIN_WINDOW, 0);
        take_events();
    }
};

TEST_F(ConverterLeakTest, TenThousandReadOutRedraws) {
    expect_steady("read-out redraws", 1, 4, 2500, [](int i) { converter::draw_elapsed_time(i); });
}

TEST_F(ConverterLeakTest, AThousandBadgeSwitches) {
    const intptr_t badges[] = {converter::FLV_BADGE, converter::AVI_BADGE, converter::SWF_BADGE, converter::MPG_BADGE};
    expect_steady("badge switches", 1, 4, 250, [&](int i) {
        rt::set_gadget_state(converter::FORMAT_BADGE, reinterpret_cast<intptr_t>(rt::image_handle(badges[i % 4])));
    });
}

// A scratch folder as the current directory, with the stand-in tool in it, for jobs to run in.
class JobFolder {
public:
    JobFolder() : folder_("leak-jobs") {
        CopyFileA(("Z:" + std::string(STAND_IN_TOOL)).c_str(), folder_.file("FFmpeg.exe").c_str(), FALSE);
        SetEnvironmentVariableA("STAND_IN_LOG", tool_log().c_str());
        SetEnvironmentVariableA("FOLDER_OPEN_LOG", folder_.file("folders.log").c_str());
        GetCurrentDirectoryA(MAX_PATH, previous_);
        SetCurrentDirectoryA(folder_.path().c_str());
    }
    ~JobFolder() { SetCurrentDirectoryA(previous_); }
    JobFolder(const JobFolder&) = delete;
    JobFolder& operator=(const JobFolder&) = delete;
    std::string tool_log() const { return folder_.file("tool.log"); }

private:
    ScratchFolder folder_;
    char previous_[MAX_PATH] = "";
};

// A job on a worker thread as the start button starts it; the main thread handles the controls'
// messages until the worker has ended.
void run_job() {
    HANDLE worker = rt::thread_handle_if_running(converter::start_conversion_job());
    while (worker && MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) take_events();
}

TEST_F(ConverterLeakTest, ConversionJobs) {
    JobFolder folder;
    int jobs = 0;
    expect_steady("conversion jobs", 1, 4, 2, [&](int) {
        run_job();
        ++jobs;
    });
    std::string log = read_file(folder.tool_log());
    EXPECT_EQ(static_cast<int>(std::count(log.begin(), log.end(), '\n')), 2 * jobs) << "every job ran the tool";
}

// The marquee switches seen by the busy bar, in order: its animation is started and stopped.
std::vector<WPARAM> marquee_switches;
WNDPROC busy_bar_procedure = nullptr;

LRESULT CALLBACK note_marquee_switch(HWND bar, UINT message, WPARAM on, LPARAM interval) {
    if (message == PBM_SETMARQUEE) marquee_switches.push_back(on);
    return CallWindowProcA(busy_bar_procedure, bar, message, on, interval);
}

TEST_F(ConverterLeakTest, AJobSwitchesTheBusyBarsMarqueeOnAndOff) {
    JobFolder folder;
    HWND bar = rt::gadget_handle(converter::BUSY_BAR);
    busy_bar_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(note_marquee_switch)));
    run_job();
    SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(busy_bar_procedure));
    EXPECT_EQ(marquee_switches, (std::vector<WPARAM>{1, 0}));
}

} // namespace
