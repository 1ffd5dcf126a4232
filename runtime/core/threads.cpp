// The thread list: one entry per started thread whose handle is still open, newest first.
//
// Invariant: a listed handle is open; it is closed exactly once, when its entry is removed (at the
// next start after its thread ended, or at shutdown). Numbers come from a counter that only grows.
#include "core/threads.h"

#include "core/memory.h"
#include "core/objects.h"
#include "core/platform.h"
#include "core/strings.h"

#include <new>

namespace rt {

namespace {

struct ThreadEntry {
    HANDLE handle;
    int number;
};

// What the new thread needs to call the procedure. It lives on the process heap, not on the main
// heap, so that a thread that starts during shutdown never reads a destroyed heap.
struct ThreadStart {
    ThreadProcedure procedure;
    intptr_t argument;
};

constexpr SIZE_T THREAD_STACK_BYTES = 4096;

Lock* thread_lock;  // guards the list and the counter
ListLink* thread_list;
int thread_counter;

DWORD WINAPI run_thread(void* parameter) {
    ThreadStart start = *static_cast<ThreadStart*>(parameter);
    HeapFree(GetProcessHeap(), 0, parameter);
    int result = start.procedure(start.argument);
    release_string_buffer();
    return static_cast<DWORD>(result);
}

bool has_ended(HANDLE thread) { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }

void close_entry(ThreadEntry* entry) {
    CloseHandle(entry->handle);
    remove_list_entry(&thread_list, entry);
}

void prune_ended_threads() {
    for (ListLink* link = thread_list; link;) {
        auto* entry = static_cast<ThreadEntry*>(list_record(link));
        link = link->next;
        if (has_ended(entry->handle)) close_entry(entry);
    }
}

ThreadEntry* listed_thread(int number) {
    for (ListLink* link = thread_list; link; link = link->next) {
        auto* entry = static_cast<ThreadEntry*>(list_record(link));
        if (entry->number == number) return entry;
    }
    return nullptr;
}

} // namespace

void init_threads() {
    thread_lock = new (main_allocate(sizeof(Lock))) Lock;
    thread_counter = 1;
}

int create_thread(ThreadProcedure procedure, intptr_t argument) {
    if (!procedure) return 0;
    auto* start = static_cast<ThreadStart*>(HeapAlloc(GetProcessHeap(), 0, sizeof(ThreadStart)));
    if (!start) stop_out_of_memory();
    *start = {procedure, argument};
    HANDLE thread = CreateThread(nullptr, THREAD_STACK_BYTES, run_thread, start, 0, nullptr);
    if (!thread) {
        HeapFree(GetProcessHeap(), 0, start);
        return 0;
    }
    LockGuard guard(*thread_lock);
    prune_ended_threads();  // the new thread is listed after this, so its handle stays open
    auto* entry = add_entry<ThreadEntry>(&thread_list);
    entry->handle = thread;
    entry->number = thread_counter++;
    return entry->number;
}

HANDLE thread_handle_if_running(int number) {
    LockGuard guard(*thread_lock);
    ThreadEntry* entry = listed_thread(number);
    return entry && !has_ended(entry->handle) ? entry->handle : nullptr;
}

void end_threads() {
    LockGuard guard(*thread_lock);
    while (thread_list) close_entry(static_cast<ThreadEntry*>(list_record(thread_list)));
}

} // namespace rt
