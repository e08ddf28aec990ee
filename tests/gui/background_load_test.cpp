// Loads that go on in the background, through the program's windows: every
// way a load starts, held in the reader by a gate of the test's (never by
// the clock) while the old data is turned, and then let end, fail, be
// cancelled or be replaced by a second load.
#include "loaders.h"

#include <condition_variable>
#include <memory>
#include <mutex>

#include <QSignalSpy>

#include "app/windows.h"
#include "base/scopedoverride.h"
#include "input/loadjob.h"
#include "support/bmpwriter.h"
#include "support/keypress.h"

namespace {

// Holds every load at its first report until opened; a cancelled load goes
// on at once, as the program waits for it.
class Gate {
 public:
  void Report(const LoadProgress& progress) {
    std::unique_lock lock(mutex);
    if (seen.empty() || &progress != last)
      seen.emplace_back();
    last = &progress;
    seen.back().push_back(progress.Fraction());
    ++reached;
    changed.notify_all();
    while (!open && !progress.Cancelled())
      changed.wait_for(lock, std::chrono::milliseconds(1));
  }
  void Open(bool on) {
    const std::lock_guard lock(mutex);
    open = on;
    changed.notify_all();
  }
  int Count() {
    const std::lock_guard lock(mutex);
    return reached;
  }
  // Waits, processing events, until loads have reached the gate `count`
  // times in all; false after a long while.
  bool Reached(int count) {
    for (int k = 0; k < 20000; ++k) {
      {
        const std::lock_guard lock(mutex);
        if (reached >= count)
          return true;
      }
      QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return false;
  }
  // The fractions each load reported, one load after another.
  std::vector<std::vector<double>> Seen() {
    const std::lock_guard lock(mutex);
    return seen;
  }

 private:
  std::mutex mutex;
  std::condition_variable changed;
  bool open = true;
  int reached = 0;
  const LoadProgress* last = nullptr;
  std::vector<std::vector<double>> seen;
};

enum class Source { kButton, kDrop, kCommandLine, kF5, kWatch };
enum class Outcome { kEnds, kFails, kCancelled, kSuperseded };

struct Case {
  Source source;
  Outcome outcome;
};

void PrintTo(const Case& c, std::ostream* os) {
  const char* sources[] = {"button", "drop", "command line", "F5", "watched change"};
  const char* outcomes[] = {"ends", "fails", "cancelled", "superseded"};
  *os << sources[static_cast<int>(c.source)] << ", " << outcomes[static_cast<int>(c.outcome)];
}

std::string Picture(int columns) {
  const std::vector<unsigned char> bytes = WriteBmp(
      PatternPicture(columns, 3, {{0, 0, 0}, {255, 255, 255}, {90, 20, 200}}), BmpOptions{});
  return std::string(bytes.begin(), bytes.end());
}

class BackgroundLoad : public ShownWays, public testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    ShownWays::SetUp();
    ConnectNotes(root, status);
    // What the bar is told, one load after another.
    running.emplace_back();
    QObject::connect(&status, &TFormStatus::LoadRunning,
                     [this](double done) { running.back().push_back(done); });
    QObject::connect(&status, &TFormStatus::LoadEnded, [this] { running.emplace_back(); });
  }

  // change: what the watched file becomes.
  void Start(Source source, const QString& path, const std::string& change) {
    switch (source) {
      case Source::kButton:
        Click(status.ui.ButtonLoadBMP, path);
        break;
      case Source::kDrop:
        Drop(path);
        break;
      case Source::kCommandLine:
        StartWith({path});
        break;
      case Source::kF5:
        Press(&root, Qt::Key_F5);
        break;
      case Source::kWatch:
        Write(path, change);
        break;
    }
  }

  // Shared with the loads' threads: a cancelled load's thread may still be
  // ending when the fixture goes.
  std::shared_ptr<Gate> gateHeld = std::make_shared<Gate>();
  Gate& gate = *gateHeld;
  const ScopedOverride<std::function<void(const LoadProgress&)>> hook{
      cLoadJob::reportHook, [held = gateHeld](const LoadProgress& p) { held->Report(p); }};
  std::vector<std::vector<double>> running;
};

TEST_P(BackgroundLoad, KeepsTheOldDataUntilTheHandOver) {
  const Case c = GetParam();
  const bool again = c.source == Source::kF5 || c.source == Source::kWatch;
  const QString path = Write("picture.bmp", Picture(5));
  if (again) {
    // Loaded once at once, so that F5 and the watch know the file.
    status.backgroundAfter = std::chrono::milliseconds::max();
    status.OpenFile(path, false);
    status.SetWatching(c.source == Source::kWatch);
    if (c.source == Source::kF5)
      Write(path, Picture(7));
  }
  const std::string change = c.outcome == Outcome::kFails ? "BM broken" : Picture(7);
  if (c.source != Source::kWatch && c.outcome == Outcome::kFails)
    Write(path, change);
  const PlotState before = Snapshot();
  const std::uint64_t frames = graph.FramesPresented();
  status.backgroundAfter = std::chrono::milliseconds(0);
  gate.Open(false);
  QSignalSpy ended(&status, &TFormStatus::LoadEnded);
  const int reached = gate.Count();
  Start(c.source, path, change);
  ASSERT_TRUE(gate.Reached(reached + 1));
  ASSERT_TRUE(status.LoadInBackground());
  EXPECT_TRUE(root.loadBar->isVisible());

  // The old data is turned meanwhile, and nothing of the load shows.
  Press(&root, Qt::Key_Right);
  EXPECT_GT(graph.FramesPresented(), frames);
  EXPECT_EQ(status.surface.vertices, before.grid);
  EXPECT_FALSE(SamePicture(graph.Picture(), before.picture));

  QString want = path;
  switch (c.outcome) {
    case Outcome::kEnds:
    case Outcome::kFails:
      gate.Open(true);
      ASSERT_TRUE(ended.wait(10000));
      break;
    case Outcome::kCancelled:
      // Esc in the main window, or the bar's Cancel: at once, without a word.
      if (c.source == Source::kDrop || c.source == Source::kF5)
        QTest::mouseClick(root.loadBar->ui.ButtonCancel, Qt::LeftButton);
      else
        Press(&root, Qt::Key_Escape);
      EXPECT_EQ(ended.size(), 1);
      EXPECT_FALSE(status.LoadInBackground());
      gate.Open(true);
      break;
    case Outcome::kSuperseded:
      want = Write("second.bmp", Picture(9));
      Drop(want);
      ASSERT_TRUE(gate.Reached(reached + 2));
      gate.Open(true);
      ASSERT_TRUE(ended.wait(10000));
      break;
  }
  QTest::qWait(0);
  EXPECT_FALSE(status.LoadInBackground());
  EXPECT_FALSE(root.loadBar->isVisible());
  if (c.outcome == Outcome::kFails) {
    ASSERT_EQ(messages, std::vector<std::string>{"ストリームからの読み込みエラー."});
    EXPECT_EQ(status.surface.vertices, before.grid);
    // Redrawn before the box, as every load.
    EXPECT_TRUE(SamePicture(picturesAtMessage.back(), graph.Picture()));
  } else {
    EXPECT_EQ(messages, std::vector<std::string>{});
  }
  if (c.outcome == Outcome::kEnds || c.outcome == Outcome::kSuperseded)
    ExpectLoaded(LoadKind::kHeightField, want);
  if (c.outcome == Outcome::kCancelled) {
    EXPECT_EQ(status.surface.vertices, before.grid);
  }
  // Progress never goes back, in the reader nor on the bar.
  for (const auto& loads : {gate.Seen(), running}) {
    for (const std::vector<double>& fractions : loads) {
      EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Loads, BackgroundLoad, testing::ValuesIn([] {
                           std::vector<Case> cases;
                           for (const Source s :
                                {Source::kButton, Source::kDrop, Source::kCommandLine, Source::kF5,
                                 Source::kWatch}) {
                             for (const Outcome o : {Outcome::kEnds, Outcome::kFails,
                                                     Outcome::kCancelled, Outcome::kSuperseded})
                               cases.push_back({s, o});
                           }
                           return cases;
                         }()));

}  // namespace
