// Fuzz target: the front-end's reading of the real tool's report on a source and of its progress
// output, and the options and progress line made from them. What is read stays in range, the
// options always end in the output name, and the progress line says a percent from 0 to 100.
#include "fuzzing.h"
#include "probe.h"
#include "progress.h"
#include "translation.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

using fuzzing::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    frontend::Source source = frontend::read_probe(text);
    require(std::isfinite(source.duration) && source.duration >= 0);
    require(source.width >= 0 && source.height >= 0 && source.sample_rate >= 0 && source.channels >= 0);
    require(std::isfinite(source.frame_rate) && source.frame_rate >= 0);
    for (const char* format : {"flv", "avi", "mpg", "swf"})
        require(frontend::translate("in", "out", format, source).back() == "out");

    frontend::Progress progress;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        frontend::read_progress_line(line, progress);
        require(std::isfinite(progress.done) && progress.done >= 0 && std::isfinite(progress.speed));
        std::string shown = frontend::progress_line(progress, source.duration, progress.done);
        std::size_t percent = shown.find(" %");
        require(percent != std::string::npos && percent >= 3);
        int value = std::atoi(shown.substr(percent - 3, 3).c_str());
        require(value >= 0 && value <= 100);
    }
    return 0;
}
