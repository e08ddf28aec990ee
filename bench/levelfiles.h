#pragma once
// The measured rasters of the benchmarks of levels of detail and of
// sections, written once per process into a folder of their own:
// - overviews: a terrain of TerrainSide() x TerrainSide() float32 cells,
//   30 m apart in UTM zone 33N, tiled and deflated, with its own overviews and statistics;
// - plain: the same without them;
// - average: the same data averaged to 1024 x 1024 cells;
// - sparse: SparseSide() x SparseSide() cells of which only three patches
//   are written.
// Under the test programs (CUBISCOPE_BENCH_SMALL) they are a fifth as wide,
// so that the smoke test stays short. Empty paths when GDAL refused.

#include <QString>

struct Files {
  QString overviews, plain, average, sparse;
};
const Files& LevelFiles();

int TerrainSide();
int SparseSide();
