// The real tool's arguments for one conversion, chosen per container.
//
// Quality: a fine fixed quantiser (-q:v 2) replaces what "-sameq" meant. Audio goes at a fixed
// high bit rate. Every option used here has been kept by the tool's releases 4 to 7.
//   FLV, SWF: Sorenson H.263 and MP3; the containers take MP3 at 44100, 22050 and 11025 Hz only,
//             and 44100 Hz is always used: the muxer moves every stream by the MP3 encoder's delay
//             (1105 samples), which is 0.1 s at 11025 Hz but 25 ms, less than a frame, at 44100 Hz.
//             FLV counts time in milliseconds: above 50 frames a second the rounded timestamps
//             collide, so faster sources are brought down to 50.
//   AVI:      MPEG-4 Part 2 and MP3. The encoder delay of MP3 would shift the video by a frame when
//             the muxer moves timestamps to zero, so the shift is disabled.
//   MPG:      MPEG-1 video and MPEG audio layer II; MPEG-1 has eight frame rates only.
// Every encoder here takes even sizes and at most two audio channels.
#include "translation.h"

#include <cmath>
#include <initializer_list>

namespace frontend {

namespace {

struct Rate {
    double value;
    const char* text;
};

constexpr Rate MPEG1_FRAME_RATES[] = {{24000.0 / 1001, "24000/1001"}, {24, "24"}, {25, "25"},
                                      {30000.0 / 1001, "30000/1001"}, {30, "30"}, {50, "50"},
                                      {60000.0 / 1001, "60000/1001"}, {60, "60"}};
constexpr double PAL_RATE = 25;  // for a source whose rate is unknown

struct Container {
    const char* format;
    const char* video_codec;
    const char* audio_codec;
    std::initializer_list<int> sample_rates;  // ascending
    bool fixed_frame_rates;
    bool keep_timestamps;
    double max_frame_rate;  // 0: no limit
};

const Container CONTAINERS[] = {
    {"flv", "flv", "libmp3lame", {44100}, false, false, 50},
    {"swf", "flv", "libmp3lame", {44100}, false, false, 0},
    {"avi", "mpeg4", "libmp3lame", {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}, false, true, 0},
    {"mpg", "mpeg1video", "mp2", {16000, 22050, 24000, 32000, 44100, 48000}, true, false, 0},
};

const Container* container_of(const std::string& format) {
    for (const Container& container : CONTAINERS)
        if (format == container.format) return &container;
    return nullptr;
}

// The source's rate when allowed, otherwise the nearest allowed one.
const char* mpeg1_frame_rate(double rate) {
    if (!(rate > 0)) rate = PAL_RATE;
    const Rate* nearest = &MPEG1_FRAME_RATES[0];
    for (const Rate& allowed : MPEG1_FRAME_RATES)
        if (std::fabs(allowed.value - rate) < std::fabs(nearest->value - rate)) nearest = &allowed;
    return nearest->text;
}

// The lowest allowed rate at or above the source's (no audio band is lost), else the highest.
int sample_rate_for(int rate, std::initializer_list<int> allowed) {
    for (int candidate : allowed)
        if (candidate >= rate) return candidate;
    return *(allowed.end() - 1);
}

void add(std::vector<std::string>& arguments, std::initializer_list<std::string> more) {
    arguments.insert(arguments.end(), more);
}

void add_video(std::vector<std::string>& arguments, const Container& container, const Source& source) {
    add(arguments, {"-c:v", container.video_codec, "-q:v", "2"});
    if (source.width % 2 || source.height % 2) {
        int width = source.width < 2 ? 2 : source.width & ~1, height = source.height < 2 ? 2 : source.height & ~1;
        add(arguments, {"-s", std::to_string(width) + "x" + std::to_string(height)});
    }
    if (container.fixed_frame_rates) add(arguments, {"-r", mpeg1_frame_rate(source.frame_rate)});
    if (container.max_frame_rate > 0 && source.frame_rate > container.max_frame_rate)
        add(arguments, {"-r", std::to_string(static_cast<int>(container.max_frame_rate))});
}

void add_audio(std::vector<std::string>& arguments, const Container& container, const Source& source) {
    int rate = sample_rate_for(source.sample_rate, container.sample_rates);
    add(arguments, {"-c:a", container.audio_codec, "-ar", std::to_string(rate), "-b:a", rate >= 32000 ? "192k" : "96k"});
    if (source.channels != 1 && source.channels != 2) add(arguments, {"-ac", "2"});
}

} // namespace

std::vector<std::string> translate(const std::string& source_path, const std::string& output,
                                   const std::string& format, const Source& source) {
    std::vector<std::string> arguments = {"-hide_banner", "-nostats", "-progress", "pipe:1", "-i", source_path, "-y"};
    const Container* container = container_of(format);
    if (!container) {
        add(arguments, {"-q:v", "2", output});
        return arguments;
    }
    add(arguments, {"-sn", "-dn"});
    bool unread = !source.has_video && !source.has_audio;  // options for streams it lacks are harmless
    if (source.has_video || unread) add_video(arguments, *container, source);
    if (source.has_audio || unread) add_audio(arguments, *container, source);
    if (container->keep_timestamps) add(arguments, {"-avoid_negative_ts", "disabled"});
    add(arguments, {output});
    return arguments;
}

} // namespace frontend
