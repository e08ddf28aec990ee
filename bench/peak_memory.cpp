// Peak memory while a 4096 x 4096 bitmap is loaded as a height field, against
// what the load cannot do without: the file's bytes, the decoded pixels and
// the height-field array. The load frees the file before it builds the height
// field, so its peak is the decoded pixels and the height field together.
#include "peak_memory.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QProcess>

#include <benchmark/benchmark.h>

#include "base/vec3.h"
#include "input/loadobject.h"
#include "inputs.h"
#include "objects/surface.h"

namespace {

constexpr int kSide = 4096;

// A field of /proc/self/status in KiB, 0 when it cannot be read.
std::uint64_t StatusKib(std::string_view field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with(field) && line.size() > field.size() && line[field.size()] == ':') {
      const std::size_t digits = line.find_first_of("0123456789");
      std::uint64_t kib = 0;
      if (digits != std::string::npos)
        std::from_chars(line.data() + digits, line.data() + line.size(), kib);
      return kib;
    }
  }
  return 0;
}

void AppendNumber(std::string& out, std::uint64_t v) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
  out.append(digits, end);
}

}  // namespace

int RunPeakMemoryChild(const char* path) {
  cOpenGLGraph_Surface surface;
  // Start the high-water mark from here, whatever start-up touched.
  if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", refs);
    std::fclose(refs);
  }
  const std::uint64_t before = StatusKib("VmRSS");
  try {
    LoadHeightFieldFile(QString::fromLocal8Bit(path), surface);
  } catch (const std::exception& e) {
    std::fputs(e.what(), stderr);
    return 1;
  }
  const std::uint64_t peak = StatusKib("VmHWM");
  if (surface.columns != kSide || surface.rows != kSide)
    return 1;
  std::string out;
  AppendNumber(out, before);
  out += ' ';
  AppendNumber(out, peak);
  out += '\n';
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

namespace {

void BM_PeakMemoryHeightFieldLoad(benchmark::State& state) {
  const auto& bytes = PhotoBitmapFile(kSide);
  const TempFile file(bytes.data(), bytes.size());
  std::uint64_t before = 0;
  std::uint64_t peak = 0;
  for (auto _ : state) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(kPeakMemoryChild), file.Path()});
    if (!child.waitForFinished(-1) || child.exitCode() != 0) {
      state.SkipWithError("the loading process failed");
      return;
    }
    const QByteArray out = child.readAllStandardOutput();
    const char* p = out.constData();
    const char* end = p + out.size();
    auto [next, error] = std::from_chars(p, end, before);
    if (error == std::errc() && next < end)
      std::from_chars(next + 1, end, peak);
  }
  constexpr double kMib = 1024.0 * 1024.0;
  const double pixels = double{kSide} * kSide;
  const double fileBytes = static_cast<double>(bytes.size());
  const double decoded = pixels * 3;
  const double field = pixels * sizeof(Vec3);
  const double rise = static_cast<double>(peak - before) * 1024;
  state.counters["file_MiB"] = fileBytes / kMib;
  state.counters["decoded_MiB"] = decoded / kMib;
  state.counters["field_MiB"] = field / kMib;
  state.counters["peak_MiB"] = rise / kMib;
  state.counters["x_budget"] = rise / (fileBytes + decoded + field);
}
BENCHMARK(BM_PeakMemoryHeightFieldLoad)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

}  // namespace

int RunPeakOf(char** command) {
  // A child forked from this small process starts with no peak of its own.
  const pid_t pid = fork();
  if (pid < 0)
    return 1;
  if (pid == 0) {
    execv(command[0], command);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid)
    return 1;
  std::printf("%d %ld\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1, usage.ru_maxrss);
  return 0;
}
