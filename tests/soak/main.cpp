// The soak: the program's own windows, opened as the program opens them,
// driven by N random actions drawn from a seed, with the invariants checked
// after every action (checks.h).
//
//   soak [--actions N] [--seed S] [--seconds T] [--verbose]
//
// Prints the seed first, a line for every failed action (with the last
// actions before it) and a summary; exits with 1 when any action failed.
// With --seconds no action starts after T seconds, so that a seed that
// happens to draw slow scenes cannot hold up a run with a time limit; the
// summary says how many actions ran, which with the seed repeats them.

#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <QApplication>
#include <QFont>
#include <QTemporaryDir>

#include "app/application.h"
#include "catalogue.h"
#include "checks.h"
#include "formats/rasterlevels.h"
#include "input.h"
#include "recent.h"
#include "world.h"

namespace {

// After this many failed actions the run stops: later ones are mostly
// consequences of the first.
constexpr int kMostFailures = 10;

bool ReadNumber(const char* text, std::uint64_t& number) {
  char* end = nullptr;
  errno = 0;
  number = std::strtoull(text, &end, 10);
  return text[0] >= '0' && text[0] <= '9' && *end == '\0' && errno == 0;
}

long PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// The program at rest (input::Settle), and the tiles that a raster held at
// levels asked for come and drawn: they come on threads of their own.
bool SettleWithTiles(SoakWorld& world) {
  for (int round = 0; round < 8; ++round) {
    if (!input::Settle())
      return false;
    HeightLevels* levels = world.status.surface.LevelsOfDetail();
    if (!levels)
      return true;
    const std::uint64_t arrivals = levels->Arrivals();
    levels->WaitForTiles();
    if (levels->Arrivals() == arrivals)
      return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t actions = 1000;
  std::uint64_t seed = 1;
  std::uint64_t limit = 0;  // seconds, 0 for none
  bool verbose = false;
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (std::strcmp(argv[i], "--actions") == 0 && hasValue && ReadNumber(argv[i + 1], actions)) {
      ++i;
    } else if (std::strcmp(argv[i], "--seed") == 0 && hasValue && ReadNumber(argv[i + 1], seed)) {
      ++i;
    } else if (std::strcmp(argv[i], "--seconds") == 0 && hasValue &&
               ReadNumber(argv[i + 1], limit)) {
      ++i;
    } else if (std::strcmp(argv[i], "--verbose") == 0) {
      verbose = true;
    } else {
      std::fprintf(stderr, "usage: %s [--actions N] [--seed S] [--seconds T] [--verbose]\n",
                   argv[0]);
      return 2;
    }
  }
  std::printf("soak: seed %llu, %llu actions\n", static_cast<unsigned long long>(seed),
              static_cast<unsigned long long>(actions));
  std::fflush(stdout);
  StartRecentActions(seed);

  KeepGlDriverForLeakReports();
  // As the test programs set it up (tests/support/qt_main.cpp).
  int qtArgc = 1;
  cApplication application(qtArgc, argv);
  QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                             {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
  // No blinking cursor: its timer would keep the event loop busy for nothing.
  QApplication::setCursorFlashTime(0);

  // Most of the soak's rasters are held at levels of detail, in small tiles
  // and a cache that holds few of them.
  LevelSizes levels;
  levels.wholeCells = 400;
  levels.handCells = 64;
  levels.tileSide = 8;
  levels.cacheBytes = 24 * 8 * 8 * sizeof(double);
  const ScopedLevelSizes soakLevels(levels);

  const auto start = std::chrono::steady_clock::now();
  QTemporaryDir folder;
  int failedActions = 0;
  std::uint64_t done = 0;
  {
    SoakWorld world(seed, folder.path());
    input::Settle();
    for (std::uint64_t number = 1; number <= actions && failedActions < kMostFailures; ++number) {
      if (limit > 0 && std::chrono::steady_clock::now() - start >= std::chrono::seconds(limit)) {
        std::printf("soak: %llu s are up, %llu actions not run\n",
                    static_cast<unsigned long long>(limit),
                    static_cast<unsigned long long>(actions - done));
        break;
      }
      const auto stepStart = std::chrono::steady_clock::now();
      // One step in three clicks and types as fast as the window system
      // delivers (input.h).
      world.StartStep(world.random.OneIn(3));
      Step step = DrawStep(world);
      NoteAction(number, step.description);
      if (verbose) {
        std::printf("#%llu %s\n", static_cast<unsigned long long>(number),
                    step.description.c_str());
        std::fflush(stdout);
      }
      const Before before = TakeBefore(world, step);
      world.openAnswer = step.openAnswer;
      world.saveAnswer = step.saveAnswer;
      if (step.turntable && !step.turntable->path.isEmpty())
        world.turntableAnswer =
            TTurntableDialog::Choice{step.turntable->path, step.turntableFrames};
      if (step.mesh && !step.mesh->path.isEmpty())
        world.meshAnswer = TMeshExportDialog::Choice{step.mesh->path, step.meshSettings};
      world.addressAnswer = step.addressAnswer;
      step.perform(world);
      std::vector<std::string> faults;
      if (!SettleWithTiles(world))
        faults.push_back("the program did not come to rest");
      world.NoteLoads(step.loads);
      for (std::string& fault : CheckAfter(world, step, before))
        faults.push_back(std::move(fault));
      done = number;
      if (verbose) {
        const auto now = std::chrono::steady_clock::now();
        std::printf("  %.0f ms\n",
                    std::chrono::duration<double, std::milli>(now - stepStart).count());
      }
      if (!faults.empty()) {
        ++failedActions;
        for (const std::string& fault : faults) {
          std::fprintf(stderr, "FAILED: seed %llu, action %llu (%s): %s\n",
                       static_cast<unsigned long long>(seed),
                       static_cast<unsigned long long>(number), step.description.c_str(),
                       fault.c_str());
        }
        PrintRecentActions();
      }
      if (number % 500 == 0) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("soak: %llu actions, %.0f s\n", static_cast<unsigned long long>(number),
                    seconds);
        std::fflush(stdout);
      }
    }
  }
  input::Settle();

  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf(
      "soak: seed %llu, %llu actions, %d failed, %.0f s, %.0f actions per minute, peak %ld MB\n",
      static_cast<unsigned long long>(seed), static_cast<unsigned long long>(done), failedActions,
      seconds, seconds > 0 ? static_cast<double>(done) * 60.0 / seconds : 0.0, PeakMegabytes());
  return failedActions == 0 ? 0 : 1;
}
