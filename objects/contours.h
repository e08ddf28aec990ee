#pragma once
// The contour lines a surface draws over itself (contourlines.h): traced
// once for each grid and step and kept, drawn in the 3-D picture and on the
// XY face, where they show the map's levels; the faces across x and y would
// only show them as a tangle.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QString>

#include "base/contourgrid.h"
#include "base/gridref.h"
#include "base/heightvalues.h"
#include "objects/contourlines.h"

struct ContourSettings {
  bool on = false;
  // Data units between lines; 0: automaticStep of the values' range.
  double step = 0.0;
  ContourGridFunction trace = nullptr;
  std::function<double(double low, double high)> automaticStep;
};

class SurfaceContours {
 public:
  // Takes the settings; the lines are traced again at the next draw when
  // they change what is traced.
  void Set(ContourSettings settings);
  bool On() const { return settings.on && settings.trace; }

  // The lines of grid, whose points are the surface's generation'th (traced
  // again when it changed); null when there are none or they could not be
  // traced (Problem() says why). Throws nothing.
  const ContourLines* LinesOf(const GridRef& grid, const HeightValues& values,
                              std::uint64_t generation);

  // Whether the current pass is one the lines show in: not the faces across
  // x and y, which the model-view matrix flattens onto them.
  static bool ShowsInThisPass();

  // How far the surface is pushed back behind its lines (glPolygonOffset's
  // factor and units) when they are drawn with lines lineWidth pixels wide.
  static std::array<float, 2> SurfaceOffset(float lineWidth);

  // Draws lines (vertical scale zScale) in the current colour state, minor
  // levels lineWidth pixels wide and every fifth twice that.
  void Draw(const ContourLines& lines, double zScale, float lineWidth);

  // Why the last tracing drew no lines; empty after one that did.
  const QString& Problem() const { return problem; }

 private:
  ContourSettings settings;
  std::optional<ContourLines> lines;
  std::uint64_t tracedGeneration = 0;
  double tracedStep = 0.0;
  bool traced = false;
  QString problem;
  // The lines' points at the vertical scale drawn last.
  std::vector<float> drawn;
  const ContourLines* drawnFrom = nullptr;
  double drawnScale = 0.0;
};
