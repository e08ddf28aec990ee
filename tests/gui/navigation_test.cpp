// Going anywhere in the data through real mouse and key events: panning,
// zooming about the cursor, centring on a double-clicked point, Home, and
// --output's --centre. Where a data point must land is worked out with the
// tests' own projection from the camera fields.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/formroot.h"
#include "app/windows.h"
#include "input/formstatus.h"
#include "support/keypress.h"
#include "support/projection.h"

namespace {

class Navigation : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.root.get()));
    // A curved sheet of 65 x 65 points over the whole cube's floor, seen from
    // the start camera.
    QFile file(dir.filePath(QStringLiteral("sheet.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (int r = 0; r < 65; ++r) {
      for (int c = 0; c < 65; ++c) {
        const double x = c / 64.0, y = r / 64.0;
        file.write(QStringLiteral("%1,%2,%3\n").arg(x).arg(y).arg(0.2 + 0.5 * x * y).toUtf8());
      }
      file.write("\n");
    }
    file.close();
    windows.status->OpenFile(file.fileName(), false);
    ASSERT_EQ(windows.status->surface.columns, 65u);
    start = graph.Picture();
  }

  QPointF Spot(Vec3 p) const { return ProjectToPicture(graph, p); }
  QPointF Middle() const { return QPointF(graph.width / 2.0, graph.height / 2.0); }
  Vec3 LookAtPoint() const { return Camera::ToData(graph.ViewCamera().centre); }

  void Wheel(QPoint at, int angle) {
    QWheelEvent wheel(at, picture->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(picture, &wheel);
  }
  void Drag(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint from, QPoint to) {
    QTest::mousePress(picture, button, modifiers, from);
    QTest::mouseMove(picture, (from + to) / 2);
    QTest::mouseMove(picture, to);
    QTest::mouseRelease(picture, button, modifiers, to);
  }

  QTemporaryDir dir;
  Windows windows = OpenWindows();
  TFrameCubiscope& frame = *windows.root->ui.FrameCubiscope1;
  cOpenGLGraph& graph = frame.View();
  QWidget* picture = graph.window;
  QImage start;
};

// Each way to move: where a data point of the sheet (and one off it) lands
// afterwards, from where it was before and where the input happened.
TEST_F(Navigation, MovesThePictureAsTheInputSays) {
  using Expected = std::function<QPointF(QPointF before, QPointF at, QPointF middle)>;
  const QPoint at(250, 300);
  const double zoomIn = (5001.0 - TFrameCubiscope::kWheelStep) / 5001.0;
  const struct {
    const char* name;
    std::function<void()> act;
    Expected expected;
  } rows[] = {
      // The picture follows the cursor.
      {"Shift+drag",
       [this, at] { Drag(Qt::LeftButton, Qt::ShiftModifier, at, at + QPoint(70, -40)); },
       [](QPointF before, QPointF, QPointF) { return before + QPointF(70, -40); }},
      {"middle drag", [this, at] { Drag(Qt::MiddleButton, {}, at, at + QPoint(-90, 25)); },
       [](QPointF before, QPointF, QPointF) { return before + QPointF(-90, 25); }},
      // Zoomed about the cursor: what lay d from it lies k d from it.
      {"wheel", [this, at] { Wheel(at, 120); },
       [zoomIn](QPointF before, QPointF spot, QPointF) { return spot + (before - spot) / zoomIn; }},
      // A tenth of the visible height a press, the picture moving against
      // the key's direction.
      {"Ctrl+Right", [this] { Press(windows.root.get(), Qt::Key_Right, Qt::ControlModifier); },
       [](QPointF before, QPointF, QPointF middle) { return before - QPointF(middle.y() / 5, 0); }},
      {"Ctrl+Up", [this] { Press(windows.root.get(), Qt::Key_Up, Qt::ControlModifier); },
       [](QPointF before, QPointF, QPointF middle) { return before + QPointF(0, middle.y() / 5); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Press(windows.root.get(), Qt::Key_Home);
    // A point of the sheet, and one above it in the cube.
    const Vec3 points[2] = {{0.4, 0.7, 0.34}, {0.9, 0.1, 0.8}};
    const QPointF before[2] = {Spot(points[0]), Spot(points[1])};
    row.act();
    for (int k = 0; k < 2; ++k) {
      const QPointF after = Spot(points[k]);
      const QPointF want = row.expected(before[k], at, Middle());
      EXPECT_NEAR(after.x(), want.x(), 0.01) << "point " << k;
      EXPECT_NEAR(after.y(), want.y(), 0.01) << "point " << k;
    }
    EXPECT_TRUE(graph.AtRest());
  }
}

// A double-click looks at the data point under the cursor: it comes to the
// middle, and turning then goes round it. On the background nothing moves.
TEST_F(Navigation, DoubleClickLooksAtThePointAndTurnsAboutIt) {
  const Camera before = graph.ViewCamera();
  QTest::mouseDClick(picture, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_EQ(graph.ViewCamera().centre, before.centre);

  const QPoint at = Spot({0.6, 0.55, 0.2 + 0.5 * 0.6 * 0.55}).toPoint();
  QTest::mouseDClick(picture, Qt::LeftButton, {}, at);
  const Vec3 p = LookAtPoint();
  // A point of the sheet, within a cell of where the cursor was.
  EXPECT_NEAR(p.z, 0.2 + 0.5 * p.x * p.y, 1e-5);
  const Camera after = graph.ViewCamera();
  graph.SetCamera(before);
  EXPECT_LT(QLineF(Spot(p), at).length(), 5.0);
  graph.SetCamera(after);
  EXPECT_EQ(frame.ui.ScrollBarTheta->value(), 4500);
  EXPECT_EQ(frame.ui.ScrollBarHeight->value(), 5000);
  EXPECT_EQ(frame.ui.ScrollBarZoom->value(), 5001);
  for (int turn = 0; turn < 3; ++turn) {
    const QPointF seen = Spot(p);
    EXPECT_NEAR(seen.x(), Middle().x(), 0.01);
    EXPECT_NEAR(seen.y(), Middle().y(), 0.01);
    Press(windows.root.get(), turn == 1 ? Qt::Key_Up : Qt::Key_Right);
  }
}

// Home puts the look-at point back with the bars: the start picture again.
TEST_F(Navigation, HomeGivesTheStartPictureBack) {
  Drag(Qt::MiddleButton, {}, QPoint(300, 200), QPoint(100, 120));
  Wheel(QPoint(50, 400), -360);
  QTest::mouseDClick(picture, Qt::LeftButton, {}, Spot({0.5, 0.5, 0.325}).toPoint());
  ASSERT_NE(graph.Picture(), start);
  Press(windows.root.get(), Qt::Key_Home);
  EXPECT_EQ(graph.Picture(), start);
}

// --output's --centre draws the view the mouse reached, to the byte.
TEST_F(Navigation, CentreOptionDrawsTheViewTheMouseReached) {
  QTest::mouseDClick(picture, Qt::LeftButton, {}, Spot({0.7, 0.6, 0.41}).toPoint());
  const Vec3 p = LookAtPoint();
  const QString path = dir.filePath(QStringLiteral("centred.png"));
  QProcess program;
  program.start(QStringLiteral(CUBISCOPE_PROGRAM),
                {QStringLiteral("--output"), path, QStringLiteral("--centre"),
                 QStringLiteral("%1,%2,%3")
                     .arg(QString::number(p.x, 'g', 17), QString::number(p.y, 'g', 17),
                          QString::number(p.z, 'g', 17)),
                 dir.filePath(QStringLiteral("sheet.txt"))});
  ASSERT_TRUE(program.waitForFinished(60000));
  ASSERT_EQ(program.exitCode(), 0) << program.readAllStandardError().constData();
  EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), graph.Picture());
}

}  // namespace
