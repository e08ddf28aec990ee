// GDAL's contour generator fed row by row from the program's grid, without
// any dataset, driver or vector layer: it takes NaN as a hole by itself.

#include "base/contourgrid.h"

#include <cmath>
#include <limits>
#include <new>
#include <vector>

#include <cpl_error.h>
#include <gdal_alg.h>

namespace {

struct Tracing {
  const ContourGridInput& in;
  const ContourGridOutput& out;
  std::vector<double> columns;  // of the line being told
  std::vector<double> rows;
  bool stopped = false;
};

CPLErr Told(double level, int count, double* x, double* y, void* context) {
  auto& t = *static_cast<Tracing*>(context);
  if (t.stopped)
    return CE_Failure;
  const double k = std::round((level - t.in.base) / t.in.interval);
  const auto n = static_cast<std::size_t>(count > 0 ? count : 0);
  try {
    t.columns.resize(n);
    t.rows.resize(n);
  } catch (const std::bad_alloc&) {
    t.stopped = true;
    return CE_Failure;
  }
  // The generator puts the value of point (c, r) at the middle of pixel
  // (c, r), i.e. at (c + 0.5, r + 0.5).
  for (std::size_t i = 0; i < n; ++i) {
    t.columns[i] = x[i] - 0.5;
    t.rows[i] = y[i] - 0.5;
  }
  if (!t.out.line(static_cast<std::int64_t>(k), n, t.columns.data(), t.rows.data(),
                  t.out.context)) {
    t.stopped = true;
    return CE_Failure;
  }
  return CE_None;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) ContourGridResult CubiscopeContourGrid(
    const ContourGridInput* in, const ContourGridOutput* out) {
  Tracing tracing{*in, *out, {}, {}};
  // Its messages are ours to drop: the result says what happened.
  CPLPushErrorHandler(CPLQuietErrorHandler);
  const struct Pop {
    ~Pop() { CPLPopErrorHandler(); }
  } pop;
  GDALContourGeneratorH generator = nullptr;
  try {
    std::vector<double> row(in->columns);
    generator = GDAL_CG_Create(static_cast<int>(in->columns), static_cast<int>(in->rows), FALSE,
                               0.0, in->interval, in->base, &Told, &tracing);
    if (!generator)
      return ContourGridResult::kFailed;
    const double none = std::numeric_limits<double>::quiet_NaN();
    bool failed = false;
    for (std::uint32_t r = 0; r < in->rows && !tracing.stopped && !failed; ++r) {
      const double* z = in->z + std::size_t{r} * in->rowStride;
      const std::uint8_t* present =
          in->present ? in->present + std::size_t{r} * in->columns : nullptr;
      for (std::uint32_t c = 0; c < in->columns; ++c) {
        row[c] = present && !present[c] ? none : z[c * in->pointStride] * in->scale + in->offset;
      }
      failed = GDAL_CG_FeedLine(generator, row.data()) != CE_None;
      if (!failed && out->rowDone && !out->rowDone(r + 1, out->context))
        tracing.stopped = true;
    }
    // Destroying tells the lines still open; a stop tells nothing more.
    GDAL_CG_Destroy(generator);
    if (tracing.stopped)
      return ContourGridResult::kStopped;
    return failed ? ContourGridResult::kFailed : ContourGridResult::kDone;
  } catch (...) {
    // The generator throws out of memory through its C functions.
    if (generator) {
      tracing.stopped = true;
      try {
        GDAL_CG_Destroy(generator);
      } catch (...) {
      }
    }
    return ContourGridResult::kFailed;
  }
}
