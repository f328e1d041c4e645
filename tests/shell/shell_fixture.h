// A clean game for one test: the engine started on SDL's dummy drivers with
// an 800 x 600 frame buffer and no resources loaded (drawing with ids that
// were never loaded draws nothing), the game variables as after NewGame in
// the play state, a map drawn in ASCII, and every requested sound recorded.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"
#include "world/maps.h"

namespace shelltest {

struct TRgb {
  int r, g, b;
};

// Writes a size x size 24-bit BMP of one colour; with trailingBytes zero
// bytes after the picture (a font's glyph table).
void WriteBmp(const std::string& path, int size, TRgb colour, size_t trailingBytes = 0);
// Writes a short 16-bit mono PCM WAV of silence.
void WriteWav(const std::string& path);

class ShellFixture : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes Map from rows of characters, top row first, all rows as wide as
  // the first. The characters are the level text's content characters
  // (leveltext::ContentChar: '.' empty, 'S' start, 'E' exit, '#' wall,
  // 'D'/'d' closed doors, 'K' keycard, 'M' medkit, 'A' ammunition, 'O'/'o'
  // open doors, '*' armed mine, 'x' spent mine), and PlayerChar for the
  // player standing on an empty cell.
  void BuildMap(const std::vector<std::string>& rows);
  static constexpr char PlayerChar = '@';
  // The content code a map character stands for; throws
  // std::invalid_argument for a character that stands for none.
  static uint8_t LegendContent(char c);
  static maps::CSector* Cell(int x, int y);
  // Puts the player at rest on map cell (x, y).
  static void PlacePlayer(int x, int y);
  static int PlayerX();
  static int PlayerY();
  // The sector at offset (dx, dy) from the player.
  static maps::CSector* Near(int dx, int dy);

  static void Hold(uint16_t key);
  static void Release(uint16_t key);
  // Runs the main loop's per-frame work n times.
  static void Frames(int n);

  // Writes Map as the loose level file Maps/<name>.map in the test's
  // program directory (development mode is on).
  void WriteLevel(const std::string& name);

  // The test's program directory, with its final "/".
  std::string ProgramDir;

 private:
  std::unique_ptr<vxtest::TempDir> temp_;

 public:
  // Sounds the rules asked for since the test began (or the last clear).
  static std::vector<uint16_t> Sounds;
};

}  // namespace shelltest
