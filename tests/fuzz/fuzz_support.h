// What the fuzz targets share: one private directory for the files a reader
// is handed, and the way a broken promise of the code is reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "world/maps.h"

namespace fuzz {

// Whether two maps hold the same level: size, tile size, names and planes
// (trailing bytes after the planes do not count).
inline bool SameMap(const maps::TMapFile& a, const maps::TMapFile& b) {
  return a.Width == b.Width && a.Height == b.Height && a.TileSize == b.TileSize && a.Names == b.Names &&
         a.Tiles == b.Tiles && a.Content == b.Content && a.Reserved == b.Reserved && a.KeyCodes == b.KeyCodes;
}

// A private directory for this process, with its final "/"; created at the
// first call and removed with everything in it when the process ends
// normally.
const std::string& WorkDir();

// Writes the bytes as the whole file at `path`; aborts when it cannot.
void WriteFile(const std::string& path, const uint8_t* data, size_t size);

// Reads a whole file; empty when it does not exist.
std::string ReadFile(const std::string& path);

// Reports that the code broke one of its own promises on this input and
// aborts, which the fuzzer records as a finding.
[[noreturn]] void Broken(const std::string& what);

}  // namespace fuzz

// The entry points libFuzzer calls (the corpus driver calls them too).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
