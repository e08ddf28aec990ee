// The Profile window through the real windows: opened by its key and the
// picture's menu, its charts read with the cursor where a small picture's
// sections are known by hand, following the Status window's slider as the
// picture does, and what Copy and Save give.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLayout>
#include <QMimeData>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "app/windows.h"
#include "support/bmpwriter.h"
#include "support/controlparts.h"
#include "support/keypress.h"
#include "support/testfiles.h"
#include "view/messagebox.h"

namespace {

using Strings = std::vector<std::string>;

Strings Texts(const std::vector<ChartTick>& ticks) {
  Strings texts;
  for (const ChartTick& tick : ticks)
    texts.push_back(tick.text.toStdString());
  return texts;
}

// The values of a section's samples, for curves whose distances run 0, 1, ...
void ExpectCurve(const Section& section, const std::vector<double>& values) {
  ASSERT_EQ(section.samples.size(), values.size());
  for (std::size_t k = 0; k < values.size(); ++k) {
    EXPECT_NEAR(section.samples[k].distance, static_cast<double>(k), 1e-12);
    EXPECT_NEAR(section.samples[k].value, values[k], 1e-12) << k;
  }
}

class Profile : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(windows.root.get()));
    previousBox = SetMessageBoxHook(
        [this](const MessageBoxRequest& r) { messages.push_back(r.text.toStdString()); });
    previousChooser =
        TSectionsDialog::SetChooser([this](const TSectionsDialog&) { return answer; });
    // 4 x 3 grey levels 51 (c + r): column c, row r has brightness
    // (c + r) / 5, which the bilinear sections follow exactly.
    Picture heights{4, 3, {}};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 4; ++c) {
        const auto v = static_cast<std::uint8_t>(51 * (c + r));
        heights.pixels.push_back({v, v, v});
      }
    }
    const std::vector<unsigned char> bmp = WriteBmp(heights, {});
    windows.status->OpenFile(Write("heights.bmp", std::string(bmp.begin(), bmp.end())), false);
    ASSERT_EQ(windows.status->surface.columns, 4u);

    Press(windows.root.get(), Qt::Key_P);
    ASSERT_NE(windows.root->profile, nullptr);
    // Beside the Status window, tall enough for five ticks on each axis.
    profile().setGeometry(20, 40, 640, 960);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&profile()));
    ASSERT_TRUE(QTest::qWaitFor([this] { return profile().size() == QSize(640, 960); }));
    profile().layout()->activate();
  }
  void TearDown() override {
    SetMessageBoxHook(previousBox);
    TSectionsDialog::SetChooser(previousChooser);
  }

  QString Write(const char* name, const std::string& bytes) {
    return WriteTestFile(dir, QString::fromLatin1(name), bytes);
  }
  TProfileWindow& profile() { return *windows.root->profile; }
  cOpenGLGraph& graph() { return windows.root->ui.FrameCubiscope1->View(); }
  std::string Readout() { return profile().ui.LabelReadout->text().toStdString(); }

  // Moves the cursor over chart to the pixel of distance, halfway up the
  // plot, as the window system moves it (by way of the pixel above, so that
  // it moves even where it stands already); true once the readout line says
  // `says`.
  bool Reads(TProfileChart* chart, double distance, const std::string& says) {
    const ChartLayout layout = chart->Layout();
    const QPoint at(static_cast<int>(std::floor(layout.X(distance))), layout.plot.center().y());
    QTest::mouseMove(chart, at - QPoint(0, 1));
    QTest::mouseMove(chart, at);
    return QTest::qWaitFor([&] { return Readout() == says; });
  }

  Windows windows = OpenWindows();
  QTemporaryDir dir;
  std::optional<QString> answer;
  std::vector<std::string> messages;
  MessageBoxHook previousBox;
  TSectionsDialog::Chooser previousChooser;
};

// The planes stand at 0: the x plane runs down column 0, the y plane along
// row 0. The start line's point i lies at column 3i/8, row i/16: steps of
// hypot(3/8, 1/16) = 0.380173 cells, brightness 7i/80.
TEST_F(Profile, TheCursorReadsTheSampleNearestToIt) {
  const struct {
    TProfileChart* chart;
    double at;
    const char* says;
  } rows[] = {
      // Distances in ticks of 0.5, values of 0.1: a digit finer each.
      {profile().ui.ChartXPlane, 0.9, "x plane: distance 1.00, value 0.20"},
      {profile().ui.ChartYPlane, 2.2, "y plane: distance 2.00, value 0.40"},
      // Nearest to 1.5: point 4 at 1.5207.
      {profile().ui.ChartLine, 1.5, "Point line: distance 1.52, value 0.35"},
  };
  for (const auto& row : rows)
    EXPECT_TRUE(Reads(row.chart, row.at, row.says)) << Readout();
  ExpectCurve(profile().Shown().xPlane, {0, 0.2, 0.4});
  ExpectCurve(profile().Shown().yPlane, {0, 0.2, 0.4, 0.6});
  EXPECT_NEAR(profile().Shown().line.samples.back().distance, 7 * std::hypot(0.375, 0.0625), 1e-12);

  // Distances 0 to 2 asked for five round values; brightness 0 to 0.4 with
  // room, -0.02 to 0.42, likewise. Along the line 0 to 2.661, and 0 to
  // 0.6125 with room.
  const ChartLayout x = profile().ui.ChartXPlane->Layout();
  EXPECT_EQ(Texts(x.distanceTicks), (Strings{"0.0", "0.5", "1.0", "1.5", "2.0"}));
  EXPECT_EQ(Texts(x.valueTicks), (Strings{"0.0", "0.1", "0.2", "0.3", "0.4"}));
  const ChartLayout line = profile().ui.ChartLine->Layout();
  EXPECT_EQ(Texts(line.distanceTicks), (Strings{"0.0", "0.5", "1.0", "1.5", "2.0", "2.5"}));
  EXPECT_EQ(Texts(line.valueTicks), (Strings{"0.0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6"}));
  EXPECT_EQ(profile().ui.ChartXPlane->Titles().distance.toStdString(), "Distance (cells)");
  EXPECT_EQ(profile().ui.ChartXPlane->Titles().value.toStdString(), "Brightness");

  QTest::mouseMove(profile().ui.ChartXPlane, QPoint(1, 1));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Readout().empty(); })) << "off the plot: " << Readout();
  EXPECT_TRUE(messages.empty());
}

// Dragged to its end, the slider puts the x plane on column 3: brightness
// (3 + r) / 5. While the handle is held the picture previews and the
// sections are cut at the drawn level; let go, the picture comes to rest
// and the sections are cut at the data's own cells.
TEST_F(Profile, FollowsTheXPlaneSliderAndEndsAtFullDetail) {
  graph().frameBudget = cOpenGLChildWindow::Duration::zero();
  QSlider* slider = windows.status->ui.TrackBarX;
  const QPoint start = ThumbOf(slider).center();
  QTest::mousePress(slider, Qt::LeftButton, {}, start);
  ASSERT_TRUE(slider->isSliderDown()) << "the press missed the handle";
  QTest::mouseMove(slider, start + QPoint(0, 400));
  EXPECT_EQ(slider->value(), 1000);
  EXPECT_EQ(profile().ShownDetail(), SectionDetail::kDrawn);
  ExpectCurve(profile().Shown().xPlane, {0.6, 0.8, 1});
  QTest::mouseRelease(slider, Qt::LeftButton, {}, start + QPoint(0, 400));
  EXPECT_TRUE(QTest::qWaitFor([&] { return graph().AtRest(); }));
  EXPECT_EQ(profile().ShownDetail(), SectionDetail::kFull);
  ExpectCurve(profile().Shown().xPlane, {0.6, 0.8, 1});

  // 0.58 to 1.02 in tenths.
  EXPECT_EQ(Texts(profile().ui.ChartXPlane->Layout().valueTicks),
            (Strings{"0.6", "0.7", "0.8", "0.9", "1.0"}));
  EXPECT_TRUE(Reads(profile().ui.ChartXPlane, 1.8, "x plane: distance 2.00, value 1.00"))
      << Readout();
  EXPECT_TRUE(messages.empty());
}

TEST_F(Profile, OpensFromTheKeyAndThePicturesMenuAsOneWindow) {
  TProfileWindow* first = windows.root->profile.get();
  EXPECT_EQ(profile().windowTitle().toStdString(), "Profile");
  EXPECT_FALSE(profile().windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(profile().testAttribute(Qt::WA_QuitOnClose)) << "it would keep the program alive";
  const QList<QAction*> menu = graph().window->actions();
  const auto at = [&menu](const char* text) {
    for (qsizetype k = 0; k < menu.size(); ++k) {
      if (menu[k]->text() == QString::fromUtf8(text))
        return k;
    }
    return qsizetype{-1};
  };
  ASSERT_GE(at("Save turntable…"), 0);
  ASSERT_EQ(at("Profile…"), at("Save turntable…") + 1);

  profile().close();
  menu[at("Profile…")]->trigger();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&profile()));
  Press(windows.root.get(), Qt::Key_P);  // open already: raised
  EXPECT_TRUE(profile().isVisible());
  EXPECT_EQ(windows.root->profile.get(), first);

  // Hidden, it does not follow; opened, it shows what is there now.
  profile().close();
  windows.status->ui.TrackBarY->setValue(1000);
  ExpectCurve(profile().Shown().yPlane, {0, 0.2, 0.4, 0.6});
  Press(windows.root.get(), Qt::Key_P);
  ExpectCurve(profile().Shown().yPlane, {0.4, 0.6, 0.8, 1});
  EXPECT_TRUE(messages.empty());
}

TEST_F(Profile, CopyAndSaveGiveTheSectionsAsCsvAndTheChartsAsAPicture) {
  // Down column 0: x names the column, y the row; the numbers as short as
  // they read back.
  const QString xPlane = QStringLiteral(
      "section,distance,x,y,value\n"
      "x-plane,0,0,0,0\nx-plane,1,0,1,0.2\nx-plane,2,0,2,0.4\n");
  const QImage charts = profile().ChartsPicture();
  ASSERT_FALSE(charts.isNull());

  QGuiApplication::clipboard()->clear();
  Press(&profile(), Qt::Key_C, Qt::ControlModifier);
  const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(copied, nullptr);
  EXPECT_TRUE(copied->text().startsWith(xPlane)) << copied->text().toStdString();
  EXPECT_EQ(QString::fromUtf8(copied->data(QStringLiteral("text/csv"))), copied->text());
  EXPECT_EQ(QGuiApplication::clipboard()->image().size(), charts.size());

  answer = dir.filePath(QStringLiteral("profile.csv"));
  Press(&profile(), Qt::Key_S, Qt::ControlModifier);
  QFile csv(*answer);
  ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(csv.readAll()), copied->text());

  answer = dir.filePath(QStringLiteral("profile.png"));
  ASSERT_TRUE(profile().actions().contains(profile().ui.ActionSave)) << "in the context menu";
  profile().ui.ActionSave->trigger();
  EXPECT_EQ(QImage(*answer).size(), charts.size());
  EXPECT_TRUE(messages.empty());

  // A folder that is not there: one message naming the file, and no file.
  answer = dir.filePath(QStringLiteral("missing/profile.csv"));
  Press(&profile(), Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind(
                QStringLiteral("ファイル %1 に書き込めません: ").arg(*answer).toStdString(), 0),
            0u)
      << messages[0];
  EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("missing"))).exists());
}

// The surface cleared under the open window, then replaced by a point grid:
// the charts say there is nothing, then measure in the grid's own units.
TEST_F(Profile, OutlivesTheSurfaceClearedAndReplaced) {
  windows.status->surface.Clear();
  windows.status->ui.TrackBarX->setValue(500);
  EXPECT_TRUE(profile().ui.ChartXPlane->Shown().samples.empty());
  EXPECT_TRUE(profile().ui.ChartXPlane->Layout().empty);
  profile().ui.ChartXPlane->repaint();

  windows.status->OpenFile(Write("grid.txt", "0,0,0.25\n1,0,0.5\n\n0,1,0.75\n1,1,1\n"), false);
  // Down x = 0.5, halfway between the columns: 0.375 at y = 0, 0.875 at 1.
  ExpectCurve(profile().Shown().xPlane, {0.375, 0.875});
  EXPECT_EQ(profile().ui.ChartXPlane->Titles().distance.toStdString(), "Distance (data units)");
  EXPECT_EQ(profile().ui.ChartXPlane->Titles().value.toStdString(), "Height (data units)");
  EXPECT_TRUE(messages.empty());
}

}  // namespace
