// Stands in for the real tool behind the front-end: appends its command line to "calls.txt" beside
// itself; without "-progress" it writes a report on a 2-second 320x240 source to standard error and
// exits 1, as the real tool does with no output file; with it, it writes its progress in ten steps
// (STAND_IN_STEP_MS apart) and creates the output file (its last argument), or, when STAND_IN_FAIL
// is set, writes error lines and exits 1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string own_folder() {
    char path[MAX_PATH];
    std::string folder(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

void record_call() {
    if (FILE* calls = std::fopen((own_folder() + "calls.txt").c_str(), "ab")) {
        std::fprintf(calls, "%s\n", GetCommandLineA());
        std::fclose(calls);
    }
}

int convert(const char* output) {
    if (std::getenv("STAND_IN_FAIL")) {
        std::fprintf(stderr, "Stream mapping:\n[mp3 @ 0001] Invalid sample rate\nConversion failed!\n");
        return 1;
    }
    const char* step = std::getenv("STAND_IN_STEP_MS");
    for (int tenth = 1; tenth <= 10; ++tenth) {
        std::printf("frame=%d\nout_time_us=%d\nspeed=2.0x\nprogress=%s\n", tenth * 3, tenth * 200000,
                    tenth == 10 ? "end" : "continue");
        std::fflush(stdout);
        if (step) Sleep(static_cast<DWORD>(std::atoi(step)));
    }
    if (FILE* file = std::fopen(output, "wb")) std::fclose(file);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    record_call();
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "-progress") == 0) return convert(argv[argc - 1]);
    std::fprintf(stderr, "Input #0, avi, from 'x.avi':\n  Duration: 00:00:02.00, start: 0.000000, bitrate: 9 kb/s\n"
                         "  Stream #0:0: Video: mjpeg, yuvj420p(pc), 320x240, 15 fps, 15 tbr, 15 tbn\n"
                         "At least one output file must be specified\n");
    return 1;
}
