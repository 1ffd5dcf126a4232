// What the front-end knows of a source: read from the real tool's report on its input.
#pragma once

#include <string>

namespace frontend {

struct Source {
    double duration = 0;   // seconds; 0 when unknown
    bool has_video = false;
    int width = 0, height = 0;  // 0 when unknown
    double frame_rate = 0;      // frames per second; 0 when unknown
    bool has_audio = false;
    int sample_rate = 0;  // Hz; 0 when unknown
    int channels = 0;     // 0 when unknown
};

// Reads "Duration:" and the first video and audio "Stream #" lines of the tool's report on
// "-i SOURCE" (its standard error). Pictures attached to audio files do not count as video.
// Text it cannot read leaves the fields at "unknown".
Source read_probe(const std::string& report);

} // namespace frontend
