#include <gtest/gtest.h>

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
  grid.SetSize(3, 1);
  grid.SetItem(0, 0, &a);
  grid.SetItem(1, 0, &b);
  grid.SetItem(2, 0, &c);
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
