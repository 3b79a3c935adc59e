#pragma once
// Clocks for the benchmarks: wall time and the calling thread's processor time, in
// milliseconds. On a shared machine the two differ; both are printed.
#include <windows.h>

#include <algorithm>
#include <vector>

namespace bench {

inline double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER c;
    ::QueryPerformanceCounter(&c);
    return static_cast<double>(c.QuadPart) / perMs;
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
    double cpu = ThreadCpuMs(), start = NowMs();
    work();
    return {NowMs() - start, ThreadCpuMs() - cpu};
}

// The run with the median wall time.
inline Cost Median(std::vector<Cost> costs) {
    std::sort(costs.begin(), costs.end(), [](const Cost& a, const Cost& b) { return a.ms < b.ms; });
    return costs.empty() ? Cost{} : costs[(costs.size() - 1) / 2];  // the lower of two
}

}  // namespace bench
