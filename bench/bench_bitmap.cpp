// The bitmap loaders on a photograph-sized picture (4096 x 4096, 24 bits, held
// in memory): decoding, the height field and the colour count, each beside a
// plain pass over the same bytes in the same iterations. The height field also
// stands beside filling a fresh array of its size, which is most of its cost.
#include <cstdint>
#include <cstring>
#include <memory>

#include <benchmark/benchmark.h>

#include "base/parallelrows.h"
#include "formats/bmpdecode.h"
#include "formats/colourcount.h"
#include "formats/heightfield.h"
#include "formats/hugepages.h"
#include "inputs.h"
#include "paired.h"

namespace {

constexpr int kSide = 4096;

const std::vector<unsigned char>& Photo() {
  return PhotoBitmapFile(kSide);
}

// Reads every byte once, eight at a time: memory speed for any loop that has
// to look at all of them.
std::uint64_t PlainPass(const unsigned char* p, std::size_t n) {
  std::uint64_t sum = 0;
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    sum += word;
  }
  for (; i < n; ++i)
    sum += p[i];
  return sum;
}

void PassOverFile(Paired& paired, benchmark::State& state) {
  paired.Reference(state, "pass",
                   [] { benchmark::DoNotOptimize(PlainPass(Photo().data(), Photo().size())); });
}

void PassOverPixels(Paired& paired, benchmark::State& state) {
  const RgbImage& image = PhotoImage(kSide);
  paired.Reference(state, "pass", [&] {
    benchmark::DoNotOptimize(PlainPass(image.pixels.get(), image.PixelCount() * 3));
  });
}

// What any height field costs at least: a fresh array of as many points, from
// the same kind of pages, written once by as many threads as the height field
// uses. Most of it is the kernel clearing the pages.
void FillFreshPointArray(std::size_t rows, std::size_t columns) {
  std::unique_ptr<Vec3[]> points(new Vec3[rows * columns]);
  AdviseHugePages(points.get(), rows * columns * sizeof(Vec3));
  ForEachRowBlock(rows, columns, [&](std::size_t rowBegin, std::size_t rowEnd) {
    for (std::size_t i = rowBegin * columns; i < rowEnd * columns; ++i)
      points[i] = Vec3{0.5, 0.25, static_cast<double>(i & 7)};
  });
  benchmark::DoNotOptimize(points.get());
  benchmark::ClobberMemory();
}

// The same for a decoded picture of n pixels.
void FillFreshPixels(std::size_t n) {
  std::unique_ptr<std::uint8_t[]> pixels(new std::uint8_t[n * 3]);
  AdviseHugePages(pixels.get(), n * 3);
  std::memset(pixels.get(), 0x55, n * 3);
  benchmark::DoNotOptimize(pixels.get());
  benchmark::ClobberMemory();
}

// Results are freed outside the timed region: a load keeps them.

void BM_DecodeBitmap(benchmark::State& state) {
  PhotoImage(kSide);
  WarmUp([] { DecodeBitmap(Photo().data(), Photo().size()); });
  Paired paired;
  for (auto _ : state) {
    RgbImage image;
    paired.Measure([&] { image = DecodeBitmap(Photo().data(), Photo().size()); });
    state.PauseTiming();
    image = RgbImage();
    state.ResumeTiming();
    PassOverFile(paired, state);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(Photo().size()));
  paired.Report(state);
}
BENCHMARK(BM_DecodeBitmap)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HeightField(benchmark::State& state) {
  const RgbImage& image = PhotoImage(kSide);
  WarmUp([&] { BuildHeightField(image); });
  Paired paired;
  for (auto _ : state) {
    std::unique_ptr<Vec3[]> points;
    paired.Measure([&] { points = BuildHeightField(image); });
    state.PauseTiming();
    points.reset();
    state.ResumeTiming();
    PassOverPixels(paired, state);
    paired.Reference(state, "fill", [&] {
      FillFreshPointArray(static_cast<std::size_t>(image.height),
                          static_cast<std::size_t>(image.width));
    });
  }
  paired.Report(state);
}
BENCHMARK(BM_HeightField)->Unit(benchmark::kMillisecond)->UseRealTime();

// The two steps of a height-field load after reading the file; the decoded
// picture goes when the height field is built, as in the load. Beside a pass
// over the file and the filling of fresh arrays of the two sizes.
void BM_DecodeAndHeightField(benchmark::State& state) {
  const RgbImage& photo = PhotoImage(kSide);
  WarmUp([] { BuildHeightField(DecodeBitmap(Photo().data(), Photo().size())); });
  Paired paired;
  for (auto _ : state) {
    std::unique_ptr<Vec3[]> points;
    paired.Measure([&] {
      const RgbImage image = DecodeBitmap(Photo().data(), Photo().size());
      points = BuildHeightField(image);
    });
    state.PauseTiming();
    points.reset();
    state.ResumeTiming();
    PassOverFile(paired, state);
    paired.Reference(state, "fill", [&] {
      FillFreshPixels(photo.PixelCount());
      FillFreshPointArray(static_cast<std::size_t>(photo.height),
                          static_cast<std::size_t>(photo.width));
    });
  }
  paired.Report(state);
}
BENCHMARK(BM_DecodeAndHeightField)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ColourCount(benchmark::State& state) {
  const RgbImage& image = PhotoImage(kSide);
  Paired paired;
  for (auto _ : state) {
    std::unique_ptr<float[]> counts;
    paired.Measure([&] { counts = CountColours(image); });
    state.PauseTiming();
    counts.reset();
    state.ResumeTiming();
    PassOverPixels(paired, state);
  }
  paired.Report(state);
}
BENCHMARK(BM_ColourCount)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
