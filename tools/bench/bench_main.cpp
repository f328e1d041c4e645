// vexmoor-bench: times the busiest frame of play drawn into the 800 x 600
// 16-bit frame buffer (SDL's dummy video driver), on whichever SDL 1.2
// library is loaded:
//
// - the engine's way (converted pictures, its own blending where it
//   recognises the library's arithmetic);
// - the same with every translucent draw handed to SDL;
// - the literal way (the loaded 24-bit pictures, key and alpha set on every
//   draw, a new surface per filled rectangle);
// - a bound: memcpy of as many bytes as the frame writes, overdraw included,
//   into the same screen.
//
// It also draws the frame on a 32-bit screen, as a browser gives: at 16 bits
// and converted at each present, against drawn straight onto it.
//
// It checks that every way draws the same picture. Its pictures are made
// here, in a temporary directory, so it needs none of the game's files.
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
#include <cstring>
#include <ctime>
#include <iterator>
#include <numbers>
#include <string>
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
constexpr int BytesPerPixel = 2;
constexpr int Cell = 96;
constexpr int ViewColumns = 11;
constexpr int ViewRows = 9;
constexpr int Rounds = 4;
constexpr int WarmUpFrames = 5;  // before each block of a round
constexpr int TimedFrames = 200;
constexpr int Bursts = 16;
constexpr int ParticlesPerBurst = 16;
constexpr int GlyphW = 8;
constexpr int GlyphH = 14;
constexpr TRgb Key{0, 0, 0};

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
  p.Fill(10, 10, 20, 12, Key);
  p.Fill(60, 70, 8, 8, Key);
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
  p.at(0, 0) = p.at(size - 1, 0) = p.at(0, size - 1) = p.at(size - 1, size - 1) = Key;
  return p;
}

// A font image of 8 x 14 glyphs, 16 to a row; glyph c at (c % 16, c / 16).
TPicture FontImage() {
  TPicture p(16 * GlyphW, 8 * GlyphH);
  uint32_t seed = 77;
  for (TRgb& c : p.pixels) c = Noise(seed) % 3 == 0 ? TRgb{255, 255, 255} : Key;
  return p;
}

std::vector<uint8_t> FontFile(const TPicture& image) {
  testmedia::TGlyphTable table{};
  for (uint32_t c = 0; c < 128; ++c) table[c] = {c % 16 * GlyphW, c / 16 * GlyphH, GlyphW, GlyphH};
  return testmedia::FontFile(image, table);
}

// The pictures, kept to count the pixels each draw writes.
struct TMedia {
  std::vector<TPicture> pictures;  // index id - 1
  TPicture fontImage{1, 1};
  uint16_t font = 0;
  uint16_t ground[4] = {}, object[4] = {}, shadow = 0, player = 0, lives = 0, keycard = 0, particle = 0;
};

TMedia LoadMedia(const std::string& dir) {
  TMedia m;
  auto sprite = [&](const std::string& name, const TPicture& picture) {
    testmedia::WriteFile(dir + "Sprites/" + name + ".bmp", testmedia::Bmp24(picture));
    const uint16_t id = game::LoadSprite(name, game::RGB(Key.r, Key.g, Key.b));
    if (id != 0) m.pictures.push_back(picture);
    return id;
  };
  for (int i = 0; i < 4; ++i) {
    m.ground[i] = sprite("ground" + std::to_string(i), Ground(100 + i));
    m.object[i] = sprite("object" + std::to_string(i), Object(200 + i, 8 + 6 * i));
  }
  m.shadow = sprite("shadow", Object(300, 20));
  m.player = sprite("player", Object(301, 14));
  m.lives = sprite("lives", Object(302, 30));
  m.keycard = sprite("keycard", Object(303, 28));
  m.particle = sprite("particle", Dot(8));
  m.fontImage = FontImage();
  testmedia::WriteFile(dir + "Fonts/bench.fnt", FontFile(m.fontImage));
  m.font = game::LoadFont("bench");
  return m;
}

// One drawing call of the frame.
struct TDraw {
  enum TKind { Opaque, Keyed, Alpha, Fill, Text } kind;
  int16_t x, y;
  uint16_t id;  // sprite id
  uint8_t alpha;
  uint16_t w, h;  // Fill
  game::TColor colour;  // Fill
  std::string text;
};

std::vector<TDraw> PlayFrame(const TMedia& m) {
  std::vector<TDraw> frame;
  auto sprite = [&](TDraw::TKind kind, int x, int y, uint16_t id, uint8_t alpha = 255) {
    frame.push_back(TDraw{kind, static_cast<int16_t>(x), static_cast<int16_t>(y), id, alpha, 0, 0, {}, {}});
  };
  auto fill = [&](int x, int y, uint16_t w, uint16_t h, game::TColor colour) {
    frame.push_back(TDraw{TDraw::Fill, static_cast<int16_t>(x), static_cast<int16_t>(y), 0, colour.A, w, h, colour, {}});
  };
  auto text = [&](int x, int y, const char* s) {
    frame.push_back(TDraw{TDraw::Text, static_cast<int16_t>(x), static_cast<int16_t>(y), m.font, 192, 0, 0, {}, s});
  };
  constexpr int ScrollX = 40;
  constexpr int ScrollY = 24;
  for (int i = 0; i < ViewColumns; ++i) {
    for (int j = 0; j < ViewRows; ++j) sprite(TDraw::Opaque, i * Cell - Cell + ScrollX, j * Cell - Cell + ScrollY, m.ground[(i + j) % 4]);
  }
  for (int i = 0; i < ViewColumns; ++i) {
    for (int j = 0; j < ViewRows; ++j) {
      sprite(TDraw::Keyed, i * Cell - Cell + ScrollX, j * Cell - Cell + ScrollY, m.object[(i * 3 + j) % 4]);
    }
  }
  sprite(TDraw::Alpha, 288, 192, m.shadow, 64);
  sprite(TDraw::Keyed, 288, 192, m.player);

  const char* labels[] = {"Score", "Health", "Ammo", "Skill", "Level", "Lives"};
  for (int k = 0; k < 6; ++k) text(595, 25 + 30 * k, labels[k]);
  const game::TColor boxes[] = {game::RGBA(0, 255, 0, 64), game::RGBA(0, 0, 255, 64), game::RGBA(255, 0, 0, 64),
                                game::RGBA(255, 255, 0, 64)};
  for (int k = 0; k < 4; ++k) fill(650, 20 + 30 * k, 100, 20, boxes[k]);
  text(652, 25, "123450");
  for (int k = 1; k < 4; ++k) fill(650, 20 + 30 * k, 100, 20, game::RGBA(boxes[k].R, boxes[k].G, boxes[k].B, 96));
  text(652, 145, "4");
  for (int k = 0; k < 3; ++k) sprite(TDraw::Alpha, 647 + 35 * k, 170, m.lives, 176);

  text(20, 480, "Inventory");
  for (int k = 0; k < 4; ++k) fill(20 + 60 * k, 500, 48, 48, game::RGBA(255, 255, 255, 64));
  for (int k = 0; k < 4; ++k) sprite(TDraw::Keyed, 60 * k - 4, 476, m.keycard);

  // Sixteen bursts, each twelve frames old.
  constexpr int Age = 12;
  for (int b = 0; b < Bursts; ++b) {
    const int centreX = 80 + (b % 4) * 200;
    const int centreY = 90 + (b / 4) * 140;
    for (int j = 0; j < ParticlesPerBurst; ++j) {
      const int speed = 1 + (b + j) % 4;
      const double angle = std::numbers::pi * 2 / 16 * j;
      sprite(TDraw::Alpha, centreX + static_cast<int>(std::cos(angle) * speed * Age),
             centreY + static_cast<int>(std::sin(angle) * speed * Age), m.particle, static_cast<uint8_t>(255 - 8 * Age));
    }
  }
  return frame;
}

void DrawFrame(const std::vector<TDraw>& frame) {
  for (const TDraw& d : frame) {
    switch (d.kind) {
      case TDraw::Opaque: game::Draw(d.x, d.y, d.id); break;
      case TDraw::Keyed: game::DrawKeyed(d.x, d.y, d.id); break;
      case TDraw::Alpha: game::DrawAlpha(d.x, d.y, d.id, d.alpha); break;
      case TDraw::Fill: game::FillRect(d.x, d.y, d.w, d.h, d.colour); break;
      case TDraw::Text: game::DrawText(d.x, d.y, d.id, d.alpha, d.text.c_str()); break;
    }
  }
}

// Pixels of a w x h area drawn at (x, y) that land on the screen.
long VisiblePixels(int x, int y, int w, int h) {
  const long columns = std::max(0, std::min(x + w, ScreenWidth) - std::max(x, 0));
  const long rows = std::max(0, std::min(y + h, ScreenHeight) - std::max(y, 0));
  return columns * rows;
}

// Pixels of the area (sx, sy, w, h) of a picture drawn keyed at (x, y) that
// land on the screen and are not the key.
long KeyedPixels(const TPicture& p, int sx, int sy, int w, int h, int x, int y) {
  long n = 0;
  for (int row = 0; row < h; ++row) {
    for (int column = 0; column < w; ++column) {
      if (VisiblePixels(x + column, y + row, 1, 1) == 1 && !(p.at(sx + column, sy + row) == Key)) ++n;
    }
  }
  return n;
}

// The bytes the frame writes into the screen, overdraw included.
long FrameBytes(const std::vector<TDraw>& frame, const TMedia& m) {
  long pixels = 0;
  for (const TDraw& d : frame) {
    switch (d.kind) {
      case TDraw::Opaque: {
        const TPicture& p = m.pictures[d.id - 1];
        pixels += VisiblePixels(d.x, d.y, p.w, p.h);
        break;
      }
      case TDraw::Keyed:
      case TDraw::Alpha: {
        const TPicture& p = m.pictures[d.id - 1];
        pixels += KeyedPixels(p, 0, 0, p.w, p.h, d.x, d.y);
        break;
      }
      case TDraw::Fill:
        pixels += VisiblePixels(d.x, d.y, d.w, d.h);
        break;
      case TDraw::Text:
        for (size_t i = 0; i < d.text.size(); ++i) {
          const int c = static_cast<unsigned char>(d.text[i]);
          pixels += KeyedPixels(m.fontImage, c % 16 * GlyphW, c / 16 * GlyphH, GlyphW, GlyphH,
                                d.x + static_cast<int>(i) * GlyphW, d.y);
        }
        break;
    }
  }
  return pixels * BytesPerPixel;
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

double Median(std::vector<double> times) {
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

// The ways a frame is drawn, and the copy it is measured against.
enum class TWay { Engine, SdlBlending, Literal, Bound };

void Select(TWay way) {
  game::SetLiteralDrawing(way == TWay::Literal);
  game::SetOwnBlending(way != TWay::SdlBlending);
}

// The median times of one frame drawn each way and of the bound, in ms.
struct TTimes {
  double engine, handed, literal, bound;
  // The engine's frame and the bound, round by round: a machine whose
  // processor slows down for a while (a virtual machine's host busy
  // elsewhere) shows it here, the frame slower and the copy much less so.
  std::vector<double> engineRounds, boundRounds;
};

// Each way (and the bound) runs in blocks of back-to-back frames, as a game
// draws them, so that a way meets the caches its own previous frame left;
// the blocks take turns, so that all four meet the same load on a busy
// machine. Every frame follows a present, which clears the screen; neither
// is counted.
TTimes MedianTimes(const std::vector<TDraw>& frame, long bytes) {
  const std::vector<uint8_t> from(static_cast<size_t>(ScreenWidth) * ScreenHeight * BytesPerPixel, 0x5A);
  constexpr TWay Ways[] = {TWay::Engine, TWay::SdlBlending, TWay::Literal, TWay::Bound};
  std::vector<double> times[std::size(Ways)];
  TTimes t{};
  for (int round = 0; round < Rounds; ++round) {
    for (const TWay way : Ways) {
      std::vector<double>& wayTimes = times[static_cast<int>(way)];
      if (way != TWay::Bound) Select(way);
      for (int n = 0; n < WarmUpFrames + TimedFrames / Rounds; ++n) {
        const double start = ThreadMs();
        if (way == TWay::Bound) {
          game::CopyBytesToScreen(from.data(), static_cast<size_t>(bytes));
        } else {
          DrawFrame(frame);
        }
        const double end = ThreadMs();
        game::Flip();
        if (n >= WarmUpFrames) wayTimes.push_back(end - start);
      }
      const double roundMedian = Median(std::vector<double>(wayTimes.end() - TimedFrames / Rounds, wayTimes.end()));
      if (way == TWay::Engine) t.engineRounds.push_back(roundMedian);
      if (way == TWay::Bound) t.boundRounds.push_back(roundMedian);
    }
  }
  t.engine = Median(times[static_cast<int>(TWay::Engine)]);
  t.handed = Median(times[static_cast<int>(TWay::SdlBlending)]);
  t.literal = Median(times[static_cast<int>(TWay::Literal)]);
  t.bound = Median(times[static_cast<int>(TWay::Bound)]);
  return t;
}

// The screens of the 32-bit comparison: the game's 16-bit one, a 32-bit one
// drawn at 16 bits and converted at each present, and a 32-bit one drawn
// on straight.
enum class TScreen { Game, Composed, Straight };

bool OpenScreen(TScreen screen) {
  game::SetFrameBufferDepth(screen == TScreen::Game ? 16 : 32);
  game::SetScreenComposing(screen != TScreen::Straight);
  return game::SetVideoMode(ScreenWidth, ScreenHeight, false);
}

// Median drawing and present times, in ms, of the frame on each screen.
struct TDeepTimes {
  double gamePresent, composedFrame, composedPresent, straightFrame, straightLiteral, straightPresent;
};

// Blocks of frames taking turns, as in MedianTimes; a block's first frames
// after its SetVideoMode (which remakes the pictures' copies) are not
// counted.
TDeepTimes DeepScreenTimes(const std::vector<TDraw>& frame) {
  struct TBlock {
    TScreen screen;
    TWay way;
  };
  constexpr TBlock Blocks[] = {{TScreen::Game, TWay::Engine},
                               {TScreen::Composed, TWay::Engine},
                               {TScreen::Straight, TWay::Engine},
                               {TScreen::Straight, TWay::Literal}};
  std::vector<double> draws[std::size(Blocks)];
  std::vector<double> presents[std::size(Blocks)];
  for (int round = 0; round < Rounds; ++round) {
    for (size_t b = 0; b < std::size(Blocks); ++b) {
      OpenScreen(Blocks[b].screen);
      Select(Blocks[b].way);
      for (int n = 0; n < WarmUpFrames + TimedFrames / Rounds; ++n) {
        const double start = ThreadMs();
        DrawFrame(frame);
        const double drawn = ThreadMs();
        game::Flip();
        const double presented = ThreadMs();
        if (n < WarmUpFrames) continue;
        draws[b].push_back(drawn - start);
        presents[b].push_back(presented - drawn);
      }
    }
  }
  OpenScreen(TScreen::Game);
  Select(TWay::Engine);
  return TDeepTimes{Median(presents[0]), Median(draws[1]), Median(presents[1]),
                    Median(draws[2]),    Median(draws[3]), Median(presents[2])};
}

std::vector<uint8_t> FramePicture(const std::vector<TDraw>& frame, TWay way) {
  Select(way);
  DrawFrame(frame);
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
  vxtest::TempDir dir;
  resources::ProgramDir = dir.Slash();
  resources::DevelopMode = true;
  game::SetTickSource(FastClock);
  game::SetVideoDriver(game::vdFrameBuffer);
  game::Init("vexmoor-bench", "none");
  if (!game::SetVideoMode(ScreenWidth, ScreenHeight, false)) {
    std::fprintf(stderr, "vexmoor-bench: no video surface: %s\n", game::LastVideoError().c_str());
    game::Shutdown();
    return 1;
  }
  const TMedia media = LoadMedia(dir.Slash());
  if (media.font == 0 || media.particle == 0 || media.pictures.size() != 13) {
    std::fprintf(stderr, "vexmoor-bench: the test pictures did not load\n");
    game::Shutdown();
    return 1;
  }
  const std::vector<TDraw> frame = PlayFrame(media);
  const long bytes = FrameBytes(frame, media);

  const std::vector<uint8_t> literalPicture = FramePicture(frame, TWay::Literal);
  const bool same = FramePicture(frame, TWay::Engine) == literalPicture;
  const bool sameHanded = FramePicture(frame, TWay::SdlBlending) == literalPicture;
  Select(TWay::Engine);
  std::printf("runtime: SDL %s; %s\n", game::LinkedSdlVersion().c_str(), game::BlendingRule().c_str());
  std::printf("frames: %d of each way and of the bound, in %d rounds of blocks after %d warm-up each, %dx%d 16-bit "
              "frame buffer, thread CPU time\n",
              TimedFrames, Rounds, WarmUpFrames, ScreenWidth, ScreenHeight);
  std::printf("the frame writes %ld bytes (%.2f screens)\n", bytes,
              static_cast<double>(bytes) / (ScreenWidth * ScreenHeight * BytesPerPixel));
  std::printf("both ways draw the same picture: %s\n", same ? "yes" : "NO");
  const TTimes t = MedianTimes(frame, bytes);
  const bool opened = OpenScreen(TScreen::Composed);
  const bool sameComposed = opened && FramePicture(frame, TWay::Engine) == literalPicture;
  const TDeepTimes deep = DeepScreenTimes(frame);
  game::Shutdown();
  std::printf("translucent draws handed to SDL: %.3f ms median; same picture: %s\n", t.handed, sameHanded ? "yes" : "NO");
  std::printf("speed-up: %.1fx; %.1fx the bound\n", t.literal / t.engine, t.engine / t.bound);
  std::printf("round by round, frame / bound:");
  for (size_t r = 0; r < t.engineRounds.size(); ++r) {
    std::printf(" %.3f / %.3f ms (%.1fx)", t.engineRounds[r], t.boundRounds[r], t.engineRounds[r] / t.boundRounds[r]);
  }
  std::printf("\n");
  std::printf("bound: %.3f ms median\n", t.bound);
  bench::ReportPacing();
  std::printf("32-bit screen, drawn at 16 bits: frame %.3f ms + present with conversion %.3f ms median (16-bit "
              "present %.3f ms), same picture: %s; drawn straight onto it: frame %.3f ms, literal %.3f ms + present "
              "%.3f ms median\n",
              deep.composedFrame, deep.composedPresent, deep.gamePresent, sameComposed ? "yes" : "NO",
              deep.straightFrame, deep.straightLiteral, deep.straightPresent);
  std::printf("frame-buffer play frame: %.3f ms median; literal: %.3f ms median\n", t.engine, t.literal);
  return same && sameHanded && sameComposed ? 0 : 1;
}
