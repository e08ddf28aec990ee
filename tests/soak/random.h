#pragma once
// The soak's one source of chance. Every choice comes from one generator
// seeded once, so that a run repeats exactly from its seed. The output of
// std::mt19937_64 is fixed by the C++ standard, that of the standard
// distributions is not (libstdc++ and libc++ differ), so the mapping to
// ranges is our own.

#include <cstdint>
#include <initializer_list>
#include <random>

class SoakRandom {
 public:
  explicit SoakRandom(std::uint64_t seed) : engine(seed) {}

  // Uniform in [0, n), n > 0: the high half of a 128-bit product, whose
  // bias is below 2^-40 for every n the soak asks for.
  std::uint64_t Below(std::uint64_t n) {
    return static_cast<std::uint64_t>((static_cast<unsigned __int128>(engine()) * n) >> 64);
  }
  // Uniform in [low, high].
  int Between(int low, int high) {
    return low + static_cast<int>(Below(static_cast<std::uint64_t>(high - low) + 1));
  }
  bool OneIn(std::uint64_t n) { return Below(n) == 0; }
  unsigned char Byte() { return static_cast<unsigned char>(engine() >> 56); }

  // Mostly in [low, common], one time in fifty in [low, rare]: data of a
  // usual size with now and then a large one.
  int Size(int low, int common, int rare) { return Between(low, OneIn(50) ? rare : common); }

  template <class T>
  T Pick(std::initializer_list<T> items) {
    return items.begin()[Below(items.size())];
  }
  // One of the weights' indices, index i with probability weights[i] / sum.
  std::size_t Weighted(std::initializer_list<int> weights) {
    int sum = 0;
    for (int w : weights)
      sum += w;
    int at = static_cast<int>(Below(static_cast<std::uint64_t>(sum)));
    std::size_t index = 0;
    for (int w : weights) {
      if (at < w)
        return index;
      at -= w;
      ++index;
    }
    return index - 1;
  }

 private:
  std::mt19937_64 engine;
};
