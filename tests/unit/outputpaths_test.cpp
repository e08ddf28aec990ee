// The paths of `--output PICTURE FILE...`, as the command line reads them:
// one picture per FILE, named by the placeholders, and the runs that would
// lose a picture or read a picture instead of a FILE refused before anything
// is drawn.
#include <gtest/gtest.h>

#include <QDir>

#include "app/commandline.h"

namespace {

TEST(OutputPaths, FollowThePatternOrRefuseTheCommandLine) {
  const struct {
    QStringList arguments;  // after --output
    QStringList paths;      // relative to the current folder; none: refused
    const char* reason = "";
  } rows[] = {
      {{"p.png"}, {"p.png"}},
      {{"p.png", "a/dem.tif"}, {"p.png"}},
      {{"out/{name}.png", "a/dem.tif", "b/hill.v2.png", "c/.profile", "d/raw."},
       {"out/dem.png", "out/hill.v2.png", "out/.profile.png", "out/raw.png"}},
      {{"{n}-{name}-{n}.jpg", "x.csv", "y.csv"}, {"1-x-1.jpg", "2-y-2.jpg"}},
      {{"out/{name}.png", "https://example.org/dem/n47.tif?token=a.b",
        "HTTP://example.org/c%20d.tif"},
       {"out/n47.png", "out/c d.png"}},
      {{"{n}.png", "same.png", "same.png"}, {"1.png", "2.png"}},
      // A file's own picture may replace it: it is read first.
      {{"{name}.png", "a.png", "b.png"}, {"a.png", "b.png"}},
      {{"{name}.png"}, {}, "PICTURE holds {name} or {n} but no FILE"},
      {{"p.png", "a.png", "b.png"}, {}, "PICTURE must hold {name} or {n} when more"},
      {{"{NAME}.png", "a.png", "b.png"}, {}, "PICTURE must hold {name} or {n} when more"},
      {{"{name}.png", "a/dem.tif", "b/dem.tif"}, {}, "The pictures of "},
      {{"{n}.png", "x.bmp", "1.png"}, {}, "The picture of "},
      {{"{name}.png", "--colours", "c.png", "a.bmp", "c.bmp"}, {}, "The picture of "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.arguments.join(' ').toStdString());
    const CommandLineOutcome outcome =
        ReadCommandLine(QStringList{"cubiscope", "--output"} + row.arguments);
    if (row.paths.isEmpty()) {
      EXPECT_EQ(outcome.exitCode, 2);
      EXPECT_TRUE(outcome.text.startsWith(QString::fromUtf8(row.reason)))
          << outcome.text.toStdString();
      EXPECT_TRUE(outcome.text.endsWith(UsageText()));
      continue;
    }
    ASSERT_FALSE(outcome.exitCode) << outcome.text.toStdString();
    ASSERT_EQ(outcome.options.pictures.size(), static_cast<std::size_t>(row.paths.size()));
    const QStringList files = row.arguments.mid(1);
    for (qsizetype i = 0; i < row.paths.size(); ++i) {
      const OutputPicture& picture = outcome.options.pictures[static_cast<std::size_t>(i)];
      EXPECT_EQ(picture.path, QDir::current().absoluteFilePath(row.paths[i]));
      // A web address stays as given.
      EXPECT_EQ(picture.dataFile, files.isEmpty() ? QString()
                                  : files[i].contains(u"://")
                                      ? files[i]
                                      : QDir::current().absoluteFilePath(files[i]));
    }
  }
}

}  // namespace
