// Meshes that leave the program:
// - BM_DecimateTop: DecimatedTop at 0.1 mm of a fractal terrain of
//   TerrainSide() x TerrainSide() points (nine octaves of value noise) as a
//   120 mm print: its longest side 120, its relief 20, in the same units.
//   Counters full_triangles, triangles and x_fewer (the first over the
//   second). Reference "stl": writing as many bytes as the binary STL of the
//   full top (84 + 50 a triangle) to a file in the build folder, fsync'd, as
//   a file committed through QSaveFile is; stl_unsynced_ms, the same until
//   the last write returned.
// - BM_WriteBytes: that writing alone, bytes_per_second.
// - BM_ExportStl: ExportMesh of a StlSide() x StlSide() surface (a smooth
//   hill, 4096 points a side, a tenth of that under the test programs) as a
//   closed binary STL, 120 mm across, from reading the grid to the renamed
//   file. Reference "bytes": writing as many bytes to the same folder as
//   above.
// The heights are made once per process, before timing, and read as a
// raster's rows would be; under the test programs (CUBISCOPE_BENCH_SMALL) the
// terrain is a tenth as wide, and CUBISCOPE_BENCH_SIDE sets another side.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include "meshes/decimate.h"
#include "meshes/meshexport.h"
#include "paired.h"
#include "valuenoise.h"

namespace {

std::uint32_t TerrainSide() {
  if (qEnvironmentVariableIsSet("CUBISCOPE_BENCH_SIDE"))
    return qEnvironmentVariableIntValue("CUBISCOPE_BENCH_SIDE");
  return qEnvironmentVariableIsSet("CUBISCOPE_BENCH_SMALL") ? 1080 : 10800;
}

constexpr double kPrintSide = 120.0, kRelief = 20.0, kBound = 0.1;

// The terrain's heights in print millimetres, row after row: octaves from 4
// lattice cells across, each twice as fine and half as high as the one
// before, the finest about ten points across (nine octaves at full size, the
// finest 0.12 mm across and 0.04 mm high).
const std::vector<float>& Heights() {
  static const std::vector<float> heights = [] {
    const std::uint32_t side = TerrainSide();
    std::uint32_t octaves = 1;
    while (4u << octaves <= side / 10)
      ++octaves;
    std::vector<float> z(std::size_t{side} * side);
    for (std::uint32_t r = 0; r < side; ++r) {
      for (std::uint32_t c = 0; c < side; ++c) {
        double sum = 0;
        for (std::uint32_t o = 0; o < octaves; ++o) {
          const double lattice = std::ldexp(4.0, static_cast<int>(o)) / side;
          sum += std::ldexp(1.0, -static_cast<int>(o)) * ValueNoise(c * lattice, r * lattice, o);
        }
        z[std::size_t{r} * side + c] = static_cast<float>(sum);
      }
    }
    const auto [low, high] = std::minmax_element(z.begin(), z.end());
    const float base = *low, scale = static_cast<float>(kRelief) / (*high - *low);
    for (float& h : z)
      h = (h - base) * scale;
    return z;
  }();
  return heights;
}

GridRows Terrain() {
  const std::uint32_t side = TerrainSide();
  const double step = kPrintSide / (side - 1);
  GridRows grid;
  grid.columns = grid.rows = side;
  grid.read = [side, step](std::uint32_t first, std::uint32_t count, Vec3* points,
                           std::uint8_t* present) {
    const float* z = Heights().data() + std::size_t{first} * side;
    for (std::uint32_t r = 0; r < count; ++r) {
      for (std::uint32_t c = 0; c < side; ++c)
        *points++ = {c * step, (first + r) * step, *z++};
    }
    std::fill_n(present, std::size_t{count} * side, 1);
  };
  return grid;
}

std::uint64_t FullTriangles() {
  const std::uint64_t cells = TerrainSide() - 1;
  return 2 * cells * cells;
}

// Writes bytes bytes to a new file in the build folder in pieces of 1 MiB,
// as a mesh writer's buffered stream would, and removes it. Returns the
// seconds until the last write returned, or a negative number when writing
// failed.
double WriteBytes(std::uint64_t bytes) {
  const std::string path = std::string(CUBISCOPE_BUILD_DIR) + "/bench_meshes_stl.bin";
  const std::vector<char> piece(1 << 20, 'm');
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0)
    return -1.0;
  const auto start = std::chrono::steady_clock::now();
  bool written = true;
  for (std::uint64_t left = bytes; left > 0 && written;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, piece.size()));
    written = ::write(fd, piece.data(), n) == static_cast<ssize_t>(n);
    left -= n;
  }
  const double unsynced =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  written = ::fsync(fd) == 0 && written;
  written = ::close(fd) == 0 && written;
  ::unlink(path.c_str());
  return written ? unsynced : -1.0;
}

std::uint64_t StlBytes() {
  return 84 + 50 * FullTriangles();
}

void BM_DecimateTop(benchmark::State& state) {
  const GridRows grid = Terrain();
  Heights();
  Paired paired;
  double unsynced = 0, triangles = 0;
  for (auto _ : state) {
    std::optional<TopSurface> top;
    paired.Measure([&] { top = DecimatedTop(grid, kBound, {}); });
    if (!top) {
      state.SkipWithError("no top");
      return;
    }
    triangles = static_cast<double>(top->mesh.TriangleCount());
    top.reset();
    double took = 0;
    paired.Reference(state, "stl", [&] { took = WriteBytes(StlBytes()); });
    if (took < 0) {
      state.SkipWithError("cannot write the build folder");
      return;
    }
    unsynced += took;
  }
  paired.Report(state);
  const double full = static_cast<double>(FullTriangles());
  state.counters["full_triangles"] = full;
  state.counters["triangles"] = triangles;
  state.counters["x_fewer"] = full / triangles;
  state.counters["stl_unsynced_ms"] = 1000 * unsynced / state.iterations();
}
BENCHMARK(BM_DecimateTop)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

void BM_WriteBytes(benchmark::State& state) {
  for (auto _ : state) {
    if (WriteBytes(StlBytes()) < 0) {
      state.SkipWithError("cannot write the build folder");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * StlBytes()));
}
BENCHMARK(BM_WriteBytes)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

std::uint32_t StlSide() {
  return qEnvironmentVariableIsSet("CUBISCOPE_BENCH_SMALL") ? 410 : 4096;
}

// A smooth hill over the unit square, as a picture's heights are placed.
MeshSource Hill() {
  const std::uint32_t side = StlSide();
  MeshSource source;
  source.grid = {
      side, side,
      [side](std::uint32_t first, std::uint32_t count, Vec3* points, std::uint8_t* present) {
        for (std::uint32_t r = first; r < first + count; ++r) {
          const double y = r / (side - 1.0);
          for (std::uint32_t c = 0; c < side; ++c) {
            const double x = c / (side - 1.0);
            *points++ = {x, y, 0.5 + 0.25 * std::sin(6 * x) * std::cos(5 * y)};
          }
        }
        std::fill_n(present, std::size_t{count} * side, 1);
      }};
  source.low = {0.0, 0.0, 0.25};
  source.high = {1.0, 1.0, 0.75};
  return source;
}

// This machine is a virtual one whose host takes back memory that stays
// free for a few seconds, and the next first touch of a page costs several
// times a later one: 3.36 GB written right after the same write took 1.1 -
// 2.0 s, after 5 - 20 s idle 7 - 11 s, all of it in the kernel's copy into
// fresh pages. Both sides of a ratio that writes gigabytes start after the
// same rest, as an export meets a machine that was not writing just before.
void RestBeforeWriting() {
  if (!qEnvironmentVariableIsSet("CUBISCOPE_BENCH_SMALL"))
    std::this_thread::sleep_for(std::chrono::seconds(15));
}

void BM_ExportStl(benchmark::State& state) {
  const MeshSource hill = Hill();
  const QString path = QStringLiteral(CUBISCOPE_BUILD_DIR "/bench_meshes_export.stl");
  // The memory of the mesh and of the file's pages, touched once before
  // (paired.h).
  WarmUp([&] {
    ExportMesh(hill, MeshSettings(), MeshFormat::kStl, path, nullptr);
    QFile::remove(path);
  });
  Paired paired;
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    bool written = false;
    state.PauseTiming();
    RestBeforeWriting();
    state.ResumeTiming();
    paired.Measure(
        [&] { written = ExportMesh(hill, MeshSettings(), MeshFormat::kStl, path, nullptr); });
    bytes = static_cast<std::uint64_t>(QFileInfo(path).size());
    QFile::remove(path);
    if (!written) {
      state.SkipWithError("not written");
      return;
    }
    state.PauseTiming();
    RestBeforeWriting();
    state.ResumeTiming();
    paired.Reference(state, "bytes", [&] { WriteBytes(bytes); });
  }
  paired.Report(state);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ExportStl)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

}  // namespace
