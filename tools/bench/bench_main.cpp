// vexmoor-bench: times the busiest frame of play drawn into the 800 x 600
// 16-bit frame buffer (SDL's dummy video driver), once with the engine's
// converted pictures and once the literal way (the loaded 24-bit pictures,
// key and alpha set on every draw, a new surface per filled rectangle), and
// checks that both ways draw the same picture. Its pictures are made here,
// in a temporary directory, so it needs none of the game's files.
//
// The frame: 11 x 9 opaque ground tiles and as many keyed objects, the
// player (shadow at alpha 64, keyed figure), the status panel (6 labels,
// 4 value boxes, 3 bars, score and level, 3 life icons), the inventory
// (label, 4 white boxes, 4 keycards) and 16 bursts of 16 translucent
// particles.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <numbers>
#include <vector>

#include "engine/game.h"
#include "resources/startup.h"
#include "tests/engine/test_media.h"
#include "tools/bench/pacing.h"

namespace {

using testmedia::TPicture;
using testmedia::TRgb;

constexpr int ScreenWidth = 800;
constexpr int ScreenHeight = 600;
constexpr int Cell = 96;
constexpr int ViewColumns = 11;
constexpr int ViewRows = 9;
constexpr int WarmUpFrames = 20;
constexpr int TimedFrames = 200;
constexpr int Bursts = 16;
constexpr int ParticlesPerBurst = 16;

// Deterministic pixel noise, so every run draws the same pictures.
uint32_t Noise(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

TRgb NoiseColour(uint32_t& state) {
  const uint32_t n = Noise(state);
  return TRgb{static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16)};
}

// A ground tile: noisy colours with a few black patches.
TPicture Ground(uint32_t seed) {
  TPicture p(Cell, Cell);
  for (TRgb& c : p.pixels) c = NoiseColour(seed);
  p.Fill(10, 10, 20, 12, TRgb{0, 0, 0});
  p.Fill(60, 70, 8, 8, TRgb{0, 0, 0});
  return p;
}

// An object: a coloured shape on black (the key), with near-black edges.
TPicture Object(uint32_t seed, int inset) {
  TPicture p(Cell, Cell);
  for (int y = inset; y < Cell - inset; ++y) {
    for (int x = inset; x < Cell - inset; ++x) {
      const int dx = x - Cell / 2;
      const int dy = y - Cell / 2;
      if (dx * dx + dy * dy < (Cell / 2 - inset) * (Cell / 2 - inset)) p.at(x, y) = NoiseColour(seed);
    }
  }
  for (int x = inset; x < Cell - inset; ++x) p.at(x, Cell / 2) = TRgb{5, 3, 6};
  return p;
}

TPicture Dot(int size) {
  TPicture p(size, size, TRgb{255, 200, 40});
  p.at(0, 0) = p.at(size - 1, 0) = p.at(0, size - 1) = p.at(size - 1, size - 1) = TRgb{0, 0, 0};
  return p;
}

// A font of 8 x 14 glyphs, 16 to a row, with its glyph table.
std::vector<uint8_t> Font() {
  constexpr int GlyphW = 8;
  constexpr int GlyphH = 14;
  TPicture p(16 * GlyphW, 8 * GlyphH);
  uint32_t seed = 77;
  for (TRgb& c : p.pixels) c = Noise(seed) % 3 == 0 ? TRgb{255, 255, 255} : TRgb{0, 0, 0};
  testmedia::TGlyphTable table{};
  for (uint32_t c = 0; c < 128; ++c) table[c] = {c % 16 * GlyphW, c / 16 * GlyphH, GlyphW, GlyphH};
  return testmedia::FontFile(p, table);
}

struct TIds {
  uint16_t ground[4], object[4], shadow, player, lives, keycard, particle, font;
};

TIds LoadMedia(const std::string& dir) {
  auto sprite = [&](const std::string& name, const TPicture& picture) {
    testmedia::WriteFile(dir + "Sprites/" + name + ".bmp", testmedia::Bmp24(picture));
    return game::LoadSprite(name, game::RGB(0, 0, 0));
  };
  TIds ids{};
  for (int i = 0; i < 4; ++i) {
    ids.ground[i] = sprite("ground" + std::to_string(i), Ground(100 + i));
    ids.object[i] = sprite("object" + std::to_string(i), Object(200 + i, 8 + 6 * i));
  }
  ids.shadow = sprite("shadow", Object(300, 20));
  ids.player = sprite("player", Object(301, 14));
  ids.lives = sprite("lives", Object(302, 30));
  ids.keycard = sprite("keycard", Object(303, 28));
  ids.particle = sprite("particle", Dot(8));
  testmedia::WriteFile(dir + "Fonts/bench.fnt", Font());
  ids.font = game::LoadFont("bench");
  return ids;
}

void DrawFrame(const TIds& ids) {
  constexpr int ScrollX = 40;
  constexpr int ScrollY = 24;
  for (int i = 0; i < ViewColumns; ++i) {
    for (int j = 0; j < ViewRows; ++j) {
      game::Draw(static_cast<int16_t>(i * Cell - Cell + ScrollX), static_cast<int16_t>(j * Cell - Cell + ScrollY),
                 ids.ground[(i + j) % 4]);
    }
  }
  for (int i = 0; i < ViewColumns; ++i) {
    for (int j = 0; j < ViewRows; ++j) {
      game::DrawKeyed(static_cast<int16_t>(i * Cell - Cell + ScrollX), static_cast<int16_t>(j * Cell - Cell + ScrollY),
                      ids.object[(i * 3 + j) % 4]);
    }
  }
  game::DrawAlpha(288, 192, ids.shadow, 64);
  game::DrawKeyed(288, 192, ids.player);

  const char* labels[] = {"Score", "Health", "Ammo", "Skill", "Level", "Lives"};
  for (int k = 0; k < 6; ++k) game::DrawText(595, static_cast<int16_t>(25 + 30 * k), ids.font, 192, labels[k]);
  const game::TColor boxes[] = {game::RGBA(0, 255, 0, 64), game::RGBA(0, 0, 255, 64), game::RGBA(255, 0, 0, 64),
                                game::RGBA(255, 255, 0, 64)};
  for (int k = 0; k < 4; ++k) game::FillRect(650, static_cast<int16_t>(20 + 30 * k), 100, 20, boxes[k]);
  game::DrawText(652, 25, ids.font, 192, "123450");
  for (int k = 1; k < 4; ++k) {
    const game::TColor bar{boxes[k].R, boxes[k].G, boxes[k].B, 96};
    game::FillRect(650, static_cast<int16_t>(20 + 30 * k), 100, 20, bar);
  }
  game::DrawText(652, 145, ids.font, 192, "4");
  for (int k = 0; k < 3; ++k) game::DrawAlpha(static_cast<int16_t>(647 + 35 * k), 170, ids.lives, 176);

  game::DrawText(20, 480, ids.font, 192, "Inventory");
  for (int k = 0; k < 4; ++k) game::FillRect(static_cast<int16_t>(20 + 60 * k), 500, 48, 48, game::RGBA(255, 255, 255, 64));
  for (int k = 0; k < 4; ++k) game::DrawKeyed(static_cast<int16_t>(60 * k - 4), 476, ids.keycard);

  // Sixteen bursts, each twelve frames old.
  constexpr int Age = 12;
  for (int b = 0; b < Bursts; ++b) {
    const int centreX = 80 + (b % 4) * 200;
    const int centreY = 90 + (b / 4) * 140;
    for (int j = 0; j < ParticlesPerBurst; ++j) {
      const int speed = 1 + (b + j) % 4;
      const double angle = std::numbers::pi * 2 / 16 * j;
      game::DrawAlpha(static_cast<int16_t>(centreX + static_cast<int>(std::cos(angle) * speed * Age)),
                      static_cast<int16_t>(centreY + static_cast<int>(std::sin(angle) * speed * Age)), ids.particle,
                      static_cast<uint8_t>(255 - 8 * Age));
    }
  }
}

// The processor time this thread has used, in ms: unlike the wall clock it
// does not count the time other programs on a busy machine hold the CPU.
double ThreadMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

uint32_t Clock = 0;
// Every Flip finds a frame due.
uint32_t FastClock() { return Clock += 1000; }

// Draws and presents frames; returns the median drawing time in ms (the
// present and the clearing to black are not counted).
double MedianFrameMs(const TIds& ids, bool literal) {
  game::SetLiteralDrawing(literal);
  std::vector<double> times;
  for (int frame = 0; frame < WarmUpFrames + TimedFrames; ++frame) {
    const double start = ThreadMs();
    DrawFrame(ids);
    const double end = ThreadMs();
    game::Flip();
    if (frame >= WarmUpFrames) times.push_back(end - start);
  }
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

std::vector<uint8_t> FramePicture(const TIds& ids, bool literal) {
  game::SetLiteralDrawing(literal);
  DrawFrame(ids);
  std::vector<uint8_t> rgb;
  int w = 0;
  int h = 0;
  game::ReadScreen(rgb, w, h);
  game::Flip();
  return rgb;
}

}  // namespace

int main() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  testmedia::TTempDir dir;
  resources::ProgramDir = dir.Path();
  resources::DevelopMode = true;
  game::SetTickSource(FastClock);
  game::SetVideoDriver(game::vdFrameBuffer);
  game::Init("vexmoor-bench", "none");
  if (!game::SetVideoMode(ScreenWidth, ScreenHeight, false)) {
    std::fprintf(stderr, "vexmoor-bench: no video surface: %s\n", game::LastVideoError().c_str());
    game::Shutdown();
    return 1;
  }
  const TIds ids = LoadMedia(dir.Path());
  if (ids.font == 0 || ids.particle == 0) {
    std::fprintf(stderr, "vexmoor-bench: the test pictures did not load\n");
    game::Shutdown();
    return 1;
  }
  const bool same = FramePicture(ids, false) == FramePicture(ids, true);
  std::printf("frames: %d timed after %d warm-up, %dx%d 16-bit frame buffer, drawing time in thread CPU time\n",
              TimedFrames, WarmUpFrames, ScreenWidth, ScreenHeight);
  std::printf("both ways draw the same picture: %s\n", same ? "yes" : "NO");
  const double fast = MedianFrameMs(ids, false);
  const double literal = MedianFrameMs(ids, true);
  game::SetLiteralDrawing(false);
  game::Shutdown();
  std::printf("speed-up: %.1fx\n", literal / fast);
  bench::ReportPacing();
  std::printf("frame-buffer play frame: %.3f ms median; literal: %.3f ms median\n", fast, literal);
  return same ? 0 : 1;
}
