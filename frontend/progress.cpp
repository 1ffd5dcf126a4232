// How far the real tool has come, and the line a person reads about it.
//
// The tool writes a block of key=value lines about twice a second, ending in "progress=continue"
// or, last of all, "progress=end". Times are in microseconds ("out_time_us", and in older releases
// "out_time_ms", which also counts microseconds) or as "out_time=HH:MM:SS.micro". Before the first
// frame the tool may write a negative or "N/A" time: those are ignored.
#include "progress.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace frontend {

namespace {

constexpr double MAX_SECONDS = 1e9;  // anything longer is garbage

bool read_number(const std::string& text, double& value, const char* allowed_tail) {
    char* after = nullptr;
    double number = std::strtod(text.c_str(), &after);
    if (after == text.c_str() || std::string(after) != allowed_tail || !std::isfinite(number)) return false;
    value = number;
    return true;
}

void take_seconds(double seconds, Progress& progress) {
    if (seconds >= 0 && seconds < MAX_SECONDS) progress.done = seconds;
}

// "H:MM:SS" or "M:SS" of whole seconds, at most 99:59:59.
std::string clock_text(double seconds) {
    long whole = static_cast<long>(std::fmin(std::fmax(seconds, 0.0), 359999.0) + 0.5);
    char text[32];
    if (whole >= 3600) std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    else std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
    return text;
}

} // namespace

void read_progress_line(const std::string& raw, Progress& progress) {
    std::string line = !raw.empty() && raw.back() == '\r' ? raw.substr(0, raw.size() - 1) : raw;
    std::size_t equals = line.find('=');
    if (equals == std::string::npos) return;
    std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    double number = 0;
    if ((key == "out_time_us" || key == "out_time_ms") && read_number(value, number, ""))
        take_seconds(number / 1e6, progress);
    else if (key == "out_time" && value.size() < 32) {
        int hours = 0, minutes = 0;
        double seconds = 0;
        if (value[0] != '-' && std::sscanf(value.c_str(), "%d:%d:%lf", &hours, &minutes, &seconds) == 3)
            take_seconds(hours * 3600.0 + minutes * 60.0 + seconds, progress);
    } else if (key == "speed" && read_number(value, number, "x") && number >= 0 && number < MAX_SECONDS)
        progress.speed = number;
    else if (key == "progress")
        progress.ended = value == "end";
}

std::string progress_line(const Progress& progress, double duration, double elapsed) {
    bool known = duration > 0 && progress.done > 0;
    double fraction = progress.ended ? 1 : known ? std::fmin(progress.done / duration, 1.0) : 0;
    std::string remaining = progress.ended ? clock_text(0)
                            : known        ? clock_text(elapsed * (1 - fraction) / fraction)
                                           : "?";
    // "Выполнено %3d %, прошло %s, осталось %s, скорость %.1fx" in Windows-1251 bytes: this
    // library also builds with a compiler that cannot convert the text itself.
    char text[160];
    std::snprintf(text, sizeof text, "\xc2\xfb\xef\xee\xeb\xed\xe5\xed\xee %3d %%, \xef\xf0\xee\xf8\xeb\xee %s, \xee\xf1\xf2\xe0\xeb\xee\xf1\xfc %s, \xf1\xea\xee\xf0\xee\xf1\xf2\xfc %.1fx",
                  static_cast<int>(fraction * 100), clock_text(elapsed).c_str(), remaining.c_str(),
                  progress.speed);
    return text;
}

} // namespace frontend
