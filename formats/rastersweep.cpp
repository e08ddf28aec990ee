#include "formats/rastersweep.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include <QScopeGuard>

#include "base/errors.h"

namespace {

// Cells a reader holds at once: 32 MB of samples, few calls into the file.
constexpr std::uint64_t kBandCells = std::uint64_t{1} << 22;

}  // namespace

bool SweepSamples(RasterFile& raster, SampleSink& mine, SampleSink& theirs,
                  const std::function<bool(double)>& keepGoing) {
  const RasterHeader& header = raster.Header();
  const std::uint32_t chunkColumns = std::max(1u, std::min(header.columns, header.blockColumns));
  const std::uint64_t blockCells = std::uint64_t{chunkColumns} * header.blockRows;
  const auto bandRows = static_cast<std::uint32_t>(std::min<std::uint64_t>(
      std::uint64_t{header.blockRows} * std::max<std::uint64_t>(kBandCells / blockCells, 1),
      header.rows));
  const std::uint64_t bands = (std::uint64_t{header.rows} + bandRows - 1) / bandRows;
  const std::size_t bandSamples = std::size_t{chunkColumns} * bandRows;

  // Reads band into sink; false when the file fails.
  const auto readBand = [&](RasterFile& file, std::uint64_t band, std::vector<double>& samples,
                            SampleSink& sink) {
    const auto row = static_cast<std::uint32_t>(band * bandRows);
    const std::uint32_t rows = std::min(bandRows, header.rows - row);
    for (std::uint32_t column = 0; column < header.columns; column += chunkColumns) {
      const RasterWindow window{column, row, std::min(chunkColumns, header.columns - column), rows};
      const std::size_t n = std::size_t{window.columns} * rows;
      if (!file.MayHoldData(window)) {
        sink.Unwritten(n);
        continue;
      }
      if (!file.Read(window, window.columns, rows, samples.data(), 1, window.columns, {}))
        return false;
      sink.Samples(samples.data(), n);
    }
    return true;
  };

  std::unique_ptr<RasterFile> second;
  if (bands > 1 && std::thread::hardware_concurrency() > 1)
    second.reset(raster.OpenAgain());
  std::vector<double> samples(bandSamples);
  std::atomic<bool> stop{false};
  std::atomic<bool> theirsFailed{false};
  std::atomic<std::uint64_t> bandsDone{0};
  std::thread helper;
  if (second) {
    helper = std::thread([&] {
      std::vector<double> own;
      try {
        own.resize(bandSamples);
      } catch (const std::bad_alloc&) {
        theirsFailed = true;
        return;
      }
      for (std::uint64_t band = 1; band < bands && !stop; band += 2) {
        if (!readBand(*second, band, own, theirs)) {
          theirsFailed = true;
          return;
        }
        ++bandsDone;
      }
    });
  }
  const auto join = qScopeGuard([&] {
    stop = true;
    if (helper.joinable())
      helper.join();
  });
  const std::uint64_t step = second ? 2 : 1;
  const auto done = [&] { return static_cast<double>(bandsDone) / static_cast<double>(bands); };
  for (std::uint64_t band = 0; band < bands; band += step) {
    if (!readBand(raster, band, samples, mine) || theirsFailed)
      throw cReadError();
    ++bandsDone;
    if (keepGoing && !keepGoing(done()))
      return false;
  }
  if (helper.joinable()) {
    while (bandsDone < bands && !theirsFailed) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (keepGoing && !keepGoing(done()))
        return false;
    }
    helper.join();
  }
  if (theirsFailed)
    throw cReadError();
  return true;
}
