// The conversion tool's stand-in in the converter's and front-end's tests, appending its exact command line and current directory
// to the file STAND_IN_LOG names. A call without "-y" is the front-end's probe: it reports a 2-second 320x240 source and exits 1,
// as the real tool does without an output file. Any other call reports progress in ten steps over STAND_IN_SECONDS s (0 when
// unset) and creates its output file (the last argument), or with STAND_IN_FAIL set writes error lines and exits 1.
#include "support/process_record.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    test_support::append_start_record(test_support::environment_variable("STAND_IN_LOG"));
    bool probe = true;
    for (int i = 1; i < argc; ++i) probe = probe && std::strcmp(argv[i], "-y") != 0;
    if (probe) {
        std::fprintf(stderr, "Input #0, avi, from 'x.avi':\n  Duration: 00:00:02.00, start: 0.000000, bitrate: 9 kb/s\n"
                             "  Stream #0:0: Video: mjpeg, yuvj420p(pc), 320x240, 15 fps, 15 tbr, 15 tbn\n"
                             "At least one output file must be specified\n");
        return 1;
    }
    if (!test_support::environment_variable("STAND_IN_FAIL").empty()) {
        std::fprintf(stderr, "Stream mapping:\n[mp3 @ 0001] Invalid sample rate\nConversion failed!\n");
        return 1;
    }
    const DWORD seconds = static_cast<DWORD>(std::atoi(test_support::environment_variable("STAND_IN_SECONDS").c_str()));
    for (int tenth = 1; tenth <= 10; ++tenth) {
        std::printf("frame=%d\nout_time_us=%d\nspeed=2.0x\nprogress=%s\n", tenth * 3, tenth * 200000,
                    tenth == 10 ? "end" : "continue");
        std::fflush(stdout);
        Sleep(seconds * 100);
    }
    std::FILE* output = std::fopen(argv[argc - 1], "wb");
    return output && std::fclose(output) == 0 ? 0 : 3;
}
