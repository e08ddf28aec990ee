// Turntables without a window: where each frame looks from, the option and
// the names the window gives its files, and the files' contract (nothing
// left, and nothing replaced, before the commit). That the frames come back
// as they went in, the render file tests show with whole pictures.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/commandline.h"
#include "base/errors.h"
#include "base/turntable.h"
#include "input/turntabledialog.h"
#include "support/turntableframes.h"
#include "view/turntablefile.h"

namespace {

TEST(TurntableTurn, StepsAWholeTurnWithinMinus90To270Degrees) {
  const struct {
    int theta, frame, frames;
    long double want;  // hundredths of a degree
  } rows[] = {
      {4500, 1, 36, 4500},    // the first frame is the bar's own turn
      {4500, 2, 36, 5500},    // 45 + 10 degrees
      {4500, 14, 36, 17500},  // 45 + 13 * 10 = 175
      {4500, 23, 36, 26500},  // 45 + 220 = 265, still below 270
      {4500, 24, 36, -8500},  // 45 + 230 = 275, told as 275 - 360
      {4500, 36, 36, 3500},   // 45 + 350 = 395, one turn on: 35
      {-9000, 2, 2, 9000},    // -90 + 180
      {18000, 2, 4, -9000},   // 180 + 90 = 270, told as -90
      {0, 2, 3, 12000},       // 360 / 3 exactly
      {-3025, 3, 8, 5975},    // -30.25 + 90
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.theta << " frame " << row.frame << "/" << row.frames);
    EXPECT_EQ(TurntableTurn(row.theta, row.frame, row.frames), row.want);
  }
  // 360 / 7 degrees: 5142.857142... hundredths, as near as a long double
  // holds 36000 / 7.
  EXPECT_NEAR(static_cast<double>(TurntableTurn(0, 2, 7)), 5142.857142857143, 1e-9);
  EXPECT_NEAR(static_cast<double>(TurntableTurn(0, 7, 7)), 30857.142857142857 - 36000, 1e-9);
}

TEST(TurntableOption, IsReadOrRefusedWithItsPicture) {
  const struct {
    QStringList arguments;  // after the program's name
    int frames;             // -1: refused with status 2
  } rows[] = {
      {{"--output", "t-{frame}.png", "--turntable", "36"}, 36},
      {{"--output", "{n}/{frame}.png", "--turntable", " 1 ", "d.png"}, 1},
      {{"--output", "t.WebP", "--turntable", "3600"}, 3600},
      {{"--output", "t.png"}, 0},                        // not asked for: a still picture, as ever
      {{"--output", "t.png", "--turntable", "36"}, -1},  // every frame at one path
      {{"--output", "t-{frame}.webp", "--turntable", "36"}, -1},
      {{"--output", "t-{frame}.png", "--turntable", "0"}, -1},
      {{"--output", "t-{frame}.png", "--turntable", "3601"}, -1},
      {{"--output", "t-{frame}.png", "--turntable", "2.5"}, -1},
      {{"--output", "t-{frame}.png", "--turntable", "many"}, -1},
      {{"--turntable", "36"}, -1},  // the windows draw no turntable from the command line
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.arguments.join(' ').toStdString());
    const CommandLineOutcome outcome =
        ReadCommandLine(QStringList{QStringLiteral("cubiscope")} + row.arguments);
    if (row.frames < 0) {
      EXPECT_EQ(outcome.exitCode, 2);
      continue;
    }
    ASSERT_FALSE(outcome.exitCode) << outcome.text.toStdString();
    EXPECT_EQ(outcome.options.picture.turntable, row.frames);
  }
}

TEST(TurntableDialog, MakesAPatternOfTheChosenName) {
  const struct {
    const char* chosen;
    const char* pattern;
  } rows[] = {
      {"/p/spin.webp", "/p/spin.webp"},
      {"/p/SPIN.WEBP", "/p/SPIN.WEBP"},
      {"/p/spin.png", "/p/spin-{frame}.png"},
      {"/p/spin", "/p/spin-{frame}.png"},
      {"/p/a.b/spin.v2.jpg", "/p/a.b/spin.v2-{frame}.jpg"},
      {"/p/{frame}-spin.png", "/p/{frame}-spin.png"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TTurntableDialog::PatternOf(QString::fromUtf8(row.chosen)),
              QString::fromUtf8(row.pattern));
  }
}

QImage Frame(int k) {
  QImage image(40, 30, QImage::Format_RGB32);
  image.fill(qRgb(40 * k, 20, 200));
  return image;
}

class TurntableFile : public testing::TestWithParam<const char*> {
 protected:
  QString Pattern() const { return dir.filePath(QString::fromUtf8(GetParam())); }
  QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); }

  QTemporaryDir dir;
};

TEST_P(TurntableFile, LeftBeforeItsCommitLeavesWhatWasThere) {
  // An earlier turntable at the same paths stays whole.
  const QString first = cTurntableFile::FramePath(Pattern(), 1);
  {
    QFile earlier(first);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
  }
  {
    cTurntableFile file(Pattern(), 3);
    file.Add(Frame(1));
    file.Add(Frame(2));
  }
  EXPECT_EQ(Files(), QStringList{QFileInfo(first).fileName()});
  QFile earlier(first);
  ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
  EXPECT_EQ(earlier.readAll(), QByteArray("earlier"));
}

TEST_P(TurntableFile, InAFolderThatIsNotThereThrowsAndLeavesNothing) {
  const QString pattern = dir.filePath(QStringLiteral("gone/")) + QString::fromUtf8(GetParam());
  EXPECT_THROW(
      {
        cTurntableFile file(pattern, 2);
        file.Add(Frame(1));
        file.Add(Frame(2));
        file.Commit();
      },
      cFileWriteError);
  EXPECT_TRUE(Files().isEmpty());
}

// A scene that looks the same from every side (or shows nothing) still
// turns in as many frames as asked for, each as it went in.
TEST_P(TurntableFile, FramesAlikeStayFramesOfTheirOwn) {
  const std::vector<QImage> frames{Frame(1), Frame(1), Frame(1), Frame(2), Frame(2)};
  cTurntableFile file(Pattern(), static_cast<int>(frames.size()));
  for (const QImage& frame : frames)
    file.Add(frame);
  file.Commit();
  const std::vector<QImage> read = ReadTurntableFrames(Pattern(), static_cast<int>(frames.size()));
  ASSERT_EQ(read.size(), frames.size());
  for (std::size_t k = 0; k < frames.size(); ++k)
    EXPECT_EQ(read[k], frames[k].convertToFormat(QImage::Format_RGB32)) << k;
}

INSTANTIATE_TEST_SUITE_P(Kinds, TurntableFile,
                         testing::Values("spin-{frame}.png", "{frame}.bmp", "spin.webp"));

}  // namespace
