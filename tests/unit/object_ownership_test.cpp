// Who owns the arrays of the plot objects: adopted arrays are kept and freed
// by the object, copies leave the caller's array alone, Clear and a second
// hand-over free what was held. Whether an array was really freed is seen
// in the AddressSanitizer build (./test.sh --sanitize), where freed memory is
// poisoned; elsewhere those checks pass vacuously.
#include <cstdint>
#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "objects/line.h"
#include "objects/solid.h"
#include "objects/surface.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define EXPECT_FREED(p) EXPECT_TRUE(__asan_address_is_poisoned(p)) << #p " was not freed"
#else
#define EXPECT_FREED(p) static_cast<void>(p)
#endif

namespace {

// How each kind of object takes, holds and drops a six-element array.
struct LineKind {
  using Object = cOpenGLGraph_Line;
  using Element = Vec3;
  static void Set(Object& o, Element* p, bool adopt) { o.SetVertices(p, 6, adopt); }
  static const Element* Held(const Object& o) { return o.vertices; }
  static bool Empty(const Object& o) { return !o.vertices && o.count == 0; }
  static Element Sample(int i) { return {0.1 * i, 0.2 * i, 0.3 * i}; }
};

struct SurfaceKind {
  using Object = cOpenGLGraph_Surface;
  using Element = Vec3;
  static void Set(Object& o, Element* p, bool adopt) { o.SetGrid(p, 3, 2, adopt); }
  static const Element* Held(const Object& o) { return o.vertices; }
  static bool Empty(const Object& o) { return !o.vertices && o.columns == 0 && o.rows == 0; }
  static Element Sample(int i) { return {0.1 * i, 0.2 * i, 0.3 * i}; }
  // Rows and columns whose byte count lies beyond any address space.
  static void SetTooLarge(Object& o) { o.SetGrid(nullptr, 0xFFFFFFFFu, 0xFFFFFFFFu, false); }
};

struct SolidKind {
  using Object = cOpenGLGraph_Solid;
  using Element = float;
  static void Set(Object& o, Element* p, bool adopt) { o.SetVolume(p, 3, 2, 1, adopt); }
  static const Element* Held(const Object& o) { return o.data; }
  static bool Empty(const Object& o) {
    return !o.data && !o.axisX && !o.axisY && !o.axisZ && o.nx == 0 && o.ny == 0 && o.nz == 0;
  }
  static Element Sample(int i) { return 0.125f * static_cast<float>(i); }
  static void SetTooLarge(Object& o) {
    o.SetVolume(nullptr, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, false);
  }
};

template <typename Kind>
typename Kind::Element* NewArray() {
  auto* p = new typename Kind::Element[6];
  for (int i = 0; i < 6; ++i)
    p[i] = Kind::Sample(i + 1);
  return p;
}

template <typename Kind>
class Ownership : public testing::Test {};
using Kinds = testing::Types<LineKind, SurfaceKind, SolidKind>;
TYPED_TEST_SUITE(Ownership, Kinds);

TYPED_TEST(Ownership, CopyLeavesTheCallersArrayAlone) {
  typename TypeParam::Object object;
  std::vector<typename TypeParam::Element> mine(6);
  for (int i = 0; i < 6; ++i)
    mine[i] = TypeParam::Sample(i + 1);
  TypeParam::Set(object, mine.data(), false);
  mine[0] = TypeParam::Sample(100);

  const auto* held = TypeParam::Held(object);
  ASSERT_NE(held, nullptr);
  EXPECT_NE(held, mine.data());
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(held[i], TypeParam::Sample(i + 1)) << "element " << i;
}

TYPED_TEST(Ownership, ClearFreesAndEmpties) {
  typename TypeParam::Object object;
  auto* given = NewArray<TypeParam>();
  TypeParam::Set(object, given, true);
  object.Clear();
  EXPECT_TRUE(TypeParam::Empty(object));
  EXPECT_FREED(given);
  object.Clear();
  EXPECT_TRUE(TypeParam::Empty(object));
}

TYPED_TEST(Ownership, AdoptKeepsTheArrayAndFreesTheOneBefore) {
  for (bool firstAdopted : {true, false}) {
    SCOPED_TRACE(firstAdopted ? "first adopted" : "first copied");
    typename TypeParam::Object object;
    auto* first = NewArray<TypeParam>();
    TypeParam::Set(object, first, firstAdopted);
    const auto* held = TypeParam::Held(object);
    auto* second = NewArray<TypeParam>();
    TypeParam::Set(object, second, true);
    EXPECT_EQ(TypeParam::Held(object), second);
    EXPECT_FREED(held);
    if (!firstAdopted)
      delete[] first;
  }
}

TYPED_TEST(Ownership, DestructionFreesTheArray) {
  auto* given = NewArray<TypeParam>();
  {
    typename TypeParam::Object object;
    TypeParam::Set(object, given, true);
  }
  EXPECT_FREED(given);
}

TEST(Ownership, LineCopyOfNoPointsIsAnEmptyArray) {
  cOpenGLGraph_Line line;
  Vec3 none[1] = {};
  line.SetVertices(none, 0, false);
  EXPECT_NE(line.vertices, nullptr);
  EXPECT_EQ(line.count, 0u);
}

TEST(Ownership, SecondVolumeFreesTheAxesToo) {
  cOpenGLGraph_Solid solid;
  solid.SetVolume(NewArray<SolidKind>(), 3, 2, 1, true);
  const float* axes[3] = {solid.axisX, solid.axisY, solid.axisZ};
  solid.SetVolume(NewArray<SolidKind>(), 1, 2, 3, true);
  for (const float* axis : axes)
    EXPECT_FREED(axis);
  EXPECT_EQ(solid.axisX[0], 0.0f);
  EXPECT_EQ(solid.axisZ[2], 1.0f);
}

// The surface and the volume also carry a ramp and can be asked for copies
// too large to allocate.
template <typename Kind>
class RampOwner : public testing::Test {};
using RampKinds = testing::Types<SurfaceKind, SolidKind>;
TYPED_TEST_SUITE(RampOwner, RampKinds);

TYPED_TEST(RampOwner, CopyThatCannotBeAllocatedLeavesItUnchanged) {
  typename TypeParam::Object object;
  auto* given = NewArray<TypeParam>();
  TypeParam::Set(object, given, true);
  EXPECT_THROW(TypeParam::SetTooLarge(object), std::bad_alloc);
  EXPECT_EQ(TypeParam::Held(object), given);
  EXPECT_EQ(TypeParam::Held(object)[5], TypeParam::Sample(6));
}

TYPED_TEST(RampOwner, BandsSurviveClearAndNewData) {
  typename TypeParam::Object object;
  object.SetLevels(4);
  TypeParam::Set(object, NewArray<TypeParam>(), true);
  object.Clear();
  TypeParam::Set(object, NewArray<TypeParam>(), true);
  EXPECT_EQ(object.ramp.Size(), 4u);
}

struct AxisCase {
  std::uint32_t n;
  std::vector<std::pair<std::uint32_t, float>> entries;  // index, value
};
void PrintTo(const AxisCase& c, std::ostream* os) {
  *os << "n = " << c.n;
}

class Axis : public testing::TestWithParam<AxisCase> {};

TEST_P(Axis, SpansZeroToOne) {
  const AxisCase& c = GetParam();
  const std::unique_ptr<float[]> axis = cOpenGLGraph_Solid::BuildAxis(c.n);
  ASSERT_NE(axis, nullptr);
  for (const auto& [index, value] : c.entries)
    EXPECT_EQ(axis[index], value) << "entry " << index;
}

INSTANTIATE_TEST_SUITE_P(Sizes, Axis,
                         testing::Values(AxisCase{0, {}},
                                         // One grid point has no spacing; it sits on the face.
                                         AxisCase{1, {{0, 0.0f}}},
                                         AxisCase{2, {{0, 0.0f}, {1, 1.0f}}},
                                         AxisCase{64,
                                                  {{0, 0.0f},
                                                   {1, static_cast<float>(1.0 / 63.0)},
                                                   {21, static_cast<float>(1.0 / 3.0)},
                                                   {62, static_cast<float>(62.0 / 63.0)},
                                                   {63, 1.0f}}}),
                         [](const testing::TestParamInfo<AxisCase>& info) {
                           return std::to_string(info.param.n);
                         });

}  // namespace
