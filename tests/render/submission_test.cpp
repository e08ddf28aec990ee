// The surface and the volume pass their coordinates to the renderer through
// the single-precision entry points. That is free only if the pictures are
// those of the double-precision entry points byte for byte: here both are
// drawn from the same data and compared whole.
#include <cmath>
#include <vector>

#include <GL/gl.h>

#include "object_scene.h"
#include "objects/solid.h"
#include "objects/surface.h"

namespace {

// The surface's drawing with glTexCoord1d and glVertex3d.
class DoubleSurface : public cOpenGLGraph_Surface {
 public:
  void Draw() override {
    if (!vertices)
      return;
    ramp.Upload();
    glColor4d(colour.red, colour.green, colour.blue, colour.alpha);
    for (std::uint32_t r = 1; r < rows; ++r) {
      glBegin(GL_TRIANGLE_STRIP);
      for (std::uint32_t i = 0; i < columns; ++i) {
        for (const Vec3& p : {vertices[(r - 1) * columns + i], vertices[r * columns + i]}) {
          glTexCoord1d(p.z);
          glVertex3d(p.x, p.y, p.z);
        }
      }
      glEnd();
    }
    glDisable(GL_TEXTURE_1D);
  }
};

// The volume's drawing with glTexCoord1d.
class DoubleSolid : public cOpenGLGraph_Solid {
 public:
  void Draw() override {
    ramp.Upload();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glColor4d(colour.red, colour.green, colour.blue, colour.alpha);
    for (std::uint32_t k = 0; k < nz; ++k) {
      for (std::uint32_t j = 1; j < ny; ++j) {
        glBegin(GL_TRIANGLE_STRIP);
        for (std::uint32_t i = 0; i < nx; ++i) {
          for (std::uint32_t row : {j - 1, j}) {
            glTexCoord1d(data[(k * ny + row) * nx + i]);
            glVertex3f(axisX[i], axisY[row], axisZ[k]);
          }
        }
        glEnd();
      }
    }
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_1D);
  }
};

class Submission : public ObjectScene {
 protected:
  // Draws with `object` alone in its list and returns the picture.
  QImage DrawnWith(cOpenGLGraph_Data& object, bool afterPlanes) {
    auto& list = afterPlanes ? graph.postObjects : graph.preObjects;
    list.assign(1, &object);
    graph.Draw();
    list.clear();
    return graph.Picture();
  }
};

// A bumpy grid whose coordinates are nowhere exact in single precision, seen
// from the side with 16 bands, so that band borders and edges fall between
// pixels wherever a coordinate could round differently.
TEST_F(Submission, SurfaceGivesThePictureOfTheDoubleEntryPoints) {
  constexpr std::uint32_t kColumns = 67;
  constexpr std::uint32_t kRows = 53;
  std::vector<Vec3> grid;
  for (std::uint32_t r = 0; r < kRows; ++r) {
    for (std::uint32_t i = 0; i < kColumns; ++i) {
      const double x = i / (kColumns - 1.0);
      const double y = r / (kRows - 1.0);
      grid.push_back({x, y, 0.5 + 0.45 * std::sin(7.1 * x) * std::cos(5.3 * y)});
    }
  }
  cOpenGLGraph_Surface surface;
  DoubleSurface reference;
  for (cOpenGLGraph_Surface* s : {&surface, static_cast<cOpenGLGraph_Surface*>(&reference)}) {
    s->SetGrid(grid.data(), kColumns, kRows, false);
    s->SetLevels(16);
    s->dispXY = s->dispYZ = s->dispZX = 1;  // the flattened passes too
  }
  LookFromSide();
  const QImage expected = DrawnWith(reference, false);
  EXPECT_TRUE(DrawnWith(surface, false) == expected) << Save();
}

TEST_F(Submission, VolumeGivesThePictureOfTheDoubleEntryPoints) {
  constexpr std::uint32_t kSide = 19;
  std::vector<float> field;
  for (std::uint32_t n = 0; n < kSide * kSide * kSide; ++n)
    field.push_back(static_cast<float>(0.5 + 0.5 * std::sin(n * 0.37)));
  cOpenGLGraph_Solid volume;
  DoubleSolid reference;
  for (cOpenGLGraph_Solid* v : {&volume, static_cast<cOpenGLGraph_Solid*>(&reference)}) {
    v->SetVolume(field.data(), kSide, kSide, kSide, false);
    v->SetLevels(8);
  }
  LookFromSide();
  const QImage expected = DrawnWith(reference, true);
  EXPECT_TRUE(DrawnWith(volume, true) == expected) << Save();
}

}  // namespace
