// How far the real tool has come: its "-progress" key=value output read line by line, and the
// line a person reads about it.
#pragma once

#include <string>

namespace frontend {

struct Progress {
    double done = 0;     // seconds of the output written
    double speed = 0;    // the tool's "speed=" (times real time); 0 when not yet known
    bool ended = false;  // "progress=end" seen
};

// Takes one line of the tool's progress output ("out_time_us=1234", "speed=1.5x", "progress=end",
// a trailing "\r" allowed) into the progress; other lines and unreadable values change nothing.
void read_progress_line(const std::string& line, Progress& progress);

// "Выполнено  42 %, прошло 0:12, осталось 0:17, скорость 1.3x" in Windows-1251: the percent of the
// duration done (100 once ended), the wall-clock seconds elapsed, and the time remaining at the
// pace so far ("?" while nothing is done or the duration is unknown).
std::string progress_line(const Progress& progress, double duration, double elapsed);

} // namespace frontend
