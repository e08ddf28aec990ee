#include "objects/solid.h"

#include <GL/gl.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <new>

#include "objects/adoptorcopy.h"
#include "objects/gridsample.h"

cOpenGLGraph_Solid::~cOpenGLGraph_Solid() {
  Clear();
}

std::unique_ptr<float[]> cOpenGLGraph_Solid::BuildAxis(std::uint32_t n) {
  std::unique_ptr<float[]> axis(new float[n]);
  // A single grid point has no spacing to divide by; 0 puts it on the face of
  // the cube like the first point of any longer axis.
  if (n == 1) {
    axis[0] = 0.0f;
    return axis;
  }
  for (std::uint32_t i = 0; i < n; ++i) {
    axis[i] = static_cast<float>(static_cast<double>(i) / static_cast<double>(n - 1));
  }
  return axis;
}

void cOpenGLGraph_Solid::SetVolume(float* field, std::uint32_t x, std::uint32_t y, std::uint32_t z,
                                   bool adopt) {
  assert((!adopt || field == nullptr || field != data) &&
         "SetVolume given the volume's own array to adopt");
  // Only a copy needs the count: an adopted field is taken whatever its size.
  std::size_t n = 0;
  if (!adopt && __builtin_mul_overflow(std::size_t{x} * y, std::size_t{z}, &n)) {
    throw std::bad_array_new_length();
  }
  // Holding an adopted field here frees it should anything below throw, so
  // the caller may hand it over with release() and never leak.
  std::unique_ptr<float[]> kept = AdoptOrCopy(field, n, adopt);
  std::unique_ptr<float[]> ax = BuildAxis(x);
  std::unique_ptr<float[]> ay = BuildAxis(y);
  std::unique_ptr<float[]> az = BuildAxis(z);

  Clear();
  nx = x;
  ny = y;
  nz = z;
  data = kept.release();
  axisX = ax.release();
  axisY = ay.release();
  axisZ = az.release();
}

void cOpenGLGraph_Solid::Clear() {
  largestCount = 0.0f;
  cellColours = std::vector<std::uint8_t>();
  colouredField = nullptr;
  delete[] axisX;
  delete[] axisY;
  delete[] axisZ;
  delete[] data;
  axisX = axisY = axisZ = data = nullptr;
  nx = ny = nz = 0;
}

double cOpenGLGraph_Solid::CellOpacity(float v) {
  if (!(v > 0.0f))
    return 0.0;
  constexpr double kDecades = 6.0;
  return kMostOpaque *
         std::clamp(1.0 + std::log10(static_cast<double>(v)) / kDecades, 1.0 / 18.0, 1.0);
}

const std::vector<std::uint8_t>& cOpenGLGraph_Solid::CellColours() {
  if (colouredField == data && !cellColours.empty())
    return cellColours;
  colouredField = nullptr;
  const std::size_t cells = std::size_t{nx} * ny * nz;
  try {
    cellColours.resize(4 * cells);
  } catch (const std::bad_alloc&) {
    cellColours = std::vector<std::uint8_t>();  // the haze instead
    return cellColours;
  }
  const auto channel = [](std::uint32_t i, std::uint32_t n) {
    return static_cast<std::uint8_t>((2 * i + 1) * 128 / n);
  };
  std::uint8_t* out = cellColours.data();
  for (std::uint32_t k = 0; k < nz; ++k) {
    for (std::uint32_t j = 0; j < ny; ++j) {
      for (std::uint32_t i = 0; i < nx; ++i, out += 4) {
        out[0] = channel(k, nz);
        out[1] = channel(j, ny);
        out[2] = channel(i, nx);
        const float v = data[(std::size_t{k} * ny + j) * nx + i];
        out[3] = static_cast<std::uint8_t>(std::lround(255.0 * CellOpacity(v)));
      }
    }
  }
  colouredField = data;
  return cellColours;
}

void cOpenGLGraph_Solid::Draw() {
  const std::uint8_t* own = ownColours && data ? CellColours().data() : nullptr;
  if (own)
    glDisable(GL_TEXTURE_1D);
  else
    ramp.Upload();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  SetGlColour(colour);

  // A preview keeps every slice, so that the haze builds up through as many
  // layers as in the full picture, and draws fewer cells in each.
  const std::uint32_t step =
      nx < 2 || ny < 2 ? 1 : PreviewStep(nx - 1, ny - 1, nz, previewTriangles);
  const std::uint32_t columns = SampledCount(nx, step);
  const std::uint32_t rows = SampledCount(ny, step);
  const std::size_t sliceSize = std::size_t{nx} * ny;
  for (std::uint32_t k = 0; k < nz; ++k) {
    const float height = axisZ[k];
    const float* slice = data + k * sliceSize;
    for (std::uint32_t t = 1; t < rows; ++t) {
      const std::uint32_t j0 = SampledLine(t - 1, step, ny);
      const std::uint32_t j1 = SampledLine(t, step, ny);
      const float* lower = slice + std::size_t{j0} * nx;
      const float* upper = slice + std::size_t{j1} * nx;
      glBegin(GL_TRIANGLE_STRIP);
      // The values are floats already; the double entry point would only
      // widen each and narrow it again on a second dispatch.
      for (std::uint32_t u = 0; u < columns; ++u) {
        const std::uint32_t i = SampledLine(u, step, nx);
        if (own) {
          glColor4ubv(own + 4 * static_cast<std::size_t>(lower + i - data));
        } else {
          glTexCoord1f(lower[i]);
        }
        glVertex3f(axisX[i], axisY[j0], height);
        if (own) {
          glColor4ubv(own + 4 * static_cast<std::size_t>(upper + i - data));
        } else {
          glTexCoord1f(upper[i]);
        }
        glVertex3f(axisX[i], axisY[j1], height);
      }
      glEnd();
    }
  }

  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_1D);
}
