// The surface sends only the triangles that can give a pixel its colour. That
// is free only if the frame stays the same to the byte: each row draws one
// grid, camera, set of passes and band count with and without the culling,
// a line through the same passes and the planes after them, and compares the
// two pictures and the two depth buffers whole.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "culling/coveringtriangles.h"
#include "culling/gridframe.h"
#include "culling/gridstrips.h"
#include "object_scene.h"
#include "objects/line.h"
#include "objects/surface.h"
#include "support/depthbuffer.h"

namespace {

enum class Heights {
  kSmooth,  // a gently curved sheet
  kNoisy,   // the same with grain: neighbours differ as in a photograph
  kSteep,   // ridges and a grid folded over itself: slivers that overlap
  kStrays,  // smooth, but a few points not finite or beyond the depth range
  kPatchy,  // smooth, but the second quarter of the rows rough
  kPhoto,   // a photograph's brightness: shading, grain of 16 grey levels
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
// Along the x axis: the YZ pass seen face-on, every fragment at one depth.
constexpr View kAlongX{0, 0, 5001};

enum Pass : std::uint8_t { kXY = 1, kYZ = 2, kZX = 4, k3D = 8, kAll = 15 };

// What the points carry besides their place.
enum class Carried {
  kNothing,
  kHoles,    // rows, columns, blocks and single points without a value
  kColours,  // a colour and a shade each
  kScaled,   // drawn 2.5 times as high
  kLit,      // the surface's own light, and its points' own colours
};

struct CullCase {
  const char* name;
  std::uint32_t side;  // side x side points
  Heights heights;
  View view;
  std::uint8_t passes;
  std::uint32_t levels;
  Carried carried = Carried::kNothing;
  // Clear: the scene's draws are not announced, so that each is selected
  // alone.
  bool planned = true;
};
void PrintTo(const CullCase& c, std::ostream* os) {
  *os << c.name;
}

// The height of point (i, r) of a side x side photograph: as the benchmarks'
// photograph, (R + G + B) / 765 of a shading the same at every size, each
// channel with the same grain of -8 ... 7 levels.
double PhotoHeight(std::uint32_t i, std::uint32_t r, std::uint32_t side, double shade,
                   std::uint32_t& grain) {
  grain = grain * 1103515245u + 12345u;
  const int noise = static_cast<int>(grain >> 28) - 8;
  const auto channel = [noise](double v) {
    return std::clamp(static_cast<int>(v) + noise, 0, 255);
  };
  return (channel(255.0 * i / side * shade + 20) + channel(30 + 200 * shade) +
          channel(40 + 150 * shade * r / side)) /
         765.0;
}

// Coordinates are nowhere exact in single precision, so that edges and band
// borders fall between pixels wherever rounding could move them.
std::unique_ptr<Vec3[]> Grid(std::uint32_t side, Heights heights) {
  const std::size_t n = std::size_t{side} * side;
  std::unique_ptr<Vec3[]> points(new Vec3[n]);
  const double last = side - 1.0;
  const double scale = 4096.0 / side;
  std::vector<double> shades(heights == Heights::kPhoto ? side : 0);
  for (std::uint32_t i = 0; i < shades.size(); ++i)
    shades[i] = std::sin(i * scale / 300.0);
  std::uint32_t grain = 12345;
  for (std::uint32_t r = 0; r < side; ++r) {
    const double rowShade = std::cos(r * scale / 470.0);
    for (std::uint32_t i = 0; i < side; ++i) {
      double x = i / last;
      const double y = r / last;
      double z = 0.45 + 0.3 * std::sin(3.1 * x) * std::cos(2.3 * y) + 0.2 * x * x;
      if (heights == Heights::kPhoto) {
        z = PhotoHeight(i, r, side, 0.5 + 0.5 * shades[i] * rowShade, grain);
      } else if (heights == Heights::kNoisy ||
                 (heights == Heights::kPatchy && r >= side / 4 && r < side / 2)) {
        grain = grain * 1103515245u + 12345u;
        z += (heights == Heights::kNoisy ? 0.03 : 0.6) * ((grain >> 16) / 65535.0 - 0.5);
      } else if (heights == Heights::kSteep) {
        z = 0.5 + 0.48 * std::sin(2 * M_PI * (5 * x + 3 * y));
        // dx/di turns negative where the cosine is near -1: the grid folds.
        x += 0.025 * std::sin(2 * M_PI * 8 * x);
      }
      points[std::size_t{r} * side + i] = {x, y, z};
    }
  }
  if (heights == Heights::kStrays) {
    const double inf = std::numeric_limits<double>::infinity();
    const double strays[][3] = {
        {NAN, 0.5, 0.5}, {0.5, inf, 0.5}, {0.5, 0.5, -inf}, {-300, -300, -300}, {300, 300, 300}};
    std::size_t at = n / 7;
    for (const auto& p : strays) {
      points[at] = {p[0], p[1], p[2]};
      at += n / 7;
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
// or as plain strips, its draws announced or not.
class CarryingGrid : public cOpenGLGraph_Data {
 public:
  explicit CarryingGrid(const cOpenGLGraph_Surface& surface) : surface(surface) {}
  void PlanDraw() override {
    if (plans)
      frame.Plan(culling);
  }
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
  bool plans = true;
  GridFrame frame;
};

class CullingScene : public ObjectScene {
 protected:
  void SetUp() override {
    ObjectScene::SetUp();
    // A line zigzags through the cube, through the surface in places.
    auto points = std::make_unique<Vec3[]>(8);
    for (int k = 0; k < 8; ++k)
      points[k] = {k / 7.0, (k % 2) * 0.9 + 0.05, 0.2 + 0.6 * ((k / 2) % 2)};
    line.SetVertices(points.release(), 8, true);
    graph.preObjects = {&line, &surface};
  }
  void Look(View view, std::uint32_t side) {
    // Half the view's 300 pixels span zoom data units.
    const int zoom = view.zoom != kCellPixels
                         ? view.zoom
                         : static_cast<int>(std::lround(150.0 / (20.0 * (side - 1)) / 0.0002));
    AimView(graph, view.theta, view.height, std::max(zoom, 1));
  }
  QImage DrawnWith(::Culling culling) {
    surface.culling = culling;
    graph.Draw();
    return graph.Picture();
  }

  cOpenGLGraph_Line line;
  cOpenGLGraph_Surface surface;
};

class Culling : public CullingScene, public testing::WithParamInterface<CullCase> {};

TEST_P(Culling, GivesThePictureOfAllTriangles) {
  const CullCase& c = GetParam();
  surface.SetGrid(Grid(c.side, c.heights).release(), c.side, c.side, true);
  if (c.carried == Carried::kHoles)
    surface.SetPresent(Holes(c.side));
  if (c.carried == Carried::kLit) {
    const std::vector<std::uint8_t> pixels = Bytes(3 * std::size_t{c.side} * c.side, 3);
    auto colours = std::make_unique<std::uint8_t[]>(pixels.size());
    std::copy(pixels.begin(), pixels.end(), colours.get());
    surface.SetPointColours(std::move(colours));
    surface.SetColourMap(ColourMapKind::kPicture);
    surface.SetLight(true);
  }
  surface.SetLevels(c.levels);
  CarryingGrid carrying(surface);
  const std::size_t points = std::size_t{c.side} * c.side;
  const std::vector<std::uint8_t> colours = Bytes(3 * points, 1);
  const std::vector<std::uint8_t> shades = Bytes(points, 2);
  if (c.carried == Carried::kColours || c.carried == Carried::kScaled || !c.planned) {
    carrying.grid = surface.Grid();
    if (c.carried == Carried::kColours) {
      carrying.grid.colours = colours.data();
      carrying.grid.shades = shades.data();
    } else if (c.carried == Carried::kScaled) {
      carrying.grid.zScale = 2.5;
    }
    carrying.plans = c.planned;
    graph.preObjects = {&line, &carrying};
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
  const std::vector<std::uint32_t> allDepth = ReadDepth(graph);
  carrying.culling = ::Culling::kHidden;
  const QImage culled = DrawnWith(::Culling::kHidden);
  const std::vector<std::uint32_t> culledDepth = ReadDepth(graph);
  EXPECT_TRUE(culled == all) << Save() << "; all triangles: "
                             << SaveForInspection(all, QString::fromLatin1(c.name)).toStdString();
  ASSERT_EQ(culledDepth.size(), allDepth.size());
  std::size_t differing = 0;
  for (std::size_t k = 0; k < allDepth.size(); ++k)
    differing += culledDepth[k] != allDepth[k];
  EXPECT_EQ(differing, 0u) << "pixels of other depth";
}

// Every grid and height kind from the start view; each camera on two grids;
// the passes and band counts on one grid, where cells are about a pixel; the
// photograph, whose slivers hide each other most, in all four passes from
// every camera, with every band count, with what points carry, and with each
// pass selected alone.
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
        CullCase{"ScaledBelow", 64, Heights::kSteep, kBelow, k3D, 8, Carried::kScaled},
        CullCase{"Lit1024", 1024, Heights::kNoisy, kStart, kAll, 8, Carried::kLit},
        CullCase{"Photo64", 64, Heights::kPhoto, kStart, kAll, 8},
        CullCase{"Photo1024", 1024, Heights::kPhoto, kStart, kAll, 8},
        CullCase{"Photo2048", 2048, Heights::kPhoto, kStart, k3D, 8},
        CullCase{"PhotoBelow", 512, Heights::kPhoto, kBelow, kAll, 8},
        CullCase{"PhotoEdgeOn", 512, Heights::kPhoto, kEdgeOn, kAll, 8},
        CullCase{"PhotoZoomedIn", 1024, Heights::kPhoto, kZoomedIn, kAll, 8},
        CullCase{"PhotoZoomedOut", 512, Heights::kPhoto, kZoomedOut, kAll, 8},
        CullCase{"PhotoAlongX", 512, Heights::kPhoto, kAlongX, kAll, 8},
        CullCase{"PhotoOneBand", 512, Heights::kPhoto, kStart, kAll, 1},
        CullCase{"PhotoManyBands", 512, Heights::kPhoto, kStart, kAll, 128},
        CullCase{"PhotoHoles", 512, Heights::kPhoto, kStart, kAll, 8, Carried::kHoles},
        CullCase{"PhotoColours", 512, Heights::kPhoto, kStart, kAll, 8, Carried::kColours},
        CullCase{"PhotoScaled", 512, Heights::kPhoto, kStart, kAll, 8, Carried::kScaled},
        CullCase{"PhotoUnplanned", 512, Heights::kPhoto, kStart, kAll, 8, Carried::kNothing, false},
        CullCase{"PhotoUnplannedBelow", 512, Heights::kPhoto, kBelow, kAll, 8, Carried::kNothing,
                 false}),
    [](const testing::TestParamInfo<CullCase>& info) { return std::string(info.param.name); });

// In the start view of a 640 x 480 window a cell of a 4096 x 4096 photograph
// is a seventh of a pixel wide, and its grain stands up in slivers several
// pixels tall that hide each other: few of its triangles give a pixel its
// colour.
TEST_F(CullingScene, SendsFewTrianglesOfALargePhotographFromAfar) {
  constexpr std::uint32_t kSide = 4096;
  surface.SetGrid(Grid(kSide, Heights::kPhoto).release(), kSide, kSide, true);
  graph.Resize(0, 0, 608, 446);
  Look(kStart, kSide);
  DrawnWith(::Culling::kHidden);
  const double all = 2.0 * (kSide - 1) * (kSide - 1);
  EXPECT_LT(surface.SentTriangles(), 0.02 * all);
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
  surface.SetGrid(Grid(kSide, Heights::kPatchy).release(), kSide, kSide, true);
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
