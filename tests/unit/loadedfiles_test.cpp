// What was loaded how, without any window: each load replaces what its
// object had, F5 loads the surface's file first, a file read twice is
// followed once.
#include <gtest/gtest.h>

#include "input/loadedfiles.h"

namespace {

using Kind = LoadKind;

struct LoadedCase {
  const char* name;
  std::vector<LoadedFile> loads;  // in the order they were read
  std::vector<LoadedFile> all;
  QStringList paths;
  std::vector<LoadedFile> fromA;  // those read from "a"
};

const LoadedFile kGridA{"a", Kind::kPointGrid};
const LoadedFile kHeightsA{"a", Kind::kHeightField};
const LoadedFile kHeightsB{"b", Kind::kHeightField};
const LoadedFile kColoursA{"a", Kind::kColourCount};
const LoadedFile kColoursB{"b", Kind::kColourCount};

class Loaded : public testing::TestWithParam<LoadedCase> {};

TEST_P(Loaded, KeepsTheLastFileOfEachObject) {
  const LoadedCase& c = GetParam();
  cLoadedFiles loaded;
  for (const LoadedFile& load : c.loads)
    loaded.Remember(load.path, load.kind);
  EXPECT_EQ(loaded.All(), c.all);
  EXPECT_EQ(loaded.Paths(), c.paths);
  EXPECT_EQ(loaded.From("a"), c.fromA);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Loaded,
    testing::Values(LoadedCase{"nothing", {}, {}, {}, {}},
                    // Height field and point grid both go to the surface.
                    LoadedCase{"surface_replaced", {kGridA, kHeightsB}, {kHeightsB}, {"b"}, {}},
                    LoadedCase{"surface_before_volume",
                               {kColoursB, kGridA},
                               {kGridA, kColoursB},
                               {"a", "b"},
                               {kGridA}},
                    LoadedCase{"one_file_for_both",
                               {kHeightsA, kColoursA},
                               {kHeightsA, kColoursA},
                               {"a"},
                               {kHeightsA, kColoursA}},
                    LoadedCase{"volume_replaced",
                               {kColoursA, kHeightsA, kColoursB},
                               {kHeightsA, kColoursB},
                               {"a", "b"},
                               {kHeightsA}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
