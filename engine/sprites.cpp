// Sprites: loading into the sprite bank, opaque, keyed and translucent
// drawing, and translucent filled rectangles.
//
// Drawing speed. A loaded picture is 24-bit; the screen is 16-bit. Blitting
// one onto the other converts every pixel on every draw, and changing a
// surface's key or alpha makes SDL throw away its run-length encoding. So
// each picture is converted once, when it is loaded, into copies in the
// screen's format (engine/game.h, CSprite): an opaque copy for Draw, and a
// keyed copy for keyed and translucent draws in which the pixels equal to
// the colour key carry a pixel value KeyPixel that no other pixel of the
// copy has. That matters: a near-black picture pixel such as (7, 3, 7)
// becomes 0 in 16 bits and would be left out with a key of 0, while the
// 24-bit picture keyed on black draws it. Each surface keeps the blending
// state of its last draw, and SDL is asked to change it only when a draw
// needs another state. The pixels drawn are the same either way; the
// literal way remains behind SetLiteralDrawing for comparison.
#include <SDL.h>

#include <algorithm>
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

namespace state {

std::string ResourceFile(const std::string& folder, const std::string& name,
                         const std::string& looseExtension) {
  if (resources::DevelopMode) return resources::ProgramDir + folder + name + looseExtension;
  // Every packed load reuses the one scratch file; the checksum verdict is
  // deliberately ignored: a damaged file still loads what it restores to.
  resources::UnpackDataFile(resources::ProgramDir + folder + name + ".dat");
  return resources::ScratchFilePath();
}

namespace {

// A raw pixel value at p, for 1 to 4 bytes per pixel (little-endian memory).
uint32_t PixelAt(const uint8_t* p, int bytesPerPixel) {
  switch (bytesPerPixel) {
    case 1:
      return *p;
    case 2:
      return *reinterpret_cast<const Uint16*>(p);
    case 3:
      return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
             (static_cast<uint32_t>(p[2]) << 16);
    default:
      return *reinterpret_cast<const Uint32*>(p);
  }
}

// Which pixels of the picture a keyed blit leaves out: those whose value,
// without the alpha bits, equals the key (a palette index for 8-bit images).
std::vector<bool> KeyMask(SDL_Surface* surface, uint32_t key) {
  std::vector<bool> mask(static_cast<size_t>(surface->w) * surface->h, false);
  if (SDL_LockSurface(surface) != 0) return {};
  const SDL_PixelFormat* f = surface->format;
  const uint32_t valueBits = f->BytesPerPixel == 1 ? 0xFFu : ~f->Amask;
  for (int y = 0; y < surface->h; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch;
    for (int x = 0; x < surface->w; ++x) {
      const uint32_t pixel = PixelAt(row + x * f->BytesPerPixel, f->BytesPerPixel);
      mask[static_cast<size_t>(y) * surface->w + x] = (pixel & valueBits) == (key & valueBits);
    }
  }
  SDL_UnlockSurface(surface);
  return mask;
}

// The smallest pixel value of copy's format that no pixel of copy uses;
// false when every value is taken.
bool FreePixelValue(SDL_Surface* copy, uint32_t& freeValue) {
  const SDL_PixelFormat* f = copy->format;
  const uint32_t colourBits = f->Rmask | f->Gmask | f->Bmask;
  std::vector<uint32_t> used;
  used.reserve(static_cast<size_t>(copy->w) * copy->h);
  for (int y = 0; y < copy->h; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(copy->pixels) + static_cast<size_t>(y) * copy->pitch;
    for (int x = 0; x < copy->w; ++x) used.push_back(PixelAt(row + x * f->BytesPerPixel, f->BytesPerPixel));
  }
  std::sort(used.begin(), used.end());
  used.erase(std::unique(used.begin(), used.end()), used.end());
  uint64_t candidate = 0;
  for (uint32_t value : used) {
    while (candidate < value && (candidate & ~uint64_t{colourBits}) != 0) ++candidate;
    if (candidate < value) break;
    candidate = uint64_t{value} + 1;
  }
  while (candidate <= colourBits && (candidate & ~uint64_t{colourBits}) != 0) ++candidate;
  if (candidate > colourBits) return false;
  freeValue = static_cast<uint32_t>(candidate);
  return true;
}

void WritePixel(uint8_t* p, int bytesPerPixel, uint32_t value) {
  switch (bytesPerPixel) {
    case 2:
      *reinterpret_cast<Uint16*>(p) = static_cast<Uint16>(value);
      break;
    case 3:
      p[0] = static_cast<uint8_t>(value);
      p[1] = static_cast<uint8_t>(value >> 8);
      p[2] = static_cast<uint8_t>(value >> 16);
      break;
    case 4:
      *reinterpret_cast<Uint32*>(p) = value;
      break;
    default:
      *p = static_cast<uint8_t>(value);
      break;
  }
}

// A copy of the picture in the screen's format with no key and no alpha.
SDL_Surface* ConvertedCopy(SDL_Surface* surface) {
  SDL_Surface* copy = SDL_ConvertSurface(surface, Screen->format, SDL_SWSURFACE);
  if (copy == nullptr) return nullptr;
  // SDL_ConvertSurface hands on the picture's key and alpha; a copy starts bare.
  SDL_SetColorKey(copy, 0, 0);
  SDL_SetAlpha(copy, 0, 0);
  return copy;
}

// The keyed copy: the opaque copy with every key pixel set to a value no
// other pixel has. Null when there is no free value.
SDL_Surface* KeyedCopy(SDL_Surface* surface, uint32_t key, SDL_Surface* opaque, uint32_t& keyPixel) {
  const std::vector<bool> mask = KeyMask(surface, key);
  if (mask.empty() || !FreePixelValue(opaque, keyPixel)) return nullptr;
  SDL_Surface* keyed = ConvertedCopy(surface);
  if (keyed == nullptr) return nullptr;
  const int bytes = keyed->format->BytesPerPixel;
  for (int y = 0; y < keyed->h; ++y) {
    uint8_t* row = static_cast<uint8_t*>(keyed->pixels) + static_cast<size_t>(y) * keyed->pitch;
    for (int x = 0; x < keyed->w; ++x) {
      if (mask[static_cast<size_t>(y) * keyed->w + x]) WritePixel(row + x * bytes, bytes, keyPixel);
    }
  }
  return keyed;
}

void DropCopies(CSprite& sprite) {
  SDL_FreeSurface(sprite.Opaque);
  SDL_FreeSurface(sprite.Keyed);
  sprite.Opaque = nullptr;
  sprite.Keyed = nullptr;
  sprite.KeyPixel = 0;
}

}  // namespace

void MakeScreenCopies(CSprite& sprite) {
  DropCopies(sprite);
  sprite.CopiesMode = VideoMode;
  SDL_Surface* surface = sprite.Surface;
  // Pictures with their own alpha channel, and palette screens, keep the
  // literal way.
  if (!FrameBufferReady() || surface == nullptr || surface->format->Amask != 0 ||
      Screen->format->palette != nullptr) {
    return;
  }
  sprite.Opaque = ConvertedCopy(surface);
  if (sprite.Opaque == nullptr) return;
  sprite.Keyed = KeyedCopy(surface, sprite.ColorKey, sprite.Opaque, sprite.KeyPixel);
}

namespace {

// Brings the copies up to date after a change of video mode.
void RefreshCopies(CSprite& sprite) {
  if (sprite.CopiesMode != VideoMode) MakeScreenCopies(sprite);
}

}  // namespace

SDL_Surface* KeyedSurface(CSprite& sprite, uint32_t& key) {
  if (!LiteralDrawing) {
    RefreshCopies(sprite);
    if (sprite.Keyed != nullptr) {
      key = sprite.KeyPixel;
      return sprite.Keyed;
    }
  }
  key = sprite.ColorKey;
  return sprite.Surface;
}

void SetBlending(SDL_Surface* surface, bool keyed, uint32_t key, bool blended, uint8_t alpha) {
  const Uint32 keyFlags = keyed ? SDL_SRCCOLORKEY | SDL_RLEACCEL : 0;
  const Uint32 alphaFlags = blended ? SDL_SRCALPHA | SDL_RLEACCEL : 0;
  if (LiteralDrawing) {
    SDL_SetColorKey(surface, keyFlags, keyed ? key : 0);
    SDL_SetAlpha(surface, alphaFlags, blended ? alpha : 0);
    return;
  }
  // The state each call leaves behind, as SDL records it in the surface.
  const Uint32 flags = surface->flags;
  const bool keyState = keyed ? (flags & SDL_SRCCOLORKEY) != 0 && (flags & SDL_RLEACCELOK) != 0 &&
                                    surface->format->colorkey == key
                              : (flags & (SDL_SRCCOLORKEY | SDL_RLEACCELOK)) == 0;
  if (!keyState) SDL_SetColorKey(surface, keyFlags, keyed ? key : 0);
  const bool alphaState = blended ? (surface->flags & SDL_SRCALPHA) != 0 &&
                                        (surface->flags & SDL_RLEACCELOK) != 0 &&
                                        surface->format->alpha == alpha
                                  : (surface->flags & SDL_SRCALPHA) == 0;
  if (!alphaState) SDL_SetAlpha(surface, alphaFlags, blended ? alpha : 0);
}

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
  return SDL_CreateRGBSurface(SDL_HWSURFACE, w, h, f->BitsPerPixel, f->Rmask, f->Gmask, f->Bmask,
                              f->Amask);
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

void ReleaseFillCache() {
  for (TFillSurface& entry : FillCache) SDL_FreeSurface(entry.surface);
  FillCache.clear();
}

}  // namespace state

// ---------------------------------------------------------------- loading

uint16_t LoadSprite(const std::string& name, TColor colorKey) {
  const std::string file = ResourceFile("Sprites/", name, ".bmp");
  SDL_Surface* surface = SDL_LoadBMP(file.c_str());
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
  MakeScreenCopies(*sprite);
  return SpriteBank.Add(sprite);
}

uint16_t SpriteCount() { return SpriteBank.GetWidth(); }
CSprite* GetSprite(uint16_t id) { return SpriteBank.Get(id); }
uint16_t PeekNextTexture() { return NextTexture; }

// ---------------------------------------------------------------- drawing

namespace {

enum class TDrawKind { Opaque, Keyed, Blended };

void DrawSprite(int16_t x, int16_t y, uint16_t id, TDrawKind kind, uint8_t alpha) {
  CSprite* sprite = SpriteBank.Get(id);
  if (sprite == nullptr || sprite->Surface == nullptr) return;
  if (VideoDriver != vdFrameBuffer) {
#ifdef VEXMOOR_OPENGL
    const uint8_t glAlpha = kind == TDrawKind::Blended ? alpha : 255;
    if (OpenGLReady()) gl::DrawSprite(*sprite, x, y, glAlpha, Brightness);
#endif
    return;
  }
  if (Screen == nullptr) return;
  SDL_Surface* surface = sprite->Surface;
  if (kind == TDrawKind::Opaque) {
    if (!LiteralDrawing) {
      RefreshCopies(*sprite);
      if (sprite->Opaque != nullptr) surface = sprite->Opaque;
    }
    SetBlending(surface, false, 0, false, 0);
  } else {
    uint32_t key = 0;
    surface = KeyedSurface(*sprite, key);
    SetBlending(surface, true, key, kind == TDrawKind::Blended, alpha);
  }
  SDL_Rect destination{x, y, static_cast<Uint16>(surface->w), static_cast<Uint16>(surface->h)};
  SDL_BlitSurface(surface, nullptr, Screen, &destination);
}

}  // namespace

void Draw(int16_t x, int16_t y, uint16_t id) { DrawSprite(x, y, id, TDrawKind::Opaque, 255); }
void DrawKeyed(int16_t x, int16_t y, uint16_t id) { DrawSprite(x, y, id, TDrawKind::Keyed, 255); }
void DrawAlpha(int16_t x, int16_t y, uint16_t id, uint8_t alpha) {
  DrawSprite(x, y, id, TDrawKind::Blended, alpha);
}

void FillRect(int16_t x, int16_t y, uint16_t w, uint16_t h, TColor color) {
  if (VideoDriver != vdFrameBuffer) {
#ifdef VEXMOOR_OPENGL
    if (OpenGLReady()) gl::FillRect(x, y, w, h, color, Brightness);
#endif
    return;
  }
  if (Screen == nullptr || w == 0 || h == 0) return;
  const uint32_t pixel = SDL_MapRGB(Screen->format, color.R, color.G, color.B);
  SDL_Surface* temp = LiteralDrawing ? NewFillSurface(w, h) : CachedFillSurface(w, h, pixel);
  if (temp == nullptr) return;
  if (LiteralDrawing) SDL_FillRect(temp, nullptr, pixel);
  SetBlending(temp, false, 0, true, color.A);
  SDL_Rect destination{x, y, w, h};
  SDL_BlitSurface(temp, nullptr, Screen, &destination);
  if (LiteralDrawing) SDL_FreeSurface(temp);
}

}  // namespace game
