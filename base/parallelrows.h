#pragma once
// Spreads the rows of a large array over the machine's cores. The big loaders
// write hundreds of megabytes of fresh memory, and most of their time is the
// kernel clearing those pages on first touch; each core clears the pages it
// touches, so two cores fill a height field in little more than half the time
// of one.

#include <algorithm>
#include <cstddef>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

// Calls block(first, last) for consecutive row ranges that together cover
// [0, rows) exactly once, some of them on other threads, and returns when all
// have finished. Only arrays of at least kWorkPerThread items per thread are
// split: below that, starting a thread costs more than it saves, and block
// runs once, on the calling thread, for all rows.
// block must not throw and must only write what belongs to its own rows.
// Never throws: a thread that cannot be started leaves its rows to the
// calling thread.
template <class Block>
void ForEachRowBlock(std::size_t rows, std::size_t itemsPerRow, const Block& block) noexcept {
  constexpr std::size_t kWorkPerThread = std::size_t{1} << 18;
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t items = rows * itemsPerRow;  // the caller's array: no overflow
  const std::size_t blocks =
      std::max<std::size_t>(1, std::min({cores, rows, items / kWorkPerThread}));

  std::vector<std::jthread> helpers;
  std::size_t handedOut = 0;  // rows [0, handedOut) run on helper threads
  try {
    helpers.reserve(blocks - 1);
    for (std::size_t i = 0; i + 1 < blocks; ++i) {
      const std::size_t first = rows * i / blocks;
      const std::size_t last = rows * (i + 1) / blocks;
      helpers.emplace_back([&block, first, last] { block(first, last); });
      handedOut = last;
    }
  } catch (const std::system_error&) {
  } catch (const std::bad_alloc&) {
  }
  block(handedOut, rows);
  // The helpers join here, before the caller may use or free the array.
}
