// The front-end's portable logic: the converter's call read from a raw command line, the tool's
// report and progress read, and the options chosen per container for sources of every kind.
#include "call.h"
#include "probe.h"
#include "progress.h"
#include "translation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using frontend::CallKind;
using Arguments = std::vector<std::string>;

TEST(FrontendCallTest, ReadsThePatternWithAnyBlanksAndPassesEverythingElseOnWithTheQualityOptionRenamed) {
    const struct { const char* arguments; CallKind kind; const char *source, *output, *passed_on; } cases[] = {
        {"-i C:\\v\\clip.avi -y  -sameq  clip.avi.flv", CallKind::CONVERSION, "C:\\v\\clip.avi", "clip.avi.flv", ""},
        {"  -i   C:\\my clips\\a -y b.avi \t-y -same_quant   a.MPG ", CallKind::CONVERSION, "C:\\my clips\\a -y b.avi",
         "a.MPG", ""},
        {"-i \"C:\\a b.avi\" -y -sameq \"a b.swf\"", CallKind::CONVERSION, "C:\\a b.avi", "a b.swf", ""},
        {"-i  -y  -sameq  .flv", CallKind::NO_SOURCE, "", ".flv", ""},
        {"-i \"x y.avi\"  -sameq -b 1k  o.avi", CallKind::PASS_THROUGH, "", "", "-i \"x y.avi\" -q:v 2 -b 1k o.avi"},
        {"-i \"a -sameq  b", CallKind::PASS_THROUGH, "", "", "-i \"a -sameq  b"},  // inside quotes: part of a name
    };
    for (const auto& c : cases) {
        const frontend::Call call = frontend::read_call(c.arguments);
        EXPECT_EQ(call.kind, c.kind) << c.arguments;
        EXPECT_EQ(call.source, c.source) << c.arguments;
        EXPECT_EQ(call.output, c.output) << c.arguments;
        EXPECT_EQ(call.arguments, c.passed_on) << c.arguments;
    }
    EXPECT_EQ(frontend::read_call("-i a.avi -y -sameq B.FlV").format, "flv");
    EXPECT_EQ(frontend::arguments_of("\"C:\\dir with space\\FFmpeg\" -i x"), " -i x");
    EXPECT_EQ(frontend::arguments_line({"a", "b c", "", "q\"t", "d\\ e\\"}), "a \"b c\" \"\" \"q\\\"t\" \"d\\ e\\\\\"")
        << "each argument comes back whole when split by the C runtime's rules";
}

TEST(FrontendProbeTest, ReadsDurationSizeRateAndAudioFromTheToolsReport) {
    const frontend::Source movie = frontend::read_probe(
        "Input #0, matroska,webm, from 'hd60.mkv':\r\n  Duration: 00:01:02.50, start: 0.000000, bitrate: 1093 kb/s\r\n"
        "  Stream #0:0[0x1](und): Video: h264 (High) (avc1 / 0x31637661), yuv420p(tv, bt709, progressive), "
        "1920x1080 [SAR 1:1 DAR 16:9], 289 kb/s, 29.97 fps, 29.97 tbr, 30k tbn (default)\r\n"
        "  Stream #0:1: Audio: ac3, 48000 Hz, 5.1(side), fltp, 448 kb/s\r\n");
    EXPECT_TRUE(movie.duration == 62.5 && movie.frame_rate == 29.97 && movie.height == 1080);
    EXPECT_EQ(movie.width, 1920) << "the codec tag 0x31637661 is not a size";
    EXPECT_TRUE(movie.has_video && movie.has_audio && movie.sample_rate == 48000 && movie.channels == 6);

    const frontend::Source song = frontend::read_probe(
        "Input #0, mp3, from 'a.mp3':\n  Duration: N/A, bitrate: N/A\n  Stream #0:0: Audio: mp3, 8000 Hz, mono, fltp\n"
        "  Stream #0:1: Video: mjpeg (Baseline), yuvj420p(pc), 500x500, 90k tbr, 90k tbn (attached pic)\n");
    EXPECT_FALSE(song.has_video) << "a cover picture is not video";
    EXPECT_TRUE(song.duration == 0 && song.channels == 1);
}

constexpr frontend::Source VIDEO(int width, int height, double rate) { return {10, true, width, height, rate, false, 0, 0}; }
constexpr frontend::Source AUDIO(int rate, int channels) { return {10, false, 0, 0, 0, true, rate, channels}; }

TEST(FrontendTranslationTest, ChoosesOptionsTheContainerAcceptsAndThatKeepTheQuality) {
    const Arguments flv_video = {"-c:v", "flv", "-q:v", "2"}, avi_video = {"-c:v", "mpeg4", "-q:v", "2"};
    const Arguments mpg_video = {"-c:v", "mpeg1video", "-q:v", "2", "-r"};
    const Arguments flv_audio = {"-c:a", "libmp3lame", "-ar", "44100", "-b:a", "192k"};
    const Arguments keep_start = {"-avoid_negative_ts", "disabled"};
    // options: between "-y" and the output name, after "-sn -dn"
    const struct { const char *what, *format; frontend::Source source; std::vector<Arguments> options; } cases[] = {
        {"phone, 48 kHz into FLV", "flv", {10, true, 320, 240, 30, true, 48000, 2}, {flv_video, flv_audio}},
        {"48 kHz into MPG stays", "mpg", {10, true, 320, 240, 25, true, 48000, 2},
         {mpg_video, {"25", "-c:a", "mp2", "-ar", "48000", "-b:a", "192k"}}},
        {"8 kHz mono into SWF", "swf", AUDIO(8000, 1), {flv_audio}},
        {"8 kHz mono into AVI", "avi", AUDIO(8000, 1), {{"-c:a", "libmp3lame", "-ar", "8000", "-b:a", "96k"}, keep_start}},
        {"8 kHz into MPG: the nearest layer II rate", "mpg", AUDIO(8000, 1), {{"-c:a", "mp2", "-ar", "16000", "-b:a", "96k"}}},
        {"5.1 into FLV", "flv", AUDIO(48000, 6), {flv_audio, {"-ac", "2"}}},
        {"15 fps into MPG", "mpg", VIDEO(320, 240, 15), {mpg_video, {"24000/1001"}}},
        {"29.97 fps into MPG", "mpg", VIDEO(320, 240, 29.97), {mpg_video, {"30000/1001"}}},
        {"60 fps into FLV", "flv", VIDEO(320, 240, 60), {flv_video, {"-r", "50"}}},
        {"variable rate, unknown, into MPG", "mpg", VIDEO(320, 240, 0), {mpg_video, {"25"}}},
        {"odd size into AVI", "avi", VIDEO(321, 239, 25), {avi_video, {"-s", "320x238"}, keep_start}},
        {"unreadable report: both kinds, defaults", "flv", {}, {flv_video, flv_audio, {"-ac", "2"}}},
    };
    for (const auto& c : cases) {
        Arguments expected = {"-hide_banner", "-nostats", "-progress", "pipe:1", "-i", "C:\\a b.mp4", "-y", "-sn", "-dn"};
        for (const Arguments& part : c.options) expected.insert(expected.end(), part.begin(), part.end());
        expected.push_back("out");
        EXPECT_EQ(frontend::translate("C:\\a b.mp4", "out", c.format, c.source), expected) << c.what;
    }
    EXPECT_EQ(frontend::translate("a", "out", "mkv", AUDIO(8000, 1)),
              (Arguments{"-hide_banner", "-nostats", "-progress", "pipe:1", "-i", "a", "-y", "-q:v", "2", "out"}))
        << "an unknown format: the quality option alone";
}

TEST(FrontendProgressTest, ReadsTheToolsProgressAndEndsAtAHundredPercent) {
    frontend::Progress progress;
    for (const char* line : {"frame=10", "out_time_us=-9223372036854775807", "out_time_us=2500000\r", "speed=1.25x",
                             "progress=continue", "out_time=N/A", "speed=N/A"})
        frontend::read_progress_line(line, progress);
    // "Выполнено  25 %, прошло 0:02, осталось 0:06, скорость 1.2x"
    EXPECT_EQ(frontend::progress_line(progress, 10, 2),
              "\xc2\xfb\xef\xee\xeb\xed\xe5\xed\xee  25 %, \xef\xf0\xee\xf8\xeb\xee 0:02, \xee\xf1\xf2\xe0\xeb\xee\xf1\xfc "
              "0:06, \xf1\xea\xee\xf0\xee\xf1\xf2\xfc 1.2x");
    frontend::read_progress_line("progress=end", progress);
    EXPECT_NE(frontend::progress_line(progress, 10, 8).find("100 %"), std::string::npos) << "the end is 100 %";
    EXPECT_NE(frontend::progress_line(frontend::Progress{}, 0, 1).find("\xee\xf1\xf2\xe0\xeb\xee\xf1\xfc ?"), std::string::npos)
        << "an unknown duration gives no estimate";
}

} // namespace
