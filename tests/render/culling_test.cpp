// The surface sends only the triangles that can cover a pixel centre. That is
// free only if the picture stays the same to the byte: each row draws one
// grid, camera, set of passes and band count with and without the culling and
// compares the two pictures whole.
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "app/camera.h"
#include "object_scene.h"
#include "objects/coveringtriangles.h"
#include "objects/gridframe.h"
#include "objects/gridstrips.h"
#include "objects/surface.h"

namespace {

enum class Heights {
  kSmooth,  // a gently curved sheet
  kNoisy,   // the same with grain: neighbours differ as in a photograph
  kSteep,   // ridges and a grid folded over itself: slivers that overlap
  kStrays,  // smooth, but a few points not finite or beyond the depth range
  kPatchy,  // smooth, but the second quarter of the rows rough
};

// Scroll-bar positions, as the frame turns them into a camera. kCellPixels as
// zoom: close enough that a cell is about 20 pixels wide, most of the grid
// outside the view.
struct View {
  int theta;
  int height;
  int zoom;
};
constexpr int kCellPixels = -1;
constexpr View kStart{4500, 5000, 5001};
constexpr View kBelow{3000, -6000, 5001};
constexpr View kEdgeOn{4500, 0, 5001};
constexpr View kZoomedIn{2000, 3500, kCellPixels};
constexpr View kZoomedOut{6000, 2000, 10001};

enum Pass : std::uint8_t { kXY = 1, kYZ = 2, kZX = 4, k3D = 8, kAll = 15 };

// What the points carry besides their place.
enum class Carried {
  kNothing,
  kHoles,    // rows, columns, blocks and single points without a value
  kColours,  // a colour and a shade each
  kScaled,   // drawn 2.5 times as high
};

struct CullCase {
  const char* name;
  std::uint32_t side;  // side x side points
  Heights heights;
  View view;
  std::uint8_t passes;
  std::uint32_t levels;
  Carried carried = Carried::kNothing;
};
void PrintTo(const CullCase& c, std::ostream* os) {
  *os << c.name;
}

// Coordinates are nowhere exact in single precision, so that edges and band
// borders fall between pixels wherever rounding could move them.
std::vector<Vec3> Grid(std::uint32_t side, Heights heights) {
  std::vector<Vec3> points;
  points.reserve(std::size_t{side} * side);
  const double last = side - 1.0;
  std::uint32_t grain = 12345;
  for (std::uint32_t r = 0; r < side; ++r) {
    for (std::uint32_t i = 0; i < side; ++i) {
      double x = i / last;
      const double y = r / last;
      double z = 0.45 + 0.3 * std::sin(3.1 * x) * std::cos(2.3 * y) + 0.2 * x * x;
      if (heights == Heights::kNoisy ||
          (heights == Heights::kPatchy && r >= side / 4 && r < side / 2)) {
        grain = grain * 1103515245u + 12345u;
        z += (heights == Heights::kNoisy ? 0.03 : 0.6) * ((grain >> 16) / 65535.0 - 0.5);
      } else if (heights == Heights::kSteep) {
        z = 0.5 + 0.48 * std::sin(2 * M_PI * (5 * x + 3 * y));
        // dx/di turns negative where the cosine is near -1: the grid folds.
        x += 0.025 * std::sin(2 * M_PI * 8 * x);
      }
      points.push_back({x, y, z});
    }
  }
  if (heights == Heights::kStrays) {
    const double inf = std::numeric_limits<double>::infinity();
    const double strays[][3] = {
        {NAN, 0.5, 0.5}, {0.5, inf, 0.5}, {0.5, 0.5, -inf}, {-300, -300, -300}, {300, 300, 300}};
    std::size_t at = points.size() / 7;
    for (const auto& p : strays) {
      points[at] = {p[0], p[1], p[2]};
      at += points.size() / 7;
    }
  }
  return points;
}

// Which points of a side x side grid have a value: a whole row, a whole
// column, a block and scattered single points have none.
std::unique_ptr<std::uint8_t[]> Holes(std::uint32_t side) {
  auto present = std::make_unique<std::uint8_t[]>(std::size_t{side} * side);
  std::uint32_t grain = 777;
  for (std::uint32_t r = 0; r < side; ++r) {
    for (std::uint32_t i = 0; i < side; ++i) {
      grain = grain * 1103515245u + 12345u;
      const bool block = r > side / 3 && r < side / 2 && i > side / 5 && i < side / 3;
      const bool missing = r == side / 7 || i == side / 2 || block || (grain >> 16) % 97 == 0;
      present[std::size_t{r} * side + i] = missing ? 0 : 1;
    }
  }
  return present;
}

// Colours and shades that change from point to point, three bytes and one.
std::vector<std::uint8_t> Bytes(std::size_t n, std::uint32_t seed) {
  std::vector<std::uint8_t> bytes(n);
  for (std::uint8_t& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(seed >> 16);
  }
  return bytes;
}

// A surface's grid drawn with what its points carry, through the selection
// or as plain strips.
class CarryingGrid : public cOpenGLGraph_Data {
 public:
  explicit CarryingGrid(const cOpenGLGraph_Surface& surface) : surface(surface) {}
  void PlanDraw() override { frame.Plan(culling); }
  bool DrawsOpaque() const override { return true; }
  void Draw() override {
    surface.ramp.Upload();
    SetGlColour(surface.colour);
    frame.Draw(grid, culling);
    glDisable(GL_TEXTURE_1D);
  }
  const cOpenGLGraph_Surface& surface;
  GridRef grid;
  ::Culling culling = ::Culling::kHidden;
  GridFrame frame;
};

class CullingScene : public ObjectScene {
 protected:
  void SetUp() override {
    ObjectScene::SetUp();
    graph.preObjects.push_back(&surface);
  }
  void Look(View view, std::uint32_t side) {
    // Half the view's 300 pixels span zoom data units.
    const int zoom = view.zoom != kCellPixels
                         ? view.zoom
                         : static_cast<int>(std::lround(150.0 / (20.0 * (side - 1)) / 0.0002));
    const Camera camera = CameraFromScrollBars(view.theta, view.height, std::max(zoom, 1));
    graph.zoom = camera.zoom;
    LookFrom(camera.eye[0], camera.eye[1], camera.eye[2]);
  }
  QImage DrawnWith(::Culling culling) {
    surface.culling = culling;
    graph.Draw();
    return graph.Picture();
  }

  cOpenGLGraph_Surface surface;
};

class Culling : public CullingScene, public testing::WithParamInterface<CullCase> {};

TEST_P(Culling, GivesThePictureOfAllTriangles) {
  const CullCase& c = GetParam();
  std::vector<Vec3> grid = Grid(c.side, c.heights);
  surface.SetGrid(grid.data(), c.side, c.side, false);
  if (c.carried == Carried::kHoles)
    surface.SetPresent(Holes(c.side));
  surface.SetLevels(c.levels);
  CarryingGrid carrying(surface);
  const std::vector<std::uint8_t> colours = Bytes(3 * grid.size(), 1);
  const std::vector<std::uint8_t> shades = Bytes(grid.size(), 2);
  if (c.carried == Carried::kColours || c.carried == Carried::kScaled) {
    carrying.grid = surface.Grid();
    if (c.carried == Carried::kColours) {
      carrying.grid.colours = colours.data();
      carrying.grid.shades = shades.data();
    } else {
      carrying.grid.zScale = 2.5;
    }
    graph.preObjects.assign(1, &carrying);
  }
  for (cOpenGLGraph_Data* object : graph.preObjects) {
    object->dispXY = (c.passes & kXY) != 0;
    object->dispYZ = (c.passes & kYZ) != 0;
    object->dispZX = (c.passes & kZX) != 0;
    object->disp3D = (c.passes & k3D) != 0;
  }
  Look(c.view, c.side);
  carrying.culling = ::Culling::kNone;
  const QImage all = DrawnWith(::Culling::kNone);
  carrying.culling = ::Culling::kHidden;
  const QImage culled = DrawnWith(::Culling::kHidden);
  EXPECT_TRUE(culled == all) << Save() << "; all triangles: "
                             << SaveForInspection(all, QString::fromLatin1(c.name)).toStdString();
}

// Every grid and height kind from the start view; each camera on two grids;
// the passes and band counts on one grid, where cells are about a pixel.
INSTANTIATE_TEST_SUITE_P(
    Grids, Culling,
    testing::Values(
        CullCase{"Smooth64", 64, Heights::kSmooth, kStart, k3D, 8},
        CullCase{"Noisy64", 64, Heights::kNoisy, kStart, k3D, 8},
        CullCase{"Steep64", 64, Heights::kSteep, kStart, k3D, 8},
        CullCase{"Smooth512", 512, Heights::kSmooth, kStart, k3D, 8},
        CullCase{"Noisy512", 512, Heights::kNoisy, kStart, k3D, 8},
        CullCase{"Steep512", 512, Heights::kSteep, kStart, k3D, 8},
        CullCase{"Smooth1024", 1024, Heights::kSmooth, kStart, k3D, 8},
        CullCase{"Noisy1024", 1024, Heights::kNoisy, kStart, k3D, 8},
        CullCase{"Steep1024", 1024, Heights::kSteep, kStart, k3D, 8},
        CullCase{"Smooth2048", 2048, Heights::kSmooth, kStart, k3D, 8},
        CullCase{"Noisy2048", 2048, Heights::kNoisy, kStart, k3D, 8},
        CullCase{"Steep2048", 2048, Heights::kSteep, kStart, k3D, 8},
        CullCase{"BelowSteep64", 64, Heights::kSteep, kBelow, k3D, 8},
        CullCase{"BelowSmooth2048", 2048, Heights::kSmooth, kBelow, k3D, 8},
        CullCase{"EdgeOnSteep512", 512, Heights::kSteep, kEdgeOn, k3D, 8},
        CullCase{"EdgeOnNoisy1024", 1024, Heights::kNoisy, kEdgeOn, k3D, 8},
        CullCase{"ZoomedInSteep64", 64, Heights::kSteep, kZoomedIn, k3D, 8},
        CullCase{"ZoomedInNoisy2048", 2048, Heights::kNoisy, kZoomedIn, k3D, 8},
        CullCase{"ZoomedOutNoisy512", 512, Heights::kNoisy, kZoomedOut, k3D, 8},
        CullCase{"ZoomedOutSteep1024", 1024, Heights::kSteep, kZoomedOut, k3D, 8},
        CullCase{"Strays512", 512, Heights::kStrays, kStart, k3D, 8},
        CullCase{"PassXY", 512, Heights::kNoisy, kStart, kXY, 8},
        CullCase{"PassYZ", 512, Heights::kNoisy, kStart, kYZ, 8},
        CullCase{"PassZX", 512, Heights::kNoisy, kStart, kZX, 8},
        CullCase{"AllPasses", 512, Heights::kNoisy, kStart, kAll, 8},
        CullCase{"OneBand", 512, Heights::kNoisy, kStart, kAll, 1},
        CullCase{"ManyBands", 512, Heights::kNoisy, kStart, kAll, 128},
        CullCase{"Holes64", 64, Heights::kSteep, kStart, kAll, 8, Carried::kHoles},
        CullCase{"Holes1024", 1024, Heights::kNoisy, kStart, kAll, 8, Carried::kHoles},
        CullCase{"HolesZoomedIn", 64, Heights::kNoisy, kZoomedIn, k3D, 8, Carried::kHoles},
        CullCase{"Colours512", 512, Heights::kNoisy, kStart, kAll, 8, Carried::kColours},
        CullCase{"ColoursZoomedIn", 64, Heights::kSteep, kZoomedIn, k3D, 8, Carried::kColours},
        CullCase{"Scaled512", 512, Heights::kNoisy, kStart, kAll, 8, Carried::kScaled},
        CullCase{"ScaledBelow", 64, Heights::kSteep, kBelow, k3D, 8, Carried::kScaled}),
    [](const testing::TestParamInfo<CullCase>& info) { return std::string(info.param.name); });

// In the start view a cell of a 2048 x 2048 grid is a tenth of a pixel wide:
// few of its triangles can cover a pixel centre.
TEST_F(CullingScene, SendsFewTrianglesOfALargeGridFromAfar) {
  constexpr std::uint32_t kSide = 2048;
  std::vector<Vec3> grid = Grid(kSide, Heights::kSmooth);
  surface.SetGrid(grid.data(), kSide, kSide, false);
  Look(kStart, kSide);
  DrawnWith(::Culling::kHidden);
  const double all = 2.0 * (kSide - 1) * (kSide - 1);
  EXPECT_LT(surface.SentTriangles(), 0.10 * all);
}

// Sends the surface's grid as the surface does, through a selection allowed
// no more memory than the grid's own points.
class TightSelection : public cOpenGLGraph_Data {
 public:
  explicit TightSelection(const cOpenGLGraph_Surface& surface) : surface(surface) {}
  void Draw() override {
    surface.ramp.Upload();
    SetGlColour(surface.colour);
    const WindowMapping mapping = *CurrentWindowMapping();
    covering.Select({&mapping, 1}, surface.Grid(), ::Culling::kBoundingBox);
    covering.Send(0);
    glDisable(GL_TEXTURE_1D);
  }
  const cOpenGLGraph_Surface& surface;
  CoveringTriangles covering{0};
};

// Where the rough rows keep more triangles than that memory holds, their runs
// of strips go as strips, between runs that go as selected triangles.
TEST_F(CullingScene, RunsThatKeepTooManyGoAsStripsInPlace) {
  constexpr std::uint32_t kSide = 1024;
  std::vector<Vec3> grid = Grid(kSide, Heights::kPatchy);
  surface.SetGrid(grid.data(), kSide, kSide, false);
  Look({4500, 5000, 1650}, kSide);
  const QImage all = DrawnWith(::Culling::kNone);
  DrawnWith(::Culling::kBoundingBox);
  const std::size_t selected = surface.SentTriangles();
  TightSelection tight(surface);
  graph.preObjects.assign(1, &tight);
  graph.Draw();
  EXPECT_TRUE(graph.Picture() == all) << Save();
  EXPECT_GT(tight.covering.Count(0), selected) << "no run went as strips";
  EXPECT_LT(tight.covering.Count(0), 2 * std::size_t{kSide - 1} * (kSide - 1))
      << "every run went as strips";
}

}  // namespace
