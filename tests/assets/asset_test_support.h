// Reading the generated files back, independently of the generator's code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/binary_io.h"

namespace assettest {

inline const std::string kInstallDir = VEXMOOR_TEST_INSTALL_DIR;

inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
inline uint16_t Le16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }

// A 24-bit BMP read from its bytes; `error` says what is wrong, empty if
// nothing.
struct Bmp {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // top row first
  std::string error;
  const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

inline Bmp ParseBmp(const std::vector<uint8_t>& b) {
  Bmp bmp;
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return bmp.error = "no BM header", bmp;
  if (Le32(b, 14) < 40) return bmp.error = "old-style info header", bmp;
  if (Le16(b, 28) != 24) return bmp.error = "not 24 bits per pixel", bmp;
  if (Le32(b, 30) != 0) return bmp.error = "compressed", bmp;
  const int32_t w = static_cast<int32_t>(Le32(b, 18)), h = static_cast<int32_t>(Le32(b, 22));
  if (w <= 0 || h <= 0) return bmp.error = "not a bottom-up image of positive size", bmp;
  const size_t row = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
  const size_t offset = Le32(b, 10);
  if (offset + row * h > b.size()) return bmp.error = "pixel rows cut short", bmp;
  bmp.width = w, bmp.height = h;
  bmp.rgb.resize(static_cast<size_t>(w) * h * 3);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = &b[offset + row * (h - 1 - y)];
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &bmp.rgb[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = src[3 * x + 2], p[1] = src[3 * x + 1], p[2] = src[3 * x];
    }
  }
  return bmp;
}

// Black on a 5-6-5 screen without being black in the file.
inline bool NearBlack(const uint8_t* p) {
  return p[0] < 8 && p[1] < 4 && p[2] < 8 && (p[0] | p[1] | p[2]) != 0;
}
inline bool PureBlack(const uint8_t* p) { return (p[0] | p[1] | p[2]) == 0; }

}  // namespace assettest
