#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <new>

#include "containers/object_array.h"

using Arrays::CObject;
using Arrays::CObjectArray;

namespace {

// Counts its own destruction, to show that grids never destroy what they hold.
class Tracked : public CObject {
 public:
  explicit Tracked(int* destroyed) : destroyed_(destroyed) {}
  ~Tracked() override { ++*destroyed_; }

 private:
  int* destroyed_;
};

// Makes the grid one row holding these objects.
void OneRow(CObjectArray& grid, std::initializer_list<CObject*> items) {
  grid.SetSize(static_cast<uint16_t>(items.size()), 1);
  uint16_t x = 0;
  for (CObject* item : items) grid.SetItem(x++, 0, item);
}

}  // namespace

TEST(ObjectArray, StartsEmpty) {
  CObjectArray grid;
  EXPECT_EQ(grid.GetWidth(), 0);
  EXPECT_EQ(grid.GetHeight(), 0);
  EXPECT_EQ(grid.GetItem(0, 0), nullptr);
}

TEST(ObjectArray, GrowingOneRowKeepsEveryColumnAndAddsNullCells) {
  CObject a, b, c;
  CObjectArray grid;
  OneRow(grid, {&a, &b, &c});
  grid.SetSize(4, 1);
  EXPECT_EQ(grid.GetItem(0, 0), &a);
  EXPECT_EQ(grid.GetItem(1, 0), &b);
  EXPECT_EQ(grid.GetItem(2, 0), &c);
  EXPECT_EQ(grid.GetItem(3, 0), nullptr);
}

TEST(ObjectArray, ResizingKeepsStorageOrderNotCoordinates) {
  CObject a, b, c, d;
  CObjectArray grid;
  grid.SetSize(2, 2);
  grid.SetItem(0, 0, &a);
  grid.SetItem(1, 0, &b);
  grid.SetItem(0, 1, &c);
  grid.SetItem(1, 1, &d);
  grid.SetSize(3, 2);
  const CObject* expected[2][3] = {{&a, &b, &c}, {&d, nullptr, nullptr}};
  for (uint16_t y = 0; y < 2; ++y) {
    for (uint16_t x = 0; x < 3; ++x) EXPECT_EQ(grid.GetItem(x, y), expected[y][x]) << x << "," << y;
  }
}

TEST(ObjectArray, ZeroSizeLeavesNoStorageAndOutOfRangeIsHarmless) {
  CObject a;
  CObjectArray grid;
  grid.SetSize(2, 1);
  grid.SetItem(0, 0, &a);
  grid.SetSize(0, 0);
  EXPECT_EQ(grid.GetWidth(), 0);
  EXPECT_EQ(grid.GetItem(0, 0), nullptr);
  grid.SetItem(5, 5, &a);  // ignored
  grid.SetSize(1, 1);
  EXPECT_EQ(grid.GetItem(0, 0), nullptr);
}

TEST(ObjectArray, DestroyingAGridLeavesItsObjects) {
  int destroyed = 0;
  Tracked* item = new Tracked(&destroyed);
  {
    Arrays::CTypedArray<Tracked> bank;
    EXPECT_EQ(bank.Add(item), 1);
    EXPECT_EQ(bank.Get(1), item);
    EXPECT_EQ(bank.Get(0), nullptr);
    EXPECT_EQ(bank.Get(2), nullptr);
  }
  EXPECT_EQ(destroyed, 0);
  delete item;
  EXPECT_EQ(destroyed, 1);
}

namespace {

// A resize that fails, recording what it was asked for.
size_t RequestedBytes = 0;
int ResizeCalls = 0;
void* FailingRealloc(void*, size_t bytes) {
  RequestedBytes = bytes;
  ++ResizeCalls;
  return nullptr;
}

class FailingGrowth : public ::testing::Test {
 protected:
  void SetUp() override {
    RequestedBytes = 0;
    ResizeCalls = 0;
  }
  void TearDown() override { Arrays::SetReallocFunction(nullptr); }
};

}  // namespace

TEST_F(FailingGrowth, KeepsTheOldSizeAndStorage) {
  CObject a, b, c;
  CObjectArray grid;
  OneRow(grid, {&a, &b, &c});
  Arrays::SetReallocFunction(&FailingRealloc);
  EXPECT_THROW(grid.SetSize(4, 2), std::bad_alloc);
  EXPECT_EQ(ResizeCalls, 1);
  EXPECT_EQ(grid.GetWidth(), 3);
  EXPECT_EQ(grid.GetHeight(), 1);
  EXPECT_EQ(grid.GetItem(0, 0), &a);
  EXPECT_EQ(grid.GetItem(2, 0), &c);
  // Cells of the size it failed to reach are still outside the grid.
  EXPECT_EQ(grid.GetItem(3, 0), nullptr);
  grid.SetItem(0, 1, &a);
  Arrays::SetReallocFunction(nullptr);
  grid.SetSize(3, 2);
  EXPECT_EQ(grid.GetItem(0, 1), nullptr);
  EXPECT_EQ(grid.GetItem(1, 0), &b);
}

TEST_F(FailingGrowth, TheLargestGridAsksForItsWholeByteCount) {
  CObject a;
  CObjectArray grid;
  grid.SetSize(1, 1);
  grid.SetItem(0, 0, &a);
  Arrays::SetReallocFunction(&FailingRealloc);
  EXPECT_THROW(grid.SetSize(65535, 65535), std::bad_alloc);
  const uint64_t bytes = uint64_t{65535} * 65535 * sizeof(CObject*);
  if (bytes > SIZE_MAX) {
    // 32 bits cannot count it: refused without asking for a wrapped, small count.
    EXPECT_EQ(ResizeCalls, 0);
  } else {
    EXPECT_EQ(RequestedBytes, bytes);
  }
  EXPECT_EQ(grid.GetWidth(), 1);
  EXPECT_EQ(grid.GetHeight(), 1);
  EXPECT_EQ(grid.GetItem(0, 0), &a);
}

TEST(TypedArray, RefusesTheLoadThatWouldWrapItsIds) {
  CObject first, last, extra;
  Arrays::CTypedArray<CObject> bank;
  EXPECT_EQ(bank.Add(&first), 1);
  // Grown in one step to 65534 entries: 65533 more loads would take a
  // minute under the address sanitizer, whose every realloc copies.
  bank.SetSize(65534, 1);
  EXPECT_FALSE(bank.Full());
  EXPECT_EQ(bank.Add(&last), 65535);
  EXPECT_TRUE(bank.Full());
  // The 65,536th: id 0 like a failed load, and the bank as it was.
  EXPECT_EQ(bank.Add(&extra), 0);
  EXPECT_EQ(bank.GetWidth(), 65535);
  EXPECT_EQ(bank.GetHeight(), 1);
  EXPECT_EQ(bank.Get(1), &first);
  EXPECT_EQ(bank.Get(65535), &last);
}
