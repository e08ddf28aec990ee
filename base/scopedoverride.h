#pragma once
// A process-wide setting given another value while the object lives, and its
// own value back afterwards, for tests: a lower limit, another module. Not
// for use from several threads at once.

#include <utility>

template <class T>
class ScopedOverride {
 public:
  ScopedOverride(T& setting, T value) : setting(setting), previous(std::exchange(setting, value)) {}
  ~ScopedOverride() { setting = std::move(previous); }
  ScopedOverride(const ScopedOverride&) = delete;
  ScopedOverride& operator=(const ScopedOverride&) = delete;

 private:
  T& setting;
  T previous;
};
