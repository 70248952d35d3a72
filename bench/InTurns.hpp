// Two ways of doing the same work, timed in turns in one run: on a shared
// machine the load changes both times far more than it changes their ratio,
// so the median ratio of a turn's two passes is the figure to quote.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace sillabor_bench {

/// Each iteration runs `first`, then `second`, over `items` items; reports
/// the median nanoseconds an item of each (counters `<firstName>_ns`,
/// `<secondName>_ns`) and the median of first / second (`ratioName`).
template <class First, class Second>
void inTurns(benchmark::State& state, std::size_t items, const std::string& firstName,
             const std::string& secondName, const std::string& ratioName, First first,
             Second second) {
    using Clock = std::chrono::steady_clock;
    auto perItem = [items](Clock::duration d) {
        return std::chrono::duration<double, std::nano>(d).count() / static_cast<double>(items);
    };
    std::vector<double> a, b, ratios;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        first();
        const auto t1 = Clock::now();
        second();
        const auto t2 = Clock::now();
        a.push_back(perItem(t1 - t0));
        b.push_back(perItem(t2 - t1));
        ratios.push_back(a.back() / b.back());
        state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
    }
    auto median = [](std::vector<double>& v) {
        std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    state.counters[firstName + "_ns"] = median(a);
    state.counters[secondName + "_ns"] = median(b);
    state.counters[ratioName] = median(ratios);
}

} // namespace sillabor_bench
