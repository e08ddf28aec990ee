// Reload (F5) and following files that another program changes, through the
// program's windows, real keys and the file system's own notices. Time
// passes only as the event loop runs: the settle delay is zero, or held back
// until a burst of writes is over.
#include "loaders.h"

#include <cstdio>

#include <QSignalSpy>

#include "support/bmpwriter.h"
#include "support/keypress.h"

namespace {

constexpr int kEmpty = 0;    // a version of no bytes
constexpr int kBroken = -1;  // a version no reader takes
constexpr int kHeldBack = 3600 * 1000;

// Version n of a file of kind; versions differ in their data.
std::string Version(LoadKind kind, int n) {
  if (n == kEmpty)
    return std::string();
  if (n == kBroken)
    return kind == LoadKind::kPointGrid ? "0,0\n" : "BM broken";
  std::vector<unsigned char> bytes;
  switch (kind) {
    case LoadKind::kPointGrid: {
      std::string text;
      for (int row = 0; row < 2; ++row) {
        for (int col = 0; col <= n; ++col)
          text +=
              std::to_string(col) + "," + std::to_string(row) + ",0." + std::to_string(n) + "\n";
        text += "\n";
      }
      return text;
    }
    case LoadKind::kHeightField:
      bytes = WriteBmp(PatternPicture(n + 1, 2, {{0, 0, 0}, {255, 255, 255}}), BmpOptions{});
      break;
    case LoadKind::kColourCount:
      bytes = WriteBmp(PatternPicture(1, 1, {{static_cast<std::uint8_t>(20 * n), 0, 255}}),
                       BmpOptions{});
      break;
  }
  return std::string(bytes.begin(), bytes.end());
}

enum class Way { kNothing, kButton, kDrop, kCommandLine };

class Reloads : public ShownWays {
 protected:
  void Load(Way way, LoadKind kind, const QString& path) {
    const bool colours = kind == LoadKind::kColourCount;
    switch (way) {
      case Way::kNothing:
        break;
      case Way::kButton: {
        QPushButton* const buttons[] = {status.ui.ButtonLoad, status.ui.ButtonLoadBMP,
                                        status.ui.ButtonLoadBMP2};
        Click(buttons[static_cast<int>(kind)], path);
        break;
      }
      case Way::kDrop:
        Drop(path, colours ? Qt::ShiftModifier : Qt::NoModifier);
        break;
      case Way::kCommandLine:
        StartWith(colours ? QStringList{QStringLiteral("--colours"), path} : QStringList{path});
        break;
    }
  }

  // The object that kind does not load into is left alone.
  void ExpectOtherKept(LoadKind kind, const PlotState& before) {
    if (IntoVolume(kind))
      EXPECT_EQ(status.surface.vertices, before.grid);
    else
      EXPECT_EQ(status.volume.data, before.field);
  }

  std::uint64_t Frames() const { return graph.FramesPresented(); }
};

enum class Change { kChanged, kUnchanged, kDeleted, kEmptied, kMended };

struct ReloadCase {
  const char* name;
  Way way;
  LoadKind kind;
  Change change;
  bool inStatus;  // F5 in the Status window, else in the main window
};

class ReloadKey : public Reloads, public testing::WithParamInterface<ReloadCase> {};

TEST_P(ReloadKey, LoadsTheFileAgainAsItWasLoaded) {
  const ReloadCase& c = GetParam();
  const QString path = Write("data", Version(c.kind, c.change == Change::kMended ? kBroken : 1));
  Load(c.way, c.kind, path);
  EXPECT_EQ(messages.size(), c.change == Change::kMended ? 1u : 0u);
  messages.clear();
  switch (c.change) {
    case Change::kChanged:
    case Change::kMended:
      Write(path, Version(c.kind, 2));
      break;
    case Change::kUnchanged:
      break;
    case Change::kDeleted:
      ASSERT_TRUE(QFile::remove(path));
      break;
    case Change::kEmptied:
      Write(path, std::string());
      break;
  }
  const PlotState before = Snapshot();
  const std::uint64_t frames = Frames();
  Press(c.inStatus ? static_cast<QWidget*>(&status) : &root, Qt::Key_F5);

  if (c.way == Way::kNothing) {
    EXPECT_EQ(Frames(), frames);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(status.surface.vertices, before.grid);
    EXPECT_EQ(status.volume.data, before.field);
  } else if (c.change == Change::kDeleted) {
    EXPECT_EQ(messages,
              std::vector<std::string>{"ファイル " + path.toStdString() + " は開けません."});
    ExpectUnchanged(before);
  } else {
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(Frames(), frames + 1);
    ExpectLoaded(c.kind, path);
    ExpectOtherKept(c.kind, before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReloadKey,
    testing::Values(ReloadCase{"height_field_dropped_changed", Way::kDrop, LoadKind::kHeightField,
                               Change::kChanged, false},
                    // The empty surface that an empty picture makes, as any load makes it.
                    ReloadCase{"height_field_button_emptied", Way::kButton, LoadKind::kHeightField,
                               Change::kEmptied, true},
                    ReloadCase{"height_field_command_line_deleted", Way::kCommandLine,
                               LoadKind::kHeightField, Change::kDeleted, false},
                    ReloadCase{"colour_count_command_line_changed", Way::kCommandLine,
                               LoadKind::kColourCount, Change::kChanged, true},
                    ReloadCase{"colour_count_dropped_deleted", Way::kDrop, LoadKind::kColourCount,
                               Change::kDeleted, true},
                    ReloadCase{"point_grid_button_unchanged", Way::kButton, LoadKind::kPointGrid,
                               Change::kUnchanged, true},
                    // A file that failed to load is the one to try again once mended.
                    ReloadCase{"point_grid_dropped_broken_then_mended", Way::kDrop,
                               LoadKind::kPointGrid, Change::kMended, true},
                    ReloadCase{"nothing_loaded", Way::kNothing, LoadKind::kPointGrid,
                               Change::kChanged, false}),
    [](const auto& info) { return std::string(info.param.name); });

// Both files gone: one message each, the second once the first box has
// closed, never one box over another.
TEST_F(Reloads, EachFailureHasItsOwnBox) {
  const QString grid = Write("grid.csv", Version(LoadKind::kPointGrid, 1));
  const QString picture = Write("picture.bmp", Version(LoadKind::kColourCount, 1));
  Drop(grid);
  Drop(picture, Qt::ShiftModifier);
  ASSERT_TRUE(QFile::remove(grid) && QFile::remove(picture));
  int depth = 0, deepest = 0;
  SetMessageBoxHook([&](const MessageBoxRequest& r) {
    deepest = std::max(deepest, ++depth);
    messages.push_back(r.text.toStdString());
    QCoreApplication::processEvents();  // what a real box's own loop runs
    --depth;
  });
  Press(&root, Qt::Key_F5);
  QTRY_COMPARE(messages.size(), 2u);
  EXPECT_EQ(messages,
            (std::vector<std::string>{"ファイル " + grid.toStdString() + " は開けません.",
                                      "ファイル " + picture.toStdString() + " は開けません."}));
  EXPECT_EQ(deepest, 1);
}

enum class Writing {
  kInPlace,
  kRenamedOver,
  kRenamedOverWhileOpen,  // the writer still holds the file it replaces
  kDeletedAndCreated
};

struct WatchCase {
  const char* name;
  LoadKind kind;
  Writing writing;
  std::vector<int> versions;  // written one after another, each left to settle
  bool burst;                 // all written within one settle delay
};

class Watching : public Reloads, public testing::WithParamInterface<WatchCase> {
 protected:
  // Writes bytes to path as another program would save them.
  void Save(const QString& path, const std::string& bytes, Writing writing) {
    switch (writing) {
      case Writing::kInPlace:
        Write(path, bytes);
        break;
      case Writing::kRenamedOverWhileOpen:
        held.push_back(std::make_unique<QFile>(path));
        ASSERT_TRUE(held.back()->open(QIODevice::ReadOnly));
        [[fallthrough]];
      case Writing::kRenamedOver: {
        const QString part = Write(path + QStringLiteral(".part"), bytes);
        ASSERT_EQ(
            std::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()),
            0);
        break;
      }
      case Writing::kDeletedAndCreated:
        ASSERT_TRUE(QFile::remove(path));
        // Told, and nothing to load until the file is back.
        ASSERT_TRUE(settled.wait());
        Write(path, bytes);
        break;
    }
  }

  QSignalSpy settled{&status.FileWatch(), &cFileWatch::Settled};
  std::vector<std::unique_ptr<QFile>> held;
};

TEST_P(Watching, EachNewVersionLoadsOnceABrokenOneDoesNotStopTheNext) {
  const WatchCase& c = GetParam();
  const QString path = Write("data", Version(c.kind, 1));
  if (c.kind == LoadKind::kColourCount) {
    StartWith({QStringLiteral("--watch"), QStringLiteral("--colours"), path});
    EXPECT_TRUE(root.ui.ActionWatch->isChecked());
  } else {
    Load(c.kind == LoadKind::kPointGrid ? Way::kDrop : Way::kButton, c.kind, path);
    root.ui.ActionWatch->trigger();
  }
  const PlotState before = Snapshot();
  const std::uint64_t frames = Frames();
  int loads = 0;
  if (c.burst)
    status.FileWatch().SetSettleDelay(kHeldBack);
  for (const int version : c.versions) {
    Save(path, Version(c.kind, version), c.writing);
    if (c.burst) {
      QCoreApplication::processEvents();
      continue;
    }
    ASSERT_TRUE(settled.wait()) << "version " << version;
    loads += version != kEmpty ? 1 : 0;
  }
  if (c.burst) {
    status.FileWatch().SetSettleDelay(0);
    ASSERT_TRUE(settled.wait());
    loads = 1;
  }
  EXPECT_EQ(Frames(), frames + loads);
  const auto broken = std::count(c.versions.begin(), c.versions.end(), kBroken);
  EXPECT_EQ(messages.size(), static_cast<std::size_t>(broken));
  ExpectLoaded(c.kind, path);
  ExpectOtherKept(c.kind, before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Watching,
    testing::Values(
        WatchCase{"in_place", LoadKind::kPointGrid, Writing::kInPlace, {2}, false},
        WatchCase{"renamed_over", LoadKind::kHeightField, Writing::kRenamedOver, {2, 3}, false},
        WatchCase{"renamed_over_while_open",
                  LoadKind::kPointGrid,
                  Writing::kRenamedOverWhileOpen,
                  {2, 3},
                  false},
        WatchCase{
            "deleted_and_created", LoadKind::kPointGrid, Writing::kDeletedAndCreated, {2}, false},
        WatchCase{"burst_of_ten",
                  LoadKind::kHeightField,
                  Writing::kInPlace,
                  {2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                  true},
        WatchCase{
            "broken_then_good", LoadKind::kHeightField, Writing::kInPlace, {kBroken, 2}, false},
        // Truncated first, written later: the empty moment is not loaded.
        WatchCase{
            "emptied_then_written", LoadKind::kPointGrid, Writing::kInPlace, {kEmpty, 2}, false},
        WatchCase{"colours_file", LoadKind::kColourCount, Writing::kRenamedOver, {2}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// While a message box is open the changes wait; one load follows it.
TEST_F(Reloads, ChangesWhileABoxIsOpenLoadOnceAfterIt) {
  QSignalSpy settled(&status.FileWatch(), &cFileWatch::Settled);
  const QString path = Write("grid.csv", Version(LoadKind::kPointGrid, 1));
  Drop(path);
  root.ui.ActionWatch->trigger();
  std::uint64_t framesAtClose = 0;
  SetMessageBoxHook([&](const MessageBoxRequest& r) {
    messages.push_back(r.text.toStdString());
    const Vec3* grid = status.surface.vertices;
    const std::uint64_t framesAtOpen = Frames();
    QSignalSpy settledUnder(&status.FileWatch(), &cFileWatch::Settled);
    for (const int version : {2, 3}) {
      Write(path, Version(LoadKind::kPointGrid, version));
      ASSERT_TRUE(settledUnder.wait());
    }
    EXPECT_EQ(status.surface.vertices, grid);
    EXPECT_EQ(Frames(), framesAtOpen);
    framesAtClose = Frames();
  });
  Write(path, Version(LoadKind::kPointGrid, kBroken));
  ASSERT_TRUE(settled.wait());
  QTRY_COMPARE(status.surface.columns, 4u);
  EXPECT_EQ(Frames(), framesAtClose + 1);
  ExpectLoaded(LoadKind::kPointGrid, path);
  EXPECT_EQ(messages.size(), 1u);
}

}  // namespace
