// The process launcher: starts a program (or, through the shell, a document or folder) with an
// optional wait, a hidden window, pipes to its standard streams and a record of the running program.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rt {

// Flags of run_program; other bits are ignored.
inline constexpr int RUN_WAIT = 1;     // return only when the started process has ended
inline constexpr int RUN_HIDE = 2;     // hidden, detached from the launcher's console
inline constexpr int RUN_OPEN = 4;     // keep the program: the result is its ProcessRecord
inline constexpr int RUN_READ = 8;     // with RUN_OPEN: a pipe from the program's standard output
inline constexpr int RUN_WRITE = 16;   // with RUN_OPEN: a pipe to the program's standard input
inline constexpr int RUN_ERROR = 32;   // with RUN_OPEN: a pipe from the program's standard error
inline constexpr int RUN_CONNECT = 64; // standard input from another program's output pipe
// Any of these forbids the shell, which cannot redirect streams.
inline constexpr int RUN_STREAM_FLAGS = RUN_READ | RUN_WRITE | RUN_ERROR | RUN_CONNECT;

// A program kept with RUN_OPEN; the launcher's pipe ends cannot be inherited by other children.
struct ProcessRecord {
    HANDLE process;
    intptr_t process_id;  // -1 when the shell started it
    HANDLE input;         // write end of the program's standard input, or 0
    HANDLE output;        // read end of its standard output, or 0
    HANDLE error;         // read end of its standard error, or 0
};

// Creates the launcher's state, its program table and its lock.
void init_launcher();

// Starts `"program" parameters` (the program quoted unless it begins with a quote; the space and
// the parameters only when there are parameters) in directory, or in the current directory when
// directory is null or empty. When no process can be created and no stream is redirected, hands
// program, parameters and directory to the shell's default action instead. Returns 0 when neither
// way started anything, the ProcessRecord's address with RUN_OPEN, else 1. With RUN_CONNECT the
// standard input is connected's output pipe (when it has one).
intptr_t run_program(const char* program, const char* parameters, const char* directory, int flags,
                     const ProcessRecord* connected = nullptr);

} // namespace rt
