#pragma once
// Times a measured operation and its references in the same iterations, one
// after the other, so that all see the same load on a shared machine and
// their ratios stay meaningful when the absolute times do not. Only the
// measured operation counts as the benchmark's own time; references run with
// the benchmark's timers paused.

#include <chrono>
#include <ctime>
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
    const double cpuStart = ThreadCpuSeconds();
    const auto start = Clock::now();
    f();
    const Clock::duration took = Clock::now() - start;
    const double cpu = ThreadCpuSeconds() - cpuStart;
    state.ResumeTiming();
    for (Timed& known : references) {
      if (known.name == name) {
        known.wall += took;
        known.cpu += cpu;
        return;
      }
    }
    references.push_back({name, took, cpu});
  }

  // The measured operation's wall time so far, in milliseconds.
  double MeasuredMs() const { return std::chrono::duration<double, std::milli>(measured).count(); }

  // Counters for each reference: <name>_ms, its mean wall time; x_<name>, the
  // measured operation's wall time over the reference's; and <name>_cpu_ms,
  // the reference's processor time on this thread (where the renderer's own
  // threads do not count), to set beside the CPU column.
  void Report(benchmark::State& state) const {
    const double n = static_cast<double>(state.iterations());
    for (const Timed& r : references) {
      if (n == 0 || r.wall.count() == 0)
        continue;
      state.counters[r.name + "_ms"] =
          std::chrono::duration<double, std::milli>(r.wall).count() / n;
      state.counters["x_" + r.name] = std::chrono::duration<double>(measured) / r.wall;
      state.counters[r.name + "_cpu_ms"] = r.cpu * 1000 / n;
    }
  }

 private:
  using Clock = std::chrono::steady_clock;
  struct Timed {
    std::string name;
    Clock::duration wall;
    double cpu;  // seconds
  };
  static double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
  }
  Clock::duration measured{};
  std::vector<Timed> references;
};
