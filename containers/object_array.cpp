#include "containers/object_array.h"

#include <cstdlib>
#include <new>

namespace Arrays {

CObjectArray::CObjectArray() : Items(nullptr), GridWidth(0), GridHeight(0) {}

CObjectArray::~CObjectArray() { std::free(Items); }

void CObjectArray::SetSize(uint16_t width, uint16_t height) {
  const size_t oldCount = static_cast<size_t>(GridWidth) * GridHeight;
  const size_t newCount = static_cast<size_t>(width) * height;
  GridWidth = width;
  GridHeight = height;
  if (newCount == 0) {
    std::free(Items);
    Items = nullptr;
    return;
  }
  auto* grown = static_cast<CObject**>(std::realloc(Items, newCount * sizeof(CObject*)));
  if (grown == nullptr) throw std::bad_alloc();
  Items = grown;
  // Growth adds cells that nobody has written yet: make them null references.
  for (size_t i = oldCount; i < newCount; ++i) Items[i] = nullptr;
}

CObject* CObjectArray::GetItem(uint16_t x, uint16_t y) const {
  if (x >= GridWidth || y >= GridHeight) return nullptr;
  return Items[x + static_cast<size_t>(y) * GridWidth];
}

void CObjectArray::SetItem(uint16_t x, uint16_t y, CObject* item) {
  if (x >= GridWidth || y >= GridHeight) return;
  Items[x + static_cast<size_t>(y) * GridWidth] = item;
}

}  // namespace Arrays
