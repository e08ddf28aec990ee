// ReadPointGrid against the literal reading of the rules (textreference.h): the
// same error, the same counts, the same points to the bit. Its fast reading of
// plain lines, its vector line count and its counting of rows and columns all
// have to agree with the plain version.
#include <cstring>
#include <vector>

#include "base/errors.h"
#include "formats/pointgrid.h"
#include "fuzz/fuzz_input.h"
#include "support/textreference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const FuzzText input = SplitFuzzInput(data, size);
  // A buffer of exactly the text's size, so that reads past it are seen.
  const std::vector<char> text(input.text.begin(), input.text.end());
  const ReferenceGrid expected =
      ReadReferenceGrid(std::string_view(text.data(), text.size()), input.separator.Bytes());
  PointGrid grid;
  try {
    grid = ReadPointGrid(text.data(), text.size(), input.separator);
  } catch (const cListIndexError& e) {
    FUZZ_CHECK(expected.error == e.what());
    return 0;
  } catch (const cOverflow& e) {
    FUZZ_CHECK(expected.error == e.what());
    return 0;
  }
  FUZZ_CHECK(expected.error.empty());
  FUZZ_CHECK(grid.lines == expected.lines);
  FUZZ_CHECK(grid.pointsRead == expected.points.size());
  FUZZ_CHECK(grid.columns == expected.columns && grid.rows == expected.rows);
  FUZZ_CHECK(static_cast<long long>(grid.columns) * grid.rows <=
             static_cast<long long>(grid.pointsRead));
  FUZZ_CHECK(grid.pointsRead <= grid.lines);
  FUZZ_CHECK(grid.lines == 0 || grid.points != nullptr);
  for (std::size_t i = 0; i < grid.pointsRead; ++i)
    FUZZ_CHECK(std::memcmp(&grid.points[i], &expected.points[i], sizeof(Vec3)) == 0);
  return 0;
}
