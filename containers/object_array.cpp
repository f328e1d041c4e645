#include "containers/object_array.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace Arrays {

namespace {

TReallocFunction Realloc = std::realloc;

}  // namespace

void SetReallocFunction(TReallocFunction function) { Realloc = function ? function : std::realloc; }

CObjectArray::CObjectArray() : Items(nullptr), GridWidth(0), GridHeight(0) {}

CObjectArray::~CObjectArray() { std::free(Items); }

void CObjectArray::SetSize(uint16_t width, uint16_t height) {
  const size_t oldCount = static_cast<size_t>(GridWidth) * GridHeight;
  const size_t newCount = static_cast<size_t>(width) * height;
  if (newCount == 0) {
    std::free(Items);
    Items = nullptr;
  } else {
    // 65535 x 65535 references are more bytes than a 32-bit size_t counts.
    if (newCount > SIZE_MAX / sizeof(CObject*)) throw std::bad_alloc();
    auto* resized = static_cast<CObject**>(Realloc(Items, newCount * sizeof(CObject*)));
    // A failed resize leaves the old storage, and the old size with it.
    if (resized == nullptr) throw std::bad_alloc();
    Items = resized;
    // Growth adds cells that nobody has written yet: make them null references.
    for (size_t i = oldCount; i < newCount; ++i) Items[i] = nullptr;
  }
  GridWidth = width;
  GridHeight = height;
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
