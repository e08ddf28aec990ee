#include "objects/contours.h"

#include <GL/gl.h>

#include <cmath>
#include <new>
#include <utility>

#include "base/errors.h"

void SurfaceContours::Set(ContourSettings s) {
  const bool same = s.on == settings.on && s.step == settings.step && s.trace == settings.trace;
  settings = std::move(s);
  if (!same) {
    traced = false;
    lines.reset();
    drawnFrom = nullptr;
  }
}

const ContourLines* SurfaceContours::LinesOf(const GridRef& grid, const HeightValues& values,
                                             std::uint64_t generation) {
  if (!On())
    return nullptr;
  double step = settings.step;
  if (step <= 0.0 && settings.automaticStep)
    step = settings.automaticStep(values.Low(), values.High());
  if (traced && generation == tracedGeneration && step == tracedStep)
    return lines ? &*lines : nullptr;
  traced = true;
  tracedGeneration = generation;
  tracedStep = step;
  lines.reset();
  drawnFrom = nullptr;
  problem.clear();
  if (!(step > 0.0) || !std::isfinite(step))
    return nullptr;
  try {
    lines = MakeContours(grid, values, step, settings.trace);
  } catch (const cError& e) {
    problem = QString::fromUtf8(e.what());
  } catch (const std::bad_alloc&) {
    problem = QString::fromUtf8(cOutOfMemory().what());
  }
  return lines ? &*lines : nullptr;
}

bool SurfaceContours::ShowsInThisPass() {
  GLdouble m[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, m);
  const auto flattened = [&m](int axis) {
    return m[4 * axis] == 0.0 && m[4 * axis + 1] == 0.0 && m[4 * axis + 2] == 0.0;
  };
  return !flattened(0) && !flattened(1);
}

std::array<float, 2> SurfaceContours::SurfaceOffset(float lineWidth) {
  // A line's fragments all carry the depth of its middle, so the surface
  // beside it, up to half the wider lines' width away, must lie behind it by
  // its own depth slope over that distance, plus a little for the flat face,
  // where surface and lines are level.
  return {1.0f + lineWidth, 2.0f};
}

void SurfaceContours::Draw(const ContourLines& from, double zScale, float lineWidth) {
  if (from.lines.empty())
    return;
  if (drawnFrom != &from || drawnScale != zScale) {
    try {
      drawn = from.points;
      for (std::size_t k = 2; k < drawn.size(); k += 3)
        drawn[k] = static_cast<float>(drawn[k] * zScale);
    } catch (const std::bad_alloc&) {
      drawnFrom = nullptr;
      return;
    }
    drawnFrom = &from;
    drawnScale = zScale;
  }
  glColor3f(0.0f, 0.0f, 0.0f);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, drawn.data());
  for (const bool major : {false, true}) {
    glLineWidth(major ? 2.0f * lineWidth : lineWidth);
    for (const ContourLine& line : from.lines) {
      if (ContourLines::Major(line.k) == major)
        glDrawArrays(GL_LINE_STRIP, static_cast<GLint>(line.first),
                     static_cast<GLsizei>(line.count));
    }
  }
  glLineWidth(lineWidth);
  glDisableClientState(GL_VERTEX_ARRAY);
}
