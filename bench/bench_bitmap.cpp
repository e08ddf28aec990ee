// The bitmap loaders on a photograph-sized picture (4096 x 4096, 24 bits, held
// in memory): decoding, the height field and the colour count, each beside a
// plain pass over the same bytes in the same run, so that the ratio shows how
// far each stays from memory speed.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numeric>
#include <vector>

#include <benchmark/benchmark.h>

#include "input/bmpdecode.h"
#include "input/colourcount.h"
#include "input/heightfield.h"
#include "input/hugepages.h"

namespace {

constexpr int kSide = 4096;

// Smooth shading with a little grain, as in a photograph: neighbouring pixels
// are alike but rarely equal.
const std::vector<unsigned char>& PhotoFile() {
  static const std::vector<unsigned char> file = [] {
    const std::uint32_t stride = kSide * 3;
    const std::uint32_t dataSize = stride * kSide;
    std::vector<unsigned char> f;
    f.reserve(54 + dataSize);
    auto add = [&f](std::uint32_t v, int bytes) {
      for (int i = 0; i < bytes; ++i)
        f.push_back(static_cast<unsigned char>(v >> (8 * i)));
    };
    f.push_back('B'), f.push_back('M');
    add(54 + dataSize, 4), add(0, 4), add(54, 4);
    add(40, 4), add(kSide, 4), add(kSide, 4), add(1, 2), add(24, 2), add(0, 4), add(dataSize, 4);
    add(2835, 4), add(2835, 4), add(0, 4), add(0, 4);
    std::uint32_t grain = 12345;
    for (int y = 0; y < kSide; ++y) {
      for (int x = 0; x < kSide; ++x) {
        grain = grain * 1103515245u + 12345u;
        const int noise = static_cast<int>(grain >> 28) - 8;
        const double shade = 0.5 + 0.5 * std::sin(x / 300.0) * std::cos(y / 470.0);
        auto channel = [noise](double v) {
          return static_cast<unsigned char>(std::clamp(static_cast<int>(v) + noise, 0, 255));
        };
        f.push_back(channel(40 + 150 * shade * y / kSide));    // blue
        f.push_back(channel(30 + 200 * shade));                // green
        f.push_back(channel(255.0 * x / kSide * shade + 20));  // red
      }
    }
    return f;
  }();
  return file;
}

const RgbImage& PhotoImage() {
  static const RgbImage image = DecodeBitmap(PhotoFile().data(), PhotoFile().size());
  return image;
}

std::uint64_t SumBytes(const unsigned char* p, std::size_t n) {
  return std::accumulate(p, p + n, std::uint64_t{0});
}

void BM_SumFileBytes(benchmark::State& state) {
  const auto& file = PhotoFile();
  for (auto _ : state)
    benchmark::DoNotOptimize(SumBytes(file.data(), file.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_SumFileBytes)->Unit(benchmark::kMillisecond);

void BM_DecodeBitmap(benchmark::State& state) {
  const auto& file = PhotoFile();
  for (auto _ : state)
    benchmark::DoNotOptimize(DecodeBitmap(file.data(), file.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_DecodeBitmap)->Unit(benchmark::kMillisecond);

void BM_SumDecodedPixels(benchmark::State& state) {
  const RgbImage& image = PhotoImage();
  for (auto _ : state) {
    benchmark::DoNotOptimize(SumBytes(image.pixels.get(), image.PixelCount() * 3));
  }
}
BENCHMARK(BM_SumDecodedPixels)->Unit(benchmark::kMillisecond);

// What any height field costs: a fresh array of as many points, from the same
// kind of pages, written once. Most of it is the kernel clearing the pages.
void BM_FillFreshPointArray(benchmark::State& state) {
  const std::size_t n = PhotoImage().PixelCount();
  for (auto _ : state) {
    std::unique_ptr<Vec3[]> points(new Vec3[n]);
    AdviseHugePages(points.get(), n * sizeof(Vec3));
    for (std::size_t i = 0; i < n; ++i)
      points[i] = Vec3{0.5, 0.25, static_cast<double>(i & 7)};
    benchmark::DoNotOptimize(points.get());
  }
}
BENCHMARK(BM_FillFreshPointArray)->Unit(benchmark::kMillisecond);

void BM_HeightField(benchmark::State& state) {
  const RgbImage& image = PhotoImage();
  for (auto _ : state)
    benchmark::DoNotOptimize(BuildHeightField(image));
}
BENCHMARK(BM_HeightField)->Unit(benchmark::kMillisecond);

void BM_DecodeAndHeightField(benchmark::State& state) {
  const auto& file = PhotoFile();
  for (auto _ : state) {
    benchmark::DoNotOptimize(BuildHeightField(DecodeBitmap(file.data(), file.size())));
  }
}
BENCHMARK(BM_DecodeAndHeightField)->Unit(benchmark::kMillisecond);

void BM_ColourCount(benchmark::State& state) {
  const RgbImage& image = PhotoImage();
  for (auto _ : state)
    benchmark::DoNotOptimize(CountColours(image));
}
BENCHMARK(BM_ColourCount)->Unit(benchmark::kMillisecond);

}  // namespace
