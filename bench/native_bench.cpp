// The portable core measured natively with Google Benchmark: the parameter string against a
// std::string, and the runtime's PNG decoder against a direct libpng loop, on the skin picture.
// Google Benchmark prints its own table; the ratio table follows it. Its figures are processor
// time, which another program's load on the machine does not stretch.
#include "allocation_count.h"
#include "parameter_string.h"
#include "png_reading.h"
#include "report.h"

#include "core/strings.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace {

const std::string SKIN_PICTURE = std::string(BENCH_RESOURCES) + "/background.png";

// Heap allocations per iteration, counted over the timed loop.
template <typename Build>
void measure_builds(benchmark::State& state, Build build) {
    const bench::ParameterPieces pieces;
    build(pieces);  // the steady state: a buffer that has grown once already
    const long before = bench::heap_allocations();
    for (auto _ : state) benchmark::DoNotOptimize(build(pieces));
    const long allocations = bench::heap_allocations() - before;
    state.counters["allocations"] = benchmark::Counter(static_cast<double>(allocations), benchmark::Counter::kAvgIterations);
}

void parameters_in_string_buffer(benchmark::State& state) { measure_builds(state, bench::build_in_string_buffer); }
void parameters_in_std_string(benchmark::State& state) { measure_builds(state, bench::build_in_std_string); }

template <bool (*Decode)(const std::string&, std::vector<uint8_t>&)>
void decode_skin(benchmark::State& state) {
    const std::string png = bench::read_whole_file(SKIN_PICTURE);
    std::vector<uint8_t> pixels;
    if (!Decode(png, pixels)) {
        state.SkipWithError(("cannot decode " + SKIN_PICTURE).c_str());
        return;
    }
    for (auto _ : state) {
        Decode(png, pixels);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * pixels.size()));
}

BENCHMARK(parameters_in_string_buffer);
BENCHMARK(parameters_in_std_string);
BENCHMARK(decode_skin<bench::decode_with_runtime_decoder>)->Name("skin_runtime_decoder")->Unit(benchmark::kMillisecond);
BENCHMARK(decode_skin<bench::decode_with_libpng>)->Name("skin_direct_libpng")->Unit(benchmark::kMillisecond);

struct Result {
    double nanoseconds;       // processor time per iteration, as Google Benchmark's rates
    double allocations;       // per iteration
    double bytes_per_second;
};

// Keeps each run's figures, besides printing the usual console table (without colours: the
// output goes into a file too).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            auto counter = [&](const char* name) {
                auto found = run.counters.find(name);
                return found == run.counters.end() ? 0.0 : found->second.value;
            };
            double seconds = run.cpu_accumulated_time / static_cast<double>(run.iterations);
            results[run.benchmark_name()] = {seconds * 1e9, counter("allocations"), counter("bytes_per_second")};
        }
    }
    std::map<std::string, Result> results;
};

void print_ratios(std::map<std::string, Result>& results) {
    const Result& buffer = results["parameters_in_string_buffer"];
    const Result& standard = results["parameters_in_std_string"];
    bench::print_table("Parameter string, native (g++ -O3, Google Benchmark)", {
        {"ns per build", buffer.nanoseconds, "std::string, reserve and appends", standard.nanoseconds,
         "faster than std::string", bench::goal_met(buffer.nanoseconds < standard.nanoseconds)},
        {"heap allocations per build", buffer.allocations, "std::string, reserve and appends", standard.allocations,
         "0", bench::goal_met(buffer.allocations == 0)},
    });
    const double runtime = results["skin_runtime_decoder"].bytes_per_second / 1e6;
    const double direct = results["skin_direct_libpng"].bytes_per_second / 1e6;
    bench::print_table("PNG decoding of the 700x440 skin, native (the decoder's portable part)", {
        {"MB/s of decoded pixels", runtime, "direct libpng read loop", direct,
         "overhead under 5 %", bench::goal_met(runtime >= 0.95 * direct)},
    });
}

} // namespace

int main(int argc, char** argv) {
    rt::init_string_engine();
    bench::count_runtime_allocations();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    print_ratios(reporter.results);
    return 0;
}
