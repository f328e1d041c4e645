// Sprites: loading into the sprite bank, opaque, keyed and translucent
// drawing, and translucent filled rectangles.
//
// Drawing speed. A loaded picture is 24-bit and the screen 16-bit, so the
// plain way (blit the loaded surface, its key and alpha set on every draw)
// converts every pixel on every draw, and each change of key or alpha makes
// SDL throw away a surface's run-length encoding. Instead every picture is
// prepared once, at load, for the screen it will be drawn on (TScreenCopies):
//
// - Opaque: the picture in the screen's format, for Draw.
// - Keyed: the same, except that the pixels equal to the colour key hold
//   KeyPixel, a value no other pixel of the copy has, and the key is
//   KeyPixel. It matters: a near-black pixel such as (7, 3, 7) becomes 0 in
//   16 bits and would be left out with a key of 0, while the 24-bit picture
//   keyed on black draws it. For DrawKeyed, and for translucent draws at
//   alpha 255, which SDL draws as plain keyed blits.
// - Colours: the picture's own 8-bit colours, for translucent draws. SDL
//   blends a 24-bit picture onto the screen in 8-bit precision from the
//   picture's colours; blending the 16-bit copy would lose their low bits.
//   BlendColours does the same arithmetic as SDL's blit for this case.
//
// The copies never change their key or alpha, so SDL keeps their encoding.
// The pixels drawn are the same as the plain way's, which stays available
// behind SetLiteralDrawing (the benchmark draws both, and a test compares
// them pixel for pixel).
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/engine_state.h"
#include "engine/game.h"
#include "resources/datafile.h"
#include "resources/startup.h"
#ifdef VEXMOOR_OPENGL
#include "engine/gl_driver.h"
#endif

namespace game {

using namespace state;

struct TScreenCopies {
  // The SetVideoMode the copies were made for.
  uint32_t Mode = 0;
  SDL_Surface* Opaque = nullptr;
  // Null when every pixel value is taken; keyed draws then go the plain way.
  SDL_Surface* Keyed = nullptr;
  uint32_t KeyPixel = 0;
  int Width = 0;
  // 0x00RRGGBB per pixel, row after row; KeyColour for the key pixels.
  std::vector<uint32_t> Colours;
};

namespace {

constexpr uint32_t KeyColour = 0xFF000000u;
constexpr uint8_t Opaque = 255;

void WritePixel(uint8_t* p, int bytesPerPixel, uint32_t value) {
  switch (bytesPerPixel) {
    case 1:
      *p = static_cast<uint8_t>(value);
      break;
    case 2: {
      const Uint16 narrow = static_cast<Uint16>(value);
      std::memcpy(p, &narrow, sizeof narrow);  // rows of odd pictures need not be aligned
      break;
    }
    case 3:
      p[0] = static_cast<uint8_t>(value);
      p[1] = static_cast<uint8_t>(value >> 8);
      p[2] = static_cast<uint8_t>(value >> 16);
      break;
    default:
      std::memcpy(p, &value, sizeof value);
      break;
  }
}

// A channel of a pixel as SDL reads it for blending: shifted to the top of
// the byte, low bits zero.
inline int Channel(uint32_t pixel, uint32_t mask, uint8_t shift, uint8_t loss) {
  return static_cast<int>(((pixel & mask) >> shift) << loss);
}

// The picture's colours as SDL's keyed, translucent blit reads them, with
// KeyColour where the pixel equals the key (compared without alpha bits).
std::vector<uint32_t> PictureColours(SDL_Surface* surface, uint32_t key) {
  if (SDL_LockSurface(surface) != 0) return {};
  const SDL_PixelFormat* f = surface->format;
  std::vector<uint32_t> colours;
  colours.reserve(static_cast<size_t>(surface->w) * surface->h);
  for (int y = 0; y < surface->h; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
    for (int x = 0; x < surface->w; ++x) {
      const uint32_t pixel = PixelAt(row + x * f->BytesPerPixel, f->BytesPerPixel);
      if (pixel == key) {
        colours.push_back(KeyColour);
        continue;
      }
      const uint32_t r = Channel(pixel, f->Rmask, f->Rshift, f->Rloss);
      const uint32_t g = Channel(pixel, f->Gmask, f->Gshift, f->Gloss);
      const uint32_t b = Channel(pixel, f->Bmask, f->Bshift, f->Bloss);
      colours.push_back((r << 16) | (g << 8) | b);
    }
  }
  SDL_UnlockSurface(surface);
  return colours;
}

// The smallest pixel value of copy's format that none of its pixels has;
// false when every value is taken.
bool FreePixelValue(SDL_Surface* copy, uint32_t& freeValue) {
  const SDL_PixelFormat* f = copy->format;
  const uint64_t colourBits = f->Rmask | f->Gmask | f->Bmask;
  std::vector<uint32_t> used;
  used.reserve(static_cast<size_t>(copy->w) * copy->h);
  for (int y = 0; y < copy->h; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(copy->pixels) + static_cast<size_t>(y) * copy->pitch;
    for (int x = 0; x < copy->w; ++x) used.push_back(PixelAt(row + x * f->BytesPerPixel, f->BytesPerPixel));
  }
  std::sort(used.begin(), used.end());
  used.erase(std::unique(used.begin(), used.end()), used.end());
  // Only values made of colour bits: the key is compared without the rest.
  auto nextCandidate = [&](uint64_t value) {
    while (value <= colourBits && (value & ~colourBits) != 0) ++value;
    return value;
  };
  uint64_t candidate = nextCandidate(0);
  for (uint32_t value : used) {
    if (candidate < value) break;
    if (candidate == value) candidate = nextCandidate(candidate + 1);
  }
  if (candidate > colourBits) return false;
  freeValue = static_cast<uint32_t>(candidate);
  return true;
}

// The picture in the screen's format, with no key and no alpha.
SDL_Surface* ConvertedCopy(SDL_Surface* surface) {
  SDL_Surface* copy = SDL_ConvertSurface(surface, Screen->format, SDL_SWSURFACE);
  if (copy == nullptr) return nullptr;
  // SDL_ConvertSurface hands on the picture's key and alpha; a copy starts bare.
  SDL_SetColorKey(copy, 0, 0);
  SDL_SetAlpha(copy, 0, 0);
  return copy;
}

// The opaque copy again, its key pixels set to a value no other pixel has.
SDL_Surface* KeyedCopy(SDL_Surface* surface, const std::vector<uint32_t>& colours, SDL_Surface* opaque,
                       uint32_t& keyPixel) {
  if (!FreePixelValue(opaque, keyPixel)) return nullptr;
  SDL_Surface* keyed = ConvertedCopy(surface);
  if (keyed == nullptr) return nullptr;
  const int bytes = keyed->format->BytesPerPixel;
  for (int y = 0; y < keyed->h; ++y) {
    uint8_t* row = static_cast<uint8_t*>(keyed->pixels) + static_cast<size_t>(y) * keyed->pitch;
    for (int x = 0; x < keyed->w; ++x) {
      if (colours[static_cast<size_t>(y) * keyed->w + x] == KeyColour) WritePixel(row + x * bytes, bytes, keyPixel);
    }
  }
  SDL_SetColorKey(keyed, SDL_SRCCOLORKEY | SDL_RLEACCEL, keyPixel);
  return keyed;
}

void DropCopies(CSprite& sprite) {
  if (sprite.Copies == nullptr) return;
  SDL_FreeSurface(sprite.Copies->Opaque);
  SDL_FreeSurface(sprite.Copies->Keyed);
  delete sprite.Copies;
  sprite.Copies = nullptr;
}

// Pictures with their own alpha channel or a palette, and screens that are
// not 16 or 32 bits without a palette, are drawn the plain way.
bool CanCopy(const SDL_Surface* surface) {
  const SDL_PixelFormat* picture = surface->format;
  const SDL_PixelFormat* screen = Screen->format;
  return picture->Amask == 0 && picture->palette == nullptr && picture->BytesPerPixel >= 2 &&
         screen->palette == nullptr && (screen->BytesPerPixel == 2 || screen->BytesPerPixel == 4);
}

void MakeCopies(CSprite& sprite) {
  DropCopies(sprite);
  SDL_Surface* surface = sprite.Surface;
  if (!FrameBufferReady() || surface == nullptr || !CanCopy(surface)) return;
  auto copies = new TScreenCopies;
  copies->Mode = VideoMode;
  copies->Width = surface->w;
  copies->Colours = PictureColours(surface, sprite.ColorKey);
  copies->Opaque = ConvertedCopy(surface);
  if (copies->Colours.empty() || copies->Opaque == nullptr) {
    SDL_FreeSurface(copies->Opaque);
    delete copies;
    return;
  }
  copies->Keyed = KeyedCopy(surface, copies->Colours, copies->Opaque, copies->KeyPixel);
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

// SDL's blend of one channel: d + ((s - d) * alpha + 255) / 256, rounded
// down (SDL works in unsigned arithmetic that wraps to the same result).
inline int Blend(int s, int d, int alpha) { return d + (((s - d) * alpha + 255) >> 8); }

// A screen channel's place in a pixel, held in locals so that the loop
// below does not reload it after every pixel it writes.
struct TChannel {
  uint32_t mask;
  uint8_t shift, loss;
  int Read(uint32_t pixel) const { return Channel(pixel, mask, shift, loss); }
  uint32_t Write(int value) const { return (static_cast<uint32_t>(value) >> loss) << shift; }
};

template <int BytesPerPixel>
void BlendRows(const TScreenCopies& copies, const SDL_Rect& visible, int sourceX, int sourceY, uint8_t alpha) {
  using TPixel = std::conditional_t<BytesPerPixel == 2, Uint16, Uint32>;
  const SDL_PixelFormat* f = Screen->format;
  const TChannel red{f->Rmask, f->Rshift, f->Rloss};
  const TChannel green{f->Gmask, f->Gshift, f->Gloss};
  const TChannel blue{f->Bmask, f->Bshift, f->Bloss};
  const int a = alpha;
  for (int row = 0; row < visible.h; ++row) {
    const uint32_t* from = &copies.Colours[static_cast<size_t>(sourceY + row) * copies.Width + sourceX];
    auto* to = reinterpret_cast<TPixel*>(static_cast<uint8_t*>(Screen->pixels) +
                                         static_cast<size_t>(visible.y + row) * Screen->pitch) +
               visible.x;
    for (int column = 0; column < visible.w; ++column) {
      const uint32_t s = from[column];
      if (s == KeyColour) continue;
      const uint32_t d = to[column];
      const int r = Blend(static_cast<int>(s >> 16), red.Read(d), a);
      const int g = Blend(static_cast<int>((s >> 8) & 0xFF), green.Read(d), a);
      const int b = Blend(static_cast<int>(s & 0xFF), blue.Read(d), a);
      to[column] = static_cast<TPixel>(red.Write(r) | green.Write(g) | blue.Write(b));
    }
  }
}

// Blends part of a picture onto the screen from its own colours, clipped to
// the screen's clip rectangle as a blit would be.
void BlendColours(const TScreenCopies& copies, const SDL_Rect& source, int x, int y, uint8_t alpha) {
  const SDL_Rect& clip = Screen->clip_rect;
  const int left = std::max(x, static_cast<int>(clip.x));
  const int top = std::max(y, static_cast<int>(clip.y));
  const int right = std::min(x + source.w, clip.x + clip.w);
  const int bottom = std::min(y + source.h, clip.y + clip.h);
  if (right <= left || bottom <= top) return;
  const SDL_Rect visible{static_cast<Sint16>(left), static_cast<Sint16>(top), static_cast<Uint16>(right - left),
                         static_cast<Uint16>(bottom - top)};
  const int sourceX = source.x + (left - x);
  const int sourceY = source.y + (top - y);
  if (SDL_MUSTLOCK(Screen) && SDL_LockSurface(Screen) != 0) return;
  if (Screen->format->BytesPerPixel == 2) {
    BlendRows<2>(copies, visible, sourceX, sourceY, alpha);
  } else {
    BlendRows<4>(copies, visible, sourceX, sourceY, alpha);
  }
  if (SDL_MUSTLOCK(Screen)) SDL_UnlockSurface(Screen);
}

// The plain way: the loaded surface, its key and alpha set for this draw.
void DrawPlain(CSprite& sprite, const SDL_Rect& source, int x, int y, TDrawKind kind, uint8_t alpha) {
  SetBlending(sprite.Surface, kind != TDrawKind::Opaque, sprite.ColorKey, kind == TDrawKind::Blended, alpha);
  Blit(sprite.Surface, source, x, y);
}

// Whether a loaded surface describes itself in a way drawing can trust: a
// bit depth SDL 1.2 draws (8 with a palette, 15, 16, 24 or 32), the bytes
// per pixel that go with it, channels that fit a pixel and rows that fit
// the pitch.
bool SoundPicture(const SDL_Surface* surface) {
  const SDL_PixelFormat* f = surface->format;
  if (f == nullptr || surface->w < 0 || surface->h < 0) return false;
  const int bits = f->BitsPerPixel;
  if (bits != 8 && bits != 15 && bits != 16 && bits != 24 && bits != 32) return false;
  if (f->BytesPerPixel != (bits + 7) / 8 || surface->pitch < surface->w * f->BytesPerPixel) return false;
  if (surface->pixels == nullptr && surface->w > 0 && surface->h > 0) return false;
  if (bits == 8) return f->palette != nullptr;
  for (const auto& [loss, shift] : {std::pair{f->Rloss, f->Rshift}, std::pair{f->Gloss, f->Gshift},
                                    std::pair{f->Bloss, f->Bshift}, std::pair{f->Aloss, f->Ashift}}) {
    if (loss > 8 || shift > 31) return false;
  }
  return true;
}

}  // namespace

namespace state {

uint32_t PixelAt(const uint8_t* p, int bytesPerPixel) {
  switch (bytesPerPixel) {
    case 1:
      return *p;
    case 2: {
      // Copied, not dereferenced: SDL does not align every picture's rows.
      Uint16 value;
      std::memcpy(&value, p, sizeof value);
      return value;
    }
    case 3:
      return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
             (static_cast<uint32_t>(p[2]) << 16);
    default: {
      Uint32 value;
      std::memcpy(&value, p, sizeof value);
      return value;
    }
  }
}

std::string ResourceFile(const std::string& folder, const std::string& name,
                         const std::string& looseExtension) {
  if (resources::DevelopMode) return resources::ProgramDir + folder + name + looseExtension;
  // Every packed load reuses the one scratch file; the checksum verdict is
  // deliberately ignored: a damaged file still loads what it restores to.
  resources::UnpackDataFile(resources::ProgramDir + folder + name + ".dat");
  return resources::ScratchFilePath();
}

SDL_Surface* LoadPicture(const std::string& file) {
  SDL_Surface* surface = SDL_LoadBMP(file.c_str());
  if (surface == nullptr) return nullptr;
  if (SoundPicture(surface)) return surface;
  SDL_FreeSurface(surface);
  return nullptr;
}

void PrepareScreenCopies(CSprite& sprite) {
  if (!LiteralDrawing) MakeCopies(sprite);
}

void ReleasePicture(CSprite& sprite) {
  DropCopies(sprite);
  SDL_FreeSurface(sprite.Surface);
  sprite.Surface = nullptr;
}

void DrawPicture(CSprite& sprite, const SDL_Rect& source, int x, int y, TDrawKind kind, uint8_t alpha) {
  TScreenCopies* copies = CurrentCopies(sprite);
  if (copies == nullptr) return DrawPlain(sprite, source, x, y, kind, alpha);
  // SDL draws a keyed picture at alpha 255 as a plain keyed blit.
  if (kind == TDrawKind::Blended && alpha == Opaque) kind = TDrawKind::Keyed;
  switch (kind) {
    case TDrawKind::Opaque:
      Blit(copies->Opaque, source, x, y);
      break;
    case TDrawKind::Keyed:
      if (copies->Keyed == nullptr) return DrawPlain(sprite, source, x, y, kind, alpha);
      SetBlending(copies->Keyed, true, copies->KeyPixel, false, 0);
      Blit(copies->Keyed, source, x, y);
      break;
    case TDrawKind::Blended:
      // Alpha 0 leaves the screen as it is.
      if (alpha != 0) BlendColours(*copies, source, x, y, alpha);
      break;
  }
}

}  // namespace state

// ------------------------------------------------------ FillRect surfaces

namespace {

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

}  // namespace

void state::ReleaseFillCache() {
  for (TFillSurface& entry : FillCache) SDL_FreeSurface(entry.surface);
  FillCache.clear();
}

// ---------------------------------------------------------------- loading

uint16_t LoadSprite(const std::string& name, TColor colorKey) {
  if (SpriteBank.Full()) return 0;  // another id would wrap to 0
  const std::string file = ResourceFile("Sprites/", name, ".bmp");
  SDL_Surface* surface = LoadPicture(file);
  if (surface == nullptr) return 0;
  auto* sprite = new CSprite;
  sprite->Surface = surface;
#ifdef VEXMOOR_OPENGL
  if (VideoDriver == vdOpenGL) {
    uint16_t texWidth = 0;
    uint16_t texHeight = 0;
    if (OpenGLReady()) gl::UploadTexture(surface, NextTexture, texWidth, texHeight);
    if (texWidth != 0 && texHeight != 0) {
      sprite->TexU = static_cast<float>(surface->w) / texWidth;
      sprite->TexV = static_cast<float>(surface->h) / texHeight;
    }
    sprite->Texture = NextTexture;
  }
#endif
  ++NextTexture;
  sprite->ColorKey = SDL_MapRGB(surface->format, colorKey.R, colorKey.G, colorKey.B);
  // After the upload, which reads the 24-bit original.
  PrepareScreenCopies(*sprite);
  return SpriteBank.Add(sprite);
}

uint16_t SpriteCount() { return SpriteBank.GetWidth(); }
CSprite* GetSprite(uint16_t id) { return SpriteBank.Get(id); }
uint16_t PeekNextTexture() { return NextTexture; }

// ---------------------------------------------------------------- drawing

namespace {

void DrawSprite(int16_t x, int16_t y, uint16_t id, TDrawKind kind, uint8_t alpha) {
  CSprite* sprite = SpriteBank.Get(id);
  if (sprite == nullptr || sprite->Surface == nullptr) return;
  if (VideoDriver != vdFrameBuffer) {
#ifdef VEXMOOR_OPENGL
    if (OpenGLReady()) gl::DrawSprite(*sprite, x, y, kind == TDrawKind::Blended ? alpha : Opaque, Brightness);
#endif
    return;
  }
  if (!FrameBufferReady()) return;
  const SDL_Rect whole{0, 0, static_cast<Uint16>(sprite->Surface->w), static_cast<Uint16>(sprite->Surface->h)};
  DrawPicture(*sprite, whole, x, y, kind, alpha);
}

}  // namespace

void Draw(int16_t x, int16_t y, uint16_t id) { DrawSprite(x, y, id, TDrawKind::Opaque, Opaque); }
void DrawKeyed(int16_t x, int16_t y, uint16_t id) { DrawSprite(x, y, id, TDrawKind::Keyed, Opaque); }
void DrawAlpha(int16_t x, int16_t y, uint16_t id, uint8_t alpha) { DrawSprite(x, y, id, TDrawKind::Blended, alpha); }

void FillRect(int16_t x, int16_t y, uint16_t w, uint16_t h, TColor color) {
  if (VideoDriver != vdFrameBuffer) {
#ifdef VEXMOOR_OPENGL
    if (OpenGLReady()) gl::FillRect(x, y, w, h, color, Brightness);
#endif
    return;
  }
  if (!FrameBufferReady() || w == 0 || h == 0) return;
  const uint32_t pixel = SDL_MapRGB(Screen->format, color.R, color.G, color.B);
  // The cached surface has the plain way's format and colour, so the blit
  // gives the same pixels.
  SDL_Surface* temp = LiteralDrawing ? NewFillSurface(w, h) : CachedFillSurface(w, h, pixel);
  if (temp == nullptr) return;
  if (LiteralDrawing) SDL_FillRect(temp, nullptr, pixel);
  SetBlending(temp, false, 0, true, color.A);
  Blit(temp, SDL_Rect{0, 0, w, h}, x, y);
  if (LiteralDrawing) SDL_FreeSurface(temp);
}

}  // namespace game
