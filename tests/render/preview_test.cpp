// Previews: what a reduced picture keeps of the full one, that the picture at
// rest is the full one to the byte, and how the view paces previews and full
// pictures (timers run by processing events; the frame budget is set rather
// than measured, so that nothing depends on the clock).
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include "objects/solid.h"
#include "objects/surface.h"
#include "scene/graph.h"
#include "support/projection.h"

namespace {

using Detail = cOpenGLChildWindow::Detail;
using Input = cOpenGLChildWindow::Input;

constexpr int kSide = 300;  // of the view

// Gentle waves, with nothing exact in single precision, so that band borders
// run between pixels.
Vec3 OnWaves(double x, double y) {
  return {x, y, 0.5 + 0.25 * std::sin(4 * M_PI * x) * std::cos(2 * M_PI * y)};
}

// side x side points on the waves.
std::vector<Vec3> Waves(std::uint32_t side) {
  std::vector<Vec3> points;
  const double last = side - 1.0;
  for (std::uint32_t r = 0; r < side; ++r) {
    for (std::uint32_t i = 0; i < side; ++i)
      points.push_back(OnWaves(i / last, r / last));
  }
  return points;
}

// Runs the zero-delay timers and what they post, without waiting for time.
void Flush() {
  for (int k = 0; k < 4; ++k)
    QCoreApplication::processEvents();
}

bool WaitForRest(const cOpenGLChildWindow& view) {
  return QTest::qWaitFor([&] { return view.AtRest(); }, 5000);
}

// A 300 x 300 view with the start-up planes, a surface of side² points (none
// for 0) in the given passes, and the 64³ volume if asked, seen as the bars
// set it. A view that draws slowly: a hook runs after every full Draw.
struct Scene {
  class View : public cOpenGLGraph {
   public:
    void Draw() override {
      cOpenGLGraph::Draw();
      if (afterFull && detail == Detail::kFull)
        afterFull();
    }
    std::function<void()> afterFull;
  };

  Scene(std::uint32_t side, bool allPasses, bool withVolume) {
    if (!graph.Attach(&panel))
      return;
    graph.Resize(0, 0, kSide, kSide);
    AimView(graph, 4500, 3000, 4000);
    graph.preObjects = {&surface};
    graph.postObjects = {&volume};
    if (side > 0) {
      std::vector<Vec3> points = Waves(side);
      surface.SetGrid(points.data(), side, side, false);
    }
    surface.SetLevels(8);
    surface.dispXY = surface.dispYZ = surface.dispZX = allPasses;
    if (withVolume) {
      std::vector<float> field(64 * 64 * 64);
      for (std::size_t k = 0; k < field.size(); ++k)
        field[k] = static_cast<float>((k * 2654435761u % 1000) / 1000.0);
      volume.SetVolume(field.data(), 64, 64, 64, false);
    }
    volume.SetLevels(8);
  }
  bool Ready() const { return graph.glContext != nullptr; }
  QImage Draw(Detail detail) {
    graph.detail = detail;
    graph.Draw();
    graph.detail = Detail::kFull;
    return graph.Picture();
  }

  QWidget panel;
  cOpenGLGraph_Surface surface;
  cOpenGLGraph_Solid volume;
  View graph;
};

struct SceneCase {
  const char* name;
  std::uint32_t side;
  bool allPasses;
  bool withVolume;
  bool reduced;  // the preview differs from the full picture
};
void PrintTo(const SceneCase& c, std::ostream* os) {
  *os << c.name;
}

class PreviewOf : public testing::TestWithParam<SceneCase> {};

// A small scene's preview is its full picture: it never sees a reduced one.
// A large one's is reduced to the view's budget, and leaves nothing behind:
// the full picture after it is the full picture before it, to the byte.
TEST_P(PreviewOf, IsReducedOnlyWhenLargeAndLeavesTheFullPictureExact) {
  const SceneCase& c = GetParam();
  Scene scene(c.side, c.allPasses, c.withVolume);
  ASSERT_TRUE(scene.Ready()) << "no OpenGL context";
  const QImage full = scene.Draw(Detail::kFull);
  const QImage preview = scene.Draw(Detail::kPreview);
  EXPECT_EQ(preview != full, c.reduced);
  EXPECT_LE(scene.surface.SentTriangles(), std::size_t{kSide} * kSide / 8);
  EXPECT_EQ(scene.Draw(Detail::kFull), full) << SaveForInspection(full, c.name).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, PreviewOf,
    testing::Values(SceneCase{"planes_alone", 0, false, false, false},
                    SceneCase{"surface_64", 64, true, false, false},
                    SceneCase{"surface_512_four_passes", 512, true, false, true},
                    SceneCase{"surface_2048_four_passes", 2048, true, false, true},
                    SceneCase{"volume_64", 0, false, true, true}),
    [](const testing::TestParamInfo<SceneCase>& info) { return info.param.name; });

// The share of a's pixels whose colour b has nowhere within radius pixels.
double Unmatched(const QImage& a, const QImage& b, int radius) {
  int missing = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      bool found = false;
      for (int dy = -radius; dy <= radius && !found; ++dy) {
        for (int dx = -radius; dx <= radius && !found; ++dx) {
          const QPoint p(x + dx, y + dy);
          found = b.rect().contains(p) && ColourNear(b.pixel(p), qRed(a.pixel(x, y)),
                                                     qGreen(a.pixel(x, y)), qBlue(a.pixel(x, y)));
        }
      }
      missing += !found;
    }
  }
  return static_cast<double>(missing) / (a.width() * a.height());
}

// The preview of a 2048² field shows the bands where the full picture has
// them, within a few pixels, and reaches the grid's four corners.
TEST(Preview, KeepsBandsAndCornersOfALargeField) {
  Scene scene(2048, false, false);
  ASSERT_TRUE(scene.Ready()) << "no OpenGL context";
  for (cOpenGLGraph_Grid* plane : {&scene.graph.planeX, &scene.graph.planeY, &scene.graph.planeZ})
    plane->origin = {10.0, 10.0, 10.0};
  const QImage full = scene.Draw(Detail::kFull);
  const QImage preview = scene.Draw(Detail::kPreview);
  ASSERT_NE(preview, full);
  EXPECT_EQ(Unmatched(full, preview, 2), 0.0) << SaveForInspection(preview, "bands").toStdString();
  EXPECT_EQ(Unmatched(preview, full, 2), 0.0);
  const QRgb background = full.pixel(0, 0);
  for (const double x : {0.0, 1.0}) {
    for (const double y : {0.0, 1.0}) {
      const QPoint p = ProjectDataPoint(scene.graph, OnWaves(0.01 + 0.98 * x, 0.01 + 0.98 * y));
      EXPECT_NE(full.pixel(p), background) << x << ", " << y;
      EXPECT_NE(preview.pixel(p), background) << x << ", " << y;
    }
  }
}

// What changes while the user drags reaches the next preview: it equals the
// preview of a scene set up that way from the start.
struct ChangeCase {
  const char* name;
  void (*change)(Scene&);
};
void PrintTo(const ChangeCase& c, std::ostream* os) {
  *os << c.name;
}
class PreviewAfter : public testing::TestWithParam<ChangeCase> {};

TEST_P(PreviewAfter, HonoursTheChange) {
  Scene scene(512, false, false);
  ASSERT_TRUE(scene.Ready()) << "no OpenGL context";
  const QImage before = scene.Draw(Detail::kPreview);
  GetParam().change(scene);
  const QImage after = scene.Draw(Detail::kPreview);
  Scene fresh(512, false, false);
  GetParam().change(fresh);
  EXPECT_NE(after, before);
  EXPECT_EQ(after, fresh.Draw(Detail::kPreview));
}

INSTANTIATE_TEST_SUITE_P(
    Changes, PreviewAfter,
    testing::Values(ChangeCase{"switch_xy", [](Scene& s) { s.surface.dispXY = 1; }},
                    ChangeCase{"plane_z", [](Scene& s) { s.graph.planeZ.origin.z = 0.7; }},
                    ChangeCase{"bands", [](Scene& s) { s.surface.SetLevels(64); }},
                    ChangeCase{"turn", [](Scene& s) { AimView(s.graph, 6000, 3000, 4000); }},
                    ChangeCase{"new_grid",
                               [](Scene& s) {
                                 std::vector<Vec3> points = Waves(700);
                                 s.surface.SetGrid(points.data(), 700, 700, false);
                               }}),
    [](const testing::TestParamInfo<ChangeCase>& info) { return info.param.name; });

// The pacing of redraws, counted as previews and full pictures presented.
struct PaceCase {
  const char* name;
  bool slow;  // the last full frame took longer than the budget
  Input input;
  int previews;         // after three changes and the waiting events
  int fullAtOnce;       // full pictures presented by the three changes themselves
  int fullAfterSettle;  // after Settle (held) or the wait (burst)
};
void PrintTo(const PaceCase& c, std::ostream* os) {
  *os << c.name;
}
class Pacing : public testing::TestWithParam<PaceCase> {};

TEST_P(Pacing, DrawsOnePreviewPerBatchAndOneFullPictureAtRest) {
  const PaceCase& c = GetParam();
  Scene scene(64, false, false);
  ASSERT_TRUE(scene.Ready()) << "no OpenGL context";
  cOpenGLGraph& view = scene.graph;
  view.frameBudget = c.slow ? Scene::View::Duration::zero() : Scene::View::Duration::max();
  view.settleDelay = std::chrono::milliseconds(20);
  view.Draw();
  const auto previews = [&] { return static_cast<int>(view.PreviewsPresented()); };
  const auto fulls = [&] { return static_cast<int>(view.FramesPresented()) - previews(); };
  const int fullBefore = fulls();
  for (int k = 0; k < 3; ++k) {
    AimView(view, 4500 + 100 * k, 3000, 4000);
    view.Redraw(c.input);
  }
  EXPECT_EQ(fulls() - fullBefore, c.fullAtOnce);
  Flush();
  EXPECT_EQ(previews(), c.previews);
  if (c.input == Input::kHeld) {
    // Held input waits for its release.
    EXPECT_EQ(fulls() - fullBefore, c.fullAtOnce);
    view.Settle();
  }
  EXPECT_TRUE(WaitForRest(view));
  EXPECT_EQ(fulls() - fullBefore, c.fullAtOnce + c.fullAfterSettle);
  EXPECT_EQ(previews(), c.previews);
  EXPECT_EQ(view.PictureDetail(), Detail::kFull);
  EXPECT_EQ(view.Picture(), scene.Draw(Detail::kFull));
}

INSTANTIATE_TEST_SUITE_P(Inputs, Pacing,
                         testing::Values(PaceCase{"held_slow", true, Input::kHeld, 1, 0, 1},
                                         PaceCase{"burst_slow", true, Input::kBurst, 1, 0, 1},
                                         PaceCase{"at_once_slow", true, Input::kAtOnce, 0, 3, 0},
                                         PaceCase{"held_fast", false, Input::kHeld, 0, 3, 0},
                                         PaceCase{"burst_fast", false, Input::kBurst, 0, 3, 0}),
                         [](const testing::TestParamInfo<PaceCase>& info) {
                           return info.param.name;
                         });

// A full picture that input makes stale while it is drawn is never shown:
// the preview of that input comes first, the full picture after its release.
TEST(Pacing, DropsAFullPictureMadeStaleWhileItWasDrawn) {
  Scene scene(64, false, false);
  ASSERT_TRUE(scene.Ready()) << "no OpenGL context";
  Scene::View& view = scene.graph;
  view.frameBudget = Scene::View::Duration::zero();
  view.Draw();
  view.Redraw(Input::kHeld);
  Flush();
  ASSERT_EQ(view.PictureDetail(), Detail::kPreview);
  const std::uint64_t framesBefore = view.FramesPresented();
  view.afterFull = [&] {
    view.afterFull = nullptr;
    // The thumb is taken again while the settling frame is drawn.
    QMetaObject::invokeMethod(
        &scene.panel, [&] { view.Redraw(Input::kHeld); }, Qt::QueuedConnection);
  };
  view.Settle();
  Flush();
  EXPECT_EQ(view.FramesPresented(), framesBefore + 1);
  EXPECT_EQ(view.PreviewsPresented(), 2u);
  view.Settle();
  EXPECT_TRUE(WaitForRest(view));
  EXPECT_EQ(view.FramesPresented(), framesBefore + 2);
  EXPECT_EQ(view.PictureDetail(), Detail::kFull);
}

}  // namespace
