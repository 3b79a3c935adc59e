#pragma once
// The benchmarks' clocks and their middle values: figures, never assertions. Wall time
// and the calling thread's processor time: on a shared machine the two differ, and the
// benchmarks print both.
#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

inline double Seconds() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Milliseconds() { return Seconds() * 1000.0; }

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ticks = [](FILETIME t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e4;
}

struct Cost {
    double ms = 0;
    double cpuMs = 0;
};

// Wall and processor time of `work`.
template <typename Work>
Cost Measure(Work&& work) {
    double cpu = ThreadCpuMs(), start = Milliseconds();
    work();
    return {Milliseconds() - start, ThreadCpuMs() - cpu};
}

// The run with the median wall time.
inline Cost Median(std::vector<Cost> costs) {
    std::sort(costs.begin(), costs.end(), [](const Cost& a, const Cost& b) { return a.ms < b.ms; });
    return costs.empty() ? Cost{} : costs[(costs.size() - 1) / 2];  // the lower of two
}

}  // namespace bench
