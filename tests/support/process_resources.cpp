// Windows answers with GetGuiResources, GetProcessHandleCount and GetProcessMemoryInfo. Wine (8.0)
// answers the first two with 0 and leaves PrivateUsage 0; there the objects are counted in its
// handle tables, and the private bytes are the committed private regions that VirtualQuery walks:
// - GDI: Wine keeps its GDI handle table where Windows kept it, at GdiSharedHandleTable of the
//   process environment block: 65536 entries of 24 bytes (in both word sizes), live when their
//   type byte is not 0. Only this process's objects are in it.
// - USER: a user handle is (index * 2 + 0x20) with a generation in its high word, and a handle
//   with a high word of 0 stands for any generation. Every index is asked whether it is a window
//   of this process, a menu, an accelerator table or an icon (cursors are icons); the windows of
//   other processes make that about 32,000 round trips to the server.
// - Kernel handles: the entries of this process in the system's handle list.
#include "process_resources.h"

#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace test_support {

namespace {

struct GdiHandleEntry {
    uint64_t object;
    uint32_t owner;
    uint16_t unique;
    uint8_t type;
    uint8_t flags;
    uint64_t user_data;
};
static_assert(sizeof(GdiHandleEntry) == 24, "Wine's GDI handle entry is 24 bytes");

unsigned long gdi_objects_in_table() {
    constexpr size_t GDI_TABLE_IN_PEB = sizeof(void*) == 8 ? 0xF8 : 0x94;
    PROCESS_BASIC_INFORMATION process{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof process, nullptr) != 0)
        return 0;
    const auto* peb = reinterpret_cast<const uint8_t*>(process.PebBaseAddress);
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + GDI_TABLE_IN_PEB);
    unsigned long live = 0;
    for (int i = 0; table && i < 0x10000; ++i) live += table[i].type != 0;
    return live;
}

bool is_user_object(HANDLE handle) {
    DWORD process = 0;
    ICONINFO icon;
    if (GetWindowThreadProcessId(static_cast<HWND>(handle), &process)) return process == GetCurrentProcessId();
    if (IsMenu(static_cast<HMENU>(handle)) || CopyAcceleratorTableA(static_cast<HACCEL>(handle), nullptr, 0) > 0) return true;
    if (!GetIconInfo(static_cast<HICON>(handle), &icon)) return false;
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
    return true;
}

unsigned long user_objects_in_table() {
    unsigned long live = 0;
    for (UINT handle = 0x20; handle <= 0xFFEF; handle += 2)
        live += is_user_object(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)));
    return live;
}

uint64_t private_bytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    if (counters.PrivateUsage) return counters.PrivateUsage;
    uint64_t committed = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) committed += region.RegionSize;
        const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
        if (next <= at) break;  // the top of the address space
        at = next;
    }
    return committed;
}

// One entry of the system's handle list, as NtQuerySystemInformation gives it.
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

unsigned long handles_in_system_list() {
    constexpr auto SYSTEM_HANDLE_INFORMATION = static_cast<SYSTEM_INFORMATION_CLASS>(16);
    std::vector<char> list(1 << 20);
    ULONG needed = 0;
    while (NtQuerySystemInformation(SYSTEM_HANDLE_INFORMATION, list.data(), static_cast<ULONG>(list.size()), &needed) != 0) {
        if (list.size() >= (1u << 28)) return 0;
        list.resize(list.size() * 2);
    }
    const auto* system = reinterpret_cast<const SystemHandles*>(list.data());
    unsigned long own = 0;
    for (ULONG i = 0; i < system->count; ++i) own += system->handles[i].process_id == GetCurrentProcessId();
    return own;
}

} // namespace

unsigned long process_kernel_handles() {
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    return handles ? handles : handles_in_system_list();
}

ProcessResources count_process_resources() {
    HANDLE self = GetCurrentProcess();
    ProcessResources counts{GetGuiResources(self, GR_GDIOBJECTS), GetGuiResources(self, GR_USEROBJECTS), 0, 0};
    if (!counts.user_objects) counts.user_objects = user_objects_in_table();  // before GDI: it makes bitmaps
    if (!counts.gdi_objects) counts.gdi_objects = gdi_objects_in_table();
    counts.kernel_handles = process_kernel_handles();
    counts.private_bytes = private_bytes();
    return counts;
}

} // namespace test_support
