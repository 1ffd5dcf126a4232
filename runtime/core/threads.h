// The thread library: application procedures started on system threads, named by small numbers.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rt {

// A thread's procedure; its result is the thread's exit code.
using ThreadProcedure = int (*)(intptr_t argument);

// Creates the thread lock and the list; the first thread started gets number 1.
void init_threads();
// Starts procedure(argument) at once on a new thread with its own string buffer, which is freed
// when the procedure returns. Closes the handles of listed threads that have ended. Returns the
// new thread's number (never reused, never 0), or 0 when no thread could be created.
int create_thread(ThreadProcedure procedure, intptr_t argument);
// The handle of the listed thread with that number while it runs; 0 once it has ended or when no
// listed thread has the number.
HANDLE thread_handle_if_running(int number);
// Closes the handles of all listed threads; running threads are neither waited for nor stopped.
void end_threads();

} // namespace rt
