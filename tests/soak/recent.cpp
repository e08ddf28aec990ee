#include "recent.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#if defined(CUBISCOPE_SANITIZE)
#include <dlfcn.h>
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

constexpr std::size_t kKept = 20;
constexpr std::size_t kLine = 400;

// Plain arrays written only between actions and read by the reports: a
// signal handler may use nothing that allocates or locks.
struct Ring {
  std::uint64_t seed = 0;
  std::uint64_t numbers[kKept] = {};
  char lines[kKept][kLine] = {};
  std::uint64_t noted = 0;  // actions noted in all
} ring;

std::atomic<bool> printed{false};

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction previous[sizeof(kSignals) / sizeof(kSignals[0])];

void Write(const char* text, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(STDERR_FILENO, text, size);
    if (n <= 0)
      return;
    text += n;
    size -= static_cast<std::size_t>(n);
  }
}
void Write(const char* text) {
  Write(text, std::strlen(text));
}
void Write(std::uint64_t number) {
  char digits[24];
  std::size_t at = sizeof(digits);
  do {
    digits[--at] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  Write(digits + at, sizeof(digits) - at);
}

void PrintOnce() {
  if (!printed.exchange(true))
    PrintRecentActions();
}

void OnFatalSignal(int signal) {
  PrintOnce();
  // Back to whatever handled the signal before (the default, or the
  // sanitizer's report): a fault comes again when the instruction is
  // retried, abort() raises again by itself.
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    if (kSignals[i] == signal)
      sigaction(signal, &previous[i], nullptr);
  }
}

}  // namespace

void StartRecentActions(std::uint64_t seed) {
  ring.seed = seed;
  struct sigaction action = {};
  action.sa_handler = OnFatalSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_NODEFER;
  for (std::size_t i = 0; i < std::size(kSignals); ++i)
    sigaction(kSignals[i], &action, &previous[i]);
#if defined(CUBISCOPE_SANITIZE)
  __sanitizer_set_death_callback(PrintOnce);
  // GCC links the runtime of the undefined-behaviour checks apart from that
  // of the address and leak checks, each with a death callback of its own;
  // the name above reaches the first, the second is found in its library.
  if (void* ubsan = dlopen("libubsan.so.1", RTLD_NOW | RTLD_NOLOAD)) {
    using SetDeathCallback = void (*)(void (*)());
    if (auto set =
            reinterpret_cast<SetDeathCallback>(dlsym(ubsan, "__sanitizer_set_death_callback")))
      set(PrintOnce);
    dlclose(ubsan);
  }
#endif
}

void NoteAction(std::uint64_t number, std::string_view description) {
  const std::size_t slot = ring.noted % kKept;
  const std::size_t size = std::min(description.size(), kLine - 1);
  std::memcpy(ring.lines[slot], description.data(), size);
  ring.lines[slot][size] = '\0';
  ring.numbers[slot] = number;
  ++ring.noted;
}

void PrintRecentActions() {
  const std::uint64_t shown = std::min<std::uint64_t>(ring.noted, kKept);
  Write("--- the last ");
  Write(shown);
  Write(" actions of seed ");
  Write(ring.seed);
  Write(":\n");
  for (std::uint64_t i = ring.noted - shown; i < ring.noted; ++i) {
    const std::size_t slot = i % kKept;
    Write("  #");
    Write(ring.numbers[slot]);
    Write(" ");
    Write(ring.lines[slot]);
    Write("\n");
  }
  if (ring.noted > 0) {
    Write("--- repeat with: ./soak.sh --seed ");
    Write(ring.seed);
    Write(" --actions ");
    Write(ring.numbers[(ring.noted - 1) % kKept]);
#if defined(CUBISCOPE_SANITIZE)
    Write(" --sanitize");
#endif
    Write("\n");
  }
}
