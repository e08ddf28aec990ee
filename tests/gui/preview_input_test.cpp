// Previews through the real controls: the input that moves the picture of a
// slow scene draws previews, and its end exactly one full picture. The frame
// budget is set to zero, so that the 512² surface counts as slow on any
// machine; timers run as events are processed.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>

#include "app/formroot.h"
#include "input/formstatus.h"
#include "support/controlparts.h"

namespace {

using Detail = cOpenGLChildWindow::Detail;

void Flush() {
  for (int k = 0; k < 4; ++k)
    QCoreApplication::processEvents();
}

class PreviewInput;
struct Gesture {
  const char* name;
  std::function<void(PreviewInput&)> move;  // moves the picture, events run as they come
  std::function<void(PreviewInput&)> end;   // the release, if the input has one
  bool previews;
};
void PrintTo(const Gesture& g, std::ostream* os) {
  *os << g.name;
}

class PreviewInput : public testing::TestWithParam<Gesture> {
 protected:
  void SetUp() override {
    root.show();
    status.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&root));
    std::vector<Vec3> points;
    for (int r = 0; r < 512; ++r) {
      for (int i = 0; i < 512; ++i)
        points.push_back(
            {i / 511.0, r / 511.0, 0.5 + 0.25 * std::sin(i / 40.0) * std::cos(r / 60.0)});
    }
    status.surface.SetGrid(points.data(), 512, 512, false);
    graph.frameBudget = cOpenGLChildWindow::Duration::zero();
    graph.Draw();
    fullBefore = Fulls();
    previewsBefore = graph.PreviewsPresented();
  }
  int Fulls() const {
    return static_cast<int>(graph.FramesPresented() - graph.PreviewsPresented()) - fullBefore;
  }
  int Previews() const { return static_cast<int>(graph.PreviewsPresented() - previewsBefore); }

 public:
  // Presses on the bar's thumb (or the slider's handle) and moves it by steps
  // pixels along the bar, events processed after each move.
  void HoldThumb(QAbstractSlider* control, int steps) {
    const QPoint start = ThumbOf(control).center();
    QTest::mousePress(control, Qt::LeftButton, {}, start);
    ASSERT_TRUE(control->isSliderDown()) << "the press missed the thumb";
    const QPoint along = control->orientation() == Qt::Horizontal ? QPoint(1, 0) : QPoint(0, 1);
    for (int k = 1; k <= 3; ++k) {
      QTest::mouseMove(control, start + k * steps * along);
      Flush();
    }
    held = start + 3 * steps * along;
  }
  void Release(QWidget* widget) { QTest::mouseRelease(widget, Qt::LeftButton, {}, held); }

  TFormRoot root;
  TFrameCubiscope& frame = *root.ui.FrameCubiscope1;
  cOpenGLGraph& graph = frame.View();
  TFormStatus status{graph};
  QPoint held;
  int fullBefore = 0;
  std::uint64_t previewsBefore = 0;
};

TEST_P(PreviewInput, PreviewsWhileItLastsAndOneFullPictureAfter) {
  const Gesture& g = GetParam();
  g.move(*this);
  EXPECT_EQ(Previews() > 0, g.previews);
  // Held input waits for its release; a burst's full picture may already
  // have followed on a slow machine.
  if (g.end || !g.previews) {
    EXPECT_EQ(Fulls(), g.previews ? 0 : 1);
  }
  if (g.end)
    g.end(*this);
  EXPECT_TRUE(QTest::qWaitFor([&] { return graph.AtRest(); }, 5000));
  QTest::qWait(50);  // nothing more comes
  EXPECT_EQ(Fulls(), 1);
  const QImage atRest = graph.Picture();
  graph.Draw();
  EXPECT_EQ(atRest, graph.Picture());
}

INSTANTIATE_TEST_SUITE_P(
    Gestures, PreviewInput,
    testing::Values(
        Gesture{"thumb", [](PreviewInput& t) { t.HoldThumb(t.frame.ui.ScrollBarTheta, 10); },
                [](PreviewInput& t) { t.Release(t.frame.ui.ScrollBarTheta); }, true},
        Gesture{"plane_slider", [](PreviewInput& t) { t.HoldThumb(t.status.ui.TrackBarZ, 8); },
                [](PreviewInput& t) { t.Release(t.status.ui.TrackBarZ); }, true},
        Gesture{"drag",
                [](PreviewInput& t) {
                  QWidget* picture = t.graph.window;
                  QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(200, 200));
                  for (int k = 1; k <= 3; ++k) {
                    QTest::mouseMove(picture, QPoint(200 + 5 * k, 200 + 3 * k));
                    Flush();
                  }
                  t.held = QPoint(215, 209);
                },
                [](PreviewInput& t) { t.Release(t.graph.window); }, true},
        Gesture{"wheel_burst",
                [](PreviewInput& t) {
                  QWidget* picture = t.graph.window;
                  for (int k = 0; k < 3; ++k) {
                    QWheelEvent notch(QPointF(200, 200), picture->mapToGlobal(QPointF(200, 200)),
                                      QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                                      Qt::NoScrollPhase, false);
                    QApplication::sendEvent(picture, &notch);
                  }
                  Flush();
                },
                nullptr, true},
        Gesture{"keys",
                [](PreviewInput& t) {
                  for (int k = 0; k < 3; ++k)
                    t.frame.ui.ActionTurnRight->trigger();
                  Flush();
                },
                nullptr, true},
        Gesture{"fine_keys",
                [](PreviewInput& t) {
                  for (int k = 0; k < 3; ++k)
                    t.frame.ui.ActionTiltDownFine->trigger();
                  Flush();
                },
                nullptr, true},
        Gesture{"trough_click",
                [](PreviewInput& t) {
                  QScrollBar* bar = t.frame.ui.ScrollBarTheta;
                  QTest::mouseClick(bar, Qt::LeftButton, {},
                                    QPoint(bar->width() * 7 / 8, bar->height() / 2));
                },
                nullptr, false}),
    [](const testing::TestParamInfo<Gesture>& info) { return info.param.name; });

// Copy while a preview is shown puts the full picture on the clipboard.
TEST_F(PreviewInput, CopyDuringAPreviewCopiesTheFullPicture) {
  HoldThumb(frame.ui.ScrollBarHeight, 6);
  ASSERT_EQ(graph.PictureDetail(), Detail::kPreview);
  const QImage preview = graph.Picture();
  QTest::mouseClick(status.ui.ButtonCopy, Qt::LeftButton);
  const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
  EXPECT_NE(copied, preview);
  graph.Draw();
  EXPECT_EQ(copied, graph.Picture());
  Release(frame.ui.ScrollBarHeight);
}

// What is painted over a picture is told the detail of the picture it is
// painted over (contour labels go on full pictures only), also for the full
// picture that follows a preview.
TEST_F(PreviewInput, PaintingOverAPictureKnowsItsDetail) {
  std::vector<Detail> paintedOver;
  graph.paintOver = [&](QImage&) { paintedOver.push_back(graph.PictureDetail()); };
  HoldThumb(frame.ui.ScrollBarTheta, 10);
  ASSERT_EQ(graph.PictureDetail(), Detail::kPreview);
  ASSERT_EQ(paintedOver.back(), Detail::kPreview);
  Release(frame.ui.ScrollBarTheta);
  ASSERT_TRUE(QTest::qWaitFor([&] { return graph.AtRest(); }, 5000));
  EXPECT_EQ(paintedOver.back(), Detail::kFull);
  graph.paintOver = nullptr;
}

}  // namespace
