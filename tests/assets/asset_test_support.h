// Reading the generated files back, independently of the generator's code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "resources/binary_io.h"

namespace assettest {

inline const std::string kInstallDir = VEXMOOR_TEST_INSTALL_DIR;

// Sprite ids 1 to 44 in the game's load order (index 0 is id 1).
inline std::vector<std::string> FixedSpriteNames() {
  std::vector<std::string> names = {"grass", "grass", "grass", "grass", "cdoor", "cdoor", "keycard", "medkit",
                                    "ammo", "odoor", "odoor", "mine_active", "mine_inactive", "grass",
                                    "player_shadow"};
  for (const char* facing : {"u", "r", "d", "l"}) {
    for (const char* frame : {"m", "l1", "r1", "r2"}) names.push_back(std::string("player_") + facing + "_" + frame);
  }
  for (const char* name : {"start", "lives", "pixel", "go", "1", "2", "3", "next_level", "game_over"}) {
    names.push_back(name);
  }
  for (const char* facing : {"u", "r", "d", "l"}) names.push_back(std::string("player_") + facing + "_fire");
  return names;
}

// The ground pictures of level 1's list, in order; they follow as 45 on.
inline const std::vector<std::string> kGroundNames = {"floor", "floor_worn", "floor_grate", "floor_moss",
                                                      "wall",  "wall_panel", "exit",        "floor_hazard"};

// Sound ids 1 to 9 in load order.
inline const std::vector<std::string> kSoundNames = {"step", "health", "keys",  "ammo", "door",
                                                     "end",  "mine",   "enter", "gun3r"};

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
