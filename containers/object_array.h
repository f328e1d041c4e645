// The one container of the game: a grid of object references.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Arrays {

// Root of everything a grid can hold: loaded resources and map sectors.
class CObject {
 public:
  virtual ~CObject() = default;
};

// A GridWidth x GridHeight grid of object references, stored row after row
// (cell (x, y) is element x + y * GridWidth). The grid owns its storage only:
// destroying it never destroys the objects it refers to. The banks use it as
// one row that grows by a column per loaded resource; the map uses it as a
// full grid of sectors.
class CObjectArray : public CObject {
 public:
  // An empty grid: no storage, width 0, height 0.
  CObjectArray();
  // Releases the storage, not the referenced objects.
  ~CObjectArray() override;
  CObjectArray(const CObjectArray&) = delete;
  CObjectArray& operator=(const CObjectArray&) = delete;

  // Resizes the storage to width * height references, keeping the existing
  // ones at the start of the storage (a cell keeps its storage index, not
  // its (x, y)), then stores the new size. Cells that growth adds hold a
  // null reference. A size of 0 leaves no storage. When the storage cannot
  // grow it throws std::bad_alloc and keeps its old size and storage.
  void SetSize(uint16_t width, uint16_t height);
  uint16_t GetWidth() const { return GridWidth; }
  uint16_t GetHeight() const { return GridHeight; }

  // The reference in cell (x, y). Coordinates outside the grid yield null
  // rather than reading outside the storage.
  CObject* GetItem(uint16_t x, uint16_t y) const;
  // Stores a reference in cell (x, y), replacing the previous one without
  // touching it. Coordinates outside the grid are ignored.
  void SetItem(uint16_t x, uint16_t y, CObject* item);

 private:
  CObject** Items;
  uint16_t GridWidth;
  uint16_t GridHeight;
};

// Test seam: the function SetSize grows and shrinks storage with, so a test
// can make growth fail. Null restores std::realloc.
using TReallocFunction = void* (*)(void* storage, size_t bytes);
void SetReallocFunction(TReallocFunction function);

// The most objects a bank holds: its ids are 16-bit and 0 means none.
constexpr uint16_t MaxBankId = 65535;

// Typed access for a bank of one kind of object, addressed by 1-based ids.
template <class T>
class CTypedArray : public CObjectArray {
 public:
  // Whether the bank holds MaxBankId objects, the most its ids can name.
  bool Full() const { return GetWidth() == MaxBankId; }
  // Appends an object as the next column and returns its id (width + 1).
  // A full bank returns 0 and is left untouched; the item stays the
  // caller's.
  uint16_t Add(T* item) {
    if (Full()) return 0;
    const uint16_t id = static_cast<uint16_t>(GetWidth() + 1);
    SetSize(id, 1);
    SetItem(static_cast<uint16_t>(id - 1), 0, item);
    return id;
  }
  // The object with this id; null for id 0 and for ids past the bank.
  T* Get(uint16_t id) const {
    if (id == 0 || id > GetWidth()) return nullptr;
    return static_cast<T*>(GetItem(static_cast<uint16_t>(id - 1), 0));
  }
};

}  // namespace Arrays
