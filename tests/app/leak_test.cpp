// The converter's window in this process, built by its own start-up code: what its redraws, badge
// switches and jobs leave behind, and what a job takes from the settings and does to the busy bar.
#include <gtest/gtest.h>

#include "converter.h"
#include "core/strings.h"
#include "core/threads.h"
#include "graphics/images.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "support/process_resources.h"
#include "support/scratch_folder.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

void take_events() { while (rt::next_window_event(0)) {} }

// Waits for a job's worker thread to end while this thread answers the controls' messages.
void finish(int job) {
    HANDLE worker = rt::thread_handle_if_running(job);
    while (worker && MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) take_events();
}

// The jobs' current directory while it lives: a scratch folder with the stand-in tool in it.
class JobFolder : public test_support::ScratchFolder {
public:
    JobFolder() : ScratchFolder("leak-jobs") {
        CopyFileA(STAND_IN_TOOL, file("FFmpeg.exe").c_str(), FALSE);
        SetEnvironmentVariableA("STAND_IN_LOG", file("tool.log").c_str());
        SetEnvironmentVariableA("FOLDER_OPEN_LOG", file("folders.log").c_str());
        GetCurrentDirectoryA(MAX_PATH, previous_);
        SetCurrentDirectoryA(path().c_str());
    }
    ~JobFolder() { SetCurrentDirectoryA(previous_); }
    std::string tool_log() const { return test_support::read_file(file("tool.log")); }

private:
    char previous_[MAX_PATH] = "";
};

class ConverterLeakTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(converter::build_main_window());
        take_events();
    }
};

// After a warm-up round (heaps at working size), four more rounds of each work give back every object and handle, and the
// private bytes grow by at most a heap's settling (pages): leaks show from 27 B a redraw, 263 B a badge switch, 32 KiB a job.
TEST_F(ConverterLeakTest, RedrawsBadgeSwitchesAndJobsGiveBackWhatTheyTake) {
    const intptr_t badges[] = {converter::FLV_BADGE, converter::AVI_BADGE, converter::SWF_BADGE, converter::MPG_BADGE};
    JobFolder folder;
    const struct { const char* what; int per_round; std::function<void(int)> work; } works[] = {
        {"read-out redraws", 2500, [](int i) { converter::draw_elapsed_time(i); }},
        {"badge switches", 250, [&](int i) {
             rt::set_gadget_state(converter::FORMAT_BADGE, reinterpret_cast<intptr_t>(rt::image_handle(badges[i % 4])));
         }},
        {"conversion jobs", 2, [](int) { finish(converter::start_conversion_job()); }},
    };
    for (const auto& work : works) {
        test_support::ProcessResources before{};
        for (int round = 0; round < 5; ++round) {
            if (round == 1) before = test_support::count_process_resources();
            for (int i = 0; i < work.per_round; ++i) work.work(i);
            take_events();
        }
        const test_support::ProcessResources after = test_support::count_process_resources();
        EXPECT_EQ(after.gdi_objects, before.gdi_objects) << work.what << ": GDI objects";
        EXPECT_EQ(after.user_objects, before.user_objects) << work.what << ": USER objects";
        EXPECT_EQ(after.kernel_handles, before.kernel_handles) << work.what << ": kernel handles";
        EXPECT_LE(after.private_bytes, before.private_bytes + 256 * 1024) << work.what << ": private bytes";
    }
    const std::string log = folder.tool_log();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2 * 10) << "each of the ten jobs ran the tool";
}

std::vector<WPARAM> marquee_switches;
WNDPROC busy_bar_procedure = nullptr;

LRESULT CALLBACK note_marquee_switch(HWND bar, UINT message, WPARAM on, LPARAM interval) {
    if (message == PBM_SETMARQUEE) marquee_switches.push_back(on);
    return CallWindowProcA(busy_bar_procedure, bar, message, on, interval);
}

// The format may be chosen anew (the old setting freed) while a job starts; the busy bar's marquee runs with the job.
TEST_F(ConverterLeakTest, AJobRunsWithTheFormatChosenWhenItStartedAndSwitchesTheBusyBarsMarqueeOnAndOff) {
    JobFolder folder;
    HWND bar = rt::gadget_handle(converter::BUSY_BAR);
    busy_bar_procedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(note_marquee_switch)));
    rt::assign_string(&converter::state.output_extension, "mpg");
    const int job = converter::start_conversion_job();
    rt::assign_string(&converter::state.output_extension, "swf");
    finish(job);
    SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(busy_bar_procedure));
    EXPECT_EQ(marquee_switches, (std::vector<WPARAM>{1, 0}));
    EXPECT_EQ(folder.tool_log(), "\"FFmpeg\" -i  -y  -sameq  .mpg\n" + folder.path() + "\n");
}

} // namespace
