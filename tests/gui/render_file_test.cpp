// Pictures rendered straight to a file (cubiscope --output): the options as
// read, the program's exit statuses and messages, and the picture against
// what the windows show for the same settings.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <fstream>

#include <QAction>
#include <QDir>
#include <QImageReader>
#include <QInputDialog>
#include <QLayout>
#include <QMenu>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/colourrangetext.h"
#include "app/commandline.h"
#include "app/renderfile.h"
#include "app/windows.h"
#include "meshes/meshsettings.h"
#include "support/bmpwriter.h"
#include "support/meshcheck.h"
#include "support/projection.h"
#include "support/testfiles.h"
#include "support/turntableframes.h"

namespace {

bool SameRequest(const PictureRequest& a, const PictureRequest& b) {
  const PictureLook& l = a.look;
  const PictureLook& m = b.look;
  return a.size == b.size && a.theta == b.theta && a.height == b.height && a.zoom == b.zoom &&
         a.centre == b.centre && a.bands == b.bands && std::equal(a.show, a.show + 4, b.show) &&
         std::equal(a.planes, a.planes + 3, b.planes) && l.colourMap == m.colourMap &&
         l.light == m.light && l.lightSource.azimuth == m.lightSource.azimuth &&
         l.lightSource.altitude == m.lightSource.altitude &&
         l.lightSource.allSides == m.lightSource.allSides && l.zScale == m.zScale &&
         l.volumeColours == m.volumeColours && l.colourBar == m.colourBar && l.axes == m.axes &&
         l.antialias == m.antialias && l.scale == m.scale && l.contours == m.contours &&
         l.contourStep == m.contourStep && l.contourLabels == m.contourLabels &&
         l.colourRange == m.colourRange && l.logColours == m.logColours;
}

// Chooses look in the picture's context menu, item by item, as a user would.
void ChooseInMenu(QWidget* picture, const PictureLook& look) {
  for (QAction* action : picture->actions()) {
    const QString name = action->text();
    if (name == QStringLiteral("Light") && action->isChecked() != look.light)
      action->trigger();
    if (name == QStringLiteral("Light from all sides") &&
        action->isChecked() != look.lightSource.allSides)
      action->trigger();
    if (name == QStringLiteral("Colour bar") && action->isChecked() != look.colourBar)
      action->trigger();
    if (name == QStringLiteral("Axes") && action->isChecked() != look.axes)
      action->trigger();
    if (name == QStringLiteral("Colour range")) {
      const QString range = ColourRangeText(look.colourRange);
      const QList<QAction*> items = action->menu()->actions();
      const bool listed = std::any_of(items.begin(), items.end(), [&](const QAction* item) {
        return item->data().toString() == range;
      });
      for (QAction* item : items) {
        if (item->data().toString() == range && !item->isChecked())
          item->trigger();
        if (!listed && item->text().startsWith(QStringLiteral("Other"))) {
          // Typed into the dialog that "Other…" opens.
          QTimer::singleShot(0, [range] {
            if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
              dialog->setTextValue(range);
              dialog->accept();
            }
          });
          item->trigger();
        }
        if (item->text() == QStringLiteral("Logarithmic colours") &&
            item->isChecked() != look.logColours)
          item->trigger();
      }
    }
    if (!action->menu())
      continue;
    for (QAction* item : action->menu()->actions()) {
      const bool map = name == QStringLiteral("Colours") && item->isCheckable() &&
                       item->data().isValid() &&
                       item->data().toInt() == static_cast<int>(look.colourMap);
      const bool scale = name == QStringLiteral("Vertical scale") && item->data().isValid() &&
                         item->data().toDouble() == look.zScale;
      const bool volume = item->text() == QStringLiteral("Colours of the data") &&
                          item->isChecked() != look.volumeColours;
      const bool smooth =
          name == QStringLiteral("Smooth edges") && item->data().toInt() == look.antialias;
      // Contour lines at a step of one's own ask for it in a dialog.
      const bool contours = name == QStringLiteral("Contour lines") &&
                            item->text() == QStringLiteral("At the colour bar's values") &&
                            look.contours;
      if ((map || scale || smooth || contours) && !item->isChecked())
        item->trigger();
      if (volume)
        item->trigger();
    }
  }
}

PictureRequest With(const std::function<void(PictureRequest&)>& change) {
  PictureRequest r;
  change(r);
  return r;
}

TEST(OutputOptions, AreReadIntoTheRequestOrRefused) {
  const struct {
    QStringList options;
    std::optional<PictureRequest> want;  // nothing: refused with status 2
  } rows[] = {
      {{}, PictureRequest()},
      {{"--size", "300x200"}, With([](auto& r) {
         r.size = {300, 200};
       })},
      {{"--size", "7×3"}, With([](auto& r) {
         r.size = {7, 3};
       })},
      {{"--turn", "-30.25"}, With([](auto& r) { r.theta = -3025; })},
      {{"--tilt", "80"}, With([](auto& r) { r.height = 8000; })},
      {{"--zoom", "0.5"}, With([](auto& r) { r.zoom = 2500; })},
      {{"--centre", "0.1, -2,1e3"}, With([](auto& r) {
         r.centre = {0.1, -2, 1000};
       })},
      {{"--bands", "128"}, With([](auto& r) { r.bands = 128; })},
      {{"--show", "XY,3d,zx"}, With([](auto& r) { r.show[1] = r.show[3] = true; })},
      {{"--show", ""}, With([](auto& r) { r.show[0] = false; })},
      {{"--planes", "0.25,0.5,1"},
       With([](auto& r) { r.planes[0] = 250, r.planes[1] = 500, r.planes[2] = 1000; })},
      {{"--colour-map", "Cividis", "--colour-bar", "--volume-colours"}, With([](auto& r) {
         r.look.colourMap = ColourMapKind::kCividis;
         r.look.colourBar = r.look.volumeColours = true;
       })},
      {{"--light", "--axes"}, With([](auto& r) { r.look.light = r.look.axes = true; })},
      {{"--light-from", "90,30.5", "--z-scale", "2.5"}, With([](auto& r) {
         r.look.light = true;
         r.look.lightSource.azimuth = 90, r.look.lightSource.altitude = 30.5;
         r.look.zScale = 2.5;
       })},
      {{"--size", "32768x5", "--antialias", "3", "--scale", "2.25"}, With([](auto& r) {
         r.size = {32768, 5};
         r.look.antialias = 3, r.look.scale = 2.25;
       })},
      {{"--antialias", "1", "--scale", "0.5"}, With([](auto& r) { r.look.scale = 0.5; })},
      {{"--light-from", "multi"},
       With([](auto& r) { r.look.light = r.look.lightSource.allSides = true; })},
      {{"--contours", " 0.25"},
       With([](auto& r) { r.look.contours = true, r.look.contourStep = 0.25; })},
      {{"--contours", "Auto"}, With([](auto& r) { r.look.contours = true; })},
      {{"--contours", "auto", "--contour-labels"},
       With([](auto& r) { r.look.contours = r.look.contourLabels = true; })},
      {{"--contour-labels"}, std::nullopt},
      {{"--contours", "0"}, std::nullopt},
      {{"--contours", "-5"}, std::nullopt},
      {{"--contours", "inf"}, std::nullopt},
      {{"--colour-map", "rainbow"}, std::nullopt},
      {{"--light-from", "10"}, std::nullopt},
      {{"--light-from", "10,95"}, std::nullopt},
      {{"--z-scale", "30"}, std::nullopt},
      {{"--size", "-3x4"}, std::nullopt},
      {{"--size", "0x10"}, std::nullopt},
      {{"--size", "32769x10"}, std::nullopt},
      {{"--antialias", "5"}, std::nullopt},
      {{"--antialias", "0"}, std::nullopt},
      {{"--scale", "0.49"}, std::nullopt},
      {{"--scale", "8.01"}, std::nullopt},
      {{"--bands", "0"}, std::nullopt},
      {{"--bands", "3"}, std::nullopt},
      {{"--tilt", "500"}, std::nullopt},
      {{"--turn", "east"}, std::nullopt},
      {{"--zoom", "0"}, std::nullopt},
      {{"--show", "3d,side"}, std::nullopt},
      {{"--planes", "0.5,0.5"}, std::nullopt},
      {{"--planes", "0,0,1.5"}, std::nullopt},
      {{"--centre", "0.5,0.5"}, std::nullopt},
      {{"--centre", "0.5,nan,0.5"}, std::nullopt},
      {{"--centre", "inf,0,0"}, std::nullopt},
      {{"--centre", "0.5,0.5,0.5,0.5"}, std::nullopt},
      {{"--range", "200,9800"}, With([](auto& r) {
         r.look.colourRange = {ColourRange::Kind::kValues, 200, 9800};
       })},
      {{"--range", "2%,98%", "--log"}, With([](auto& r) {
         r.look.colourRange = {ColourRange::Kind::kPercentiles, 2, 98};
         r.look.logColours = true;
       })},
      {{"--range", "full"}, PictureRequest()},
      {{"--range", "100,50"}, std::nullopt},
      {{"--range", "2%,101%"}, std::nullopt},
      {{"--range", "5%,800"}, std::nullopt},
      {{"--range", ""}, std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.options.join(' ').toStdString());
    const CommandLineOutcome outcome =
        ReadCommandLine(QStringList{"cubiscope", "--output", "p.png"} + row.options);
    if (!row.want) {
      EXPECT_EQ(outcome.exitCode, 2);
      EXPECT_TRUE(outcome.text.endsWith(UsageText()));
      continue;
    }
    ASSERT_FALSE(outcome.exitCode) << outcome.text.toStdString();
    EXPECT_EQ(outcome.options.output, QDir::current().absoluteFilePath(QStringLiteral("p.png")));
    EXPECT_TRUE(SameRequest(outcome.options.picture, *row.want));
  }
}

// A height field that curves, so that every camera sees it, and a picture of
// a few colours for the volume.
class RenderFile : public testing::Test {
 protected:
  void SetUp() override {
    Picture heights{64, 48, {}};
    for (int row = 0; row < heights.height; ++row) {
      for (int col = 0; col < heights.width; ++col) {
        const double x = col / 63.0;
        const auto v = static_cast<std::uint8_t>(255 * x * x * (0.5 + row / 94.0));
        heights.pixels.push_back({v, v, v});
      }
    }
    data = Write("heights.bmp", WriteBmp(heights, {}));
    colours =
        Write("colours.bmp",
              WriteBmp(PatternPicture(20, 10, {{250, 10, 10}, {10, 250, 10}, {40, 40, 240}}), {}));
  }

  QString Write(const char* name, const std::vector<unsigned char>& bytes) {
    return WriteTestFile(dir, QString::fromLatin1(name), bytes);
  }

  // What the program finds around it: a display or none, and Mesa's
  // OpenGL without a window system (EGL) or none.
  enum class Around { kDisplay, kNoDisplay, kNothing };

  // Runs the program; returns its exit status and keeps what it printed.
  int Run(const QStringList& arguments, Around around = Around::kDisplay) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (around != Around::kDisplay)
      environment.remove(QStringLiteral("DISPLAY"));
    // The dispatch library then finds no EGL driver.
    if (around == Around::kNothing)
      environment.insert(QStringLiteral("__EGL_VENDOR_LIBRARY_FILENAMES"),
                         QStringLiteral("/nonexistent/egl_vendor.json"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(CUBISCOPE_PROGRAM), arguments);
    EXPECT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    printed = QString::fromLocal8Bit(program.readAllStandardError());
    return program.exitCode();
  }

  // The picture the windows show after a user set their controls as request
  // says and loaded its files as drops.
  static QImage WindowPicture(const PictureRequest& request) {
    const Windows windows = OpenWindows();
    TFrameCubiscope& frame = *windows.root->ui.FrameCubiscope1;
    TFormStatus& status = *windows.status;
    windows.root->resize(request.size);
    windows.root->layout()->activate();
    frame.ui.ScrollBarTheta->setValue(request.theta);
    frame.ui.ScrollBarHeight->setValue(request.height);
    frame.ui.ScrollBarZoom->setValue(request.zoom);
    QCheckBox* boxes[4] = {status.ui.CheckBoxDisp3D, status.ui.CheckBoxDispXY,
                           status.ui.CheckBoxDispYZ, status.ui.CheckBoxDispZX};
    for (int k = 0; k < 4; ++k)
      boxes[k]->setChecked(request.show[k]);
    status.ui.TrackBarX->setValue(request.planes[0]);
    status.ui.TrackBarY->setValue(request.planes[1]);
    status.ui.TrackBarZ->setValue(request.planes[2]);
    status.ChangeState();
    status.ui.UpDownLevel->setValue(std::countr_zero(static_cast<unsigned>(request.bands)) + 1);
    ChooseInMenu(frame.View().window, request.look);
    if (!request.coloursFile.isEmpty())
      status.OpenFile(request.coloursFile, true);
    if (!request.dataFile.isEmpty())
      status.OpenFile(request.dataFile, false);
    EXPECT_EQ(frame.View().Picture().size(), request.size);
    return frame.View().Picture();
  }

  QTemporaryDir dir;
  QString data, colours;
  QString printed;
};

TEST_F(RenderFile, WithoutOptionsDrawsTheProgramsFirstPicture) {
  const QImage first = OpenWindows().root->ui.FrameCubiscope1->View().Picture();
  const QString path = dir.filePath(QStringLiteral("first.png"));
  ASSERT_EQ(Run({QStringLiteral("--output"), path}), 0) << printed.toStdString();
  const QImage written = QImage(path).convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(written, first);
  // Where the planes are seen alone, their green over the clear colour.
  cOpenGLChildWindow camera;
  AimView(camera, 4500, 5000, 5001);
  camera.width = 640, camera.height = 480, camera.aspect = 640.0 / 480.0;
  EXPECT_TRUE(ColourNear(written.pixel(ProjectDataPoint(camera, {0.85, 0.15, 0.0})), 26, 56, 36));
}

// Every option alone and all together: the file holds, pixel for pixel, what
// the windows show for the same settings.
TEST_F(RenderFile, EqualsTheWindowsPictureForTheSameSettings) {
  const struct {
    QStringList options;
    std::function<void(PictureRequest&)> change;
  } rows[] = {
      {{"--size", "200x150"},
       [](auto& r) {
         r.size = {200, 150};
       }},
      {{"--turn", "-30.25"}, [](auto& r) { r.theta = -3025; }},
      {{"--tilt", "-12"}, [](auto& r) { r.height = -1200; }},
      {{"--zoom", "0.6"}, [](auto& r) { r.zoom = 3000; }},
      {{"--bands", "2"}, [](auto& r) { r.bands = 2; }},
      {{"--show", "xy,yz,zx"},
       [](auto& r) { r.show[0] = false, r.show[1] = r.show[2] = r.show[3] = true; }},
      {{"--planes", "0.2,0.5,0.7"},
       [](auto& r) { r.planes[0] = 200, r.planes[1] = 500, r.planes[2] = 700; }},
      {{"--colour-map", "terrain", "--light", "--colour-bar", "--z-scale", "0.5", "--axes"},
       [](auto& r) {
         r.look.colourMap = ColourMapKind::kTerrain;
         r.look.light = r.look.colourBar = r.look.axes = true, r.look.zScale = 0.5;
       }},
      {{"--colour-map", "viridis", "--light-from", "multi"},
       [](auto& r) {
         r.look.colourMap = ColourMapKind::kViridis;
         r.look.light = r.look.lightSource.allSides = true;
       }},
      {{"--colour-map", "picture", "--volume-colours", "--colours", "colours.bmp"},
       [](auto& r) { r.look.colourMap = ColourMapKind::kPicture, r.look.volumeColours = true; }},
      {{"--colours", "colours.bmp"}, [](auto&) {}},
      {{"--contours", "auto", "--colour-map", "terrain", "--show", "3d,xy"},
       [](auto& r) {
         r.look.contours = true, r.look.colourMap = ColourMapKind::kTerrain;
         r.show[1] = true;
       }},
      {{"--range", "2%,98%", "--colour-bar", "--bands", "16"},
       [](auto& r) {
         r.look.colourRange = {ColourRange::Kind::kPercentiles, 2, 98};
         r.look.colourBar = true, r.bands = 16;
       }},
      {{"--range", "0.05,0.8", "--log", "--colour-bar"},
       [](auto& r) {
         r.look.colourRange = {ColourRange::Kind::kValues, 0.05, 0.8};
         r.look.colourBar = r.look.logColours = true;
       }},
      {{"--antialias", "3", "--light", "--axes"},
       [](auto& r) { r.look.antialias = 3, r.look.light = r.look.axes = true; }},
      {{"--size", "320x240", "--turn", "100", "--tilt", "30", "--zoom", "0.8", "--bands", "32",
        "--show", "3d,zx", "--planes", "0.1,0.9,0.3", "--colours", "colours.bmp"},
       [](auto& r) {
         r.size = {320, 240}, r.theta = 10000, r.height = 3000, r.zoom = 4000, r.bands = 32;
         r.show[3] = true;
         r.planes[0] = 100, r.planes[1] = 900, r.planes[2] = 300;
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.options.join(' ').toStdString());
    PictureRequest request = With(row.change);
    request.dataFile = data;
    QStringList options = row.options;
    if (const auto at = options.indexOf(QStringLiteral("colours.bmp")); at >= 0) {
      options[at] = colours;
      request.coloursFile = colours;
    }
    const QImage shown = WindowPicture(request);
    // With a display the program could draw through it; without, nothing
    // else is there.
    for (const Around around : {Around::kDisplay, Around::kNoDisplay}) {
      SCOPED_TRACE(around == Around::kDisplay ? "with a display" : "without a display");
      const QString path = dir.filePath(QStringLiteral("picture.png"));
      ASSERT_EQ(
          Run(QStringList{QStringLiteral("--output"), path} + options + QStringList{data}, around),
          0)
          << printed.toStdString();
      const QImage written = QImage(path).convertToFormat(QImage::Format_RGB32);
      EXPECT_EQ(written, shown);
      if (written != shown) {
        SaveForInspection(written, QStringLiteral("render_file_written"));
        SaveForInspection(shown, QStringLiteral("render_file_shown"));
      }
    }
  }
}

TEST_F(RenderFile, FailuresExitWithTheirStatusAndTheMessageBoxText) {
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
  const QString missing = dir.filePath(QStringLiteral("gone.csv"));
  const QString broken = Write("broken.bmp", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40});
  const QString folder = dir.filePath(QStringLiteral("folder"));
  const QString out = dir.filePath(QStringLiteral("out.png"));
  const struct {
    QStringList arguments;
    int status;
    QString printedStart;
    Around around = Around::kDisplay;
  } rows[] = {
      {{"--output", out, missing}, 1, QStringLiteral("ファイル %1 は開けません.\n").arg(missing)},
      {{"--output", out, broken}, 1, QStringLiteral("ストリームからの読み込みエラー.\n")},
      {{"--output", out, "--colours", data, folder},
       1,
       QStringLiteral("ファイル %1 は開けません.\n").arg(folder)},
      {{"--output", folder}, 1, QStringLiteral("ファイル %1 に書き込めません: ").arg(folder)},
      {{"--output", out, "--bands", "0"}, 2, QStringLiteral("Option 'bands': 0 is not")},
      {{"--output", out, "--contours", "0.0001", data},
       1,
       QStringLiteral("Contour lines 0.0001 apart give 10001 levels between 0 and 1; at most 1000 "
                      "can be drawn (lines at least 0.001001 apart).")},
      {{"--output", out},
       1,
       QStringLiteral("OpenGL のコンテキストを作成できません.\n"),
       Around::kNothing},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.arguments.join(' ').toStdString());
    EXPECT_EQ(Run(row.arguments, row.around), row.status);
    // Qt may warn about the environment first; the message is a line of its own.
    EXPECT_TRUE(printed.startsWith(row.printedStart) ||
                printed.contains(QLatin1Char('\n') + row.printedStart))
        << printed.toStdString();
    EXPECT_FALSE(QFile::exists(out));
  }
}

// Logarithmic colours of a range that holds values <= 0 say so on standard
// error and draw the linear picture, byte for byte; the run still succeeds.
TEST_F(RenderFile, LogarithmOfARangeBelowZeroSaysSoAndStaysLinear) {
  const QString linear = dir.filePath(QStringLiteral("linear.png"));
  const QString log = dir.filePath(QStringLiteral("log.png"));
  ASSERT_EQ(Run({"--output", linear, "--range", "-5,100", "--colour-bar", data}), 0);
  EXPECT_FALSE(printed.contains(QStringLiteral("Option"))) << printed.toStdString();
  ASSERT_EQ(Run({"--output", log, "--range", "-5,100", "--colour-bar", "--log", data}), 0);
  EXPECT_TRUE(printed.contains(QStringLiteral(
      "Option 'log': the colour range -5 to 100 holds values ≤ 0; the colours stay linear.")))
      << printed.toStdString();
  QFile a(linear), b(log);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  EXPECT_EQ(a.readAll(), b.readAll());
}

// Several files in one run: each picture is the file a run of its own writes,
// byte for byte, with the same options and colours file; a file that cannot
// be loaded, and one whose picture cannot be written, are named with their
// message and the others are drawn.
TEST_F(RenderFile, ManyFilesInOneRunAreEachTheirOwnRun) {
  const QString broken = Write("broken.bmp", {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 40});
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("4-heights.png")));
  // The colour bar tells each file's heights: it must follow the file.
  const QStringList options{QStringLiteral("--size"),       QStringLiteral("160x120"),
                            QStringLiteral("--colours"),    colours,
                            QStringLiteral("--colour-bar"), QStringLiteral("--light")};
  EXPECT_EQ(
      Run(QStringList{QStringLiteral("--output"), dir.filePath(QStringLiteral("{n}-{name}.png"))} +
          options + QStringList{data, broken, colours, data}),
      1);
  const QStringList lines = printed.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  EXPECT_EQ(lines.filter(broken + QStringLiteral(": ストリームからの読み込みエラー.")).size(), 1)
      << printed.toStdString();
  const QString folder = dir.filePath(QStringLiteral("4-heights.png"));
  EXPECT_EQ(
      lines.filter(data + QStringLiteral(": ファイル %1 に書き込めません: ").arg(folder)).size(), 1)
      << printed.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("2-broken.png"))));

  for (const auto& [file, batch] : {std::pair{data, QStringLiteral("1-heights.png")},
                                    std::pair{colours, QStringLiteral("3-colours.png")}}) {
    const QString single = dir.filePath(QStringLiteral("single.png"));
    ASSERT_EQ(Run(QStringList{QStringLiteral("--output"), single} + options + QStringList{file}), 0)
        << printed.toStdString();
    QFile a(single), b(dir.filePath(batch));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly)) << batch.toStdString();
    EXPECT_TRUE(a.readAll() == b.readAll()) << batch.toStdString();
  }
}

// Spread over machines by any scheduler: runs of GNU parallel, two at a
// time without any display, write the pictures one batch run writes, and
// leave nothing in the home folder or beside the files they read.
TEST_F(RenderFile, RunsSpreadByGnuParallelEqualOneBatchAndLeaveNothingBehind) {
  const QString parallel = QStandardPaths::findExecutable(QStringLiteral("parallel"));
  ASSERT_FALSE(parallel.isEmpty()) << "GNU parallel is not installed";
  QDir root(dir.path());
  for (const char* folder : {"maps", "home", "one", "batch"})
    ASSERT_TRUE(root.mkdir(QString::fromLatin1(folder)));
  QStringList maps;
  for (int k = 0; k < 40; ++k) {
    Picture heights{24 + k, 16, {}};
    for (int row = 0; row < heights.height; ++row) {
      for (int col = 0; col < heights.width; ++col) {
        const auto v = static_cast<std::uint8_t>((col * col * 3 + row * k) % 256);
        heights.pixels.push_back({v, v, v});
      }
    }
    maps << Write(qPrintable(QStringLiteral("maps/%1.bmp").arg(k)), WriteBmp(heights, {}));
  }
  const QStringList options{QStringLiteral("--size"), QStringLiteral("120x90"),
                            QStringLiteral("--light"), QStringLiteral("--colour-bar")};
  ASSERT_EQ(Run(QStringList{QStringLiteral("--output"),
                            root.filePath(QStringLiteral("batch/{name}.png"))} +
                options + maps),
            0)
      << printed.toStdString();

  QProcess spread;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove(QStringLiteral("DISPLAY"));
  spread.setProcessEnvironment(environment);
  // The runs get a home of their own; parallel keeps its notes in its own.
  // The folder's name holds brackets: -q quotes the command for the shell.
  spread.start(parallel,
               QStringList{QStringLiteral("--will-cite"), QStringLiteral("-q"),
                           QStringLiteral("-j"), QStringLiteral("2"), QStringLiteral("env"),
                           QStringLiteral("HOME=") + root.filePath(QStringLiteral("home")),
                           QStringLiteral(CUBISCOPE_PROGRAM), QStringLiteral("--output"),
                           root.filePath(QStringLiteral("one/{/.}.png"))} +
                   options + QStringList{QStringLiteral("{}"), QStringLiteral(":::")} + maps);
  ASSERT_TRUE(spread.waitForFinished(120000));
  ASSERT_EQ(spread.exitCode(), 0) << spread.readAllStandardError().toStdString();

  for (int k = 0; k < 40; ++k) {
    const QString name = QStringLiteral("%1.png").arg(k);
    QFile a(root.filePath(QStringLiteral("one/") + name));
    QFile b(root.filePath(QStringLiteral("batch/") + name));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly)) << k;
    EXPECT_TRUE(a.readAll() == b.readAll()) << k;
  }
  EXPECT_EQ(QDir(root.filePath(QStringLiteral("maps"))).entryList(QDir::Files).size(), 40);
  EXPECT_TRUE(QDir(root.filePath(QStringLiteral("home")))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                  .isEmpty());
}

// A turntable of --output: its frames are the pictures of --turn at each
// frame's turn, the first the picture without --turntable; where the turn
// lies beyond the bar's range one whole turn is taken off (270 is -90). The
// animated WebP holds the same frames.
TEST_F(RenderFile, TurntableFramesAreThePicturesAtTheirTurns) {
  const QStringList options{QStringLiteral("--size"), QStringLiteral("160x120"),
                            QStringLiteral("--light")};
  const struct {
    QStringList start;  // the turn options of the turntable
    int frames;
    std::vector<std::pair<int, QString>> stills;  // frame, its --turn; "" for none
  } rows[] = {
      {{}, 8, {{1, ""}, {2, "90"}, {3, "135"}, {4, "180"}, {6, "-90"}, {7, "-45"}, {8, "0"}}},
      {{"--turn", "-30.25"}, 5, {{1, "-30.25"}, {2, "41.75"}, {3, "113.75"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.frames);
    const QString pattern = dir.filePath(QStringLiteral("t-{frame}.png"));
    const QStringList turntable = QStringList{QStringLiteral("--turntable")}
                                  << QString::number(row.frames);
    ASSERT_EQ(Run(QStringList{QStringLiteral("--output"), pattern} + options + row.start +
                  turntable + QStringList{data}),
              0)
        << printed.toStdString();
    const std::vector<QImage> frames = ReadTurntableFrames(pattern, row.frames);
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(row.frames));
    for (const auto& [k, turn] : row.stills) {
      SCOPED_TRACE(k);
      const QString still = dir.filePath(QStringLiteral("still.png"));
      const QStringList turnOption =
          turn.isEmpty() ? QStringList() : QStringList{QStringLiteral("--turn"), turn};
      ASSERT_EQ(Run(QStringList{QStringLiteral("--output"), still} + options + turnOption +
                    QStringList{data}),
                0)
          << printed.toStdString();
      EXPECT_EQ(frames[k - 1], QImage(still).convertToFormat(QImage::Format_RGB32));
    }
    const QString animation = dir.filePath(QStringLiteral("t.webp"));
    ASSERT_EQ(Run(QStringList{QStringLiteral("--output"), animation} + options + row.start +
                  turntable + QStringList{data}),
              0)
        << printed.toStdString();
    EXPECT_TRUE(ReadTurntableFrames(animation, row.frames) == frames);
    QImageReader reader(animation);
    reader.read();
    EXPECT_EQ(reader.nextImageDelay(), 100);
    EXPECT_EQ(reader.loopCount(), -1);  // Qt's word for "for ever"
  }
}

}  // namespace

namespace {

// The CSV lines of one section, without the section's name.
QStringList SectionLines(const QString& path, const QString& section) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
  QStringList out;
  for (const QString& line : lines) {
    if (line.startsWith(section + QLatin1Char(',')))
      out << line.mid(section.size() + 1);
  }
  return out;
}

}  // namespace

TEST_F(RenderFile, ProfileWritesTheSectionsAlongThePlanesWithoutAnyWindowOrContext) {
  // The x plane at 0.5 meets column 31.5 of the 64 x 48 height field; its
  // values are the mean of columns 31 and 32, grey / 255, as SetUp made them.
  const auto grey = [](int col, int row) {
    const double x = col / 63.0;
    return static_cast<int>(255 * x * x * (0.5 + row / 94.0));
  };
  const QString pattern = dir.filePath(QStringLiteral("{name}.csv"));
  // No display and no EGL: sections need no context.
  ASSERT_EQ(Run({QStringLiteral("--profile"), pattern, QStringLiteral("--planes"),
                 QStringLiteral("0.5,0.25,0"), data, colours},
                Around::kNothing),
            0)
      << printed.toStdString();
  const QString csv = dir.filePath(QStringLiteral("heights.csv"));
  QFile file(csv);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readLine(), QByteArray("section,distance,x,y,value\n"));
  const QStringList xPlane = SectionLines(csv, QStringLiteral("x-plane"));
  ASSERT_EQ(xPlane.size(), 48);
  for (int row = 0; row < 48; ++row) {
    const QStringList f = xPlane[row].split(QLatin1Char(','));
    ASSERT_EQ(f.size(), 4);
    EXPECT_EQ(f[0].toDouble(), row);
    EXPECT_EQ(f[1], QStringLiteral("31.5"));
    EXPECT_EQ(f[2].toDouble(), row);
    EXPECT_NEAR(f[3].toDouble(), (grey(31, row) + grey(32, row)) / 2.0 / 255, 1e-12);
  }
  // The y plane at 0.25 meets row 11.75: a quarter of row 11, three of 12.
  const QStringList yPlane = SectionLines(csv, QStringLiteral("y-plane"));
  ASSERT_EQ(yPlane.size(), 64);
  EXPECT_NEAR(yPlane[40].split(QLatin1Char(','))[3].toDouble(),
              (0.25 * grey(40, 11) + 0.75 * grey(40, 12)) / 255, 1e-12);
  EXPECT_TRUE(SectionLines(csv, QStringLiteral("line")).isEmpty());
  // The colours picture, a file of its own, has its own sections.
  EXPECT_EQ(
      SectionLines(dir.filePath(QStringLiteral("colours.csv")), QStringLiteral("x-plane")).size(),
      10);

  // Beside a picture, the same file; never over it.
  const QString both = dir.filePath(QStringLiteral("both.csv"));
  const QString picture = dir.filePath(QStringLiteral("both.png"));
  ASSERT_EQ(Run({QStringLiteral("--output"), picture, QStringLiteral("--profile"), both,
                 QStringLiteral("--planes"), QStringLiteral("0.5,0.25,0"), data}),
            0)
      << printed.toStdString();
  EXPECT_TRUE(QImage(picture).size() == QSize(640, 480));
  QFile a(csv), b(both);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  EXPECT_TRUE(a.readAll() == b.readAll());
  for (const QStringList& wrong :
       {QStringList{QStringLiteral("--output"), picture, QStringLiteral("--profile"), picture},
        QStringList{QStringLiteral("--planes"), QStringLiteral("0,0,0"), data},
        QStringList{QStringLiteral("--profile"), both, QStringLiteral("--watch"), data},
        QStringList{QStringLiteral("--profile"), both, QStringLiteral("--light"), data}}) {
    EXPECT_EQ(ReadCommandLine(QStringList{QStringLiteral("cubiscope")} + wrong).exitCode, 2)
        << wrong.join(QLatin1Char(' ')).toStdString();
  }
}

TEST_F(RenderFile, ExportMeshWritesTheWholeSurfaceInTheFormatItsNameSays) {
  // The 64 x 48 height field as a solid: 2 x 63 x 47 triangles on top, as
  // many in the base, and two a wall for each of the 2 x (63 + 47) edges
  // around it.
  const qint64 solid = 2 * (2 * 63 * 47) + 2 * (2 * (63 + 47));
  const QString stl = dir.filePath(QStringLiteral("heights.stl"));
  ASSERT_EQ(Run({QStringLiteral("--export-mesh"), stl, data}, Around::kNoDisplay), 0)
      << printed.toStdString();
  EXPECT_EQ(StlTriangles(stl), solid);

  // Beside a picture, from the same load; a batch names one mesh a file.
  const QString picture = dir.filePath(QStringLiteral("{name}.png"));
  ASSERT_EQ(Run({QStringLiteral("--export-mesh"), dir.filePath(QStringLiteral("{name}.glb")),
                 QStringLiteral("--output"), picture, data, colours}),
            0)
      << printed.toStdString();
  for (const char* name : {"heights", "colours"}) {
    QFile glb(dir.filePath(QString::fromLatin1(name) + QStringLiteral(".glb")));
    ASSERT_TRUE(glb.open(QIODevice::ReadOnly)) << name;
    EXPECT_EQ(glb.read(4), QByteArray("glTF")) << name;
    EXPECT_FALSE(QImage(dir.filePath(QString::fromLatin1(name) + QStringLiteral(".png"))).isNull());
  }

  // A point grid whose second column lies left of its first folds: no
  // solid, status 1, and nothing written.
  const std::string grid = "0,0,0\n-1,0,1\n\n0,1,1\n1,1,0\n";
  const QString folded = Write("folded.csv", {grid.begin(), grid.end()});
  const QString refused = dir.filePath(QStringLiteral("folded.stl"));
  EXPECT_EQ(Run({QStringLiteral("--export-mesh"), refused, folded}, Around::kNoDisplay), 1);
  EXPECT_TRUE(printed.contains(QStringLiteral("folds over itself"))) << printed.toStdString();
  EXPECT_FALSE(QFileInfo::exists(refused));

  const QString m = QStringLiteral("m.stl");
  for (const QStringList& wrong : {
           QStringList{QStringLiteral("--export-mesh"), QStringLiteral("m.obj"), data},
           QStringList{QStringLiteral("--export-mesh"), m, QStringLiteral("--mesh-size"),
                       QStringLiteral("0mm"), data},
           QStringList{QStringLiteral("--export-mesh"), m, QStringLiteral("--litho"),
                       QStringLiteral("3mm,0.8mm"), data},
           QStringList{QStringLiteral("--export-mesh"), m, QStringLiteral("--mesh-error"),
                       QStringLiteral("-1"), data},
           QStringList{QStringLiteral("--mesh-base"), QStringLiteral("2mm"), data},
           QStringList{QStringLiteral("--output"), m, QStringLiteral("--export-mesh"), m, data},
           QStringList{QStringLiteral("--export-mesh"), m, QStringLiteral("--watch"), data},
       }) {
    EXPECT_EQ(ReadCommandLine(QStringList{QStringLiteral("cubiscope")} + wrong).exitCode, 2)
        << wrong.join(QLatin1Char(' ')).toStdString();
  }
  const CommandLineOutcome right = ReadCommandLine(
      {QStringLiteral("cubiscope"), QStringLiteral("--export-mesh"), m,
       QStringLiteral("--mesh-size"), QStringLiteral("4in"), QStringLiteral("--mesh-error"),
       QStringLiteral("0.1"), QStringLiteral("--litho"), QStringLiteral("1,2,3"),
       QStringLiteral("--z-scale"), QStringLiteral("2"), data});
  ASSERT_FALSE(right.exitCode) << right.text.toStdString();
  EXPECT_EQ(right.options.picture.mesh,
            (MeshSettings{101.6, 2.0, 0.1, LithoSettings{1.0, 2.0, 3.0}}));
  EXPECT_EQ(right.options.picture.look.zScale, 2.0);
}
