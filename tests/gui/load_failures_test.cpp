// The loaders failing at every step: each failure shows exactly one message,
// after the redraw, and leaves the surface, the volume and the picture exactly
// as they were; the program goes on. In the sanitizer build LeakSanitizer
// checks that nothing a failed load allocated stays behind.
#include "loaders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>

#include "formats/bmpdecode.h"
#include "formats/memorylimit.h"
#include "formats/pointgrid.h"
#include "support/allocations.h"
#include "support/bmpwriter.h"
#include "support/imagewriter.h"

namespace {

// How the chosen path fails.
enum class Setup {
  kFile,                // bytes written as the file
  kMissing,             // no file of that name
  kDirectory,           // a folder of that name
  kFifo,                // a named pipe, which has no writer
  kUnreadable,          // bytes written, then no permissions (skipped as root)
  kWriteLocked,         // bytes written, and another writer holds the file locked
  kRemovedAfterChoice,  // bytes written, removed while the dialog closes
  kGarbageAfterChoice,  // bytes written, overwritten while the dialog closes
  kLargerThanMemory,    // a sparse file one byte larger than memory
  kLowMemory,           // bytes written, loaded with the memory limit lowered to
                        // kLowMemory, which no allocation may reach
};

// Enough for every small file here and its height field; far less than the
// pictures that the hostile headers claim.
constexpr std::uint64_t kLowMemory = std::uint64_t{8} << 20;

struct FailingLoad {
  const char* button;  // object name
  std::string name;
  Setup setup;
  std::string bytes;
  const char* message;  // as shown, %s standing for the path
};

void PrintTo(const FailingLoad& f, std::ostream* os) {
  *os << f.button << " " << f.name;
}

// Fails every loader in the same way: one item in a line, and no "BM".
const std::string kGarbage = "garbage-garbage-garbage-garbage\n";

std::string Bytes(const std::vector<unsigned char>& v) {
  return std::string(v.begin(), v.end());
}

// 3 x 2 pixels, 8 bits with a colour table of two entries: header, table and
// pixels are all short enough to cut at every length.
std::string SmallBmp() {
  return Bytes(WriteBmp(PatternPicture(3, 2, {{255, 255, 255}, {40, 80, 120}}), [] {
    BmpOptions o;
    o.bitCount = 8;
    return o;
  }()));
}

// A header that claims one row more than the pixel cap allows.
std::string TooManyPixels() {
  std::vector<unsigned char> file = WriteBmp(PatternPicture(2, 2, {{1, 2, 3}}), {});
  Poke32(file, 18, 16384);
  Poke32(file, 22, 16385);
  return Bytes(file);
}

const std::string kSmallCsv = "0,0,0\n1,0,1\n\n0,1,1\n1,1,0\n";

class FailingLoads : public Loaders, public testing::WithParamInterface<FailingLoad> {
 protected:
  QString Prepare(const FailingLoad& f) {
    const QString path = dir.filePath(QString::fromStdString(f.name));
    const QByteArray native = QFile::encodeName(path);
    switch (f.setup) {
      case Setup::kMissing:
        break;
      case Setup::kDirectory:
        EXPECT_TRUE(QDir().mkdir(path));
        break;
      case Setup::kFifo:
        EXPECT_EQ(::mkfifo(native.constData(), 0600), 0);
        break;
      case Setup::kUnreadable:
        Write(path, f.bytes);
        EXPECT_EQ(::chmod(native.constData(), 0), 0);
        break;
      case Setup::kWriteLocked: {
        Write(path, f.bytes);
        const int writer = ::open(native.constData(), O_RDWR | O_CLOEXEC);
        EXPECT_EQ(::flock(writer, LOCK_EX), 0);
        lockedBy = writer;
        break;
      }
      case Setup::kRemovedAfterChoice:
        Write(path, f.bytes);
        onChoose = [path] { QFile::remove(path); };
        break;
      case Setup::kGarbageAfterChoice:
        Write(path, f.bytes);
        onChoose = [this, path] { Write(path, kGarbage); };
        break;
      case Setup::kLargerThanMemory:
        Write(path, f.bytes);
        EXPECT_TRUE(QFile::resize(path, static_cast<qint64>(PhysicalMemoryBytes() + 1)));
        break;
      case Setup::kFile:
      case Setup::kLowMemory:
        Write(path, f.bytes);
        break;
    }
    return path;
  }
  void TearDown() override {
    if (lockedBy >= 0)
      ::close(lockedBy);
    Loaders::TearDown();
  }

  int lockedBy = -1;
};

TEST_P(FailingLoads, ShowOneMessageAfterTheRedrawAndKeepDataAndPicture) {
  const FailingLoad& f = GetParam();
  if (f.setup == Setup::kUnreadable && ::geteuid() == 0)
    GTEST_SKIP() << "permissions do not keep root from reading";
  const QString path = Prepare(f);
  auto* button = status.findChild<QPushButton*>(QString::fromLatin1(f.button));
  ASSERT_NE(button, nullptr);
  const PlotState before = Snapshot();
  if (f.setup == Setup::kLowMemory) {
    const ScopedMemoryLimit low(kLowMemory);
    StartWatchingAllocations();
    Click(button, path, 3);
    const std::size_t largest = LargestAllocationWatched();
    EXPECT_LT(largest, kLowMemory);
    // Reading the file allocates: the watch works where it can see.
    EXPECT_EQ(largest > 0, SeesAllocations());
  } else {
    Click(button, path, 3);
  }
  std::string expected = f.message;
  if (const auto at = expected.find("%s"); at != std::string::npos)
    expected.replace(at, 2, path.toStdString());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], expected);
  EXPECT_TRUE(SamePicture(picturesAtMessage[0], before.picture)) << "not redrawn before the box";
  ExpectUnchanged(before);
}

constexpr const char* kOpenError = "ファイル %s は開けません.";
constexpr const char* kOutOfMemory = "メモリが不足しています.";

// The failures every loader shares, at the steps before its own parsing.
std::vector<FailingLoad> FileFailures(const char* button, const char* extension,
                                      const std::string& valid, const char* garbageMessage) {
  auto name = [extension](const char* stem) { return std::string(stem) + extension; };
  return {
      {button, name("missing"), Setup::kMissing, "", kOpenError},
      {button, name("folder"), Setup::kDirectory, "", kOpenError},
      {button, name("pipe"), Setup::kFifo, "", kOpenError},
      {button, name("no_permission"), Setup::kUnreadable, valid, kOpenError},
      {button, name("write_locked"), Setup::kWriteLocked, valid, kOpenError},
      {button, name("removed"), Setup::kRemovedAfterChoice, valid, kOpenError},
      {button, name("garbled"), Setup::kGarbageAfterChoice, valid, garbageMessage},
      {button, name("huge"), Setup::kLargerThanMemory, valid, kOutOfMemory},
  };
}

// Pictures for Qt's readers that claim more than they hold, hold nothing, or
// hold noise after a valid signature. Loaded with little memory to spare.
std::vector<FailingLoad> HostilePictures(const char* button) {
  const char* kInvalid = "ビットマップイメージが不正です.";
  const std::vector<PictureSample> samples = PictureSamples();
  const std::vector<unsigned char>& png = samples.front().bytes;
  std::vector<FailingLoad> rows = {
      {button, "claims_100000_square.png", Setup::kLowMemory,
       Bytes(PngClaimingSize(png, 100000, 100000)), kOutOfMemory},
      // Allowed by the pixel cap, not by the lowered memory: refused from the
      // header, before the reader would find the data missing.
      {button, "claims_3000_square.png", Setup::kLowMemory, Bytes(PngClaimingSize(png, 3000, 3000)),
       kOutOfMemory},
      {button, "zero_width.png", Setup::kLowMemory, Bytes(PngClaimingSize(png, 0, 16)), kInvalid},
      {button, "zero_size.gif", Setup::kLowMemory, Bytes(WriteGif(Picture{})), kInvalid},
  };
  // Each format's signature, then noise.
  const struct {
    const char* name;
    std::size_t signature;
  } formats[] = {{"png_rgb8.png", 8},
                 {"jpeg.jpg", 3},
                 {"gif.gif", 6},
                 {"tiff_rgb8.tif", 4},
                 {"webp.webp", 16}};
  std::uint32_t noise = 2463534242u;
  for (const auto& f : formats) {
    const auto sample = std::find_if(samples.begin(), samples.end(),
                                     [&](const PictureSample& s) { return s.name == f.name; });
    std::string bytes = Bytes(sample->bytes).substr(0, f.signature);
    for (int i = 0; i < 2000; ++i) {
      noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
      bytes.push_back(static_cast<char>(noise >> 24));
    }
    rows.push_back(
        {button, std::string("noise_after_") + f.name, Setup::kLowMemory, bytes, kInvalid});
  }
  return rows;
}

std::vector<FailingLoad> AllFailures() {
  std::vector<FailingLoad> rows;
  auto add = [&rows](std::vector<FailingLoad> more) {
    rows.insert(rows.end(), more.begin(), more.end());
  };
  const char* kIndex1 = "リストのインデックスが範囲を超えています (1)";
  const char* kInvalid = "ビットマップイメージが不正です.";
  add(FileFailures("ButtonLoad", ".csv", kSmallCsv, kIndex1));
  add(FileFailures("ButtonLoadBMP", ".bmp", SmallBmp(), kInvalid));
  add(FileFailures("ButtonLoadBMP2", ".bmp", SmallBmp(), kInvalid));
  // Each loader's own parsing; several fail after their arrays exist.
  std::string longThenShort;
  for (int i = 0; i < 1000; ++i)
    longThenShort += "0.5,0.5,0.5\n";
  const std::string narrow = Bytes(WriteBmp(PatternPicture(1, 2, {{255, 255, 255}}), {}));
  add({
      {"ButtonLoad", "one.csv", Setup::kFile, "1\n", kIndex1},
      {"ButtonLoad", "two.csv", Setup::kFile, "0,0,0\n1,2\n",
       "リストのインデックスが範囲を超えています (2)"},
      {"ButtonLoad", "big.csv", Setup::kFile, "1,2,1e400\n", "浮動小数点数のオーバーフロー."},
      {"ButtonLoad", "short_last.csv", Setup::kFile, longThenShort + "1,2\n",
       "リストのインデックスが範囲を超えています (2)"},
      {"ButtonLoadBMP", "text.bmp", Setup::kFile, "this is not a bitmap at all\n", kInvalid},
      {"ButtonLoadBMP", "short.bmp", Setup::kFile, "BM12", "ストリームからの読み込みエラー."},
      {"ButtonLoadBMP", "table_cut.bmp", Setup::kFile, SmallBmp().substr(0, 58),
       "ストリームからの読み込みエラー."},
      {"ButtonLoadBMP", "narrow.bmp", Setup::kFile, narrow, "不正な浮動小数点数演算命令."},
      {"ButtonLoadBMP", "too_many_pixels.bmp", Setup::kFile, TooManyPixels(), kOutOfMemory},
      {"ButtonLoadBMP2", "empty.bmp", Setup::kFile, "", "不正な浮動小数点数演算命令."},
      {"ButtonLoadBMP2", "too_many_pixels.bmp", Setup::kFile, TooManyPixels(), kOutOfMemory},
  });
  add(HostilePictures("ButtonLoadBMP"));
  add(HostilePictures("ButtonLoadBMP2"));
  return rows;
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingLoads, testing::ValuesIn(AllFailures()),
                         [](const testing::TestParamInfo<FailingLoad>& info) {
                           std::string name =
                               std::string(info.param.button) + "_" + info.param.name;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

// A small good file cut at every length: each load either replaces the data
// with what the parsers make of the bytes that are there, or fails and keeps
// everything as it was.
class TruncatedFiles : public Loaders, public testing::WithParamInterface<const char*> {
 protected:
  void ExpectLoaded(const std::string& bytes, const PlotState& before) {
    const std::string button = GetParam();
    if (button == "ButtonLoad") {
      const PointGrid grid = ReadPointGrid(bytes.data(), bytes.size(), DecimalSeparator('.'));
      ASSERT_EQ(status.surface.columns, static_cast<std::uint32_t>(grid.columns));
      ASSERT_EQ(status.surface.rows, static_cast<std::uint32_t>(grid.rows));
      for (int i = 0; i < grid.columns * grid.rows; ++i)
        EXPECT_EQ(status.surface.vertices[i], grid.points[i]) << i;
    } else if (button == "ButtonLoadBMP") {
      const RgbImage image =
          DecodeBitmap(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
      EXPECT_EQ(status.surface.columns, static_cast<std::uint32_t>(image.width));
      EXPECT_EQ(status.surface.rows, static_cast<std::uint32_t>(image.height));
    } else {
      EXPECT_NE(status.volume.data, before.field);
      EXPECT_EQ(status.volume.nx, 64u);
    }
    // The other object is not touched.
    if (button == "ButtonLoadBMP2") {
      EXPECT_EQ(status.surface.vertices, before.grid);
    } else {
      EXPECT_EQ(status.volume.data, before.field);
    }
  }
};

TEST_P(TruncatedFiles, LoadWhollyOrFailAndKeepEverything) {
  const std::string button = GetParam();
  const std::string whole = button == "ButtonLoad" ? kSmallCsv : SmallBmp();
  auto* clicked = status.findChild<QPushButton*>(QString::fromStdString(button));
  int failures = 0, loads = 0;
  for (std::size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE("length " + std::to_string(length));
    const std::string bytes = whole.substr(0, length);
    const QString path = Write("cut", bytes);
    messages.clear();
    const PlotState before = Snapshot();
    Click(clicked, path, 3);
    if (messages.empty()) {
      ++loads;
      ExpectLoaded(bytes, before);
      continue;
    }
    ++failures;
    ASSERT_EQ(messages.size(), 1u);
    ExpectUnchanged(before);
  }
  // Both outcomes occur, or the test proves little.
  EXPECT_GT(failures, 0);
  EXPECT_GT(loads, 0);
}

INSTANTIATE_TEST_SUITE_P(Loaders, TruncatedFiles,
                         testing::Values("ButtonLoad", "ButtonLoadBMP", "ButtonLoadBMP2"));

// A picture of every format cut at several lengths, both loads: each either
// takes the whole picture (a reader may fill what is missing, as JPEG's
// does) or fails as an invalid picture, keeping everything; with little
// memory to spare, nothing larger is allocated.
class TruncatedPictures : public Loaders, public testing::WithParamInterface<PictureSample> {};

TEST_P(TruncatedPictures, LoadWhollyOrFailAndKeepEverything) {
  const std::string whole = Bytes(GetParam().bytes);
  int failures = 0;
  for (QPushButton* button : {status.ui.ButtonLoadBMP, status.ui.ButtonLoadBMP2}) {
    for (const std::size_t length : {std::size_t{1}, whole.size() / 8, whole.size() / 3,
                                     whole.size() / 2, whole.size() * 7 / 8, whole.size() - 1}) {
      SCOPED_TRACE(button->objectName().toStdString() + ", length " + std::to_string(length));
      const QString path = Write("cut", whole.substr(0, length));
      messages.clear();
      PutKnownData();
      const PlotState before = Snapshot();
      {
        const ScopedMemoryLimit low(kLowMemory);
        StartWatchingAllocations();
        Click(button, path, 3);
        EXPECT_LT(LargestAllocationWatched(), kLowMemory);
      }
      if (messages.empty()) {
        if (button == status.ui.ButtonLoadBMP) {
          EXPECT_EQ(status.surface.columns, static_cast<std::uint32_t>(kSampleWidth));
          EXPECT_EQ(status.surface.rows, static_cast<std::uint32_t>(kSampleHeight));
        } else {
          EXPECT_NE(status.volume.data, before.field);
        }
        continue;
      }
      ++failures;
      EXPECT_EQ(messages, std::vector<std::string>{"ビットマップイメージが不正です."});
      ExpectUnchanged(before);
    }
  }
  EXPECT_GT(failures, 0);
}

INSTANTIATE_TEST_SUITE_P(Samples, TruncatedPictures, testing::ValuesIn(PictureSamples()),
                         [](const auto& info) { return info.param.Stem(); });

// Failures that come after arrays were allocated (points, file bytes, decoded
// pixels, colour counts), a hundred in a row: the data stays, and in the
// sanitizer build LeakSanitizer fails the test if any of it stays behind.
TEST_F(Loaders, HundredFailedLoadsInARowKeepTheDataAndLeaveNothing) {
  std::string shortLast;
  for (int i = 0; i < 1000; ++i)
    shortLast += "0.5,0.5,0.5\n";
  shortLast += "1,2\n";
  const struct {
    QPushButton* button;
    QString path;
  } steps[] = {
      {status.ui.ButtonLoad, Write("short_last.csv", shortLast)},
      {status.ui.ButtonLoad, Write("big.csv", "1,2,3\n1,2,1e400\n")},
      {status.ui.ButtonLoadBMP,
       Write("narrow.bmp", WriteBmp(PatternPicture(1, 9, {{9, 9, 9}}), {}))},
      {status.ui.ButtonLoadBMP, Write("garbage.bmp", kGarbage)},
      {status.ui.ButtonLoadBMP2, Write("empty.bmp", std::string())},
      {status.ui.ButtonLoadBMP2, dir.filePath(QStringLiteral("missing.bmp"))},
  };
  const PlotState before = Snapshot();
  for (int i = 0; i < 100; ++i) {
    const auto& step = steps[i % std::size(steps)];
    Click(step.button, step.path, 3);
  }
  EXPECT_EQ(messages.size(), 100u);
  ExpectUnchanged(before);

  // The program goes on: a good file still loads.
  Click(status.ui.ButtonLoad, Write("good.csv", kSmallCsv));
  EXPECT_EQ(messages.size(), 100u);
  EXPECT_EQ(status.surface.columns, 2u);
  EXPECT_EQ(status.surface.rows, 2u);
}

}  // namespace
