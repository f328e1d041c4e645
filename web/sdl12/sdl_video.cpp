// The browser SDL's surfaces, blits, BMP reader and screen. Every surface
// is plain memory in SDL 1.2's own layout, and every blit does SDL 1.2's
// arithmetic, so the engine draws exactly the pixels it draws on the
// desktop; the page only ever sees finished frames.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "SDL.h"
#include "web/sdl12/page_bridge.h"
#include "web/sdl12/sdl_state.h"

namespace sdl12 {

namespace {

SDL_Surface* Screen = nullptr;
// The screen as the canvas takes it, one RGBA pixel per word.
std::vector<Uint32> Shown;
// RGBA words for every 16-bit screen value, made for the screen's format.
std::vector<Uint32> Widened;

// ------------------------------------------------------------ formats

void MaskPlace(Uint32 mask, Uint8& shift, Uint8& loss) {
  shift = 0;
  loss = 8;
  if (mask == 0) return;
  while ((mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  int bits = 0;
  while ((mask & 1) != 0) {
    mask >>= 1;
    ++bits;
  }
  loss = static_cast<Uint8>(bits >= 8 ? 0 : 8 - bits);
}

SDL_PixelFormat* NewFormat(int depth, Uint32 r, Uint32 g, Uint32 b, Uint32 a) {
  auto* f = static_cast<SDL_PixelFormat*>(std::calloc(1, sizeof(SDL_PixelFormat)));
  if (f == nullptr) return nullptr;
  f->BitsPerPixel = static_cast<Uint8>(depth);
  f->BytesPerPixel = static_cast<Uint8>((depth + 7) / 8);
  f->alpha = SDL_ALPHA_OPAQUE;
  if (depth <= 8) {
    f->palette = static_cast<SDL_Palette*>(std::calloc(1, sizeof(SDL_Palette)));
    const int count = 1 << depth;
    SDL_Color* colors = f->palette ? static_cast<SDL_Color*>(std::calloc(count, sizeof(SDL_Color))) : nullptr;
    if (colors == nullptr) {
      std::free(f->palette);
      std::free(f);
      return nullptr;
    }
    f->palette->ncolors = count;
    f->palette->colors = colors;
    f->Rloss = f->Gloss = f->Bloss = f->Aloss = 8;
    return f;
  }
  if ((r | g | b) == 0) {
    // SDL 1.2's layout for a depth given without masks.
    if (depth <= 16) {
      r = 0x7C00;
      g = 0x03E0;
      b = 0x001F;
    } else {
      r = 0xFF0000;
      g = 0x00FF00;
      b = 0x0000FF;
    }
  }
  f->Rmask = r;
  f->Gmask = g;
  f->Bmask = b;
  f->Amask = a;
  MaskPlace(r, f->Rshift, f->Rloss);
  MaskPlace(g, f->Gshift, f->Gloss);
  MaskPlace(b, f->Bshift, f->Bloss);
  MaskPlace(a, f->Ashift, f->Aloss);
  return f;
}

void FreeFormat(SDL_PixelFormat* f) {
  if (f == nullptr) return;
  if (f->palette != nullptr) std::free(f->palette->colors);
  std::free(f->palette);
  std::free(f);
}

bool SameLayout(const SDL_PixelFormat* a, const SDL_PixelFormat* b) {
  return a->palette == nullptr && b->palette == nullptr && a->BytesPerPixel == b->BytesPerPixel &&
         a->Rmask == b->Rmask && a->Gmask == b->Gmask && a->Bmask == b->Bmask && a->Amask == b->Amask;
}

// ------------------------------------------------------------- pixels

inline Uint32 Read(const Uint8* p, int bytes) {
  switch (bytes) {
    case 1:
      return *p;
    case 2: {
      Uint16 v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 3:
      return p[0] | (p[1] << 8) | (static_cast<Uint32>(p[2]) << 16);
    default: {
      Uint32 v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

inline void Write(Uint8* p, int bytes, Uint32 v) {
  switch (bytes) {
    case 1:
      *p = static_cast<Uint8>(v);
      break;
    case 2: {
      const Uint16 w = static_cast<Uint16>(v);
      std::memcpy(p, &w, 2);
      break;
    }
    case 3:
      p[0] = static_cast<Uint8>(v);
      p[1] = static_cast<Uint8>(v >> 8);
      p[2] = static_cast<Uint8>(v >> 16);
      break;
    default:
      std::memcpy(p, &v, 4);
      break;
  }
}

struct TRGBA {
  int r, g, b, a;
};

// A pixel's channels as SDL 1.2's blitters read them: moved to the top of
// the byte, the freed low bits zero.
inline TRGBA Channels(Uint32 pixel, const SDL_PixelFormat* f) {
  if (f->palette != nullptr) {
    const SDL_Color& c = f->palette->colors[pixel % f->palette->ncolors];
    return TRGBA{c.r, c.g, c.b, 255};
  }
  return TRGBA{static_cast<int>(((pixel & f->Rmask) >> f->Rshift) << f->Rloss),
               static_cast<int>(((pixel & f->Gmask) >> f->Gshift) << f->Gloss),
               static_cast<int>(((pixel & f->Bmask) >> f->Bshift) << f->Bloss),
               f->Amask ? static_cast<int>(((pixel & f->Amask) >> f->Ashift) << f->Aloss) : 255};
}

Uint32 NearestColour(const SDL_Palette* palette, int r, int g, int b) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < palette->ncolors; ++i) {
    const SDL_Color& c = palette->colors[i];
    const long d = (c.r - r) * (c.r - r) + (c.g - g) * (c.g - g) + (c.b - b) * (c.b - b);
    if (bestDistance < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
      if (d == 0) break;
    }
  }
  return static_cast<Uint32>(best);
}

// Channels put together as SDL 1.2's blitters do: each cut to its width.
inline Uint32 Assemble(const SDL_PixelFormat* f, int r, int g, int b, int a) {
  if (f->palette != nullptr) return NearestColour(f->palette, r, g, b);
  Uint32 pixel = (static_cast<Uint32>(r) >> f->Rloss) << f->Rshift | (static_cast<Uint32>(g) >> f->Gloss) << f->Gshift |
                 (static_cast<Uint32>(b) >> f->Bloss) << f->Bshift;
  if (f->Amask) pixel |= (static_cast<Uint32>(a) >> f->Aloss) << f->Ashift;
  return pixel;
}

// The channel widened to the whole byte by repeating its highest bits in
// the freed low bits, as the engine reads its screen back.
inline Uint32 WidenChannel(Uint32 pixel, Uint32 mask, Uint8 shift, Uint8 loss) {
  const int bits = 8 - loss;
  if (mask == 0 || bits <= 0) return 0;
  Uint32 value = ((pixel & mask) >> shift) << loss;
  for (int filled = bits; filled < 8; filled += bits) value |= value >> bits;
  return value & 0xFF;
}

Uint32 CanvasWord(Uint32 pixel, const SDL_PixelFormat* f) {
  if (f->palette != nullptr) {
    const SDL_Color& c = f->palette->colors[pixel % f->palette->ncolors];
    return c.r | (c.g << 8) | (c.b << 16) | 0xFF000000u;
  }
  return WidenChannel(pixel, f->Rmask, f->Rshift, f->Rloss) | WidenChannel(pixel, f->Gmask, f->Gshift, f->Gloss) << 8 |
         WidenChannel(pixel, f->Bmask, f->Bshift, f->Bloss) << 16 | 0xFF000000u;
}

inline Uint8* PixelAddress(SDL_Surface* s, int x, int y) {
  return static_cast<Uint8*>(s->pixels) + static_cast<size_t>(y) * s->pitch +
         static_cast<size_t>(x) * s->format->BytesPerPixel;
}

// ------------------------------------------------------------- blits

// 16-bit surfaces of one format blended at a surface alpha, as SDL 1.2
// does it: the average of the two at 128, otherwise the alpha cut to five
// bits and all three channels worked in one word.
bool BlendSame16(SDL_Surface* src, const SDL_Rect& from, SDL_Surface* dst, const SDL_Rect& to) {
  const SDL_PixelFormat* f = dst->format;
  Uint32 averageMask, spread;
  if (f->Rmask == 0xF800 && f->Gmask == 0x07E0 && f->Bmask == 0x001F) {
    averageMask = 0xF7DE;
    spread = 0x07E0F81F;
  } else if (f->Rmask == 0x7C00 && f->Gmask == 0x03E0 && f->Bmask == 0x001F) {
    averageMask = 0xFBDE;
    spread = 0x03E07C1F;
  } else {
    return false;
  }
  const Uint32 alpha = src->format->alpha;
  for (int y = 0; y < to.h; ++y) {
    const Uint8* s = PixelAddress(src, from.x, from.y + y);
    Uint8* d = PixelAddress(dst, to.x, to.y + y);
    for (int x = 0; x < to.w; ++x, s += 2, d += 2) {
      Uint32 sp = Read(s, 2);
      Uint32 dp = Read(d, 2);
      if (alpha == 128) {
        dp = (((sp & averageMask) + (dp & averageMask)) >> 1) + (sp & dp & (~averageMask & 0xFFFF));
      } else {
        const Uint32 a5 = alpha >> 3;
        sp = (sp | sp << 16) & spread;
        dp = (dp | dp << 16) & spread;
        dp += (sp - dp) * a5 >> 5;
        dp &= spread;
        dp = dp | dp >> 16;
      }
      Write(d, 2, dp & 0xFFFF);
    }
  }
  return true;
}

void BlitPixels(SDL_Surface* src, const SDL_Rect& from, SDL_Surface* dst, const SDL_Rect& to) {
  const SDL_PixelFormat* sf = src->format;
  const SDL_PixelFormat* df = dst->format;
  const bool keyed = (src->flags & SDL_SRCCOLORKEY) != 0;
  const bool blended = (src->flags & SDL_SRCALPHA) != 0 && (sf->Amask != 0 || sf->alpha != SDL_ALPHA_OPAQUE);
  const Uint32 keyMask = ~sf->Amask;
  const Uint32 key = sf->colorkey & keyMask;
  const int sb = sf->BytesPerPixel;
  const int db = df->BytesPerPixel;
  if (blended && !keyed && sf->Amask == 0 && sb == 2 && SameLayout(sf, df) && BlendSame16(src, from, dst, to)) return;
  const bool same = SameLayout(sf, df);
  for (int y = 0; y < to.h; ++y) {
    const Uint8* s = PixelAddress(src, from.x, from.y + y);
    Uint8* d = PixelAddress(dst, to.x, to.y + y);
    if (!keyed && !blended && same) {
      std::memmove(d, s, static_cast<size_t>(to.w) * sb);
      continue;
    }
    for (int x = 0; x < to.w; ++x, s += sb, d += db) {
      const Uint32 pixel = Read(s, sb);
      if (keyed && (pixel & keyMask) == key) continue;
      if (!blended) {
        if (same) {
          Write(d, db, pixel);
        } else {
          const TRGBA c = Channels(pixel, sf);
          Write(d, db, Assemble(df, c.r, c.g, c.b, sf->Amask ? c.a : sf->alpha));
        }
        continue;
      }
      const TRGBA c = Channels(pixel, sf);
      const int a = sf->Amask ? c.a : sf->alpha;
      const TRGBA e = Channels(Read(d, db), df);
      // The share of the difference rounded up: d + (((s - d) * a + 255) >> 8).
      const int r = e.r + (((c.r - e.r) * a + 255) >> 8);
      const int g = e.g + (((c.g - e.g) * a + 255) >> 8);
      const int b = e.b + (((c.b - e.b) * a + 255) >> 8);
      Write(d, db, Assemble(df, r, g, b, e.a));
    }
  }
}

// ------------------------------------------------------------ BMP files

Uint16 Le16(const Uint8* p) { return static_cast<Uint16>(p[0] | (p[1] << 8)); }
Uint32 Le32(const Uint8* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<Uint32>(p[3]) << 24); }

constexpr Uint32 BiRgb = 0;
constexpr Uint32 BiBitfields = 3;

SDL_Surface* ReadBmp(SDL_RWops* src) {
  Uint8 fileHeader[14];
  Uint8 info[124] = {};
  const int start = SDL_RWtell(src);
  if (SDL_RWread(src, fileHeader, 14, 1) != 1 || SDL_RWread(src, info, 4, 1) != 1) {
    SDL_SetError("Error reading from datastream");
    return nullptr;
  }
  if (fileHeader[0] != 'B' || fileHeader[1] != 'M') {
    SDL_SetError("File is not a Windows BMP file");
    return nullptr;
  }
  const Uint32 offBits = Le32(fileHeader + 10);
  const Uint32 infoSize = Le32(info);
  int width = 0, height = 0, bits = 0;
  Uint32 compression = BiRgb, colorsUsed = 0;
  int paletteEntry = 4;
  if (infoSize == 12) {
    if (SDL_RWread(src, info + 4, 8, 1) != 1) {
      SDL_SetError("Error reading from datastream");
      return nullptr;
    }
    width = Le16(info + 4);
    height = static_cast<Sint16>(Le16(info + 6));
    bits = Le16(info + 10);
    paletteEntry = 3;
  } else if (infoSize >= 40 && infoSize <= sizeof info) {
    if (SDL_RWread(src, info + 4, infoSize - 4, 1) != 1) {
      SDL_SetError("Error reading from datastream");
      return nullptr;
    }
    width = static_cast<Sint32>(Le32(info + 4));
    height = static_cast<Sint32>(Le32(info + 8));
    bits = Le16(info + 14);
    compression = Le32(info + 16);
    colorsUsed = Le32(info + 32);
  } else {
    SDL_SetError("Unsupported BMP header");
    return nullptr;
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767) {
    SDL_SetError("Unsupported BMP size");
    return nullptr;
  }
  Uint32 rMask = 0, gMask = 0, bMask = 0;
  switch (bits) {
    case 8:
      break;
    case 16:
      rMask = 0x7C00;
      gMask = 0x03E0;
      bMask = 0x001F;
      break;
    case 24:
    case 32:
      rMask = 0xFF0000;
      gMask = 0x00FF00;
      bMask = 0x0000FF;
      break;
    default:
      SDL_SetError("Unsupported BMP depth (%d bits)", bits);
      return nullptr;
  }
  if (compression == BiBitfields && (bits == 16 || bits == 32) && infoSize >= 52) {
    rMask = Le32(info + 40);
    gMask = Le32(info + 44);
    bMask = Le32(info + 48);
  } else if (compression != BiRgb) {
    SDL_SetError("Compressed BMP files not supported");
    return nullptr;
  }
  SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, width, height, bits, rMask, gMask, bMask, 0);
  if (surface == nullptr) return nullptr;
  if (bits == 8) {
    SDL_Palette* palette = surface->format->palette;
    const int count = colorsUsed == 0 || colorsUsed > 256 ? 256 : static_cast<int>(colorsUsed);
    SDL_RWseek(src, start + 14 + static_cast<int>(infoSize), RW_SEEK_SET);
    for (int i = 0; i < count; ++i) {
      Uint8 entry[4];
      if (SDL_RWread(src, entry, paletteEntry, 1) != 1) {
        SDL_SetError("Error reading from datastream");
        SDL_FreeSurface(surface);
        return nullptr;
      }
      palette->colors[i] = SDL_Color{entry[2], entry[1], entry[0], 0};
    }
    palette->ncolors = count;
  }
  if (SDL_RWseek(src, start + static_cast<int>(offBits), RW_SEEK_SET) < 0) {
    SDL_FreeSurface(surface);
    return nullptr;
  }
  const int stride = ((width * bits + 31) / 32) * 4;
  std::vector<Uint8> row(stride);
  const int rowBytes = width * surface->format->BytesPerPixel;
  for (int i = 0; i < height; ++i) {
    if (SDL_RWread(src, row.data(), stride, 1) != 1) {
      SDL_SetError("Error reading from datastream");
      SDL_FreeSurface(surface);
      return nullptr;
    }
    const int y = topDown ? i : height - 1 - i;
    std::memcpy(static_cast<Uint8*>(surface->pixels) + static_cast<size_t>(y) * surface->pitch, row.data(), rowBytes);
  }
  return surface;
}

}  // namespace

void CloseVideo() {
  if (Screen != nullptr) {
    SDL_Surface* screen = Screen;
    Screen = nullptr;
    SDL_FreeSurface(screen);
  }
  if (PageVideo()) vxpage_close_video();
}

}  // namespace sdl12

using namespace sdl12;

extern "C" {

SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 Rmask, Uint32 Gmask,
                                  Uint32 Bmask, Uint32 Amask) {
  if (width < 0 || height < 0 || (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32)) {
    SDL_SetError("Unsupported surface (%d x %d, %d bits)", width, height, depth);
    return nullptr;
  }
  auto* surface = static_cast<SDL_Surface*>(std::calloc(1, sizeof(SDL_Surface)));
  if (surface == nullptr) {
    SDL_SetError("Out of memory");
    return nullptr;
  }
  surface->format = NewFormat(depth, Rmask, Gmask, Bmask, Amask);
  const size_t pitch = (static_cast<size_t>(width) * surface->format->BytesPerPixel + 3) & ~static_cast<size_t>(3);
  if (surface->format == nullptr || pitch > 0xFFFF) {
    FreeFormat(surface->format);
    std::free(surface);
    SDL_SetError("Out of memory");
    return nullptr;
  }
  // Memory only, as SDL 1.2 gives where there is no video hardware.
  surface->flags = flags & SDL_SRCALPHA;
  if (Amask != 0) surface->flags |= SDL_SRCALPHA;
  surface->w = width;
  surface->h = height;
  surface->pitch = static_cast<Uint16>(pitch);
  surface->pixels = std::calloc(pitch * height + 1, 1);
  if (surface->pixels == nullptr) {
    FreeFormat(surface->format);
    std::free(surface);
    SDL_SetError("Out of memory");
    return nullptr;
  }
  surface->clip_rect = SDL_Rect{0, 0, static_cast<Uint16>(width), static_cast<Uint16>(height)};
  surface->refcount = 1;
  return surface;
}

SDL_Surface* SDL_CreateRGBSurfaceFrom(void* pixels, int width, int height, int depth, int pitch, Uint32 Rmask,
                                      Uint32 Gmask, Uint32 Bmask, Uint32 Amask) {
  SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, 0, 0, depth, Rmask, Gmask, Bmask, Amask);
  if (surface == nullptr) return nullptr;
  std::free(surface->pixels);
  surface->flags |= SDL_PREALLOC;
  surface->pixels = pixels;
  surface->w = width;
  surface->h = height;
  surface->pitch = static_cast<Uint16>(pitch);
  surface->clip_rect = SDL_Rect{0, 0, static_cast<Uint16>(width), static_cast<Uint16>(height)};
  return surface;
}

void SDL_FreeSurface(SDL_Surface* surface) {
  if (surface == nullptr || surface == Screen) return;
  if (--surface->refcount > 0) return;
  if ((surface->flags & SDL_PREALLOC) == 0) std::free(surface->pixels);
  FreeFormat(surface->format);
  std::free(surface);
}

int SDL_LockSurface(SDL_Surface* surface) {
  ++surface->locked;
  return 0;
}

void SDL_UnlockSurface(SDL_Surface* surface) {
  if (surface->locked > 0) --surface->locked;
}

int SDL_SetColorKey(SDL_Surface* surface, Uint32 flag, Uint32 key) {
  if (surface == nullptr) return -1;
  if ((flag & SDL_SRCCOLORKEY) != 0) {
    surface->flags |= SDL_SRCCOLORKEY;
    surface->format->colorkey = key;
    if ((flag & (SDL_RLEACCEL | SDL_RLEACCELOK)) != 0) {
      surface->flags |= SDL_RLEACCELOK;
    } else {
      surface->flags &= ~SDL_RLEACCELOK;
    }
  } else {
    surface->flags &= ~(SDL_SRCCOLORKEY | SDL_RLEACCELOK);
    surface->format->colorkey = 0;
  }
  return 0;
}

int SDL_SetAlpha(SDL_Surface* surface, Uint32 flag, Uint8 alpha) {
  if (surface == nullptr) return -1;
  if ((flag & SDL_SRCALPHA) != 0) {
    surface->flags |= SDL_SRCALPHA;
    surface->format->alpha = alpha;
    if ((flag & (SDL_RLEACCEL | SDL_RLEACCELOK)) != 0) {
      surface->flags |= SDL_RLEACCELOK;
    } else {
      surface->flags &= ~SDL_RLEACCELOK;
    }
  } else {
    surface->flags &= ~SDL_SRCALPHA;
    surface->format->alpha = SDL_ALPHA_OPAQUE;
  }
  return 0;
}

SDL_bool SDL_SetClipRect(SDL_Surface* surface, const SDL_Rect* rect) {
  if (surface == nullptr) return SDL_FALSE;
  if (rect == nullptr) {
    surface->clip_rect = SDL_Rect{0, 0, static_cast<Uint16>(surface->w), static_cast<Uint16>(surface->h)};
    return SDL_TRUE;
  }
  const int left = std::max(0, static_cast<int>(rect->x));
  const int top = std::max(0, static_cast<int>(rect->y));
  const int right = std::min(surface->w, rect->x + rect->w);
  const int bottom = std::min(surface->h, rect->y + rect->h);
  if (right <= left || bottom <= top) {
    surface->clip_rect = SDL_Rect{0, 0, 0, 0};
    return SDL_FALSE;
  }
  surface->clip_rect = SDL_Rect{static_cast<Sint16>(left), static_cast<Sint16>(top), static_cast<Uint16>(right - left),
                                static_cast<Uint16>(bottom - top)};
  return SDL_TRUE;
}

void SDL_GetClipRect(SDL_Surface* surface, SDL_Rect* rect) {
  if (surface != nullptr && rect != nullptr) *rect = surface->clip_rect;
}

Uint32 SDL_MapRGB(const SDL_PixelFormat* format, Uint8 r, Uint8 g, Uint8 b) {
  if (format->palette != nullptr) return NearestColour(format->palette, r, g, b);
  return (static_cast<Uint32>(r) >> format->Rloss) << format->Rshift |
         (static_cast<Uint32>(g) >> format->Gloss) << format->Gshift |
         (static_cast<Uint32>(b) >> format->Bloss) << format->Bshift | format->Amask;
}

Uint32 SDL_MapRGBA(const SDL_PixelFormat* format, Uint8 r, Uint8 g, Uint8 b, Uint8 a) {
  if (format->palette != nullptr) return NearestColour(format->palette, r, g, b);
  return (static_cast<Uint32>(r) >> format->Rloss) << format->Rshift |
         (static_cast<Uint32>(g) >> format->Gloss) << format->Gshift |
         (static_cast<Uint32>(b) >> format->Bloss) << format->Bshift |
         ((static_cast<Uint32>(a) >> format->Aloss) << format->Ashift & format->Amask);
}

void SDL_GetRGBA(Uint32 pixel, const SDL_PixelFormat* f, Uint8* r, Uint8* g, Uint8* b, Uint8* a) {
  if (f->palette != nullptr) {
    const SDL_Color& c = f->palette->colors[pixel % f->palette->ncolors];
    *r = c.r;
    *g = c.g;
    *b = c.b;
    *a = SDL_ALPHA_OPAQUE;
    return;
  }
  // SDL 1.2 fills the low bits from the high ones here (31 of 5 bits: 255).
  auto channel = [pixel](Uint32 mask, Uint8 shift, Uint8 loss) {
    const unsigned v = (pixel & mask) >> shift;
    return static_cast<Uint8>((v << loss) + (v >> (8 - (loss << 1))));
  };
  *r = channel(f->Rmask, f->Rshift, f->Rloss);
  *g = channel(f->Gmask, f->Gshift, f->Gloss);
  *b = channel(f->Bmask, f->Bshift, f->Bloss);
  *a = f->Amask ? channel(f->Amask, f->Ashift, f->Aloss) : SDL_ALPHA_OPAQUE;
}

void SDL_GetRGB(Uint32 pixel, const SDL_PixelFormat* fmt, Uint8* r, Uint8* g, Uint8* b) {
  Uint8 a;
  SDL_GetRGBA(pixel, fmt, r, g, b, &a);
}

int SDL_FillRect(SDL_Surface* dst, SDL_Rect* dstrect, Uint32 color) {
  if (dst == nullptr) return -1;
  SDL_Rect area = dst->clip_rect;
  if (dstrect != nullptr) {
    const SDL_Rect& clip = dst->clip_rect;
    const int left = std::max(static_cast<int>(dstrect->x), static_cast<int>(clip.x));
    const int top = std::max(static_cast<int>(dstrect->y), static_cast<int>(clip.y));
    const int right = std::min(dstrect->x + dstrect->w, clip.x + clip.w);
    const int bottom = std::min(dstrect->y + dstrect->h, clip.y + clip.h);
    if (right <= left || bottom <= top) {
      dstrect->w = dstrect->h = 0;
      return 0;
    }
    area = SDL_Rect{static_cast<Sint16>(left), static_cast<Sint16>(top), static_cast<Uint16>(right - left),
                    static_cast<Uint16>(bottom - top)};
    *dstrect = area;
  }
  const int bytes = dst->format->BytesPerPixel;
  for (int y = 0; y < area.h; ++y) {
    Uint8* p = PixelAddress(dst, area.x, area.y + y);
    if (bytes == 1) {
      std::memset(p, static_cast<int>(color), area.w);
      continue;
    }
    for (int x = 0; x < area.w; ++x, p += bytes) Write(p, bytes, color);
  }
  return 0;
}

int SDL_LowerBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect) {
  BlitPixels(src, *srcrect, dst, *dstrect);
  return 0;
}

int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect) {
  if (src == nullptr || dst == nullptr) {
    SDL_SetError("SDL_UpperBlit: passed a NULL surface");
    return -1;
  }
  if (src->locked || dst->locked) {
    SDL_SetError("Surfaces must not be locked during blit");
    return -1;
  }
  SDL_Rect whole{0, 0, 0, 0};
  if (dstrect == nullptr) dstrect = &whole;
  int srcx, srcy, w, h;
  if (srcrect != nullptr) {
    srcx = srcrect->x;
    w = srcrect->w;
    if (srcx < 0) {
      w += srcx;
      dstrect->x = static_cast<Sint16>(dstrect->x - srcx);
      srcx = 0;
    }
    w = std::min(w, src->w - srcx);
    srcy = srcrect->y;
    h = srcrect->h;
    if (srcy < 0) {
      h += srcy;
      dstrect->y = static_cast<Sint16>(dstrect->y - srcy);
      srcy = 0;
    }
    h = std::min(h, src->h - srcy);
  } else {
    srcx = srcy = 0;
    w = src->w;
    h = src->h;
  }
  const SDL_Rect& clip = dst->clip_rect;
  int d = clip.x - dstrect->x;
  if (d > 0) {
    w -= d;
    dstrect->x = static_cast<Sint16>(dstrect->x + d);
    srcx += d;
  }
  d = dstrect->x + w - clip.x - clip.w;
  if (d > 0) w -= d;
  d = clip.y - dstrect->y;
  if (d > 0) {
    h -= d;
    dstrect->y = static_cast<Sint16>(dstrect->y + d);
    srcy += d;
  }
  d = dstrect->y + h - clip.y - clip.h;
  if (d > 0) h -= d;
  if (w > 0 && h > 0) {
    SDL_Rect from{static_cast<Sint16>(srcx), static_cast<Sint16>(srcy), static_cast<Uint16>(w), static_cast<Uint16>(h)};
    dstrect->w = static_cast<Uint16>(w);
    dstrect->h = static_cast<Uint16>(h);
    return SDL_LowerBlit(src, &from, dst, dstrect);
  }
  dstrect->w = dstrect->h = 0;
  return 0;
}

SDL_Surface* SDL_ConvertSurface(SDL_Surface* src, const SDL_PixelFormat* fmt, Uint32 flags) {
  if (src == nullptr || fmt == nullptr) return nullptr;
  SDL_Surface* copy =
      SDL_CreateRGBSurface(flags, src->w, src->h, fmt->BitsPerPixel, fmt->Rmask, fmt->Gmask, fmt->Bmask, fmt->Amask);
  if (copy == nullptr) return nullptr;
  if (fmt->palette != nullptr && copy->format->palette != nullptr) {
    const int count = std::min(fmt->palette->ncolors, copy->format->palette->ncolors);
    std::memcpy(copy->format->palette->colors, fmt->palette->colors, count * sizeof(SDL_Color));
    copy->format->palette->ncolors = count;
  }
  // The pixels go across as a plain blit; the key and alpha follow after.
  const Uint32 keep = src->flags & (SDL_SRCCOLORKEY | SDL_SRCALPHA);
  const Uint8 alpha = src->format->alpha;
  src->flags &= ~(SDL_SRCCOLORKEY | SDL_SRCALPHA);
  SDL_Rect from{0, 0, static_cast<Uint16>(src->w), static_cast<Uint16>(src->h)};
  SDL_Rect to = from;
  if (src->w > 0 && src->h > 0) SDL_LowerBlit(src, &from, copy, &to);
  src->flags |= keep;
  if ((keep & SDL_SRCCOLORKEY) != 0) {
    const TRGBA c = Channels(src->format->colorkey, src->format);
    SDL_SetColorKey(copy, SDL_SRCCOLORKEY, SDL_MapRGB(copy->format, c.r, c.g, c.b));
  }
  if ((keep & SDL_SRCALPHA) != 0) SDL_SetAlpha(copy, SDL_SRCALPHA, alpha);
  return copy;
}

SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface) {
  if (Screen == nullptr) {
    SDL_SetError("No video mode has been set");
    return nullptr;
  }
  return SDL_ConvertSurface(surface, Screen->format, SDL_SWSURFACE);
}

SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* src, int freesrc) {
  if (src == nullptr) return nullptr;
  SDL_Surface* surface = ReadBmp(src);
  if (freesrc) SDL_RWclose(src);
  return surface;
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags) {
  if ((flags & SDL_OPENGL) != 0) {
    SDL_SetError("OpenGL is not available in the browser build");
    return nullptr;
  }
  if (width <= 0 || height <= 0) {
    SDL_SetError("Invalid video mode %d x %d", width, height);
    return nullptr;
  }
  CloseVideo();
  SDL_Surface* screen = nullptr;
  if (bpp == 15 || bpp == 16) {
    screen = SDL_CreateRGBSurface(flags, width, height, 16, 0xF800, 0x07E0, 0x001F, 0);
  } else if (bpp == 24) {
    screen = SDL_CreateRGBSurface(flags, width, height, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
  } else {
    screen = SDL_CreateRGBSurface(flags, width, height, 32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
  }
  if (screen == nullptr) return nullptr;
  screen->flags = flags & SDL_FULLSCREEN;
  Screen = screen;
  Shown.assign(static_cast<size_t>(width) * height, 0xFF000000u);
  Widened.clear();
  if (screen->format->BytesPerPixel == 2) {
    Widened.resize(0x10000);
    for (Uint32 v = 0; v < 0x10000; ++v) Widened[v] = CanvasWord(v, screen->format);
  }
  if (PageVideo()) vxpage_open_video(width, height);
  return screen;
}

SDL_Surface* SDL_GetVideoSurface(void) { return Screen; }

int SDL_Flip(SDL_Surface* screen) {
  if (screen == nullptr || screen != Screen) return -1;
  if (!PageVideo()) return 0;
  const SDL_PixelFormat* f = screen->format;
  Uint32* out = Shown.data();
  for (int y = 0; y < screen->h; ++y) {
    const Uint8* row = static_cast<const Uint8*>(screen->pixels) + static_cast<size_t>(y) * screen->pitch;
    if (f->BytesPerPixel == 2) {
      const Uint16* p = reinterpret_cast<const Uint16*>(row);
      for (int x = 0; x < screen->w; ++x) *out++ = Widened[p[x]];
    } else {
      for (int x = 0; x < screen->w; ++x) *out++ = CanvasWord(Read(row + x * f->BytesPerPixel, f->BytesPerPixel), f);
    }
  }
  vxpage_show(reinterpret_cast<const uint8_t*>(Shown.data()), screen->w, screen->h);
  return 0;
}

void SDL_UpdateRect(SDL_Surface* screen, Sint32, Sint32, Uint32, Uint32) { SDL_Flip(screen); }
void SDL_UpdateRects(SDL_Surface* screen, int, SDL_Rect*) { SDL_Flip(screen); }

char* SDL_VideoDriverName(char* namebuf, int maxlen) {
  if (namebuf == nullptr || maxlen <= 0) return nullptr;
  std::strncpy(namebuf, PageVideo() ? "canvas" : "dummy", maxlen - 1);
  namebuf[maxlen - 1] = '\0';
  return namebuf;
}

}  // extern "C"
