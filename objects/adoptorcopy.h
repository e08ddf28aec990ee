#pragma once
// The plot objects take their arrays either adopted or copied. One function
// makes that choice for all of them, so that they keep the same rule: the copy
// is made before anything of the object changes, and an adopted array belongs
// to the object from the call on.

#include <algorithm>
#include <cstddef>
#include <memory>

// adopt set: takes items (allocated with new T[n]) as it is; nothing is
// copied and nothing throws. adopt clear: returns a new T[n] holding the first
// n of items (non-null even for n 0), which stay the caller's; throws
// std::bad_alloc when the copy cannot be allocated.
template <class T>
std::unique_ptr<T[]> AdoptOrCopy(T* items, std::size_t n, bool adopt) {
  if (adopt)
    return std::unique_ptr<T[]>(items);
  std::unique_ptr<T[]> copy(new T[n]);
  std::copy_n(items, n, copy.get());
  return copy;
}
