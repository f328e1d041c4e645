// The frame-buffer presenter: every picture drawn into a 16-bit screen in
// memory, shown with SDL_Flip. It is in every build.
//
// Drawing speed. A loaded picture is 24-bit and the screen 16-bit, so the
// plain way (blit the loaded surface, its key and alpha set on every draw)
// converts every pixel on every draw, and each change of key or alpha makes
// SDL throw away a surface's run-length encoding. Instead every picture is
// prepared once, at load, for the screen it will be drawn on (TScreenCopies):
//
// - Pixels: the picture in the screen's format, converted by SDL. Draw
//   copies its rows.
// - Runs: the stretches of each row that are not the colour key, found in
//   the 24-bit picture. DrawKeyed copies only those. The key is matched in
//   the picture, not in the copy: a near-black pixel such as (7, 3, 7)
//   becomes 0 in 16 bits, yet it is drawn where a key of black leaves out
//   only true black.
// - Planes: the picture's own 8-bit colours and where its key is, for
//   translucent draws. SDL blends a 24-bit picture onto the screen in 8-bit
//   precision from the picture's colours; blending the 16-bit copy would
//   lose their low bits. The blending itself is done in the loaded SDL's
//   own arithmetic (blending.cpp), or handed to SDL where that is not known.
//
// The pixels drawn are the same as the plain way's, which stays available
// behind SetLiteralDrawing (the benchmark draws both, and a test compares
// them pixel for pixel).
//
// Every picture is drawn at 16 bits (565), the screen the game asks SDL for
// and the one the exact pixels and the fast blending are made for. Where SDL
// gives another screen (a browser's is 32-bit), the engine draws into a
// 16-bit surface of its own and converts it into SDL's screen once per
// present: ReadScreen then reads the same pixels as on a 16-bit screen, and
// the screen shows them widened to its depth as ReadScreen widens them.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/engine_state.h"
#include "engine/game.h"
#include "engine/presenter.h"

namespace game {

using namespace state;

struct TScreenCopies {
  // The SetVideoMode the copies were made for.
  uint32_t Mode = 0;
  int Width = 0;
  int Height = 0;
  int BytesPerPixel = 0;
  // The picture in the screen's format, row after row without padding.
  std::vector<uint8_t> Pixels;
  // Four planes of Width x Height bytes: the red, green and blue SDL reads
  // from the picture to blend it, and 255 where the pixel is the key; with
  // PlanePadding bytes before and after, which blending may read.
  std::vector<uint8_t> Planes;
  // The runs of pixels that are not the key: row y's are Runs[RowStart[y]]
  // up to Runs[RowStart[y + 1]].
  std::vector<TRun> Runs;
  std::vector<uint32_t> RowStart;
  // Row y from the start of its first run to the end of its last.
  std::vector<TRun> Spans;
  // The smallest rectangle holding every pixel that is not the key (empty
  // for a picture that is all key).
  SDL_Rect Used = {0, 0, 0, 0};
};

namespace {

constexpr uint8_t Opaque = 255;
constexpr size_t PlanePadding = 8;

// A channel of a pixel as SDL reads it for blending: shifted to the top of
// the byte, low bits zero.
inline uint32_t Channel(uint32_t pixel, uint32_t mask, uint8_t shift, uint8_t loss) {
  return ((pixel & mask) >> shift) << loss;
}

// Reads the picture's colour planes and its runs of pixels other than `key`.
bool ReadPicture(SDL_Surface* surface, uint32_t key, TScreenCopies& copies) {
  if (SDL_LockSurface(surface) != 0) return false;
  const SDL_PixelFormat* f = surface->format;
  const size_t plane = static_cast<size_t>(surface->w) * surface->h;
  copies.Planes.assign(PlanePadding + 4 * plane + PlanePadding, 0);
  uint8_t* planes = copies.Planes.data() + PlanePadding;
  copies.RowStart.reserve(static_cast<size_t>(surface->h) + 1);
  for (int y = 0; y < surface->h; ++y) {
    copies.RowStart.push_back(static_cast<uint32_t>(copies.Runs.size()));
    const uint8_t* row = static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
    bool inRun = false;
    for (int x = 0; x < surface->w; ++x) {
      const uint32_t pixel = PixelAt(row + x * f->BytesPerPixel, f->BytesPerPixel);
      const size_t at = static_cast<size_t>(y) * surface->w + x;
      planes[at] = static_cast<uint8_t>(Channel(pixel, f->Rmask, f->Rshift, f->Rloss));
      planes[plane + at] = static_cast<uint8_t>(Channel(pixel, f->Gmask, f->Gshift, f->Gloss));
      planes[2 * plane + at] = static_cast<uint8_t>(Channel(pixel, f->Bmask, f->Bshift, f->Bloss));
      if (pixel == key) {
        planes[3 * plane + at] = 255;
        inRun = false;
      } else if (inRun) {
        ++copies.Runs.back().length;
      } else {
        copies.Runs.push_back(TRun{static_cast<uint16_t>(x), 1});
        inRun = true;
      }
    }
  }
  copies.RowStart.push_back(static_cast<uint32_t>(copies.Runs.size()));
  int left = surface->w;
  int right = 0;
  int top = surface->h;
  int bottom = 0;
  for (int y = 0; y < surface->h; ++y) {
    const uint32_t first = copies.RowStart[y];
    const uint32_t end = copies.RowStart[y + 1];
    if (first == end) {
      copies.Spans.push_back(TRun{0, 0});
      continue;
    }
    const TRun& last = copies.Runs[end - 1];
    const uint16_t start = copies.Runs[first].start;
    copies.Spans.push_back(TRun{start, static_cast<uint16_t>(last.start + last.length - start)});
    left = std::min(left, static_cast<int>(start));
    right = std::max(right, last.start + last.length);
    top = std::min(top, y);
    bottom = y + 1;
  }
  if (bottom > 0) {
    copies.Used = SDL_Rect{static_cast<Sint16>(left), static_cast<Sint16>(top), static_cast<Uint16>(right - left),
                           static_cast<Uint16>(bottom - top)};
  }
  SDL_UnlockSurface(surface);
  return true;
}

// The picture converted to the screen's format by SDL, as a blit would.
bool ConvertPixels(SDL_Surface* surface, TScreenCopies& copies) {
  SDL_Surface* copy = SDL_ConvertSurface(surface, Screen->format, SDL_SWSURFACE);
  if (copy == nullptr) return false;
  const bool locked = SDL_LockSurface(copy) == 0;
  if (locked) {
    const size_t rowBytes = static_cast<size_t>(copy->w) * copies.BytesPerPixel;
    copies.Pixels.resize(rowBytes * copy->h);
    for (int y = 0; y < copy->h; ++y) {
      std::memcpy(&copies.Pixels[rowBytes * y], static_cast<const uint8_t*>(copy->pixels) + static_cast<size_t>(y) * copy->pitch,
                  rowBytes);
    }
    SDL_UnlockSurface(copy);
  }
  SDL_FreeSurface(copy);
  return locked;
}

void DropCopies(CSprite& sprite) {
  delete sprite.Copies;
  sprite.Copies = nullptr;
}

// Pictures with their own alpha channel or a palette, pictures too wide for
// a run, and screens that are not 16 or 32 bits without a palette, are
// drawn the plain way.
bool CanCopy(const SDL_Surface* surface) {
  const SDL_PixelFormat* picture = surface->format;
  const SDL_PixelFormat* screen = Screen->format;
  return picture->Amask == 0 && picture->palette == nullptr && picture->BytesPerPixel >= 2 && surface->w <= UINT16_MAX &&
         screen->palette == nullptr && (screen->BytesPerPixel == 2 || screen->BytesPerPixel == 4);
}

void MakeCopies(CSprite& sprite) {
  DropCopies(sprite);
  SDL_Surface* surface = sprite.Surface;
  if (!FrameBufferReady() || surface == nullptr || !CanCopy(surface)) return;
  auto copies = new TScreenCopies;
  copies->Mode = VideoMode;
  copies->Width = surface->w;
  copies->Height = surface->h;
  copies->BytesPerPixel = Screen->format->BytesPerPixel;
  if (!ReadPicture(surface, sprite.ColorKey, *copies) || !ConvertPixels(surface, *copies)) {
    delete copies;
    return;
  }
  sprite.Copies = copies;
}

// The copies for the current screen; remade after a change of video mode.
TScreenCopies* CurrentCopies(CSprite& sprite) {
  if (LiteralDrawing) return nullptr;
  if (sprite.Copies == nullptr || sprite.Copies->Mode != VideoMode) MakeCopies(sprite);
  return sprite.Copies;
}

// Whether a surface is already in the state that SDL_SetColorKey and then
// SDL_SetAlpha with these arguments (and run-length acceleration asked for
// whenever a key or alpha is on) would leave it in.
bool InBlendingState(const SDL_Surface* surface, bool keyed, uint32_t key, bool blended, uint8_t alpha) {
  const Uint32 flags = surface->flags;
  if (((flags & SDL_SRCCOLORKEY) != 0) != keyed || (keyed && surface->format->colorkey != key)) return false;
  if (((flags & SDL_SRCALPHA) != 0) != blended || (blended && surface->format->alpha != alpha)) return false;
  return ((flags & SDL_RLEACCELOK) != 0) == (keyed || blended);
}

// Puts a surface into the blending state a draw asks for. The plain way
// calls SDL every time; otherwise SDL is called only when the surface is in
// another state, since every change makes SDL re-encode an accelerated
// surface.
void SetBlending(SDL_Surface* surface, bool keyed, uint32_t key, bool blended, uint8_t alpha) {
  if (!LiteralDrawing && InBlendingState(surface, keyed, key, blended, alpha)) return;
  SDL_SetColorKey(surface, keyed ? SDL_SRCCOLORKEY | SDL_RLEACCEL : 0, keyed ? key : 0);
  SDL_SetAlpha(surface, blended ? SDL_SRCALPHA | SDL_RLEACCEL : 0, blended ? alpha : 0);
}

void Blit(SDL_Surface* surface, const SDL_Rect& source, int x, int y) {
  SDL_Rect from = source;
  SDL_Rect to{static_cast<Sint16>(x), static_cast<Sint16>(y), source.w, source.h};
  SDL_BlitSurface(surface, &from, Screen, &to);
}

// The part of a w x h area drawn at (x, y) that lands inside the screen's
// clip rectangle, as a blit clips it: screen columns left .. left + width
// and rows top .. top + height, which show the area from (skipX, skipY) on.
struct TVisible {
  int left, top, width, height, skipX, skipY;
};

bool Clip(int x, int y, int w, int h, TVisible& v) {
  const SDL_Rect& clip = Screen->clip_rect;
  const int left = std::max(x, static_cast<int>(clip.x));
  const int top = std::max(y, static_cast<int>(clip.y));
  const int right = std::min(x + w, clip.x + clip.w);
  const int bottom = std::min(y + h, clip.y + clip.h);
  if (right <= left || bottom <= top) return false;
  v = TVisible{left, top, right - left, bottom - top, left - x, top - y};
  return true;
}

uint8_t* ScreenAt(int x, int y) {
  return static_cast<uint8_t*>(Screen->pixels) + static_cast<size_t>(y) * Screen->pitch +
         static_cast<size_t>(x) * Screen->format->BytesPerPixel;
}

bool LockScreen() { return !SDL_MUSTLOCK(Screen) || SDL_LockSurface(Screen) == 0; }
void UnlockScreen() {
  if (SDL_MUSTLOCK(Screen)) SDL_UnlockSurface(Screen);
}

// A 16-bit screen as the blending routines take it: from the visible
// area's top-left pixel on, `pitch` pixels from row to row, `before` pixels
// of the screen row before it and `after` from it on.
struct TScreenRows {
  Uint16* to;
  int pitch, before, after;
};

TScreenRows ScreenRows(const TVisible& v) {
  const int pitch = Screen->pitch / 2;
  return TScreenRows{reinterpret_cast<Uint16*>(ScreenAt(v.left, v.top)), pitch, v.left, pitch - v.left};
}

// Blends the visible part of a picture at alpha (1 to 254).
void BlendCopies(const TScreenCopies& copies, const SDL_Rect& source, const TVisible& v, uint8_t alpha) {
  const TScreenRows screen = ScreenRows(v);
  TPictureJob job{};
  job.to = screen.to;
  job.pitch = screen.pitch;
  job.before = screen.before;
  job.after = screen.after;
  job.rows = v.height;
  job.firstRow = source.y + v.skipY;
  job.firstColumn = source.x + v.skipX;
  job.endColumn = job.firstColumn + v.width;
  job.planes = copies.Planes.data() + PlanePadding;
  job.planeSize = static_cast<size_t>(copies.Width) * copies.Height;
  job.pictureWidth = copies.Width;
  job.spans = copies.Spans.data();
  BlendPicture(job, alpha);
}

// Copies the visible part of a picture: whole rows, or only the runs of
// each row.
void CopyCopies(const TScreenCopies& copies, const SDL_Rect& source, const TVisible& v, bool keyed) {
  const size_t bpp = copies.BytesPerPixel;
  const size_t pitch = Screen->pitch;
  const size_t rowBytes = copies.Width * bpp;
  const int firstRow = source.y + v.skipY;
  const int firstColumn = source.x + v.skipX;
  const int endColumn = firstColumn + v.width;
  uint8_t* to = ScreenAt(v.left, v.top) - firstColumn * bpp;  // where column 0 would land
  const uint8_t* from = &copies.Pixels[firstRow * rowBytes];
  const uint32_t* rowStart = &copies.RowStart[firstRow];
  for (int row = 0; row < v.height; ++row, to += pitch, from += rowBytes) {
    if (!keyed) {
      std::memcpy(to + firstColumn * bpp, from + firstColumn * bpp, v.width * bpp);
      continue;
    }
    const TRun* end = &copies.Runs[0] + rowStart[row + 1];
    for (const TRun* run = &copies.Runs[0] + rowStart[row]; run != end; ++run) {
      const int start = std::max(static_cast<int>(run->start), firstColumn);
      const int stop = std::min(run->start + run->length, endColumn);
      if (stop > start) std::memcpy(to + start * bpp, from + start * bpp, (stop - start) * bpp);
    }
  }
}

// Draws the part `source` of a picture from its copies: opaque, keyed, or
// blended at alpha (1 to 254).
void DrawCopies(const TScreenCopies& copies, SDL_Rect source, int x, int y, TDrawKind kind, uint8_t alpha) {
  if (kind != TDrawKind::Opaque) {
    // Only the part with pixels other than the key can change the screen.
    const SDL_Rect& used = copies.Used;
    const int left = std::max(source.x, used.x);
    const int top = std::max(source.y, used.y);
    const int right = std::min(source.x + source.w, used.x + used.w);
    const int bottom = std::min(source.y + source.h, used.y + used.h);
    if (right <= left || bottom <= top) return;
    x += left - source.x;
    y += top - source.y;
    source = SDL_Rect{static_cast<Sint16>(left), static_cast<Sint16>(top), static_cast<Uint16>(right - left),
                      static_cast<Uint16>(bottom - top)};
  }
  TVisible v;
  if (!Clip(x, y, source.w, source.h, v) || !LockScreen()) return;
  if (kind == TDrawKind::Blended) {
    BlendCopies(copies, source, v, alpha);
  } else {
    CopyCopies(copies, source, v, kind == TDrawKind::Keyed);
  }
  UnlockScreen();
}

// The plain way: the loaded surface, its key and alpha set for this draw.
void DrawPlain(CSprite& sprite, const SDL_Rect& source, int x, int y, TDrawKind kind, uint8_t alpha) {
  SetBlending(sprite.Surface, kind != TDrawKind::Opaque, sprite.ColorKey, kind == TDrawKind::Blended, alpha);
  Blit(sprite.Surface, source, x, y);
}

// Draws the part `source` of a sprite's picture (already inside the
// picture) with its top-left corner at (x, y): opaque, keyed on the sprite's
// ColorKey, or keyed and blended with alpha. Clipped to the screen.
void DrawPicture(CSprite& sprite, const SDL_Rect& source, int x, int y, TDrawKind kind, uint8_t alpha) {
  TScreenCopies* copies = CurrentCopies(sprite);
  if (copies == nullptr) return DrawPlain(sprite, source, x, y, kind, alpha);
  if (kind == TDrawKind::Blended) {
    // Where the engine does not know the library's blending, SDL draws.
    if (!OwnPictureBlending(sprite.Surface->format)) return DrawPlain(sprite, source, x, y, kind, alpha);
    // Alpha 0 leaves the screen as it is; SDL draws a keyed picture at
    // alpha 255 as a plain keyed blit (the blending probe checks both).
    if (alpha == 0) return;
    if (alpha == Opaque) kind = TDrawKind::Keyed;
  }
  DrawCopies(*copies, source, x, y, kind, alpha);
}


// ------------------------------------------------------ FillRect surfaces

// One temporary surface per rectangle size, kept filled with its last colour.
struct TFillSurface {
  uint16_t w, h;
  SDL_Surface* surface;
  uint32_t pixel;
};
std::vector<TFillSurface> FillCache;
// The game uses a handful of sizes; a caller with ever new sizes only
// restarts the cache.
constexpr size_t FillCacheLimit = 64;

void ReleaseFillCache();

SDL_Surface* NewFillSurface(uint16_t w, uint16_t h) {
  const SDL_PixelFormat* f = Screen->format;
  return SDL_CreateRGBSurface(SDL_HWSURFACE, w, h, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask, f->Amask);
}

// A surface of this size filled with pixel, reused from earlier calls.
SDL_Surface* CachedFillSurface(uint16_t w, uint16_t h, uint32_t pixel) {
  for (TFillSurface& entry : FillCache) {
    if (entry.w != w || entry.h != h) continue;
    if (entry.pixel != pixel) {
      SDL_FillRect(entry.surface, nullptr, pixel);
      entry.pixel = pixel;
    }
    return entry.surface;
  }
  if (FillCache.size() >= FillCacheLimit) ReleaseFillCache();
  SDL_Surface* surface = NewFillSurface(w, h);
  if (surface == nullptr) return nullptr;
  SDL_FillRect(surface, nullptr, pixel);
  FillCache.push_back({w, h, surface, pixel});
  return surface;
}

void ReleaseFillCache() {
  for (TFillSurface& entry : FillCache) SDL_FreeSurface(entry.surface);
  FillCache.clear();
}


// ------------------------------------------------------------------- text

// The part of a glyph's rectangle that lies inside the font image, and where
// that part lands when the whole rectangle is drawn at (penX, y): a table
// entry reaching outside the image never makes a blit read past it.
bool ClipToImage(const TGlyph& glyph, const SDL_Surface* image, int penX, int y, SDL_Rect& source,
                 SDL_Rect& destination) {
  int left = glyph.x;
  int top = glyph.y;
  int right = left + glyph.w;
  int bottom = top + glyph.h;
  const int shiftX = left < 0 ? -left : 0;
  const int shiftY = top < 0 ? -top : 0;
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, image->w);
  bottom = std::min(bottom, image->h);
  const int drawX = penX + shiftX;
  const int drawY = y + shiftY;
  if (right <= left || bottom <= top || drawX > INT16_MAX || drawY > INT16_MAX) return false;
  source = SDL_Rect{static_cast<Sint16>(left), static_cast<Sint16>(top), static_cast<Uint16>(right - left),
                    static_cast<Uint16>(bottom - top)};
  destination = SDL_Rect{static_cast<Sint16>(drawX), static_cast<Sint16>(drawY), source.w, source.h};
  return true;
}

// ----------------------------------------------------------- the screen

constexpr int ComposedBitsPerPixel = 16;
constexpr uint32_t Red565 = 0xF800;
constexpr uint32_t Green565 = 0x07E0;
constexpr uint32_t Blue565 = 0x001F;

// The bits per pixel asked of SDL; the game's 16 unless a test asks for more.
uint8_t ScreenDepth = ComposedBitsPerPixel;
// Whether a screen that is not 16-bit 565 gets a 16-bit picture of its own.
bool ComposingAllowed = true;
// SDL's video surface, which SDL_Flip shows.
SDL_Surface* Display = nullptr;
// The 16-bit picture drawn on (Screen) when Display is in another format;
// null when the engine draws on Display itself.
SDL_Surface* Composed = nullptr;
// Display's pixel for each value of the low and of the high byte of a 565
// pixel; a pixel's two entries ORed give its widened colour (see
// MakeWideningTables).
uint32_t WideLow[256];
uint32_t WideHigh[256];

// Widens an n-bit channel to 8 bits by moving it to the top of the byte and
// repeating its highest bits in the bits that were freed, so 0 stays 0 and
// the channel's maximum becomes 255 (5-bit 31 -> 255, 6-bit 32 -> 130).
uint8_t ExpandChannel(uint32_t pixel, uint32_t mask, uint8_t shift, uint8_t loss) {
  const int bits = 8 - loss;
  if (mask == 0 || bits <= 0) return 0;
  uint32_t value = ((pixel & mask) >> shift) << loss;
  for (int filled = bits; filled < 8; filled += bits) value |= value >> bits;
  return static_cast<uint8_t>(value);
}

// Display's pixel for the 565 bits in `pixel`, widened as ExpandChannel does.
uint32_t WidePixel(uint32_t pixel) {
  const SDL_PixelFormat* f = Composed->format;
  return SDL_MapRGB(Display->format, ExpandChannel(pixel, f->Rmask, f->Rshift, f->Rloss),
                    ExpandChannel(pixel, f->Gmask, f->Gshift, f->Gloss),
                    ExpandChannel(pixel, f->Bmask, f->Bshift, f->Bloss));
}

// Red lies in the high byte and blue in the low byte of a 565 pixel; green
// has its top three bits in the high byte, and its widened byte takes the
// repeated top bits from there too. So each byte's widened bits land on bits
// of their own, and ORing the two halves' pixels (a mapping that shifts each
// channel into place, SDL_MapRGB for a format without a palette) gives the
// whole pixel's. One lookup per byte instead of three channels' arithmetic.
void MakeWideningTables() {
  for (uint32_t value = 0; value < 256; ++value) {
    WideLow[value] = WidePixel(value);
    WideHigh[value] = WidePixel(value << 8);
  }
}

template <typename TWide>
void WidenRows(const SDL_Surface* from, SDL_Surface* to) {
  for (int y = 0; y < from->h; ++y) {
    const Uint16* in = reinterpret_cast<const Uint16*>(static_cast<const uint8_t*>(from->pixels) + y * from->pitch);
    TWide* out = reinterpret_cast<TWide*>(static_cast<uint8_t*>(to->pixels) + y * to->pitch);
    for (int x = 0; x < from->w; ++x) out[x] = static_cast<TWide>(WideLow[in[x] & 0xFF] | WideHigh[in[x] >> 8]);
  }
}

void WidenRows24(const SDL_Surface* from, SDL_Surface* to) {
  for (int y = 0; y < from->h; ++y) {
    const Uint16* in = reinterpret_cast<const Uint16*>(static_cast<const uint8_t*>(from->pixels) + y * from->pitch);
    uint8_t* out = static_cast<uint8_t*>(to->pixels) + y * to->pitch;
    for (int x = 0; x < from->w; ++x, out += 3) {
      const uint32_t pixel = WideLow[in[x] & 0xFF] | WideHigh[in[x] >> 8];
      out[0] = static_cast<uint8_t>(pixel);  // little-endian, as SDL stores it
      out[1] = static_cast<uint8_t>(pixel >> 8);
      out[2] = static_cast<uint8_t>(pixel >> 16);
    }
  }
}

// Copies the 16-bit picture into SDL's screen, converted to its format.
void ShowComposed() {
  if (Display->format->palette != nullptr) {
    // No pixel of a palette is a sum of its channels: SDL picks the colours.
    SDL_BlitSurface(Composed, nullptr, Display, nullptr);
    return;
  }
  if (SDL_MUSTLOCK(Display) && SDL_LockSurface(Display) != 0) return;
  switch (Display->format->BytesPerPixel) {
    case 2:
      WidenRows<Uint16>(Composed, Display);
      break;
    case 3:
      WidenRows24(Composed, Display);
      break;
    default:
      WidenRows<Uint32>(Composed, Display);
      break;
  }
  if (SDL_MUSTLOCK(Display)) SDL_UnlockSurface(Display);
}

// ------------------------------------------------------ the presenter

SDL_Surface* OpenScreen(uint16_t width, uint16_t height, bool fullscreen) {
  const Uint32 flags = SDL_HWSURFACE | SDL_DOUBLEBUF | (fullscreen ? SDL_FULLSCREEN : 0);
  Display = SDL_SetVideoMode(width, height, ScreenDepth, flags);
  if (Display == nullptr || Is565(Display->format) || !ComposingAllowed) return Display;
  Composed = SDL_CreateRGBSurface(SDL_SWSURFACE, Display->w, Display->h, ComposedBitsPerPixel, Red565, Green565,
                                  Blue565, 0);
  // Where SDL cannot make a 565 surface (no memory, or a library whose
  // surfaces all have the screen's format) the engine draws on SDL's screen
  // as SDL draws there.
  if (Composed != nullptr && !Is565(Composed->format)) {
    SDL_FreeSurface(Composed);
    Composed = nullptr;
  }
  if (Composed == nullptr) return Display;
  MakeWideningTables();
  return Composed;
}

void CloseScreen() {
  ReleaseFillCache();
  SDL_FreeSurface(Composed);
  Composed = nullptr;
  Display = nullptr;
}

void PreparePicture(CSprite& picture, uint16_t, TPictureUse) {
  if (!LiteralDrawing) MakeCopies(picture);
}

void DrawSprite(CSprite& sprite, int16_t x, int16_t y, TDrawKind kind, uint8_t alpha) {
  const SDL_Rect whole{0, 0, static_cast<Uint16>(sprite.Surface->w), static_cast<Uint16>(sprite.Surface->h)};
  DrawPicture(sprite, whole, x, y, kind, alpha);
}

void Fill(int16_t x, int16_t y, uint16_t w, uint16_t h, TColor color) {
  if (w == 0 || h == 0) return;
  const uint32_t pixel = SDL_MapRGB(Screen->format, color.R, color.G, color.B);
  if (!LiteralDrawing && OwnFillBlending()) {
    TVisible v;
    if (!Clip(x, y, w, h, v) || !LockScreen()) return;
    const TScreenRows screen = ScreenRows(v);
    BlendFill(screen.to, screen.pitch, screen.before, screen.after, v.width, v.height, pixel, color.A);
    UnlockScreen();
    return;
  }
  // The cached surface has the plain way's format and colour, so the blit
  // gives the same pixels.
  SDL_Surface* temp = LiteralDrawing ? NewFillSurface(w, h) : CachedFillSurface(w, h, pixel);
  if (temp == nullptr) return;
  if (LiteralDrawing) SDL_FillRect(temp, nullptr, pixel);
  SetBlending(temp, false, 0, true, color.A);
  Blit(temp, SDL_Rect{0, 0, w, h}, x, y);
  if (LiteralDrawing) SDL_FreeSurface(temp);
}

// Every glyph is drawn from the font's image, keyed on black and blended.
void BeginText(const CFont&, uint8_t) {}

void DrawGlyph(CFont& font, const TGlyph& glyph, int penX, int16_t y, uint8_t alpha) {
  SDL_Rect source;
  SDL_Rect destination;
  if (ClipToImage(glyph, font.Image.Surface, penX, y, source, destination)) {
    DrawPicture(font.Image, source, destination.x, destination.y, TDrawKind::Blended, alpha);
  }
}

void Present() {
  if (Composed != nullptr) ShowComposed();
  SDL_Flip(Display);
  // Every frame is drawn onto black.
  SDL_FillRect(Screen, &Screen->clip_rect, SDL_MapRGB(Screen->format, 0, 0, 0));
}

bool ReadFrame(std::vector<uint8_t>& rgb, int& width, int& height) {
  if (Screen == nullptr || !LockScreen()) return false;
  const SDL_PixelFormat* f = Screen->format;
  width = Screen->w;
  height = Screen->h;
  rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(Screen->pixels) + static_cast<size_t>(y) * Screen->pitch;
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = PixelAt(row + x * f->BytesPerPixel, f->BytesPerPixel);
      uint8_t* out = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      if (f->palette != nullptr) {
        const SDL_Color& c = f->palette->colors[pixel % f->palette->ncolors];
        out[0] = c.r;
        out[1] = c.g;
        out[2] = c.b;
      } else {
        out[0] = ExpandChannel(pixel, f->Rmask, f->Rshift, f->Rloss);
        out[1] = ExpandChannel(pixel, f->Gmask, f->Gshift, f->Gloss);
        out[2] = ExpandChannel(pixel, f->Bmask, f->Bshift, f->Bloss);
      }
    }
  }
  UnlockScreen();
  return true;
}

}  // namespace

namespace state {

const TPresenter FrameBufferPresenter{
    .OpenScreen = OpenScreen,
    .CloseScreen = CloseScreen,
    .PreparePicture = PreparePicture,
    .DrawSprite = DrawSprite,
    .FillRect = Fill,
    .BeginText = BeginText,
    .DrawGlyph = DrawGlyph,
    .Present = Present,
    .ReadFrame = ReadFrame,
};

bool FrameBufferReady() { return Presenter == &FrameBufferPresenter; }

void DropScreenCopies(CSprite& sprite) { DropCopies(sprite); }

}  // namespace state

bool CopyBytesToScreen(const uint8_t* from, size_t count) {
  if (!FrameBufferReady() || !LockScreen()) return false;
  const size_t screenBytes = static_cast<size_t>(Screen->pitch) * Screen->h;
  while (count > 0) {
    const size_t n = std::min(count, screenBytes);
    std::memcpy(Screen->pixels, from, n);
    count -= n;
  }
  UnlockScreen();
  return true;
}

void SetFrameBufferDepth(uint8_t bitsPerPixel) { ScreenDepth = bitsPerPixel; }
void SetScreenComposing(bool on) { ComposingAllowed = on; }

}  // namespace game
