// The converter's window in this process, built by its own start-up code, through thousands of
// read-out redraws, badge switches and a run of conversion jobs: GDI and USER objects and kernel
// handles are counted before and after, and the private bytes must settle.
//
// Counting under Wine: GetGuiResources answers 0 there, so GDI objects are then counted as the live
// entries of the process's GDI handle table (the PEB's shared handle table, which Wine keeps per
// process), and USER objects as the windows of this thread and their descendants (the gadgets'
// controls: the only USER objects that these operations could make). GetProcessHandleCount answers
// 0 there too: kernel handles are then counted in the system's handle list. GetProcessMemoryInfo's
// PrivateUsage is 0 there; PagefileUsage is the same figure (the commit charge) and is used.
#include <gtest/gtest.h>

#include "converter.h"
#include "core/threads.h"
#include "graphics/images.h"
#include "gui/gadgets.h"
#include "gui/windows.h"
#include "system/scratch_folder.h"

#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using test_support::read_file;
using test_support::ScratchFolder;

// One entry of the GDI handle table; its type byte is 0 while the entry is free.
struct GdiTableEntry {
    void* object;
    uint16_t process_id;
    uint16_t count;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    void* user_data;
};
constexpr int GDI_TABLE_ENTRIES = 0x10000;
constexpr size_t PEB_GDI_TABLE_OFFSET = sizeof(void*) == 8 ? 0xF8 : 0x94;

DWORD gdi_table_count() {
    PROCESS_BASIC_INFORMATION process{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof process, nullptr) != 0)
        return 0;
    auto* peb = reinterpret_cast<const uint8_t*>(process.PebBaseAddress);
    auto* table = *reinterpret_cast<const GdiTableEntry* const*>(peb + PEB_GDI_TABLE_OFFSET);
    DWORD live = 0;
    for (int i = 0; table && i < GDI_TABLE_ENTRIES; ++i) live += table[i].type != 0;
    return live;
}

BOOL CALLBACK count_child(HWND, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    return TRUE;
}

BOOL CALLBACK count_window(HWND window, LPARAM count) {
    ++*reinterpret_cast<DWORD*>(count);
    EnumChildWindows(window, count_child, count);
    return TRUE;
}

DWORD thread_window_count() {
    DWORD count = 0;
    EnumThreadWindows(GetCurrentThreadId(), count_window, reinterpret_cast<LPARAM>(&count));
    return count;
}

// The system's handle list, as NtQuerySystemInformation gives it.
struct SystemHandle {
    ULONG process_id;
    UCHAR type;
    UCHAR flags;
    USHORT handle;
    void* object;
    ACCESS_MASK access;
};
struct SystemHandles {
    ULONG count;
    SystemHandle handles[1];
};
constexpr auto SYSTEM_HANDLE_INFORMATION = static_cast<SYSTEM_INFORMATION_CLASS>(16);

DWORD system_handle_count() {
    std::vector<char> list(1 << 20);
    ULONG needed = 0;
    while (NtQuerySystemInformation(SYSTEM_HANDLE_INFORMATION, list.data(), static_cast<ULONG>(list.size()), &needed) != 0) {
        if (list.size() >= (1u << 28)) return 0;
        list.resize(list.size() * 2);
    }
    const auto* system = reinterpret_cast<const SystemHandles*>(list.data());
    DWORD count = 0;
    for (ULONG i = 0; i < system->count; ++i) count += system->handles[i].process_id == GetCurrentProcessId();
    return count;
}

struct Objects {
    DWORD gdi, user, handles;
    bool operator==(const Objects& other) const { return gdi == other.gdi && user == other.user && handles == other.handles; }
};

std::ostream& operator<<(std::ostream& out, const Objects& objects) {
    return out << objects.gdi << " GDI, " << objects.user << " USER, " << objects.handles << " kernel handles";
}

Objects objects_now() {
    HANDLE self = GetCurrentProcess();
    DWORD gdi = GetGuiResources(self, GR_GDIOBJECTS), user = GetGuiResources(self, GR_USEROBJECTS), handles = 0;
    GetProcessHandleCount(self, &handles);
    return {gdi ? gdi : gdi_table_count(), user ? user : thread_window_count(), handles ? handles : system_handle_count()};
}

SIZE_T private_bytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

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
// heap block's 32 bytes with its header), from 263 bytes per badge switch (1,000), from 18 KiB per
// job (15). Objects are counted exactly: one kept object fails.
constexpr SIZE_T SETTLING_ALLOWANCE = 256 * 1024;

template <class Work>
void expect_steady(const char* what, int warm_up_rounds, int rounds, int per_round, Work work) {
    auto run_round = [&] {
        for (int i = 0; i < per_round; ++i) work(i);
        take_events();
    };
    for (int round = 0; round < warm_up_rounds; ++round) run_round();
    Objects objects_before = objects_now();
    SIZE_T bytes_before = private_bytes();
    std::printf("%s: %lu GDI, %lu USER, %lu handles, %zu private bytes after warm-up\n", what, objects_before.gdi,
                objects_before.user, objects_before.handles, static_cast<size_t>(bytes_before));
    for (int round = 0; round < rounds; ++round) {
        run_round();
        std::printf("  round %d: %zu private bytes\n", round + 1, static_cast<size_t>(private_bytes()));
    }
    EXPECT_EQ(objects_now(), objects_before) << what << ": every object made was given back";
    SIZE_T bytes_after = private_bytes();
    EXPECT_LE(bytes_after, bytes_before + SETTLING_ALLOWANCE) << what << ": private bytes settled";
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

// Jobs on worker threads as the start button starts them, with the stand-in tool in the current
// directory; the main thread handles the controls' messages until each worker has ended.
TEST_F(ConverterLeakTest, ConversionJobs) {
    ScratchFolder folder("leak-jobs");
    ASSERT_TRUE(CopyFileA(("Z:" + std::string(STAND_IN_TOOL)).c_str(), folder.file("FFmpeg.exe").c_str(), FALSE));
    SetEnvironmentVariableA("STAND_IN_LOG", folder.file("tool.log").c_str());
    SetEnvironmentVariableA("FOLDER_OPEN_LOG", folder.file("folders.log").c_str());
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
    int jobs = 0;
    expect_steady("conversion jobs", 1, 3, 5, [&](int) {
        int number = rt::create_thread(converter::conversion_job, 0);
        HANDLE worker = rt::thread_handle_if_running(number);
        while (worker && MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) take_events();
        ++jobs;
    });
    SetCurrentDirectoryA(previous);
    std::string log = read_file(folder.file("tool.log"));
    EXPECT_EQ(static_cast<int>(std::count(log.begin(), log.end(), '\n')), 2 * jobs) << "every job ran the tool";
}

} // namespace
