// The string engine and the PNG decoder under Wine (win64): the parameter string against a
// std::string, and catching the 700x440 skin as an image against a direct libpng loop.
#include "allocation_count.h"
#include "parameter_string.h"
#include "png_reading.h"
#include "report.h"
#include "self_timing.h"
#include "windows_path.h"

#include "runtime.h"
#include "graphics/images.h"

#include <cstdio>
#include <string>

namespace {

// Heap allocations per build in the steady state, counted over builds of their own, away from the
// timing's bookkeeping.
template <typename Build>
double allocations_per_build(Build build, const bench::ParameterPieces& pieces) {
    constexpr int BUILDS = 100000;
    const long before = bench::heap_allocations();
    for (int i = 0; i < BUILDS; ++i) build(pieces);
    return static_cast<double>(bench::heap_allocations() - before) / BUILDS;
}

void parameter_string() {
    const bench::ParameterPieces pieces;
    bench::build_in_string_buffer(pieces);  // the buffer has grown once, as in a running program
    const bench::Timing timing = bench::time_against([&] { bench::build_in_string_buffer(pieces); },
                                                     [&] { bench::build_in_std_string(pieces); }, {100000, 21});
    const double allocations = allocations_per_build(bench::build_in_string_buffer, pieces);
    const double baseline_allocations = allocations_per_build(bench::build_in_std_string, pieces);
    bench::print_table("Parameter string, Wine (win64, QueryPerformanceCounter)", {
        {"ns per build", timing.nanoseconds, "std::string, reserve and appends", timing.baseline_nanoseconds,
         "faster than std::string", bench::goal_met(timing.nanoseconds < timing.baseline_nanoseconds)},
        {"heap allocations per build", allocations, "std::string, reserve and appends", baseline_allocations, "0",
         bench::goal_met(allocations == 0)},
    });
}

struct Throughput {
    double megabytes_per_second, baseline_megabytes_per_second;
};

// Megabytes of decoded pixels per second, for decodes of `bytes` pixel bytes.
template <typename Decode, typename Baseline>
Throughput throughput(Decode decode, Baseline baseline, size_t bytes) {
    const bench::Timing timing = bench::time_against(decode, baseline, {5, 21});
    const double megabytes = static_cast<double>(bytes) / 1e6;
    return {megabytes * 1e9 / timing.nanoseconds, megabytes * 1e9 / timing.baseline_nanoseconds};
}

void png_decoding() {
    const std::string png = bench::read_whole_file(bench::windows_path(BENCH_RESOURCES "/background.png"));
    std::vector<uint8_t> pixels;
    if (!bench::decode_with_runtime_decoder(png, pixels) || !rt::catch_image(1, png.data(), static_cast<int>(png.size()))) {
        std::printf("cannot decode the skin picture\n");
        return;
    }
    const int size = static_cast<int>(png.size());
    const Throughput image = throughput([&] { rt::catch_image(1, png.data(), size); },
                                        [&] {
                                            std::vector<uint8_t> fresh;
                                            bench::decode_with_libpng(png, fresh);
                                        },
                                        pixels.size());
    const Throughput decoder = throughput([&] { bench::decode_with_runtime_decoder(png, pixels); },
                                          [&] { bench::decode_with_libpng(png, pixels); }, pixels.size());
    bench::print_table("PNG decoding of the 700x440 skin, Wine (win64)", {
        {"MB/s, rt::catch_image (a new image each time)", image.megabytes_per_second,
         "direct libpng loop, a new buffer each time", image.baseline_megabytes_per_second, "overhead under 5 %",
         bench::goal_met(image.megabytes_per_second >= 0.95 * image.baseline_megabytes_per_second)},
        {"MB/s, the decoder alone, into one buffer", decoder.megabytes_per_second,
         "direct libpng loop, into one buffer", decoder.baseline_megabytes_per_second, "overhead under 5 %",
         bench::goal_met(decoder.megabytes_per_second >= 0.95 * decoder.baseline_megabytes_per_second)},
    });
}

} // namespace

int main() {
    rt::start_runtime();
    bench::count_runtime_allocations();
    parameter_string();
    png_decoding();
    rt::end_runtime();
}
