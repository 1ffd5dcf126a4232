// Windows answers through GetGuiResources, GetProcessHandleCount and GetProcessMemoryInfo; Wine (8.0) answers 0 to
// all three, so there the objects are counted in its tables, the private bytes in the committed private regions:
// - GDI: the PEB's GdiSharedHandleTable, 65536 entries of 24 bytes (both word sizes), live when byte 14 (type) is not 0.
// - USER: handle = index * 2 + 0x20 (high word 0: any generation), live if a window of ours, a menu, accelerators or an icon.
// - Kernel handles: the entries of this process in the system's handle list.
#include "process_resources.h"

#include <windows.h>

#include <psapi.h>
#include <winternl.h>

#include <vector>

namespace test_support {
namespace {

unsigned long gdi_objects_in_table() {
    PROCESS_BASIC_INFORMATION process{};
    if (NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &process, sizeof process, nullptr) != 0) return 0;
    const auto* peb = reinterpret_cast<const uint8_t*>(process.PebBaseAddress);
    const auto* table = *reinterpret_cast<const uint8_t* const*>(peb + (sizeof(void*) == 8 ? 0xF8 : 0x94));
    unsigned long live = 0;
    for (size_t i = 0; table && i < 0x10000; ++i) live += table[i * 24 + 14] != 0;
    return live;
}

bool is_user_object(HANDLE handle) {
    DWORD process = 0;
    ICONINFO icon;
    if (GetWindowThreadProcessId(static_cast<HWND>(handle), &process)) return process == GetCurrentProcessId();
    if (IsMenu(static_cast<HMENU>(handle)) || CopyAcceleratorTableA(static_cast<HACCEL>(handle), nullptr, 0) > 0) return true;
    if (!GetIconInfo(static_cast<HICON>(handle), &icon)) return false;
    for (HBITMAP bitmap : {icon.hbmColor, icon.hbmMask}) DeleteObject(bitmap);
    return true;
}

unsigned long user_objects_in_table() {
    unsigned long live = 0;
    for (UINT_PTR handle = 0x20; handle <= 0xFFEF; handle += 2) live += is_user_object(reinterpret_cast<HANDLE>(handle));
    return live;
}

uint64_t private_bytes() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
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

struct SystemHandle {  // an entry of the system's handle list (information class 16)
    ULONG process_id;
    UCHAR type, flags;
    USHORT handle;
    void* object;
    ACCESS_MASK access;
};

unsigned long handles_in_system_list() {
    std::vector<char> list(1 << 20);
    while (NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16), list.data(), static_cast<ULONG>(list.size()),
                                    nullptr) != 0) {
        if (list.size() >= (1u << 28)) return 0;
        list.resize(list.size() * 2);
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(list.data());
    const auto* handles = reinterpret_cast<const SystemHandle*>(list.data() + sizeof(void*));
    unsigned long own = 0;
    for (ULONG i = 0; i < count; ++i) own += handles[i].process_id == GetCurrentProcessId();
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
