// What the converter holds after start-up, and after long use: GDI and USER objects and private
// bytes after 10,000 redraws of the read-out, 1,000 switches of the format badge and 100
// conversion jobs, all in this process on the converter's own window, each job run as the start
// button runs it (a worker thread) with the stand-in tool as FFmpeg.exe in the current directory.
// The jobs are also compared with the state after the first ten, which pay what a process pays
// once for starting programs and opening folders (under Wine its private bytes grow by about 3 MB
// over the first jobs, then stay: 300 jobs end where 75 did).
#include "report.h"
#include "self_timing.h"
#include "windows_path.h"

#include "converter.h"
#include "runtime.h"
#include "core/threads.h"
#include "graphics/images.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "support/process_resources.h"
#include "support/scratch_folder.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using test_support::ProcessResources;

// Handles events as the converter's loop does (timer 2 redraws the read-out) for at most
// `seconds`, ending early when `until` says so.
template <typename Until>
void run_events(double seconds, Until until) {
    const double end = bench::seconds_now() + seconds;
    while (bench::seconds_now() < end && !until()) {
        if (rt::next_window_event(20) == rt::EV_TIMER && rt::event_timer() == converter::ELAPSED_TIMER)
            converter::draw_elapsed_time(++converter::state.elapsed_seconds);
    }
}

void settle() {
    run_events(0.3, [] { return false; });
}

void redraw_read_out(int times) {
    for (int i = 0; i < times; ++i) {
        converter::draw_elapsed_time(i);
        while (rt::next_window_event(0)) {
        }
    }
}

void switch_badges(int times) {
    const intptr_t badges[] = {converter::AVI_BADGE, converter::SWF_BADGE, converter::MPG_BADGE, converter::FLV_BADGE};
    for (int i = 0; i < times; ++i) {
        rt::set_gadget_state(converter::FORMAT_BADGE, reinterpret_cast<intptr_t>(rt::image_handle(badges[i % 4])));
        while (rt::next_window_event(0)) {
        }
    }
}

// False when a job did not end within its time: the tool or the folder opener is missing.
bool run_jobs(int times) {
    for (int i = 0; i < times; ++i) {
        const int job = converter::start_conversion_job();
        run_events(30, [job] { return rt::thread_handle_if_running(job) == nullptr; });
        if (rt::thread_handle_if_running(job)) return false;
    }
    return true;
}

struct Snapshot {
    const char* after;
    ProcessResources counts;
};

std::vector<bench::Figure> growth_of(const Snapshot& start, const Snapshot& later) {
    const std::string baseline = std::string("after ") + start.after;
    const std::string when = std::string(" after ") + later.after;
    auto figure = [&](const std::string& name, double value, double start_value) {
        return bench::Figure{name + when, value, baseline, start_value, "no growth", bench::goal_met(value <= start_value)};
    };
    return {
        figure("GDI objects", later.counts.gdi_objects, start.counts.gdi_objects),
        figure("USER objects", later.counts.user_objects, start.counts.user_objects),
        figure("private KB", static_cast<double>(later.counts.private_bytes / 1024),
               static_cast<double>(start.counts.private_bytes / 1024)),
    };
}

// The stand-in tool as FFmpeg.exe in a scratch folder that becomes the current directory, and
// its records and the folder opener's there too.
void prepare_folder(const test_support::ScratchFolder& folder) {
    SetCurrentDirectoryA(folder.path().c_str());
    CopyFileA(bench::windows_path(STAND_IN_TOOL).c_str(), folder.file("FFmpeg.exe").c_str(), FALSE);
    SetEnvironmentVariableA("STAND_IN_LOG", folder.file("tool.log").c_str());
    SetEnvironmentVariableA("STAND_IN_SECONDS", "0");
    SetEnvironmentVariableA("FOLDER_OPEN_LOG", folder.file("folder-open.log").c_str());
}

} // namespace

int main() {
    rt::start_runtime();
    test_support::ScratchFolder folder("resources-bench");
    prepare_folder(folder);
    if (!converter::build_main_window()) {
        std::printf("the converter's window did not open\n");
        rt::end_runtime();
    }
    settle();
    std::vector<Snapshot> snapshots{{"start-up", test_support::count_process_resources()}};
    redraw_read_out(10000);
    settle();
    snapshots.push_back({"10,000 read-out redraws", test_support::count_process_resources()});
    switch_badges(1000);
    settle();
    snapshots.push_back({"1,000 badge switches", test_support::count_process_resources()});
    bool jobs_ended = run_jobs(10);
    settle();
    const Snapshot first_jobs{"the first 10 jobs", test_support::count_process_resources()};
    jobs_ended = jobs_ended && run_jobs(90);
    settle();
    snapshots.push_back({"100 jobs", test_support::count_process_resources()});

    std::vector<bench::Figure> figures;
    auto add = [&](std::vector<bench::Figure> growth) { figures.insert(figures.end(), growth.begin(), growth.end()); };
    for (size_t i = 1; i < snapshots.size(); ++i) add(growth_of(snapshots[0], snapshots[i]));
    add(growth_of(first_jobs, snapshots.back()));
    bench::print_table("Resources of the converter's process, Wine (win64)", figures);
    if (!jobs_ended) std::printf("\nA job did not end within 30 s: is the folder opener in the Wine prefix?\n");
    std::fflush(stdout);
    rt::end_runtime();
}
