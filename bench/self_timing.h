// Timing of the Windows benchmarks, which run under Wine where Google Benchmark is not built:
// QueryPerformanceCounter around batches of calls. A figure and its baseline are timed in
// alternating batches, so that a slow phase of the machine (another program's load) or of Wine
// (its window surfaces are flushed to X at its own pace) touches both alike, and each is the
// median batch's time per call.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

inline double seconds_now() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Timing {
    double nanoseconds;           // per call of the measured work
    double baseline_nanoseconds;  // per call of its baseline
};

struct Batches {
    int calls;  // in each batch
    int count;  // batches of each
};

// `between` runs untimed after every batch (e.g. to let a window handle what the calls queued).
template <typename Call, typename Baseline, typename Between>
Timing time_against(Call call, Baseline baseline, Batches batches, Between between) {
    std::vector<double> measured, compared;
    auto per_call = [&](auto& work) {
        const double start = seconds_now();
        for (int i = 0; i < batches.calls; ++i) work();
        const double nanoseconds = (seconds_now() - start) * 1e9 / batches.calls;
        between();
        return nanoseconds;
    };
    for (int batch = 0; batch < batches.count; ++batch) {
        measured.push_back(per_call(call));
        compared.push_back(per_call(baseline));
    }
    return {median(measured), median(compared)};
}

template <typename Call, typename Baseline>
Timing time_against(Call call, Baseline baseline, Batches batches) {
    return time_against(call, baseline, batches, [] {});
}

} // namespace bench
