#pragma once

// Rounds of a benchmark: the sides being compared run in turn, the order rotating from round to
// round so that none always finds the caches warmed (or the machine loaded) by another; medians
// are compared and the spread is printed beside the ratio, with the load of the machine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace bench {

inline double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds `run` takes.
template <typename Run>
double Time(Run&& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return Seconds(start);
}

struct Spread {
    double median = 0;
    double low = 0;
    double high = 0;
};

inline Spread SpreadOf(std::vector<double> values) {
    if (values.empty()) return {};
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    const double median = n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    return {median, values.front(), values.back()};
}

// The number of rounds: QUARROW_BENCH_ROUNDS when set, else `fallback`.
inline int Rounds(int fallback) {
    const char* set = std::getenv("QUARROW_BENCH_ROUNDS");
    const int rounds = set ? std::atoi(set) : 0;
    return rounds > 0 ? rounds : fallback;
}

// Runs every side once a round, `rounds` times, starting each round with the next side. Each
// side returns the seconds it measured; the result holds them per side, in round order.
inline std::vector<std::vector<double>> Interleave(int rounds,
                                                   const std::vector<std::function<double()>>& sides) {
    std::vector<std::vector<double>> times(sides.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < sides.size(); ++i) {
            const std::size_t side = (i + static_cast<std::size_t>(round)) % sides.size();
            times[side].push_back(sides[side]());
        }
    }
    return times;
}

// The one-minute load average, to judge how quiet the machine was.
inline double LoadAverage() {
    std::ifstream in("/proc/loadavg");
    double load = -1;
    in >> load;
    return load;
}

struct Comparison {
    Spread ours;
    Spread reference;
    Spread paired;  // ours/reference of each round: both ran back to back under the same load
    double Ratio() const { return reference.median > 0 ? ours.median / reference.median : 0; }
};

inline Comparison Compare(const std::vector<double>& ours, const std::vector<double>& reference) {
    std::vector<double> paired;
    for (std::size_t i = 0; i < ours.size() && i < reference.size(); ++i) {
        if (reference[i] > 0) paired.push_back(ours[i] / reference[i]);
    }
    return {SpreadOf(ours), SpreadOf(reference), SpreadOf(paired)};
}

// "<name>: ratio R (<what>, target <= T) [paired low..high], ours M s [low..high], reference M s
// [low..high], N rounds, load L" followed by `detail`.
inline void PrintRatio(const char* name, const Comparison& c, const char* what, double target, int rounds,
                       const std::string& detail = {}) {
    std::printf(
        "%s: ratio %.3f (%s, target <= %.2f) spread of paired ratios %.3f [%.3f..%.3f]; ours %.4f s "
        "[%.4f..%.4f], reference %.4f s [%.4f..%.4f]; %d rounds, load %.2f%s%s\n",
        name, c.Ratio(), what, target, c.paired.median, c.paired.low, c.paired.high, c.ours.median,
        c.ours.low, c.ours.high, c.reference.median, c.reference.low, c.reference.high, rounds, LoadAverage(),
        detail.empty() ? "" : "; ", detail.c_str());
    std::fflush(stdout);
}

}  // namespace bench
