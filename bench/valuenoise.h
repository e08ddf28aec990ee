#pragma once
// Value noise: the terrains of the benchmarks, the same on every run.

#include <cmath>
#include <cstdint>

// A value in [0, 1) for lattice point (i, j) of octave o.
inline double LatticeValue(std::uint32_t i, std::uint32_t j, std::uint32_t o) {
  std::uint32_t h = i * 0x8da6b343u ^ j * 0xd8163841u ^ o * 0xcb1ab31fu;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return (h & 0xffffff) / 16777216.0;
}

// Value noise at (x, y) in lattice units: the lattice values blended with a
// smooth step, so that the slopes have no creases.
inline double ValueNoise(double x, double y, std::uint32_t o) {
  const double fx = std::floor(x), fy = std::floor(y);
  const auto i = static_cast<std::uint32_t>(fx), j = static_cast<std::uint32_t>(fy);
  const auto smooth = [](double t) { return t * t * (3 - 2 * t); };
  const double u = smooth(x - fx), v = smooth(y - fy);
  const double top = LatticeValue(i, j, o) * (1 - u) + LatticeValue(i + 1, j, o) * u;
  const double bottom = LatticeValue(i, j + 1, o) * (1 - u) + LatticeValue(i + 1, j + 1, o) * u;
  return top * (1 - v) + bottom * v;
}
