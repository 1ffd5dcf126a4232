// The file requester and the list of windows it keeps disabled while its dialog is open.
//
// Invariant: a window is on the disabled-window list exactly while the thread that disabled it
// has not enabled it again; each thread enables only its own entries.
#include "system/file_requester.h"

#include "core/memory.h"
#include "core/objects.h"
#include "core/platform.h"
#include "core/strings.h"
#include "system/file_names.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>

#include <algorithm>
#include <cstring>

namespace rt {

namespace {

constexpr int SINGLE_CHOICE_BYTES = MAX_PATH;
constexpr int MULTIPLE_CHOICE_BYTES = 512000;
constexpr DWORD REQUESTER_FLAGS = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;

struct DisabledWindow {
    DWORD thread;
    HWND window;
};

ListLink* disabled_windows;
Lock disabled_windows_lock;  // requesters of several threads share the list

// A zero-filled main-heap block that lives as long as the scope: a size of its own, or a copy of
// a text with two zero bytes behind it. Holds null when the heap could not supply it, or when
// there was no text to copy.
class HeapText {
public:
    explicit HeapText(std::size_t size) : text_(static_cast<char*>(main_try_allocate(size))) {}
    explicit HeapText(const char* text) : text_(text ? copy(text) : nullptr) {}
    ~HeapText() { main_free(text_); }
    HeapText(const HeapText&) = delete;
    HeapText& operator=(const HeapText&) = delete;

    char* get() const { return text_; }

private:
    static char* copy(const char* text) {
        std::size_t length = std::strlen(text);
        auto* block = static_cast<char*>(main_try_allocate(length + 2));
        if (block) std::memcpy(block, text, length);
        return block;
    }

    char* text_;
};

void write_empty_result(int at) { *reserve_in_buffer(0, at) = 0; }

// "label|pattern|label|pattern" becomes the dialog's list of zero-terminated strings.
void make_filter_list(char* pattern_copy) {
    for (char* bar = pattern_copy; (bar = std::strchr(bar, '|'));) *bar++ = 0;
}

// Splits the default file (a private copy) at its last backslash, not counting one in the first
// position: the part before it is the starting folder (returned; null without a backslash), the
// part behind it is proposed in the file buffer when it is a plain file name that fits there.
const char* split_default_file(char* copy, char* file_buffer, int buffer_bytes) {
    char* separator = *copy ? std::strrchr(copy + 1, '\\') : nullptr;
    const char* name = separator ? separator + 1 : copy;
    if (is_valid_file_name(name) && std::strlen(name) < static_cast<std::size_t>(buffer_bytes))
        std::strcpy(file_buffer, name);
    if (!separator) return nullptr;
    *separator = 0;
    return copy;
}

// The window in front, when it is one of this process's; the dialog is owned by it.
HWND application_foreground_window() {
    HWND window = GetForegroundWindow();
    DWORD process = 0;
    if (window) GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId() ? window : nullptr;
}

// The dialog's answer at the result position: the chosen path, or, when several files were
// chosen (the folder, then the names, each ended by a zero byte), the folder with a final
// backslash and the first name. The reservation is 260 bytes, more when the answer needs it.
void write_choice(const char* files, bool several_allowed, int at) {
    std::size_t folder_length = std::strlen(files);
    const char* first_name = files + folder_length + 1;
    bool several = several_allowed && *first_name;
    bool add_backslash = several && (folder_length == 0 || files[folder_length - 1] != '\\');
    std::size_t name_length = several ? std::strlen(first_name) : 0;
    std::size_t length = folder_length + (add_backslash ? 1 : 0) + name_length;
    int reserved = static_cast<int>(std::max<std::size_t>(MAX_PATH, length + 1));

    char* result = reserve_in_buffer(reserved, at);
    char* end = std::copy_n(files, folder_length, result);
    if (add_backslash) *end++ = '\\';
    end = std::copy_n(first_name, name_length, end);
    *end = 0;
    unreserve_in_buffer(reserved - static_cast<int>(length));
}

BOOL CALLBACK disable_unless_foreground(HWND window, LPARAM foreground) {
    if (window == reinterpret_cast<HWND>(foreground) || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return TRUE;
    EnableWindow(window, FALSE);
    LockGuard guard(disabled_windows_lock);
    auto* entry = add_entry<DisabledWindow>(&disabled_windows);
    entry->thread = GetCurrentThreadId();
    entry->window = window;
    return TRUE;
}

// Takes this thread's newest entry off the list; null when it has none left.
HWND take_disabled_window(DWORD thread) {
    LockGuard guard(disabled_windows_lock);
    for (ListLink* link = disabled_windows; link; link = link->next) {
        auto* entry = static_cast<DisabledWindow*>(list_record(link));
        if (entry->thread != thread) continue;
        HWND window = entry->window;
        remove_list_entry(&disabled_windows, entry);
        return window;
    }
    return nullptr;
}

} // namespace

void init_file_requester() {
    InitCommonControls();
    CoInitialize(nullptr);
}

void open_file_requester(const char* title, const char* default_file, const char* pattern, int pattern_position,
                         int result_position) {
    open_file_requester(title, default_file, pattern, pattern_position, 0, 0, result_position);
}

void open_file_requester(const char* title, const char* default_file, const char* pattern, int pattern_position,
                         int mode, int save, int result_position) {
    bool several_allowed = mode & REQUESTER_MULTIPLE;
    int buffer_bytes = several_allowed ? MULTIPLE_CHOICE_BYTES : SINGLE_CHOICE_BYTES;
    // Two zero bytes past what the dialog may fill keep the end of its answer readable.
    HeapText files(static_cast<std::size_t>(buffer_bytes) + 2);
    HeapText filter(pattern ? pattern : "");
    // The dialog reads its own copies: the caller's texts may lie in the string buffer, which the
    // window procedures that run while the dialog is open can move.
    HeapText title_copy(title);
    HeapText default_copy(default_file);
    if (!files.get() || !filter.get() || (title && !title_copy.get()) || (default_file && !default_copy.get())) {
        write_empty_result(result_position);
        return;
    }
    make_filter_list(filter.get());

    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = application_foreground_window();
    dialog.lpstrFilter = filter.get();
    dialog.nFilterIndex = static_cast<DWORD>(pattern_position) + 1;
    dialog.lpstrFile = files.get();
    dialog.nMaxFile = static_cast<DWORD>(buffer_bytes);
    if (default_copy.get()) dialog.lpstrInitialDir = split_default_file(default_copy.get(), files.get(), buffer_bytes);
    dialog.lpstrTitle = title_copy.get();
    dialog.Flags = REQUESTER_FLAGS | (several_allowed ? OFN_ALLOWMULTISELECT : 0);

    disable_other_windows();
    BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    enable_other_windows();
    if (chosen) write_choice(files.get(), several_allowed, result_position);
    else write_empty_result(result_position);
}

void disable_other_windows() {
    EnumThreadWindows(GetCurrentThreadId(), disable_unless_foreground, reinterpret_cast<LPARAM>(GetForegroundWindow()));
}

void enable_other_windows() {
    while (HWND window = take_disabled_window(GetCurrentThreadId())) EnableWindow(window, TRUE);
}

} // namespace rt
