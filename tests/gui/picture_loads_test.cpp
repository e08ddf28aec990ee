// Pictures of every format, and files named on the command line, through
// every way in: the two load buttons, a drop (with Shift: colours) and the
// command line. Each gives exactly what the readers make of the file.
#include "loaders.h"

#include <QProcess>

#include "app/commandline.h"
#include "formats/colourcount.h"
#include "formats/loadfile.h"
#include "support/imagewriter.h"

namespace {

class PictureLoads : public Ways, public testing::WithParamInterface<PictureSample> {};

TEST_P(PictureLoads, EveryWayInGivesWhatTheReadersMake) {
  // Named as text: the content decides.
  const QString path = Write("picture.txt", GetParam().bytes);
  const HeightFieldGrid field = ReadHeightFieldFile(path);
  const std::unique_ptr<float[]> cells = ReadColourCountFile(path);
  const struct {
    const char* name;
    std::function<void()> load;
    bool colours;
  } ways[] = {
      {"LoadBMP", [&] { Click(status.ui.ButtonLoadBMP, path, 3); }, false},
      {"LoadBMP2", [&] { Click(status.ui.ButtonLoadBMP2, path, 3); }, true},
      {"drop", [&] { Drop(path); }, false},
      {"drop with Shift", [&] { Drop(path, Qt::ShiftModifier); }, true},
      {"command line", [&] { StartWith({path}); }, false},
      {"command line --colours",
       [&] {
         StartWith({QStringLiteral("--colours"), path});
       },
       true},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    PutKnownData();
    way.load();
    if (way.colours) {
      ExpectColourCount(cells.get());
    } else {
      ExpectHeightField(field);
    }
  }
  EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Samples, PictureLoads, testing::ValuesIn(PictureSamples()),
                         [](const auto& info) { return info.param.Stem(); });

// What the command line asks for, or what it prints and exits with.
TEST(CommandLine, ReadsTheOptionsAndTheFiles) {
  const QString absolute = QDir::current().absoluteFilePath(QStringLiteral("some.png"));
  const struct {
    QStringList arguments;
    std::optional<int> exitCode;
    QString file;
    QString coloursFile;
    const char* textStart;  // of what is printed instead of starting, if anything
    bool watch = false;
  } rows[] = {
      {{}, std::nullopt, QString(), QString(), nullptr},
      {{"some.png"}, std::nullopt, absolute, QString(), nullptr},
      {{"--colours", absolute}, std::nullopt, QString(), absolute, nullptr},
      {{"--colours", "some.png", "other.csv"},
       std::nullopt,
       QDir::current().absoluteFilePath("other.csv"),
       absolute,
       nullptr},
      {{"--", "--colours"},
       std::nullopt,
       QDir::current().absoluteFilePath("--colours"),
       QString(),
       nullptr},
      {{"--help"}, 0, QString(), QString(), "Usage: cubiscope [--watch] [--colours FILE] [FILE]\n"},
      {{"-h", "some.png"},
       0,
       QString(),
       QString(),
       "Usage: cubiscope [--watch] [--colours FILE] [FILE]\n"},
      {{"some.png", "--colours"}, 2, QString(), QString(), "Missing value after '--colours'.\n"},
      {{"--bogus", "some.png"},
       2,
       QString(),
       QString(),
       "Unknown option 'bogus'.\nUsage: cubiscope"},
      {{"-x"}, 2, QString(), QString(), "Unknown option 'x'.\nUsage: cubiscope"},
      {{"one.png", "two.png"},
       2,
       QString(),
       QString(),
       "Only one FILE can be named without --output.\nUsage:"},
      {{"--turn", "30", "a.png"}, 2, QString(), QString(), "Option 'turn' is for --output only."},
      {{"--light", "a.png"}, 2, QString(), QString(), "Option 'light' is for --output only."},
      {{"--log", "a.png"}, 2, QString(), QString(), "Option 'log' is for --output only."},
      {{"--watch", "some.png"}, std::nullopt, absolute, QString(), nullptr, true},
      {{"--colours", "some.png", "--watch"}, std::nullopt, QString(), absolute, nullptr, true},
      {{"--watch"}, 2, QString(), QString(), "Option 'watch' needs a FILE or --colours FILE."},
      {{"--watch", "--output", "p.png", "some.png"},
       2,
       QString(),
       QString(),
       "Option 'watch' is not for --output or --profile."},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.arguments.join(' ').toStdString());
    const CommandLineOutcome outcome = ReadCommandLine(QStringList{"./cubiscope"} + r.arguments);
    EXPECT_EQ(outcome.exitCode, r.exitCode);
    EXPECT_EQ(outcome.options.file, r.file);
    EXPECT_EQ(outcome.options.coloursFile, r.coloursFile);
    EXPECT_EQ(outcome.options.watch, r.watch);
    EXPECT_TRUE(outcome.options.output.isEmpty());
    if (r.textStart) {
      EXPECT_TRUE(outcome.text.startsWith(QString::fromUtf8(r.textStart)))
          << outcome.text.toStdString();
    } else {
      EXPECT_TRUE(outcome.text.isEmpty());
    }
  }
  EXPECT_TRUE(UsageText().contains(QStringLiteral("--colours")));
}

// The built program: the usage on standard output and status 0 for --help,
// the name and the project's version for --version, the usage on standard
// error and status 2 for a wrong command line; none needs a display.
TEST(CommandLine, TheProgramPrintsTheUsageAndExits) {
  const struct {
    QStringList arguments;
    int exitCode;
    QString out = QString();  // for status 0
  } rows[] = {{{"--help"}, 0, UsageText()},
              {{"-v"}, 0, QStringLiteral("cubiscope " CUBISCOPE_VERSION "\n")},
              {{"--bogus"}, 2},
              {{"a.png", "b.png"}, 2}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.arguments.join(' ').toStdString());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(CUBISCOPE_PROGRAM), r.arguments);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), r.exitCode);
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());
    if (r.exitCode == 0) {
      EXPECT_EQ(out, r.out);
      EXPECT_TRUE(err.isEmpty()) << err.toStdString();
    } else {
      // The error first, then the usage.
      EXPECT_TRUE(out.isEmpty()) << out.toStdString();
      EXPECT_TRUE(err.endsWith(UsageText()) && err.size() > UsageText().size())
          << err.toStdString();
    }
  }
}

// Files of the other kinds on the command line load as a drop loads them.
TEST_F(Ways, CommandLineFilesOfEveryKind) {
  const QString text = Write("grid.bmp", "0,0,0\n1,0,0\n\n0,1,0\n1,1,1\n");
  StartWith({text});
  EXPECT_EQ(status.surface.columns, 2u);
  EXPECT_EQ(status.surface.vertices[3], (Vec3{1, 1, 1}));
  PutKnownData();
  StartWith({QStringLiteral("--colours"), text});
  EXPECT_EQ(status.surface.vertices[3], (Vec3{1, 1, 1}));
  EXPECT_TRUE(messages.empty());

  const QString bitmap = Write("bitmap.csv", WriteBmp(PatternPicture(3, 2, {{255, 0, 0}}), {}));
  StartWith({bitmap});
  EXPECT_EQ(status.surface.columns, 3u);
  EXPECT_EQ(status.surface.vertices[0].z, 1.0 / 3.0);

  const PlotState before = Snapshot();
  const QString missing = dir.filePath(QStringLiteral("missing.png"));
  StartWith({missing});
  EXPECT_EQ(messages,
            std::vector<std::string>{"ファイル " + missing.toStdString() + " は開けません."});
  ExpectUnchanged(before);
}

}  // namespace
