// The string engine and the PNG decoder under Wine (win64): the parameter string against a
// std::string, and catching the 700x440 skin as an image against a direct libpng loop.
#include "allocation_count.h"
#include "parameter_string.h"
#include "png_reading.h"
#include "report.h"
#include "self_timing.h"

#include "core/runtime.h"
#include "graphics/images.h"

#include <cstdio>
#include <string>

namespace {

// Nanoseconds and heap allocations per build, in the steady state.
struct BuildCost {
    double nanoseconds;
    double allocations;
};

long allocations_so_far() { return bench::runtime_allocations() + bench::operator_new_calls(); }

// Allocations are counted over builds of their own, away from the timing's bookkeeping.
template <typename Build>
BuildCost cost_of(Build build) {
    constexpr int CALLS = 100000, BATCHES = 21;
    const bench::ParameterPieces pieces;
    build(pieces);  // the buffer has grown once, as in a running program
    const long before = allocations_so_far();
    for (int i = 0; i < CALLS; ++i) build(pieces);
    const double allocations = static_cast<double>(allocations_so_far() - before) / CALLS;
    return {bench::nanoseconds_per_call([&] { build(pieces); }, CALLS, BATCHES), allocations};
}

void parameter_string() {
    const BuildCost buffer = cost_of(bench::build_in_string_buffer);
    const BuildCost standard = cost_of(bench::build_in_std_string);
    bench::print_table("Parameter string, Wine (win64, QueryPerformanceCounter)", {
        {"ns per build", buffer.nanoseconds, "std::string, reserve and appends", standard.nanoseconds,
         "faster than std::string", bench::goal_met(buffer.nanoseconds < standard.nanoseconds)},
        {"heap allocations per build", buffer.allocations, "std::string, reserve and appends", standard.allocations,
         "0", bench::goal_met(buffer.allocations == 0)},
    });
}

std::string windows_path(std::string unix_path) {
    for (char& c : unix_path)
        if (c == '/') c = '\\';
    return "Z:" + unix_path;
}

// Megabytes of decoded pixels per second, for a decode of `bytes` pixel bytes.
template <typename Decode>
double megabytes_per_second(Decode decode, size_t bytes) {
    constexpr int DECODES = 5, BATCHES = 9;
    return static_cast<double>(bytes) * 1e3 / bench::nanoseconds_per_call(decode, DECODES, BATCHES);
}

void png_decoding() {
    const std::string png = bench::read_whole_file(windows_path(BENCH_RESOURCES "/background.png"));
    std::vector<uint8_t> pixels;
    if (!bench::decode_with_runtime_decoder(png, pixels) || !rt::catch_image(1, png.data(), static_cast<int>(png.size()))) {
        std::printf("cannot decode the skin picture\n");
        return;
    }
    const int size = static_cast<int>(png.size());
    const double image = megabytes_per_second([&] { rt::catch_image(1, png.data(), size); }, pixels.size());
    const double decoder = megabytes_per_second([&] { bench::decode_with_runtime_decoder(png, pixels); }, pixels.size());
    const double direct = megabytes_per_second([&] { bench::decode_with_libpng(png, pixels); }, pixels.size());
    const double direct_new = megabytes_per_second([&] {
        std::vector<uint8_t> fresh;
        bench::decode_with_libpng(png, fresh);
    }, pixels.size());
    bench::print_table("PNG decoding of the 700x440 skin, Wine (win64)", {
        {"MB/s, rt::catch_image (a new image each time)", image, "direct libpng loop, a new buffer each time",
         direct_new, "overhead under 5 %", bench::goal_met(image >= 0.95 * direct_new)},
        {"MB/s, the decoder alone, into one buffer", decoder, "direct libpng loop, into one buffer", direct,
         "overhead under 5 %", bench::goal_met(decoder >= 0.95 * direct)},
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
