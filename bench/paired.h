#pragma once
// Times a measured operation and its references in the same iterations, one
// after the other, so that all see the same load on a shared machine and
// their ratios stay meaningful when the absolute times do not. Only the
// measured operation counts as the benchmark's own time; references run with
// the benchmark's timers paused.

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>

// Runs f once before timing starts. The first use of hundreds of megabytes in
// a process costs several times a later one here (the virtual machine backs
// its memory on first touch), and a load in a running program meets the
// later cost.
template <class F>
void WarmUp(F&& f) {
  f();
}

class Paired {
 public:
  // Runs the measured operation inside the timed region.
  template <class F>
  void Measure(F&& f) {
    const auto start = Clock::now();
    f();
    measured += Clock::now() - start;
  }

  // Runs the reference called name outside it.
  template <class F>
  void Reference(benchmark::State& state, const std::string& name, F&& f) {
    state.PauseTiming();
    const auto start = Clock::now();
    f();
    const Clock::duration took = Clock::now() - start;
    state.ResumeTiming();
    for (auto& [known, total] : references) {
      if (known == name) {
        total += took;
        return;
      }
    }
    references.emplace_back(name, took);
  }

  // Counters for each reference: <name>_ms, its mean wall time, and x_<name>,
  // the measured operation's wall time over the reference's.
  void Report(benchmark::State& state) const {
    const double n = static_cast<double>(state.iterations());
    for (const auto& [name, total] : references) {
      if (n == 0 || total.count() == 0)
        continue;
      state.counters[name + "_ms"] = std::chrono::duration<double, std::milli>(total).count() / n;
      state.counters["x_" + name] = std::chrono::duration<double>(measured) / total;
    }
  }

 private:
  using Clock = std::chrono::steady_clock;
  Clock::duration measured{};
  std::vector<std::pair<std::string, Clock::duration>> references;
};
