// Programs that a benchmark starts and watches from outside: the time until their first window
// shows, the processor time they use, and their end.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

class ChildProgram {
public:
    // Starts `program` in `directory`, its command line holding a word that names it among all
    // processes of the machine (the converter reads no command line: the word changes nothing).
    ChildProgram(const std::string& program, const std::string& directory, const std::string& arguments = "");
    // Ends it: WM_CLOSE to its window, and after 5 s without an end, TerminateProcess.
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool started() const { return started_ != 0; }
    // Seconds from just before CreateProcess until a top-level window of the program is visible,
    // or a negative number when none is within the timeout. Polls every millisecond.
    double seconds_until_window(double timeout_seconds);
    // Its visible top-level window, once seconds_until_window found it.
    HWND window() const { return window_; }
    // User and kernel time used so far, in milliseconds (-1 when it cannot be read).
    double processor_milliseconds();

private:
    HWND visible_window() const;
    double processor_milliseconds_from_unix();

    std::string tag_;
    PROCESS_INFORMATION process_{};
    BOOL started_ = FALSE;
    double start_seconds_ = 0;
    HWND window_ = nullptr;
    std::string unix_stat_;  // Wine: the Windows path of the process's /proc/PID/stat
};

} // namespace bench
