// Timing of the Windows benchmarks, which run under Wine where Google Benchmark is not built:
// QueryPerformanceCounter around batches of calls. The figure is the median batch's time per
// call, so that a batch disturbed by another process on the machine does not decide it.
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

// Nanoseconds per call of the median batch. Between batches `between` runs untimed (e.g. to let
// the window paint what the calls invalidated).
template <typename Call, typename Between>
double nanoseconds_per_call(Call call, int calls_per_batch, int batches, Between between) {
    std::vector<double> per_call;
    for (int batch = 0; batch < batches; ++batch) {
        const double start = seconds_now();
        for (int i = 0; i < calls_per_batch; ++i) call();
        per_call.push_back((seconds_now() - start) * 1e9 / calls_per_batch);
        between();
    }
    return median(per_call);
}

template <typename Call>
double nanoseconds_per_call(Call call, int calls_per_batch, int batches) {
    return nanoseconds_per_call(call, calls_per_batch, batches, [] {});
}

} // namespace bench
