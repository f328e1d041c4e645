// Translucent drawing in the arithmetic of the SDL library the program runs
// on.
//
// The classic SDL 1.2.15 and the SDL 1.2 interface over SDL 2 blend a
// translucent 24-bit picture onto a 16-bit screen differently. Both widen
// the screen's channel d to 8 bits as e and add a share of the difference
// s - e, but:
//
// - SDL 1.2.15 widens by shifting (5-bit 31 reads 248) and rounds the share
//   up: e + (((s - e) * a + 255) >> 8).
// - SDL 2 widens to the full range (5-bit 31 reads 255, by d * 255 / 31
//   rounded down) and divides by 255, rounding towards zero:
//   e + (s - e) * a / 255.
//
// A translucent rectangle (a 16-bit surface of one colour) goes through
// another routine that both libraries share: a 5-bit alpha, and a plain
// average at alpha 128.
//
// Rather than trusting a version number, the engine tries the library once
// per screen: it blits known colours through SDL, makes the same pixels with
// its own routines and compares. It keeps its own routine only where every
// pixel agrees; otherwise the draw is handed to SDL, which is exact by
// definition.
//
// The routines work on 565 screens, eight pixels at a time with SSE2 where
// the compiler has it (x86-64 always), one at a time otherwise; both give
// the same pixels, and the probe tries whichever the build has.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/engine_state.h"
#include "engine/game.h"

namespace game {

namespace state {

namespace {

// The picture arithmetics the engine knows.
enum class TRule { RoundUp, Divide };

const char* RuleName(TRule rule) { return rule == TRule::RoundUp ? "SDL 1.2 rounding" : "SDL 2 rounding"; }

// The 24-bit format SDL_LoadBMP gives a 24-bit BMP on a little-endian
// machine: the pictures whose blending the probe tries.
constexpr uint32_t PictureRed = 0xFF0000;
constexpr uint32_t PictureGreen = 0x00FF00;
constexpr uint32_t PictureBlue = 0x0000FF;

struct TProbe {
  // The VideoMode it was made for; 0 before the first probe.
  uint32_t mode = 0;
  bool ownPictures = false;
  TRule rule = TRule::RoundUp;
  bool ownFills = false;
};

TProbe Probe;
bool OwnBlendingAllowed = true;


// ------------------------------------------------- pictures, one at a time

// The screen's channel d of `bits` bits widened to 8 bits.
template <TRule rule, int bits>
inline int Widen(int d) {
  if constexpr (rule == TRule::RoundUp) {
    return d << (8 - bits);
  } else {
    return d * 255 / ((1 << bits) - 1);
  }
}

// The share of the difference k = s - e (-255..255) added at alpha a.
template <TRule rule>
inline int Share(int k, int a) {
  if constexpr (rule == TRule::RoundUp) {
    return (k * a + 255) >> 8;  // rounded down, negative values too
  } else {
    return k * a / 255;  // rounded towards zero
  }
}

template <TRule rule, int bits>
inline int BlendChannel(int d, int s, int a) {
  const int e = Widen<rule, bits>(d);
  return (e + Share<rule>(s - e, a)) >> (8 - bits);
}

template <TRule rule>
inline Uint16 BlendPixel(uint32_t d, int r, int g, int b, int a) {
  return static_cast<Uint16>(BlendChannel<rule, 5>(static_cast<int>(d >> 11), r, a) << 11 |
                             BlendChannel<rule, 6>(static_cast<int>((d >> 5) & 63), g, a) << 5 |
                             BlendChannel<rule, 5>(static_cast<int>(d & 31), b, a));
}

// ----------------------------------------------- pictures, eight at a time

#ifdef __SSE2__

// The same arithmetic in 16-bit lanes. A channel of a 565 pixel: its
// shift and its width.
enum TLane { RedLane = 11, GreenLane = 5, BlueLane = 0 };
constexpr int LaneBits(TLane lane) { return lane == GreenLane ? 6 : 5; }

// Every lane shifted right by n bits, or left by -n.
template <int n>
inline __m128i ShiftLanesRight(__m128i v) {
  if constexpr (n >= 0) {
    return _mm_srli_epi16(v, n);
  } else {
    return _mm_slli_epi16(v, -n);
  }
}

// The screen's channel widened to 8 bits.
template <TRule rule, TLane lane>
inline __m128i WidenLanes(__m128i d) {
  constexpr int bits = LaneBits(lane);
  constexpr int top = (1 << bits) - 1;
  if constexpr (rule == TRule::RoundUp) {
    // The channel moved to the top of the byte, in one shift and a mask.
    return _mm_and_si128(ShiftLanesRight<lane + bits - 8>(d), _mm_set1_epi16(static_cast<int16_t>(top << (8 - bits))));
  } else {
    // d * 255 / 31 = 8d + 7d / 31 and d * 255 / 63 = 4d + d / 21, the
    // divisions done as multiplications by 2^16 / 31 and 2^16 / 21 rounded
    // up (exact for these ranges).
    const __m128i c = _mm_and_si128(_mm_srli_epi16(d, lane), _mm_set1_epi16(top));
    if constexpr (bits == 5) {
      return _mm_add_epi16(_mm_slli_epi16(c, 3), _mm_mulhi_epu16(_mm_mullo_epi16(c, _mm_set1_epi16(7)), _mm_set1_epi16(2115)));
    } else {
      return _mm_add_epi16(_mm_slli_epi16(c, 2), _mm_mulhi_epu16(c, _mm_set1_epi16(3121)));
    }
  }
}

// The alpha in every lane, and 255 - alpha.
struct TAlphaLanes {
  __m128i alpha, rest;
};

// The blended channel as an 8-bit value in the low byte (bits above it are
// dropped when it is put back into the pixel).
template <TRule rule>
inline __m128i BlendLanes(__m128i e, __m128i s, const TAlphaLanes& a) {
  if constexpr (rule == TRule::RoundUp) {
    // (s - e) * a + 255 taken modulo 2^16 and shifted down by 8 is the
    // share, plus 256 when the share is negative.
    const __m128i x = _mm_add_epi16(_mm_mullo_epi16(_mm_sub_epi16(s, e), a.alpha), _mm_set1_epi16(255));
    return _mm_add_epi16(e, _mm_srli_epi16(x, 8));
  } else {
    // e + (s - e) * a / 255 towards zero is (e * (255 - a) + s * a) / 255
    // rounded down when s >= e and up when s < e (by adding 254 first);
    // x / 255 = (x + 1 + (x >> 8)) >> 8 for x up to 65534.
    __m128i x = _mm_add_epi16(_mm_mullo_epi16(e, a.rest), _mm_mullo_epi16(s, a.alpha));
    x = _mm_add_epi16(x, _mm_and_si128(_mm_cmpgt_epi16(e, s), _mm_set1_epi16(254)));
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, _mm_set1_epi16(1)), _mm_srli_epi16(x, 8)), 8);
  }
}

// An 8-bit channel value put back into its place in a 565 pixel.
template <TLane lane>
inline __m128i PlaceLanes(__m128i c) {
  constexpr int bits = LaneBits(lane);
  return _mm_and_si128(ShiftLanesRight<8 - lane - bits>(c),
                       _mm_set1_epi16(static_cast<int16_t>(((1 << bits) - 1) << lane)));
}

inline __m128i LoadBytes(const uint8_t* p) {
  return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
}

// Lanes outside first .. end - 1 set: of eight pixels, those that another
// step draws or that lie outside the row.
inline __m128i LanesOutside(int first, int end) {
  const __m128i lane = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
  return _mm_or_si128(_mm_cmplt_epi16(lane, _mm_set1_epi16(static_cast<int16_t>(first))),
                      _mm_cmpgt_epi16(lane, _mm_set1_epi16(static_cast<int16_t>(end - 1))));
}

// Where the last, short group of eight of a row of n pixels starts (the
// groups before it start at 0, 8, 16, ... up to i), relative to the row's
// first pixel: at i, or pulled back so as not to pass the end of the screen
// row (`after` pixels from the row's first pixel on, at least n). `before`
// is how many screen pixels there are before the row's first pixel. False
// when the screen row is too narrow for a group of eight.
inline bool LastGroup(int i, int before, int after, int& start) {
  start = std::min(i, after - 8);
  return start >= -before;
}

// Blends eight pixels from `to` on with the picture pixels from `red` on
// (the other planes `plane` bytes apart); lanes set in `keep` and key
// pixels keep the screen's pixel.
template <TRule rule>
inline void BlendEight(Uint16* to, const uint8_t* red, size_t plane, const TAlphaLanes& a, __m128i keep) {
  const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to));
  const __m128i r = BlendLanes<rule>(WidenLanes<rule, RedLane>(d), LoadBytes(red), a);
  const __m128i g = BlendLanes<rule>(WidenLanes<rule, GreenLane>(d), LoadBytes(red + plane), a);
  const __m128i b = BlendLanes<rule>(WidenLanes<rule, BlueLane>(d), LoadBytes(red + 2 * plane), a);
  const __m128i blended =
      _mm_or_si128(_mm_or_si128(PlaceLanes<RedLane>(r), PlaceLanes<GreenLane>(g)), PlaceLanes<BlueLane>(b));
  const __m128i keyBytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(red + 3 * plane));
  const __m128i unchanged = _mm_or_si128(_mm_unpacklo_epi8(keyBytes, keyBytes), keep);
  const __m128i out = _mm_or_si128(_mm_and_si128(unchanged, d), _mm_andnot_si128(unchanged, blended));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to), out);
}

#endif

// Blends n pixels as BlendEight does, eight at a time with SSE2 (the last
// group as LastGroup places it, reading the planes up to eight bytes on
// either side of the row), one at a time otherwise.
template <TRule rule>
void BlendRow(Uint16* to, const uint8_t* red, size_t plane, int n, [[maybe_unused]] int before,
              [[maybe_unused]] int after, int alpha) {
  int i = 0;
#ifdef __SSE2__
  const TAlphaLanes a{_mm_set1_epi16(static_cast<int16_t>(alpha)), _mm_set1_epi16(static_cast<int16_t>(255 - alpha))};
  for (; i + 8 <= n; i += 8) BlendEight<rule>(to + i, red + i, plane, a, _mm_setzero_si128());
  int last = 0;
  if (i < n && LastGroup(i, before, after, last)) {
    BlendEight<rule>(to + last, red + last, plane, a, LanesOutside(i - last, n - last));
    return;
  }
#endif
  for (; i < n; ++i) {
    if (red[3 * plane + i] == 0) to[i] = BlendPixel<rule>(to[i], red[i], red[plane + i], red[2 * plane + i], alpha);
  }
}

template <TRule rule>
void BlendRows(const TPictureJob& job, int alpha) {
  Uint16* to = job.to;
  const uint8_t* red = job.planes + static_cast<size_t>(job.firstRow) * job.pictureWidth;
  const TRun* span = job.spans + job.firstRow;
  for (int row = 0; row < job.rows; ++row, to += job.pitch, red += job.pictureWidth, ++span) {
    const int start = std::max(static_cast<int>(span->start), job.firstColumn);
    const int end = std::min(span->start + span->length, job.endColumn);
    if (end <= start) continue;
    const int offset = start - job.firstColumn;
    BlendRow<rule>(to + offset, red + start, job.planeSize, end - start, job.before + offset, job.after - offset,
                   alpha);
  }
}

void BlendWithRule(TRule rule, const TPictureJob& job, int alpha) {
  if (rule == TRule::RoundUp) {
    BlendRows<TRule::RoundUp>(job, alpha);
  } else {
    BlendRows<TRule::Divide>(job, alpha);
  }
}

// ------------------------------------------------------------- rectangles

// The rectangle blend. Both libraries spread a 565 pixel over a 32-bit
// word (green moved to the top half), multiply all three channels at once by
// a 5-bit alpha and shift down by 5. The three products, written as one
// number, fall into separate bits once added to the screen's channels, so
// nothing carries from one channel into the next: channel by channel that is
// d + floor((s - d) * (alpha >> 3) / 32), which is what is done here. At
// alpha 128 they take the plain average, rounded down.
//
// Each channel without its lowest bit, for the average.
constexpr uint16_t HalfMask565 = 0xF7DE;

// One rectangle's colour and alpha.
struct TFill {
  uint32_t pixel;
  int alpha;
  int a5;  // alpha in 5 bits
};

inline int FillChannel(int s, int d, int a5) { return d + ((s - d) * a5 >> 5); }

inline Uint16 FillOne(const TFill& f, uint32_t d) {
  const uint32_t s = f.pixel;
  if (f.alpha == 128) {
    return static_cast<Uint16>((((s & HalfMask565) + (d & HalfMask565)) >> 1) + (s & d & ~HalfMask565 & 0xFFFF));
  }
  const int r = FillChannel(static_cast<int>(s >> 11), static_cast<int>(d >> 11), f.a5);
  const int g = FillChannel(static_cast<int>((s >> 5) & 63), static_cast<int>((d >> 5) & 63), f.a5);
  const int b = FillChannel(static_cast<int>(s & 31), static_cast<int>(d & 31), f.a5);
  return static_cast<Uint16>(r << 11 | g << 5 | b);
}

#ifdef __SSE2__

// The rectangle's colour and alpha in every lane, worked out once per
// rectangle. Away from alpha 128 each channel is computed as
// (d * (32 - a5) + s * a5) >> 5, which is d + floor((s - d) * a5 / 32)
// with the picture's share s * a5 made in advance; the sum is at most
// 63 * 32, so it never leaves its 16-bit lane.
struct TFillLanes {
  __m128i pixel;  // alpha 128
  __m128i redShare, greenShare, blueShare, rest;
};

TFillLanes FillLanes(const TFill& f) {
  const auto lanes = [](uint32_t value) { return _mm_set1_epi16(static_cast<int16_t>(value)); };
  const uint32_t a5 = static_cast<uint32_t>(f.a5);
  return TFillLanes{lanes(f.pixel), lanes((f.pixel >> 11) * a5), lanes(((f.pixel >> 5) & 63) * a5),
                    lanes((f.pixel & 31) * a5), lanes(32 - a5)};
}

template <bool half>
inline __m128i FillEightValues(const TFillLanes& f, __m128i d) {
  if constexpr (half) {
    const __m128i mask = _mm_set1_epi16(static_cast<int16_t>(HalfMask565));
    // Halved before adding, so the sum cannot overflow 16 bits; with the
    // lowest bit of each channel masked off that loses nothing.
    const __m128i sum =
        _mm_add_epi16(_mm_srli_epi16(_mm_and_si128(f.pixel, mask), 1), _mm_srli_epi16(_mm_and_si128(d, mask), 1));
    return _mm_add_epi16(sum, _mm_andnot_si128(mask, _mm_and_si128(f.pixel, d)));
  } else {
    const __m128i r = _mm_add_epi16(_mm_mullo_epi16(_mm_srli_epi16(d, 11), f.rest), f.redShare);
    const __m128i g =
        _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi16(d, 5), _mm_set1_epi16(63)), f.rest), f.greenShare);
    const __m128i b = _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(d, _mm_set1_epi16(31)), f.rest), f.blueShare);
    // Each sum is 32 times its channel plus a remainder below 32: red moves
    // up by 6 and loses the remainder to the mask, green keeps its place
    // once the remainder is masked off, blue moves down by 5.
    const __m128i red = _mm_and_si128(_mm_slli_epi16(r, 6), _mm_set1_epi16(static_cast<int16_t>(0xF800)));
    const __m128i green = _mm_andnot_si128(_mm_set1_epi16(31), g);
    return _mm_or_si128(_mm_or_si128(red, green), _mm_srli_epi16(b, 5));
  }
}

// Eight pixels from `to` on; lanes set in `keep` keep the screen's pixel.
template <bool half>
inline void FillEight(const TFillLanes& f, Uint16* to, __m128i keep) {
  __m128i* p = reinterpret_cast<__m128i*>(to);
  const __m128i d = _mm_loadu_si128(p);
  _mm_storeu_si128(p, _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, FillEightValues<half>(f, d))));
}

// A row of n pixels, as BlendRow goes through them.
template <bool half>
void FillRow(const TFill& fill, const TFillLanes& f, Uint16* to, int n, int before, int after) {
  int i = 0;
  for (; i + 8 <= n; i += 8) FillEight<half>(f, to + i, _mm_setzero_si128());
  int last = 0;
  if (i < n && LastGroup(i, before, after, last)) {
    FillEight<half>(f, to + last, LanesOutside(i - last, n - last));
    return;
  }
  for (; i < n; ++i) to[i] = FillOne(fill, to[i]);
}

template <bool half>
void FillRows(const TFill& fill, Uint16* to, int pitch, int before, int after, int width, int height) {
  const TFillLanes lanes = FillLanes(fill);
  for (int row = 0; row < height; ++row, to += pitch) FillRow<half>(fill, lanes, to, width, before, after);
}

#endif

// Blends the rectangle's rows (alpha 1 to 254).
void BlendFillRows(const TFill& fill, Uint16* to, int pitch, [[maybe_unused]] int before, [[maybe_unused]] int after,
                   int width, int height) {
#ifdef __SSE2__
  if (fill.alpha == 128) return FillRows<true>(fill, to, pitch, before, after, width, height);
  return FillRows<false>(fill, to, pitch, before, after, width, height);
#else
  for (int row = 0; row < height; ++row, to += pitch) {
    for (int i = 0; i < width; ++i) to[i] = FillOne(fill, to[i]);
  }
#endif
}

// ------------------------------------------------------------- the probe

// A small, fixed pseudo-random sequence: every probe tries the same pixels.
struct TNoise {
  uint32_t state = 0x2545F491u;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
};

// Rows of the probe are this wide: not a whole number of groups of eight.
constexpr int ProbeWidth = 259;

uint8_t* PixelRow(SDL_Surface* s, int y) { return static_cast<uint8_t*>(s->pixels) + static_cast<size_t>(y) * s->pitch; }

// The colour key of the probe's pictures, a colour none of their pixels
// has: the grey pixels of the grid never, the random ones are drawn again.
constexpr uint32_t ProbeKey = 0x000001;

// One probe case: a picture's colours (0x00RRGGBB, none of them the key)
// over 565 screen pixels at an alpha.
struct TPictureCase {
  int w, h;
  uint8_t alpha;
  std::vector<uint32_t> colours;
  std::vector<Uint16> screen;
};

// What SDL makes of a case's picture blitted keyed onto its screen pixels,
// blended at the case's alpha or, with keyedOnly, just keyed; false when
// SDL could not be asked.
bool SdlPictureBlend(const TPictureCase& c, bool keyedOnly, std::vector<Uint16>& out) {
  const SDL_PixelFormat* f = Screen->format;
  SDL_Surface* picture = SDL_CreateRGBSurface(SDL_SWSURFACE, c.w, c.h, 24, PictureRed, PictureGreen, PictureBlue, 0);
  SDL_Surface* target = SDL_CreateRGBSurface(SDL_SWSURFACE, c.w, c.h, 16, f->Rmask, f->Gmask, f->Bmask, 0);
  bool done = false;
  if (picture != nullptr && target != nullptr && picture->format->BytesPerPixel == 3 && Is565(target->format)) {
    const size_t rowBytes = static_cast<size_t>(c.w) * 2;
    for (int y = 0; y < c.h; ++y) {
      uint8_t* row = PixelRow(picture, y);
      for (int x = 0; x < c.w; ++x) {
        const uint32_t colour = c.colours[static_cast<size_t>(y) * c.w + x];
        // Little-endian bytes of the pixel value, as the masks place them.
        row[x * 3] = static_cast<uint8_t>(colour);
        row[x * 3 + 1] = static_cast<uint8_t>(colour >> 8);
        row[x * 3 + 2] = static_cast<uint8_t>(colour >> 16);
      }
      std::memcpy(PixelRow(target, y), &c.screen[static_cast<size_t>(y) * c.w], rowBytes);
    }
    SDL_SetColorKey(picture, SDL_SRCCOLORKEY | SDL_RLEACCEL, ProbeKey);
    if (keyedOnly) {
      SDL_SetAlpha(picture, 0, 0);
    } else {
      SDL_SetAlpha(picture, SDL_SRCALPHA | SDL_RLEACCEL, c.alpha);
    }
    SDL_Rect whole{0, 0, static_cast<Uint16>(c.w), static_cast<Uint16>(c.h)};
    SDL_Rect at = whole;
    done = SDL_BlitSurface(picture, &whole, target, &at) == 0;
    out.resize(c.screen.size());
    for (int y = 0; done && y < c.h; ++y) std::memcpy(&out[static_cast<size_t>(y) * c.w], PixelRow(target, y), rowBytes);
  }
  SDL_FreeSurface(picture);
  SDL_FreeSurface(target);
  return done;
}

// A probe row is blended in pieces, each told that the screen row holds
// `before` pixels before it and `after` from its first pixel on: the first
// ends in a short group of eight, the second in a group pulled back from the
// end of the row, the third (in a row too narrow for a group) goes one pixel
// at a time, so every way of blending a row is tried.
struct TPiece {
  int first, end, before, after;
};
constexpr TPiece ProbePieces[] = {
    {0, ProbeWidth - 9, 0, ProbeWidth},
    {ProbeWidth - 9, ProbeWidth - 6, ProbeWidth - 9, 3},
    {ProbeWidth - 6, ProbeWidth, 0, 6},
};

// What the engine's blend makes of a case with a rule.
std::vector<Uint16> OwnPictureBlend(const TPictureCase& c, TRule rule) {
  const size_t n = c.colours.size();
  // Read up to eight bytes on either side of a row.
  std::vector<uint8_t> padded(8 + 4 * n + 8, 0);
  uint8_t* planes = padded.data() + 8;
  for (size_t i = 0; i < n; ++i) {
    planes[i] = static_cast<uint8_t>(c.colours[i] >> 16);
    planes[n + i] = static_cast<uint8_t>(c.colours[i] >> 8);
    planes[2 * n + i] = static_cast<uint8_t>(c.colours[i]);
  }
  const std::vector<TRun> spans(c.h, TRun{0, static_cast<uint16_t>(c.w)});
  std::vector<Uint16> out = c.screen;
  for (const TPiece& piece : ProbePieces) {
    TPictureJob job{};
    job.to = out.data() + piece.first;
    job.pitch = c.w;
    job.before = piece.before;
    job.after = piece.after;
    job.rows = c.h;
    job.firstRow = 0;
    job.firstColumn = piece.first;
    job.endColumn = piece.end;
    job.planes = planes;
    job.planeSize = n;
    job.pictureWidth = c.w;
    job.spans = spans.data();
    BlendWithRule(rule, job, c.alpha);
  }
  return out;
}

// The cases: every picture channel value over every screen channel value at
// a few alphas (the ends, the middle, two the game uses), then random pixels
// at every alpha. SDL's translucent blit is slow, so the probe is kept to
// about 150,000 pixels (a few milliseconds); the tests try all of them.
std::vector<TPictureCase> PictureCases(TNoise& noise) {
  std::vector<TPictureCase> cases;
  const uint8_t gridAlphas[] = {1, 64, 128, 192, 254};
  for (uint8_t alpha : gridAlphas) {
    TPictureCase c{ProbeWidth, 64, alpha, {}, {}};
    for (int y = 0; y < c.h; ++y) {
      for (int x = 0; x < c.w; ++x) {
        const uint32_t s = x < 256 ? static_cast<uint32_t>(x) : noise.Next() & 0xFF;
        c.colours.push_back(s << 16 | s << 8 | s);
        // Screen channel values 0..63, cut to each channel's width.
        const uint32_t v = static_cast<uint32_t>(y);
        c.screen.push_back(static_cast<Uint16>((v & 31) << 11 | v << 5 | (v & 31)));
      }
    }
    cases.push_back(std::move(c));
  }
  for (int alpha = 0; alpha < 256; ++alpha) {
    TPictureCase c{ProbeWidth, 1, static_cast<uint8_t>(alpha), {}, {}};
    for (int x = 0; x < c.w; ++x) {
      uint32_t colour = ProbeKey;
      while (colour == ProbeKey) colour = noise.Next() & 0xFFFFFF;
      c.colours.push_back(colour);
      c.screen.push_back(static_cast<Uint16>(noise.Next()));
    }
    cases.push_back(std::move(c));
  }
  return cases;
}

// The engine draws alpha 0 as nothing and alpha 255 as a plain keyed copy;
// in between it blends with the first rule that gives SDL's pixels for
// every case.
void ProbePictures(TNoise& noise) {
  Probe.ownPictures = false;
  if (!Is565(Screen->format)) return;
  const std::vector<TPictureCase> cases = PictureCases(noise);
  std::vector<std::vector<Uint16>> sdl(cases.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    const TPictureCase& c = cases[i];
    if (!SdlPictureBlend(c, false, sdl[i])) return;
    if (c.alpha == 0 && sdl[i] != c.screen) return;
    std::vector<Uint16> keyed;
    if (c.alpha == 255 && (!SdlPictureBlend(c, true, keyed) || keyed != sdl[i])) return;
  }
  for (TRule rule : {TRule::RoundUp, TRule::Divide}) {
    bool same = true;
    for (size_t i = 0; same && i < cases.size(); ++i) {
      if (cases[i].alpha != 0 && cases[i].alpha != 255) same = OwnPictureBlend(cases[i], rule) == sdl[i];
    }
    if (same) {
      Probe.ownPictures = true;
      Probe.rule = rule;
      return;
    }
  }
}

// Whether the own rectangle blend gives SDL's pixels for random colours
// over random screen pixels at every alpha.
void ProbeFills(TNoise& noise) {
  Probe.ownFills = false;
  const SDL_PixelFormat* f = Screen->format;
  if (!Is565(f)) return;
  // As FillRect makes its surfaces.
  SDL_Surface* fill = SDL_CreateRGBSurface(SDL_HWSURFACE, ProbeWidth, 1, 16, f->Rmask, f->Gmask, f->Bmask, f->Amask);
  SDL_Surface* target = SDL_CreateRGBSurface(SDL_SWSURFACE, ProbeWidth, 1, 16, f->Rmask, f->Gmask, f->Bmask, 0);
  bool same = fill != nullptr && target != nullptr && Is565(fill->format) && Is565(target->format);
  for (int alpha = 0; same && alpha < 256; ++alpha) {
    const uint32_t pixel = alpha % 4 == 0 ? 0xFFFF : alpha % 4 == 1 ? 0 : noise.Next() & 0xFFFF;
    std::vector<Uint16> screen(ProbeWidth);
    for (int x = 0; x < ProbeWidth; ++x) screen[x] = static_cast<Uint16>(x < 2 ? (x == 0 ? 0 : 0xFFFF) : noise.Next());
    std::memcpy(target->pixels, screen.data(), ProbeWidth * 2);
    SDL_FillRect(fill, nullptr, pixel);
    SDL_SetColorKey(fill, 0, 0);
    SDL_SetAlpha(fill, SDL_SRCALPHA | SDL_RLEACCEL, static_cast<uint8_t>(alpha));
    SDL_Rect whole{0, 0, ProbeWidth, 1};
    SDL_Rect at = whole;
    same = SDL_BlitSurface(fill, &whole, target, &at) == 0;
    for (const TPiece& piece : ProbePieces) {
      BlendFill(screen.data() + piece.first, ProbeWidth, piece.before, piece.after, piece.end - piece.first, 1, pixel,
                static_cast<uint8_t>(alpha));
    }
    same = same && std::memcmp(target->pixels, screen.data(), ProbeWidth * 2) == 0;
  }
  SDL_FreeSurface(fill);
  SDL_FreeSurface(target);
  Probe.ownFills = same;
}

void ProbeIfNeeded() {
  if (Probe.mode == VideoMode || !FrameBufferReady()) return;
  Probe.mode = VideoMode;
  TNoise noise;
  ProbePictures(noise);
  ProbeFills(noise);
}

}  // namespace

bool OwnPictureBlending(const SDL_PixelFormat* picture) {
  ProbeIfNeeded();
  return OwnBlendingAllowed && Probe.ownPictures && picture->BytesPerPixel == 3 && picture->Rmask == PictureRed &&
         picture->Gmask == PictureGreen && picture->Bmask == PictureBlue && picture->Amask == 0;
}

void BlendPicture(const TPictureJob& job, uint8_t alpha) { BlendWithRule(Probe.rule, job, alpha); }

bool OwnFillBlending() {
  ProbeIfNeeded();
  return OwnBlendingAllowed && Probe.ownFills;
}

void BlendFill(Uint16* to, int pitch, int before, int after, int width, int height, uint32_t pixel, uint8_t alpha) {
  if (alpha == 0) return;
  if (alpha == 255) {
    for (int row = 0; row < height; ++row, to += pitch) std::fill_n(to, width, static_cast<Uint16>(pixel));
    return;
  }
  BlendFillRows(TFill{pixel, alpha, alpha >> 3}, to, pitch, before, after, width, height);
}

bool Is565(const SDL_PixelFormat* f) {
  return f->BytesPerPixel == 2 && f->Rmask == 0xF800 && f->Gmask == 0x07E0 && f->Bmask == 0x001F;
}

}  // namespace state

using namespace state;

void SetOwnBlending(bool own) { OwnBlendingAllowed = own; }

std::string LinkedSdlVersion() {
  const SDL_version* v = SDL_Linked_Version();
  return std::to_string(v->major) + "." + std::to_string(v->minor) + "." + std::to_string(v->patch);
}

std::string BlendingRule() {
  if (!FrameBufferReady()) return "no frame-buffer screen";
  ProbeIfNeeded();
  const std::string pictures =
      OwnBlendingAllowed && Probe.ownPictures ? std::string("pictures in ") + RuleName(Probe.rule) : "pictures by SDL";
  const char* fills = OwnBlendingAllowed && Probe.ownFills ? "rectangles in 5-bit alpha" : "rectangles by SDL";
  return pictures + ", " + fills;
}

}  // namespace game
