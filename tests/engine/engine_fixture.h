// A clean engine for each test: a temporary ProgramDir in development mode,
// the frame-buffer driver with an 800 x 600 screen on SDL's dummy drivers,
// a hand-driven clock, and helpers to write media and read the screen back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/game.h"
#include "resources/datafile.h"
#include "resources/startup.h"
#include "tests/engine/test_media.h"

namespace enginetest {

using testmedia::TPicture;
using testmedia::TRgb;

constexpr int ScreenWidth = 800;
constexpr int ScreenHeight = 600;
constexpr uint32_t ClockStart = 1000;

// The clock Flip reads while a test runs; tests move it by hand.
inline uint32_t Now = ClockStart;
inline uint32_t FakeClock() { return Now; }

// 8-bit channel values that a 16-bit screen (5 bits red and blue, 6 bits
// green) stores and reads back unchanged: k in 0..31 and 0..63.
inline uint8_t Exact5(int k) { return static_cast<uint8_t>((k << 3) | (k >> 2)); }
inline uint8_t Exact6(int k) { return static_cast<uint8_t>((k << 2) | (k >> 4)); }

constexpr TRgb Black{0, 0, 0};
constexpr TRgb White{255, 255, 255};
constexpr TRgb Red{255, 0, 0};
constexpr TRgb Green{0, 255, 0};
constexpr TRgb Blue{0, 0, 255};
// Stored as 0 by a 16-bit screen, yet not the colour key black.
constexpr TRgb NearBlack{7, 3, 7};

// A whole screen read back, 8-bit RGB.
struct TShot {
  int w = 0;
  int h = 0;
  std::vector<uint8_t> rgb;
  TRgb at(int x, int y) const {
    const size_t i = (static_cast<size_t>(y) * w + x) * 3;
    return TRgb{rgb[i], rgb[i + 1], rgb[i + 2]};
  }
  bool operator==(const TShot&) const = default;
};

// The number of pixels in which two shots of the same size differ; the
// first few are reported as failures, under `what`.
inline int DifferingPixels(const TShot& a, const TShot& b, const std::string& what) {
  int differing = 0;
  for (int y = 0; y < a.h; ++y) {
    for (int x = 0; x < a.w; ++x) {
      const TRgb p = a.at(x, y);
      const TRgb q = b.at(x, y);
      if (p == q || differing++ >= 5) continue;
      ADD_FAILURE() << what << ": pixel " << x << "," << y << ": (" << int(p.r) << ", " << int(p.g) << ", " << int(p.b)
                    << ") against (" << int(q.r) << ", " << int(q.g) << ", " << int(q.b) << ")";
    }
  }
  return differing;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resources::ProgramDir = dir.Slash();
    resources::DevelopMode = true;
    Now = ClockStart;
    game::SetTickSource(FakeClock);
    game::SetLiteralDrawing(false);
    game::SetOwnBlending(true);
    game::SetSoundObserver(nullptr);
    game::SetFrameBufferDepth(16);
    game::SetScreenComposing(true);
    game::SetVideoDriver(game::vdFrameBuffer);
    game::Init("engine test", "icon");
    ASSERT_TRUE(game::SetVideoMode(ScreenWidth, ScreenHeight, false)) << game::LastVideoError();
    game::ResetParticles();
  }

  void TearDown() override {
    game::Shutdown();
    game::SetTickSource(nullptr);
    game::SetLiteralDrawing(false);
    game::SetOwnBlending(true);
    game::SetSoundObserver(nullptr);
    game::SetFrameBufferDepth(16);
    game::SetScreenComposing(true);
  }

  // Writes Sprites/<name>.bmp under ProgramDir.
  void WriteSprite(const std::string& name, const TPicture& picture) {
    testmedia::WriteFile(dir.Slash() + "Sprites/" + name + ".bmp", testmedia::Bmp24(picture));
  }
  uint16_t LoadPicture(const std::string& name, const TPicture& picture) {
    WriteSprite(name, picture);
    return game::LoadSprite(name, game::RGB(0, 0, 0));
  }

  // Packs `bytes` as the loose file <fileName> into <folder>/ under
  // ProgramDir (fileName's extension is the one the packed file records).
  void Pack(const std::string& fileName, const std::vector<uint8_t>& bytes, const std::string& folder) {
    const std::string loose = dir.Slash() + "loose/" + fileName;
    testmedia::WriteFile(loose, bytes);
    std::filesystem::create_directories(dir.Slash() + folder);
    resources::PackDataFile(loose, dir.Slash() + folder + "/");
  }

  static TShot Shot() {
    TShot shot;
    EXPECT_TRUE(game::ReadScreen(shot.rgb, shot.w, shot.h));
    return shot;
  }
  static TRgb At(int x, int y) { return Shot().at(x, y); }
  static void Paint(TRgb colour) {
    game::FillRect(0, 0, ScreenWidth, ScreenHeight, game::RGB(colour.r, colour.g, colour.b));
  }

  vxtest::TempDir dir;
};

}  // namespace enginetest

namespace testmedia {
inline void PrintTo(const TRgb& c, std::ostream* os) {
  *os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}
}  // namespace testmedia
