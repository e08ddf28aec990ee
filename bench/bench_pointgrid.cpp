// The point-grid reader on a generated file of 1,000,000 point lines (a blank
// line after every 1,000), beside a memcpy of the same bytes: the ratio is
// what counts, the machine's speed cancels out.
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include <benchmark/benchmark.h>

#include "input/pointgrid.h"

namespace {

const std::string& PointFile() {
  static const std::string text = [] {
    std::mt19937 random(42);
    std::string t;
    t.reserve(26'000'000);
    auto number = [&] {
      // 1 to 6 decimals, mostly 6, as files written by other programs have.
      const int decimals = random() % 4 == 0 ? 1 + static_cast<int>(random() % 5) : 6;
      int scale = 1;
      for (int i = 0; i < decimals; ++i)
        scale *= 10;
      const int v = static_cast<int>(random() % static_cast<unsigned>(scale));
      std::string digits = std::to_string(v);
      t += "0.";
      t.append(static_cast<std::size_t>(decimals) - digits.size(), '0');
      t += digits;
    };
    for (int i = 0; i < 1'000'000; ++i) {
      number();
      t += ',';
      number();
      t += ',';
      number();
      t += '\n';
      if (i % 1000 == 999)
        t += '\n';
    }
    return t;
  }();
  return text;
}

void BM_ReadPointGrid(benchmark::State& state) {
  const std::string& text = PointFile();
  for (auto _ : state) {
    PointGrid grid = ReadPointGrid(text.data(), text.size(), DecimalSeparator('.'));
    benchmark::DoNotOptimize(grid.points.get());
    if (grid.columns != 1000 || grid.rows != 1000)
      state.SkipWithError("wrong grid");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadPointGrid)->Unit(benchmark::kMillisecond);

void BM_MemcpyPointFile(benchmark::State& state) {
  const std::string& text = PointFile();
  std::unique_ptr<char[]> copy(new char[text.size()]);
  for (auto _ : state) {
    std::memcpy(copy.get(), text.data(), text.size());
    benchmark::DoNotOptimize(copy.get());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_MemcpyPointFile)->Unit(benchmark::kMillisecond);

}  // namespace
