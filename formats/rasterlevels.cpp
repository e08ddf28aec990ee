#include "formats/rasterlevels.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <list>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include <QScopeGuard>

#include "base/errors.h"
#include "formats/loadprogress.h"
#include "formats/measuredheights.h"
#include "formats/memorylimit.h"
#include "formats/rastersweep.h"

namespace {

LevelSizes sizes;  // ScopedLevelSizes's

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::uint64_t CellsOf(int level, const RasterHeader& header) {
  return std::uint64_t{LevelCells(level, header.columns)} * LevelCells(level, header.rows);
}

// The finest level with at most handCells cells.
int HandLevel(const RasterHeader& header) {
  int level = 0;
  while (CellsOf(level, header) > std::max<std::uint64_t>(sizes.handCells, 4))
    ++level;
  return level;
}

// The coarsest level: one tile, or two cells along the shorter side.
int LevelsOf(const RasterHeader& header, int handLevel) {
  int level = handLevel;
  while (std::max(LevelCells(level, header.columns), LevelCells(level, header.rows)) >
             sizes.tileSide &&
         std::min(LevelCells(level + 1, header.columns), LevelCells(level + 1, header.rows)) >= 2)
    ++level;
  return level + 1;
}

// The stored samples of a level's window, each the average of the raster's
// cells it stands for, into out (window.columns a row). The file's reduced
// read spreads its grid evenly over the cells read, so the full cells and
// the partial ones at the right and bottom edges are read apart.
bool ReadLevelWindow(RasterFile& raster, const LevelWindow& window, double* out,
                     RasterProgress progress) {
  const RasterHeader& header = raster.Header();
  const int level = window.level;
  struct Part {
    std::uint32_t first, cells;  // of the raster
    std::uint32_t outFirst, outCells;
  };
  // The parts along one side: the whole level cells, then a partial one.
  const auto parts = [level](std::uint32_t first, std::uint32_t count, std::uint32_t total) {
    std::vector<Part> list;
    const std::uint64_t begin = std::uint64_t{first} << level;
    const std::uint64_t end = std::min(std::uint64_t{first + count} << level, std::uint64_t{total});
    const auto whole =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(count, (end - begin) >> level));
    if (whole > 0)
      list.push_back({static_cast<std::uint32_t>(begin), whole << level, 0, whole});
    if (whole < count) {
      const std::uint64_t from = begin + (std::uint64_t{whole} << level);
      list.push_back(
          {static_cast<std::uint32_t>(from), static_cast<std::uint32_t>(end - from), whole, 1});
    }
    return list;
  };
  for (const Part& across : parts(window.column, window.columns, header.columns)) {
    for (const Part& down : parts(window.row, window.rows, header.rows)) {
      double* to = out + std::size_t{down.outFirst} * window.columns + across.outFirst;
      if (!raster.Read({across.first, down.first, across.cells, down.cells}, across.outCells,
                       down.outCells, to, 1, window.columns, progress))
        return false;
      progress = {};  // the first part is nearly all of a large read
    }
  }
  return true;
}

// Whether the cells a file never wrote, which read as the no-data sample or
// as 0 without one, hold a value (then 0).
bool UnwrittenHoldsValue(const RasterHeader& header) {
  return !header.noData && HoldsValue(header, 0.0);
}

// Counts a raster's samples by their heights (v - minimum) / (maximum -
// minimum), bins over [0, 1]: the bin is linear in the stored sample, so
// that each costs a multiply and an add beyond its test.
class HeightCounter final : public SampleSink {
 public:
  HeightCounter(const RasterHeader& header, double minimum, double maximum)
      : counts(0.0, 1.0), header(header) {
    const double range = maximum - minimum;
    const auto bins = static_cast<double>(ValueHistogram::kBins);
    perSample = range == 0.0 ? 0.0 : header.scale / range * bins;
    atZero = range == 0.0 ? bins / 2 : (header.offset - minimum) / range * bins;
  }
  void Samples(const double* samples, std::size_t n) override {
    std::uint64_t* bins = counts.bins.data();
    std::uint64_t counted = 0;
    for (std::size_t k = 0; k < n; ++k) {
      const double sample = samples[k];
      if (!HoldsValue(header, sample))
        continue;
      ++bins[Bin(sample)];
      ++counted;
    }
    counts.count += counted;
  }
  void Unwritten(std::uint64_t cells) override {
    if (!UnwrittenHoldsValue(header))
      return;
    counts.bins[Bin(0.0)] += cells;
    counts.count += cells;
  }

  ValueHistogram counts;

 private:
  std::size_t Bin(double sample) const {
    const double at = sample * perSample + atZero;
    // Rounding at the ends may step just outside [0, 1].
    if (!(at > 0.0))
      return 0;
    return std::min(static_cast<std::size_t>(at), ValueHistogram::kBins - 1);
  }

  const RasterHeader& header;
  double perSample = 0.0;
  double atZero = 0.0;
};

// The same as the mean of the raster's own cells, read a band of rows at a
// time: where the file has no overviews GDAL reads every cell anyway, and
// its averaging of a mosaic (VRT) takes each source apart, so that a level
// cell across two sources would differ from the one file's.
bool AverageLevelWindow(RasterFile& raster, const LevelWindow& window, double* out) {
  const RasterHeader& header = raster.Header();
  const int level = window.level;
  const std::uint32_t first = window.column << level;
  const std::uint32_t columns = static_cast<std::uint32_t>(
      std::min<std::uint64_t>(std::uint64_t{window.column + window.columns} << level,
                              header.columns) -
      first);
  std::vector<double> band(std::size_t{columns} << level);
  std::vector<double> sums(window.columns);
  std::vector<std::uint64_t> counts(window.columns);
  for (std::uint32_t r = 0; r < window.rows; ++r) {
    const std::uint32_t row = (window.row + r) << level;
    const std::uint32_t rows = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(std::uint64_t{1} << level, header.rows - row));
    std::fill(sums.begin(), sums.end(), 0.0);
    std::fill(counts.begin(), counts.end(), 0);
    const RasterWindow cells{first, row, columns, rows};
    if (!raster.MayHoldData(cells)) {
      const bool zero = UnwrittenHoldsValue(header);
      for (std::uint32_t c = 0; c < window.columns; ++c)
        out[std::size_t{r} * window.columns + c] = zero ? 0.0 : kNaN;
      continue;
    }
    if (!raster.Read(cells, columns, rows, band.data(), 1, columns, {}))
      return false;
    for (std::uint32_t y = 0; y < rows; ++y) {
      for (std::uint32_t x = 0; x < columns; ++x) {
        const double sample = band[std::size_t{y} * columns + x];
        if (HoldsValue(header, sample)) {
          sums[x >> level] += sample;
          ++counts[x >> level];
        }
      }
    }
    for (std::uint32_t c = 0; c < window.columns; ++c)
      out[std::size_t{r} * window.columns + c] = counts[c] ? sums[c] / counts[c] : kNaN;
  }
  return true;
}

// A level one above the grid of z given: each cell the mean of the cells
// below it that have a value, NaN where none has.
std::vector<double> Coarser(const std::vector<double>& z, std::uint32_t columns,
                            std::uint32_t rows) {
  const std::uint32_t outColumns = LevelCells(1, columns);
  const std::uint32_t outRows = LevelCells(1, rows);
  std::vector<double> out(std::size_t{outColumns} * outRows);
  for (std::uint32_t r = 0; r < outRows; ++r) {
    for (std::uint32_t c = 0; c < outColumns; ++c) {
      double sum = 0.0;
      int count = 0;
      for (std::uint32_t dr = 0; dr < 2 && 2 * r + dr < rows; ++dr) {
        for (std::uint32_t dc = 0; dc < 2 && 2 * c + dc < columns; ++dc) {
          const double v = z[std::size_t{2 * r + dr} * columns + 2 * c + dc];
          if (!std::isnan(v)) {
            sum += v;
            ++count;
          }
        }
      }
      out[std::size_t{r} * outColumns + c] = count ? sum / count : kNaN;
    }
  }
  return out;
}

// The height of a stored sample. A file's statistics may claim a range its
// cells leave: those stay on the cube's floor or ceiling.
double HeightOfSample(const RasterHeader& header, const ValueToHeight& toHeight, double sample) {
  return HoldsValue(header, sample) ? std::clamp(toHeight(ValueOf(header, sample)), 0.0, 1.0)
                                    : kNaN;
}

// Heights rounded to single precision without narrowing what they bound.
float Below(double v) {
  const auto f = static_cast<float>(v);
  return f > v ? std::nextafter(f, -HUGE_VALF) : f;
}
float Above(double v) {
  const auto f = static_cast<float>(v);
  return f < v ? std::nextafter(f, HUGE_VALF) : f;
}

// Bounds of the heights of the raster's cells under each cell of a level;
// low above high where none has a value.
struct Bounds {
  std::vector<float> low;
  std::vector<float> high;
};

Bounds CoarserBounds(const Bounds& b, std::uint32_t columns, std::uint32_t rows) {
  const std::uint32_t outColumns = LevelCells(1, columns);
  const std::uint32_t outRows = LevelCells(1, rows);
  Bounds out{std::vector<float>(std::size_t{outColumns} * outRows, HUGE_VALF),
             std::vector<float>(std::size_t{outColumns} * outRows, -HUGE_VALF)};
  for (std::uint32_t r = 0; r < rows; ++r) {
    for (std::uint32_t c = 0; c < columns; ++c) {
      const std::size_t from = std::size_t{r} * columns + c;
      const std::size_t to = std::size_t{r / 2} * outColumns + c / 2;
      out.low[to] = std::min(out.low[to], b.low[from]);
      out.high[to] = std::max(out.high[to], b.high[from]);
    }
  }
  return out;
}

// Where the file's overviews gave the cells, their extremes are not known:
// the neighbourhood's means stand in.
Bounds NeighbourhoodBounds(const std::vector<double>& z, std::uint32_t columns,
                           std::uint32_t rows) {
  Bounds out{std::vector<float>(z.size(), HUGE_VALF), std::vector<float>(z.size(), -HUGE_VALF)};
  for (std::uint32_t r = 0; r < rows; ++r) {
    for (std::uint32_t c = 0; c < columns; ++c) {
      const std::size_t k = std::size_t{r} * columns + c;
      for (std::uint32_t nr = r > 0 ? r - 1 : 0; nr <= std::min(r + 1, rows - 1); ++nr) {
        for (std::uint32_t nc = c > 0 ? c - 1 : 0; nc <= std::min(c + 1, columns - 1); ++nc) {
          const double v = z[std::size_t{nr} * columns + nc];
          if (!std::isnan(v)) {
            out.low[k] = std::min(out.low[k], Below(v));
            out.high[k] = std::max(out.high[k], Above(v));
          }
        }
      }
    }
  }
  return out;
}

struct TileKey {
  int level;
  std::uint32_t x, y;
  auto operator<=>(const TileKey&) const = default;
};

class RasterLevels final : public HeightLevels {
 public:
  RasterLevels(std::unique_ptr<RasterFile> file, int handLevel, double minimum, double maximum,
               std::vector<double> handZ, Bounds handBounds)
      : raster(std::move(file)),
        header(raster->Header()),
        toHeight(minimum, maximum),
        handLevel(handLevel),
        levelCount(LevelsOf(header, handLevel)),
        tileSide(sizes.tileSide),
        cacheLimit(TileCacheBytes()),
        valueLow(minimum),
        valueHigh(maximum) {
    hand.push_back(std::move(handZ));
    bounds.push_back(std::move(handBounds));
    for (int level = handLevel + 1; level < levelCount; ++level) {
      const std::uint32_t columns = LevelCells(level - 1, header.columns);
      const std::uint32_t rows = LevelCells(level - 1, header.rows);
      hand.push_back(Coarser(hand.back(), columns, rows));
      bounds.push_back(CoarserBounds(bounds.back(), columns, rows));
    }
  }

  ~RasterLevels() override {
    {
      const std::lock_guard lock(mutex);
      stopping = true;
    }
    wake.notify_all();
    for (std::thread& worker : workers)
      worker.join();
  }

  std::uint32_t Columns() const override { return header.columns; }
  std::uint32_t Rows() const override { return header.rows; }
  int LevelCount() const override { return levelCount; }

  bool Fill(const LevelWindow& window, double* z, std::size_t stride) override {
    const int level = std::clamp(window.level, 0, levelCount - 1);
    const std::uint32_t columns = LevelCells(level, header.columns);
    const std::lock_guard lock(mutex);
    if (level >= handLevel) {
      const std::vector<double>& grid = hand[static_cast<std::size_t>(level - handLevel)];
      for (std::uint32_t r = 0; r < window.rows; ++r) {
        const double* from = grid.data() + std::size_t{window.row + r} * columns + window.column;
        double* to = z + std::size_t{r} * window.columns * stride;
        for (std::uint32_t c = 0; c < window.columns; ++c)
          to[c * stride] = from[c];
      }
      return true;
    }
    bool complete = true;
    std::vector<TileKey> wanted;
    shown = LevelWindow{level, window.column / tileSide, window.row / tileSide, 0, 0};
    const std::uint32_t firstX = window.column / tileSide;
    const std::uint32_t lastX = (window.column + window.columns - 1) / tileSide;
    const std::uint32_t firstY = window.row / tileSide;
    const std::uint32_t lastY = (window.row + window.rows - 1) / tileSide;
    for (std::uint32_t ty = firstY; ty <= lastY; ++ty) {
      for (std::uint32_t tx = firstX; tx <= lastX; ++tx) {
        const TileKey key{level, tx, ty};
        if (!tiles.contains(key)) {
          if (!failed.contains(key)) {
            complete = false;
            if (!reading.contains(key))
              wanted.push_back(key);
          }
        }
        CopyTile(key, window, z, stride);
      }
    }
    shown.columns = lastX - firstX + 1;
    shown.rows = lastY - firstY + 1;
    Trim();
    queue = std::move(wanted);
    if (!queue.empty()) {
      StartWorkers();
      wake.notify_all();
    }
    return complete;
  }

  bool FillCells(const std::array<std::uint32_t, 2>* cells, std::size_t count, double* z) override {
    const std::lock_guard lock(mutex);
    if (handLevel == 0) {
      for (std::size_t k = 0; k < count; ++k)
        z[k] = hand[0][std::size_t{cells[k][1]} * header.columns + cells[k][0]];
      return true;
    }
    bool complete = true;
    std::vector<TileKey> wanted;
    sectionTiles.clear();
    // Sections run along rows and columns: most cells share the last tile.
    TileKey lastKey{-1, 0, 0};
    const Tile* last = nullptr;
    for (std::size_t k = 0; k < count; ++k) {
      const auto [column, row] = cells[k];
      const TileKey key{0, column / tileSide, row / tileSide};
      if (key != lastKey) {
        lastKey = key;
        sectionTiles.insert(key);
        const auto tile = tiles.find(key);
        last = tile == tiles.end() ? nullptr : &tile->second;
        if (last) {
          uses.splice(uses.begin(), uses, tile->second.use);
        } else if (!failed.contains(key)) {
          complete = false;
          if (!reading.contains(key) &&
              std::find(wanted.begin(), wanted.end(), key) == wanted.end())
            wanted.push_back(key);
        }
      }
      if (last) {
        const auto [x0, y0] = TileOrigin(key);
        z[k] = last->z[std::size_t{row - y0} * TileColumns(key) + (column - x0)];
      } else {
        z[k] = CoarserHeight(column, row);
      }
    }
    sectionQueue = std::move(wanted);
    if (!sectionQueue.empty()) {
      StartWorkers();
      wake.notify_all();
    }
    return complete;
  }

  std::array<double, 2> HeightRange(const LevelWindow& cells) const override {
    // At the first level at hand where the window is a few cells.
    int level = handLevel;
    const auto cover = [&cells](int l) {
      const std::uint32_t c0 = cells.column >> l, c1 = (cells.column + cells.columns - 1) >> l;
      const std::uint32_t r0 = cells.row >> l, r1 = (cells.row + cells.rows - 1) >> l;
      return std::array<std::uint32_t, 4>{c0, c1, r0, r1};
    };
    while (level + 1 < levelCount) {
      const auto [c0, c1, r0, r1] = cover(level);
      if (std::uint64_t{c1 - c0 + 1} * (r1 - r0 + 1) <= kRangeCells)
        break;
      ++level;
    }
    const auto [c0, c1, r0, r1] = cover(level);
    const Bounds& b = bounds[static_cast<std::size_t>(level - handLevel)];
    const std::uint32_t columns = LevelCells(level, header.columns);
    double low = 1.0, high = 0.0;
    for (std::uint32_t r = r0; r <= r1; ++r) {
      for (std::uint32_t c = c0; c <= c1; ++c) {
        const std::size_t k = std::size_t{r} * columns + c;
        if (b.low[k] <= b.high[k]) {
          low = std::min(low, static_cast<double>(b.low[k]));
          high = std::max(high, static_cast<double>(b.high[k]));
        }
      }
    }
    return {low, high};
  }

  bool Histogram(ValueHistogram& histogram, const std::function<bool(double)>& keepGoing) override {
    const std::lock_guard lock(countMutex);
    if (!counted) {
      // Openings of its own: the tiles' threads read through theirs.
      std::unique_ptr<RasterFile> own(raster->OpenAgain());
      if (!own)
        return false;
      HeightCounter mine(header, valueLow, valueHigh);
      HeightCounter theirs(header, valueLow, valueHigh);
      if (!SweepSamples(*own, mine, theirs, keepGoing))
        return false;
      mine.counts.Merge(theirs.counts);
      // The load found the exact ends, heights 0 and 1.
      if (mine.counts.count > 0) {
        mine.counts.minimum = 0.0;
        mine.counts.maximum = 1.0;
      }
      counted = std::move(mine.counts);
    }
    histogram = *counted;
    return true;
  }

  std::optional<double> CellHeight(std::uint32_t column, std::uint32_t row) override {
    if (column >= header.columns || row >= header.rows)
      return std::nullopt;
    double z = kNaN;
    bool found = false;
    {
      const std::lock_guard lock(mutex);
      if (handLevel == 0) {
        z = hand[0][std::size_t{row} * header.columns + column];
        found = true;
      } else if (const auto tile = tiles.find({0, column / tileSide, row / tileSide});
                 tile != tiles.end()) {
        const auto [x0, y0] = TileOrigin(tile->first);
        z = tile->second.z[std::size_t{row - y0} * TileColumns(tile->first) + (column - x0)];
        found = true;
      }
    }
    if (!found) {
      double sample = 0.0;
      if (!raster->Read({column, row, 1, 1}, 1, 1, &sample, 1, 1, {}))
        return std::nullopt;
      z = HeightOf(sample);
    }
    if (std::isnan(z))
      return std::nullopt;
    return z;
  }

  void SetArrivalNotice(std::function<void()> notice) override {
    const std::lock_guard lock(mutex);
    arrivalNotice = std::move(notice);
  }
  std::uint64_t Arrivals() const override { return arrivals.load(); }

  void WaitForTiles() override {
    std::unique_lock lock(mutex);
    idle.wait(lock, [this] { return Idle(); });
  }

  bool TakeFailure() override {
    const std::lock_guard lock(mutex);
    return std::exchange(failureUntold, false);
  }

  std::uint64_t CachedBytes() const override {
    const std::lock_guard lock(mutex);
    return cachedBytes;
  }

 private:
  struct Tile {
    std::vector<double> z;
    std::list<TileKey>::iterator use;
  };

  double HeightOf(double sample) const { return HeightOfSample(header, toHeight, sample); }

  std::pair<std::uint32_t, std::uint32_t> TileOrigin(const TileKey& key) const {
    return {key.x * tileSide, key.y * tileSide};
  }
  std::uint32_t TileColumns(const TileKey& key) const {
    return std::min(tileSide, LevelCells(key.level, header.columns) - key.x * tileSide);
  }
  std::uint32_t TileRows(const TileKey& key) const {
    return std::min(tileSide, LevelCells(key.level, header.rows) - key.y * tileSide);
  }

  // Copies the part of the window that tile key covers into z, from the tile
  // itself or, while it is not there, from the finest coarser level that is.
  // Under the lock.
  void CopyTile(const TileKey& key, const LevelWindow& window, double* z, std::size_t stride) {
    const auto [x0, y0] = TileOrigin(key);
    const std::uint32_t fromX = std::max(x0, window.column);
    const std::uint32_t toX = std::min(x0 + TileColumns(key), window.column + window.columns);
    const std::uint32_t fromY = std::max(y0, window.row);
    const std::uint32_t toY = std::min(y0 + TileRows(key), window.row + window.rows);
    // The source: a tile at key.level + up, or the levels at hand.
    const double* source = nullptr;
    std::uint32_t sourceColumns = 0, sourceX0 = 0, sourceY0 = 0;
    int up = 0;
    for (;; ++up) {
      const int level = key.level + up;
      if (level >= handLevel) {
        source = hand[static_cast<std::size_t>(level - handLevel)].data();
        sourceColumns = LevelCells(level, header.columns);
        break;
      }
      const TileKey coarse{level, key.x >> up, key.y >> up};
      if (const auto tile = tiles.find(coarse); tile != tiles.end()) {
        uses.splice(uses.begin(), uses, tile->second.use);
        source = tile->second.z.data();
        sourceColumns = TileColumns(coarse);
        std::tie(sourceX0, sourceY0) = TileOrigin(coarse);
        break;
      }
    }
    for (std::uint32_t y = fromY; y < toY; ++y) {
      double* to = z + std::size_t{y - window.row} * window.columns * stride;
      const double* row = source + std::size_t{(y >> up) - sourceY0} * sourceColumns;
      for (std::uint32_t x = fromX; x < toX; ++x)
        to[(x - window.column) * stride] = row[(x >> up) - sourceX0];
    }
  }

  // The height that stands for the raster's cell (column, row) while its
  // own tile is missing: the finest coarser level's at hand. Under the lock.
  double CoarserHeight(std::uint32_t column, std::uint32_t row) {
    for (int level = 1;; ++level) {
      const std::uint32_t x = column >> level, y = row >> level;
      if (level >= handLevel) {
        const std::vector<double>& grid = hand[static_cast<std::size_t>(level - handLevel)];
        return grid[std::size_t{y} * LevelCells(level, header.columns) + x];
      }
      const TileKey coarse{level, x / tileSide, y / tileSide};
      if (const auto tile = tiles.find(coarse); tile != tiles.end()) {
        const auto [x0, y0] = TileOrigin(coarse);
        return tile->second.z[std::size_t{y - y0} * TileColumns(coarse) + (x - x0)];
      }
    }
  }

  void StartWorkers() {
    if (!workers.empty())
      return;
    const unsigned count = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    for (unsigned k = 0; k < count; ++k)
      workers.emplace_back([this] { Work(); });
  }

  void Work() {
    std::unique_ptr<RasterFile> own(raster->OpenAgain());
    std::unique_lock lock(mutex);
    for (;;) {
      wake.wait(lock, [this] { return stopping || !queue.empty() || !sectionQueue.empty(); });
      if (stopping)
        return;
      // The picture's tiles first: a section can wait for a frame.
      std::vector<TileKey>& from = queue.empty() ? sectionQueue : queue;
      const TileKey key = from.front();
      from.erase(from.begin());
      reading.insert(key);
      lock.unlock();
      std::vector<double> z;
      bool read = false;
      if (own) {
        const auto [x0, y0] = TileOrigin(key);
        const LevelWindow window{key.level, x0, y0, TileColumns(key), TileRows(key)};
        try {
          z.resize(std::size_t{window.columns} * window.rows);
          read = header.overviews || key.level == 0 ? ReadLevelWindow(*own, window, z.data(), {})
                                                    : AverageLevelWindow(*own, window, z.data());
        } catch (const std::bad_alloc&) {
          read = false;
        }
        for (double& v : z)
          v = HeightOf(v);
      }
      lock.lock();
      if (read) {
        Store(key, std::move(z));
      } else {
        failed.insert(key);
        // The user hears of it once for the raster, however many fail.
        failureUntold = failureUntold || failed.size() == 1;
      }
      ++arrivals;
      const std::function<void()> notice = arrivalNotice;
      lock.unlock();
      if (notice)
        notice();
      lock.lock();
      // Only now: whoever waits for the tiles finds them told too.
      reading.erase(key);
      if (Idle())
        idle.notify_all();
    }
  }

  // Nothing asked for is still to come. Under the lock.
  bool Idle() const { return queue.empty() && sectionQueue.empty() && reading.empty(); }

  // Keeps a tile that came, letting go of those used longest ago beyond the
  // cache's bound. Under the lock.
  void Store(const TileKey& key, std::vector<double> z) {
    if (tiles.contains(key))
      return;
    cachedBytes += z.size() * sizeof(double);
    uses.push_front(key);
    tiles[key] = Tile{std::move(z), uses.begin()};
    Trim();
  }

  // Lets go of the tiles used longest ago while the cache is beyond its
  // bound, but never of those the last window shown or the last section
  // needs: a window or section of more tiles than the cache holds would
  // otherwise ask again and again for those it let go of, and never be drawn
  // or cut whole. Under the lock.
  void Trim() {
    auto at = uses.end();
    while (cachedBytes > cacheLimit && at != uses.begin()) {
      --at;
      if (Shown(*at) || sectionTiles.contains(*at))
        continue;
      const auto tile = tiles.find(*at);
      cachedBytes -= tile->second.z.size() * sizeof(double);
      tiles.erase(tile);
      at = uses.erase(at);
    }
  }

  // Whether the tile is one of the last window shown (in tiles).
  bool Shown(const TileKey& key) const {
    return key.level == shown.level && key.x >= shown.column &&
           key.x < shown.column + shown.columns && key.y >= shown.row &&
           key.y < shown.row + shown.rows;
  }

  const std::unique_ptr<RasterFile> raster;  // this thread's opening
  const RasterHeader header;
  const ValueToHeight toHeight;
  const int handLevel;
  const int levelCount;
  const std::uint32_t tileSide;
  const std::uint64_t cacheLimit;
  std::vector<std::vector<double>> hand;  // the levels from handLevel on, whole
  std::vector<Bounds> bounds;             // of the same levels
  // The most cells HeightRange looks at.
  static constexpr std::uint64_t kRangeCells = 1 << 16;

  mutable std::mutex mutex;
  std::condition_variable wake;  // a tile is wanted, or the end
  std::condition_variable idle;  // nothing wanted or being read
  std::map<TileKey, Tile> tiles;
  std::list<TileKey> uses;  // the tiles, most recently used first
  std::uint64_t cachedBytes = 0;
  LevelWindow shown{-1, 0, 0, 0, 0};  // in tiles: what Trim keeps
  std::set<TileKey> failed;
  std::vector<TileKey> queue;         // asked for by Fill
  std::vector<TileKey> sectionQueue;  // asked for by FillCells
  std::set<TileKey> sectionTiles;     // what the last FillCells needs, kept
  std::set<TileKey> reading;
  std::vector<std::thread> workers;
  bool stopping = false;
  bool failureUntold = false;
  std::atomic<std::uint64_t> arrivals{0};
  std::function<void()> arrivalNotice;
  const double valueLow;  // the values at heights 0 and 1
  const double valueHigh;
  std::mutex countMutex;  // over counted, and one count at a time
  std::optional<ValueHistogram> counted;
};

// The range of the values and the mean samples of the hand level, from one
// pass over the file.
struct Pass {
  double minimum = std::numeric_limits<double>::infinity();
  double maximum = -std::numeric_limits<double>::infinity();
  std::vector<double> sums;
  std::vector<std::uint64_t> counts;
  // The smallest and largest value of each hand cell.
  std::vector<double> lows;
  std::vector<double> highs;

  void Extend(std::size_t k, double value) {
    lows[k] = std::min(lows[k], value);
    highs[k] = std::max(highs[k], value);
  }
};

// A band of rows of the file, whole hand cells high, read by one reader into
// the hand cells it covers, which no other band shares.
class PassBand {
 public:
  PassBand(const RasterHeader& header, int handLevel, Pass& pass)
      : header(header),
        handLevel(handLevel),
        handColumns(LevelCells(handLevel, header.columns)),
        pass(pass) {}

  // Reads rows [row, row + rows) in windows chunkColumns wide into samples.
  // False when the file fails to give them.
  bool Read(RasterFile& raster, std::uint32_t row, std::uint32_t rows, std::uint32_t chunkColumns,
            std::vector<double>& samples) {
    for (std::uint32_t column = 0; column < header.columns; column += chunkColumns) {
      const RasterWindow window{column, row, std::min(chunkColumns, header.columns - column), rows};
      if (!raster.MayHoldData(window)) {
        Unwritten(window);
        continue;
      }
      if (!raster.Read(window, window.columns, rows, samples.data(), 1, window.columns, {}))
        return false;
      for (std::uint32_t r = 0; r < rows; ++r) {
        const double* line = samples.data() + std::size_t{r} * window.columns;
        const std::size_t handRow = std::size_t{(row + r) >> handLevel} * handColumns;
        for (std::uint32_t c = 0; c < window.columns; ++c) {
          const double sample = line[c];
          if (!HoldsValue(header, sample))
            continue;
          const double value = ValueOf(header, sample);
          minimum = std::min(minimum, value);
          maximum = std::max(maximum, value);
          const std::size_t k = handRow + ((column + c) >> handLevel);
          pass.sums[k] += sample;
          ++pass.counts[k];
          pass.Extend(k, value);
        }
      }
    }
    return true;
  }

  double minimum = std::numeric_limits<double>::infinity();
  double maximum = -std::numeric_limits<double>::infinity();

 private:
  // Blocks never written read as the no-data sample, or as 0: each hand cell
  // they meet gets its share at once, so that a sparse raster costs what it
  // stores.
  void Unwritten(const RasterWindow& window) {
    if (!UnwrittenHoldsValue(header))
      return;
    const double value = ValueOf(header, 0.0);
    minimum = std::min(minimum, value);
    maximum = std::max(maximum, value);
    const auto span = [this](std::uint32_t first, std::uint32_t count, std::uint32_t cell) {
      const std::uint64_t from = std::max<std::uint64_t>(first, std::uint64_t{cell} << handLevel);
      const std::uint64_t to = std::min<std::uint64_t>(std::uint64_t{first} + count,
                                                       std::uint64_t{cell + 1} << handLevel);
      return to - from;
    };
    for (std::uint32_t cr = window.row >> handLevel;
         cr <= (window.row + window.rows - 1) >> handLevel; ++cr) {
      for (std::uint32_t cc = window.column >> handLevel;
           cc <= (window.column + window.columns - 1) >> handLevel; ++cc) {
        const std::size_t k = std::size_t{cr} * handColumns + cc;
        pass.counts[k] +=
            span(window.column, window.columns, cc) * span(window.row, window.rows, cr);
        pass.Extend(k, value);
      }
    }
  }

  const RasterHeader& header;
  const int handLevel;
  const std::uint32_t handColumns;
  Pass& pass;
};

// Bytes of samples one reader of the pass holds at most, beyond which the
// pass is read by this thread alone.
constexpr std::uint64_t kMostBandBytes = std::uint64_t{64} << 20;

Pass ReadPass(RasterFile& raster, int handLevel) {
  const RasterHeader& header = raster.Header();
  Pass pass;
  pass.sums.assign(CellsOf(handLevel, header), 0.0);
  pass.counts.assign(pass.sums.size(), 0);
  pass.lows.assign(pass.sums.size(), std::numeric_limits<double>::infinity());
  pass.highs.assign(pass.sums.size(), -std::numeric_limits<double>::infinity());
  const std::uint32_t chunkColumns = std::min(header.columns, header.blockColumns);
  const std::uint64_t blockCells = std::uint64_t{chunkColumns} * header.blockRows;
  std::uint64_t bandRows = std::min<std::uint64_t>(
      std::uint64_t{header.blockRows} * std::max<std::uint64_t>(sizes.passCells / blockCells, 1),
      header.rows);
  // A second reader with an opening of its own, where the file opens again
  // and the bands can be whole hand cells high, so that the two never add to
  // one cell, without holding too much.
  const std::uint64_t handRows = std::uint64_t{1} << handLevel;
  const std::uint64_t wholeRows =
      std::min<std::uint64_t>((bandRows + handRows - 1) / handRows * handRows, header.rows);
  std::unique_ptr<RasterFile> second;
  if (std::uint64_t{chunkColumns} * wholeRows * sizeof(double) <= kMostBandBytes &&
      wholeRows < header.rows && std::thread::hardware_concurrency() > 1) {
    second.reset(raster.OpenAgain());
    if (second)
      bandRows = wholeRows;
  }
  const std::uint64_t bandBytes = std::uint64_t{chunkColumns} * bandRows * sizeof(double);
  CheckFitsInMemory(bandBytes * (second ? 2 : 1));
  const auto rowsOf = [&](std::uint64_t band) {
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(bandRows, header.rows - band * bandRows));
  };
  const std::uint64_t bands = (header.rows + bandRows - 1) / bandRows;
  const double total = static_cast<double>(header.columns) * header.rows;

  PassBand mine(header, handLevel, pass);
  PassBand theirs(header, handLevel, pass);
  std::atomic<std::uint64_t> rowsDone{0};
  std::atomic<bool> stop{false};
  std::atomic<bool> theirsFailed{false};
  std::thread helper;
  if (second) {
    // The odd bands.
    helper = std::thread([&] {
      std::vector<double> samples;
      try {
        samples.resize(std::size_t{chunkColumns} * bandRows);
      } catch (const std::bad_alloc&) {
        theirsFailed = true;
        return;
      }
      for (std::uint64_t band = 1; band < bands && !stop; band += 2) {
        const std::uint32_t rows = rowsOf(band);
        if (!theirs.Read(*second, static_cast<std::uint32_t>(band * bandRows), rows, chunkColumns,
                         samples)) {
          theirsFailed = true;
          return;
        }
        rowsDone += rows;
      }
    });
  }
  const auto join = qScopeGuard([&] {
    stop = true;
    if (helper.joinable())
      helper.join();
  });
  std::vector<double> samples(std::size_t{chunkColumns} * bandRows);
  const std::uint64_t step = second ? 2 : 1;
  for (std::uint64_t band = 0; band < bands; band += step) {
    const std::uint32_t rows = rowsOf(band);
    if (!mine.Read(raster, static_cast<std::uint32_t>(band * bandRows), rows, chunkColumns,
                   samples) ||
        theirsFailed) {
      ThrowIfLoadCancelled();
      throw cReadError();
    }
    rowsDone += rows;
    ReportLoadProgress(static_cast<double>(rowsDone) * header.columns / total);
  }
  if (helper.joinable()) {
    // The helper's last bands: progress goes on while it reads them.
    while (rowsDone < header.rows && !theirsFailed) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ReportLoadProgress(static_cast<double>(rowsDone) * header.columns / total);
    }
    helper.join();
  }
  if (theirsFailed) {
    ThrowIfLoadCancelled();
    throw cReadError();
  }
  pass.minimum = std::min(mine.minimum, theirs.minimum);
  pass.maximum = std::max(mine.maximum, theirs.maximum);
  return pass;
}

}  // namespace

std::uint64_t TileCacheBytes() {
  if (sizes.cacheBytes != 0)
    return sizes.cacheBytes;
  return std::min(std::uint64_t{1} << 30, MemoryLimitBytes() / 8);
}

ScopedLevelSizes::ScopedLevelSizes(const LevelSizes& s) : ScopedOverride(sizes, s) {}

bool HoldsAtLevels(const RasterHeader& header) {
  return std::uint64_t{header.columns} * header.rows > sizes.wholeCells;
}

RasterLevelsRead ReadRasterLevels(std::unique_ptr<RasterFile> raster) {
  const RasterHeader& header = raster->Header();
  if (header.columns == 0 || header.rows == 0)
    throw cInvalidGraphic();
  // A cell's x or y would be 0 / 0, as for a grid read whole.
  if (header.columns == 1 || header.rows == 1)
    throw cInvalidOp();
  const int handLevel = HandLevel(header);
  const std::uint64_t handCells = CellsOf(handLevel, header);
  // The hand levels as heights and their bounds (a third more for the
  // coarser ones), the pass's sums, counts and extremes, and the reader's
  // block.
  CheckFitsInMemory(handCells * (8 + 4 + 8 + 8 + 16 + 16) +
                    std::min(header.blockBytes, std::uint64_t{1} << 62));

  double minimum = 0.0, maximum = 0.0;
  std::vector<double> handZ(handCells, kNaN);
  Bounds handBounds;
  if (header.sampleRange && header.overviews) {
    // The file knows its range, and its overviews give the coarse levels.
    const double a = ValueOf(header, (*header.sampleRange)[0]);
    const double b = ValueOf(header, (*header.sampleRange)[1]);
    minimum = std::min(a, b);
    maximum = std::max(a, b);
    const RasterProgress progress{[](double done, void*) { return NoteLoadProgress(done); },
                                  nullptr};
    const LevelWindow whole{handLevel, 0, 0, LevelCells(handLevel, header.columns),
                            LevelCells(handLevel, header.rows)};
    if (!ReadLevelWindow(*raster, whole, handZ.data(), progress)) {
      ThrowIfLoadCancelled();
      throw cReadError();
    }
    const ValueToHeight toHeight(minimum, maximum);
    for (double& v : handZ)
      v = HeightOfSample(header, toHeight, v);
    handBounds = NeighbourhoodBounds(handZ, LevelCells(handLevel, header.columns),
                                     LevelCells(handLevel, header.rows));
  } else {
    const Pass pass = ReadPass(*raster, handLevel);
    if (pass.minimum > pass.maximum)
      throw cError(QStringLiteral("ラスターに値のあるセルがありません"));
    minimum = pass.minimum;
    maximum = pass.maximum;
    const ValueToHeight toHeight(minimum, maximum);
    handBounds.low.assign(handCells, HUGE_VALF);
    handBounds.high.assign(handCells, -HUGE_VALF);
    for (std::size_t k = 0; k < handZ.size(); ++k) {
      if (pass.counts[k] != 0) {
        handZ[k] = toHeight(ValueOf(header, pass.sums[k] / pass.counts[k]));
        handBounds.low[k] = Below(toHeight(pass.lows[k]));
        handBounds.high[k] = Above(toHeight(pass.highs[k]));
      }
    }
  }

  RasterLevelsRead read;
  HeightValues& values = read.values;
  values.source = HeightValues::Source::kMeasured;
  values.minimum = minimum;
  values.maximum = maximum;
  values.unit = QString::fromStdString(header.unit);
  values.geoTransform = header.geoTransform;
  values.ground.reset(raster->Ground());
  values.originalColumns = header.columns;
  values.originalRows = header.rows;
  read.levels = std::make_shared<RasterLevels>(std::move(raster), handLevel, minimum, maximum,
                                               std::move(handZ), std::move(handBounds));
  return read;
}

QString TileFailureNotice() {
  return QStringLiteral("ラスターの一部を読めませんでした。その部分は粗いまま表示します");
}
