// Sprites: loading into the sprite bank, opaque, keyed and translucent
// drawing, and translucent filled rectangles.
//
// How a picture reaches the screen is the presenter's business
// (engine/presenter.h): these operations pass each draw to it.
#include <SDL.h>

#include <cstring>
#include <utility>

#include "engine/engine_state.h"
#include "engine/game.h"
#include "engine/presenter.h"
#include "resources/datafile.h"

namespace game {

using namespace state;

namespace {

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

SDL_Surface* LoadPicture(const std::string& file) {
  SDL_Surface* surface = SDL_LoadBMP(file.c_str());
  if (surface == nullptr) return nullptr;
  if (SoundPicture(surface)) return surface;
  SDL_FreeSurface(surface);
  return nullptr;
}

void ReleasePicture(CSprite& sprite) {
  DropScreenCopies(sprite);
  SDL_FreeSurface(sprite.Surface);
  sprite.Surface = nullptr;
}

}  // namespace state

// ---------------------------------------------------------------- loading

uint16_t LoadSprite(const std::string& name, TColor colorKey) {
  if (SpriteBank.Full()) return 0;  // another id would wrap to 0
  const std::string file = resources::ResourceFile("Sprites/", name, ".bmp");
  SDL_Surface* surface = LoadPicture(file);
  if (surface == nullptr) return 0;
  auto* sprite = new CSprite;
  sprite->Surface = surface;
  sprite->ColorKey = SDL_MapRGB(surface->format, colorKey.R, colorKey.G, colorKey.B);
  SelectedPresenter->PreparePicture(*sprite, NextTexture, TPictureUse::Sprite);
  ++NextTexture;
  return SpriteBank.Add(sprite);
}

uint16_t SpriteCount() { return SpriteBank.GetWidth(); }
CSprite* GetSprite(uint16_t id) { return SpriteBank.Get(id); }
uint16_t PeekNextTexture() { return NextTexture; }

// ---------------------------------------------------------------- drawing

namespace {

constexpr uint8_t Opaque = 255;

void DrawSprite(int16_t x, int16_t y, uint16_t id, TDrawKind kind, uint8_t alpha) {
  CSprite* sprite = SpriteBank.Get(id);
  if (sprite == nullptr || sprite->Surface == nullptr) return;
  Presenter->DrawSprite(*sprite, x, y, kind, alpha);
}

}  // namespace

void Draw(int16_t x, int16_t y, uint16_t id) { DrawSprite(x, y, id, TDrawKind::Opaque, Opaque); }
void DrawKeyed(int16_t x, int16_t y, uint16_t id) { DrawSprite(x, y, id, TDrawKind::Keyed, Opaque); }
void DrawAlpha(int16_t x, int16_t y, uint16_t id, uint8_t alpha) { DrawSprite(x, y, id, TDrawKind::Blended, alpha); }

void FillRect(int16_t x, int16_t y, uint16_t w, uint16_t h, TColor color) { Presenter->FillRect(x, y, w, h, color); }

}  // namespace game
