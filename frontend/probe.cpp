// What the front-end knows of a source: read from the real tool's report on its input.
//
// A stream line reads "Stream #0:0[0x1](und): Video: h264 (High) (avc1 / 0x31637661),
// yuv420p(tv, bt709), 320x240 [SAR 1:1 DAR 4:3], 25 fps, 25 tbr, 12800 tbn (default)": fields
// separated by ", " outside parentheses; the size, rate, "Hz" and channel layout are fields of their own.
#include "probe.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

namespace frontend {

namespace {

// Fields of a stream description, split at commas outside parentheses and trimmed.
std::vector<std::string> fields_of(const std::string& description) {
    std::vector<std::string> fields(1);
    int depth = 0;
    for (char c : description) {
        if (c == '(') ++depth;
        if (c == ')' && depth > 0) --depth;
        if (c == ',' && depth == 0) {
            fields.emplace_back();
            continue;
        }
        if (!(c == ' ' && fields.back().empty())) fields.back() += c;
    }
    return fields;
}

// A whole number at the start of text, or -1; `end` gets what follows it.
long leading_number(const char* text, const char** end) {
    if (!std::isdigit(static_cast<unsigned char>(*text))) return -1;
    char* after = nullptr;
    long value = std::strtol(text, &after, 10);
    *end = after;
    return value > 0 && value < 1000000 ? value : -1;
}

bool ends_with(const std::string& text, const char* tail) {
    std::size_t length = std::strlen(tail);
    return text.size() >= length && text.compare(text.size() - length, length, tail) == 0;
}

// "25 fps", "29.97 fps", "1k tbr": the value before the unit, or 0.
double rate_field(const std::string& field, const char* unit) {
    if (!ends_with(field, unit)) return 0;
    const char* text = field.c_str();
    if (!std::isdigit(static_cast<unsigned char>(*text))) return 0;
    char* after = nullptr;
    double value = std::strtod(text, &after);
    if (*after == 'k') value *= 1000, ++after;
    return *after == ' ' && value > 0 && value < 1e6 ? value : 0;
}

void read_video(const std::vector<std::string>& fields, Source& source) {
    double tbr = 0;
    for (const std::string& field : fields) {
        const char* after = nullptr;
        long width = leading_number(field.c_str(), &after);
        long height = width > 0 && *after == 'x' ? leading_number(after + 1, &after) : -1;
        if (height > 0 && (*after == '\0' || *after == ' ') && source.width == 0) {
            source.width = static_cast<int>(width);
            source.height = static_cast<int>(height);
        }
        if (source.frame_rate == 0) source.frame_rate = rate_field(field, " fps");
        if (tbr == 0) tbr = rate_field(field, " tbr");
    }
    if (source.frame_rate == 0) source.frame_rate = tbr;
}

// "mono", "stereo", "5.1(side)", "7.1", "6 channels": the number of channels, or 0.
int channels_of(const std::string& layout) {
    if (layout == "mono") return 1;
    if (layout == "stereo" || layout == "downmix") return 2;
    if (layout.compare(0, 4, "quad") == 0) return 4;
    const char* after = nullptr;
    long count = leading_number(layout.c_str(), &after);
    if (count > 0 && std::strcmp(after, " channels") == 0) return static_cast<int>(count);
    if (count >= 0 && after[0] == '.' && after[1] >= '0' && after[1] <= '9' && (after[2] == '\0' || after[2] == '('))
        return static_cast<int>(count) + (after[1] - '0');
    return 0;
}

void read_audio(const std::vector<std::string>& fields, Source& source) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (!ends_with(fields[i], " Hz")) continue;
        const char* after = nullptr;
        long rate = leading_number(fields[i].c_str(), &after);
        if (rate > 0 && std::strcmp(after, " Hz") == 0) source.sample_rate = static_cast<int>(rate);
        if (i + 1 < fields.size()) source.channels = channels_of(fields[i + 1]);
        return;
    }
}

// "Duration: 00:01:02.50, start: ..." gives 62.5; "N/A" and garbage give 0.
double read_duration(const std::string& line, std::size_t at) {
    int hours = 0, minutes = 0;
    double seconds = 0;
    if (std::sscanf(line.c_str() + at, "%3d:%2d:%lf", &hours, &minutes, &seconds) != 3) return 0;
    if (hours < 0 || minutes < 0 || minutes > 59 || !(seconds >= 0 && seconds < 60)) return 0;
    return hours * 3600.0 + minutes * 60.0 + seconds;
}

void read_line(const std::string& line, Source& source) {
    static const char DURATION[] = "Duration: ", VIDEO[] = ": Video: ", AUDIO[] = ": Audio: ";
    std::size_t at = line.find(DURATION);
    if (at != std::string::npos && source.duration == 0) {
        source.duration = read_duration(line, at + sizeof DURATION - 1);
        return;
    }
    if (line.find("Stream #") == std::string::npos) return;
    if ((at = line.find(VIDEO)) != std::string::npos && !source.has_video &&
        line.find("(attached pic)") == std::string::npos) {
        source.has_video = true;
        read_video(fields_of(line.substr(at + sizeof VIDEO - 1)), source);
    } else if ((at = line.find(AUDIO)) != std::string::npos && !source.has_audio) {
        source.has_audio = true;
        read_audio(fields_of(line.substr(at + sizeof AUDIO - 1)), source);
    }
}

} // namespace

Source read_probe(const std::string& report) {
    Source source;
    std::istringstream lines(report);
    std::string line;
    bool in_input = false;  // only the input's section: an output section may follow
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, 6, "Input ") == 0) in_input = true;
        else if (line.compare(0, 7, "Output ") == 0) in_input = false;
        else if (in_input) read_line(line, source);
    }
    return source;
}

} // namespace frontend
