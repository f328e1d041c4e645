// The engine's module state and the helpers its source files share. Only the
// engine's own .cpp files include this header; the rest of the game uses
// engine/game.h.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <string>

#include "engine/game.h"

namespace game::state {

extern TVideoDriver VideoDriver;
// The surface the engine draws on, opened by the latest SetVideoMode; null
// while no mode is set. It is SDL's video surface, except in the frame-buffer
// driver on a screen that is not 16-bit 565: then it is the 16-bit picture
// that each present converts into SDL's surface.
extern SDL_Surface* Screen;
// Counts SetVideoMode calls, so that a sprite's screen copies can tell
// whether they were made for the current screen.
extern uint32_t VideoMode;
extern uint8_t Brightness;
// The texture name the next loaded image gets, in every driver.
extern uint16_t NextTexture;
extern CSpriteArray SpriteBank;
extern CFontArray FontBank;
extern CSoundArray SoundBank;
extern Mix_Music* Music;
// The benchmark's switch: draw from the loaded surfaces, flags set every time.
extern bool LiteralDrawing;

// Input (input.cpp). Init calls StartInput once SDL runs: it starts SDL's
// joysticks, opens every pad and begins with no key held. Shutdown and
// RestoreDisplay call StopInput once SDL is closed: it forgets SDL's tables
// and the pads.
void StartInput();
void StopInput();

// The frame-buffer presenter draws (its screen is open and its driver
// selected).
bool FrameBufferReady();

// Loads a BMP picture with SDL_LoadBMP. Null when SDL cannot load it, and
// also when the surface it returns does not hold together: SDL 1.2 on
// sdl12-compat hands some damaged files back with 0 or 15 bytes per pixel,
// a pitch shorter than a row, or 23 bits per pixel with a channel lost
// 255 bits, which no drawing may trust.
SDL_Surface* LoadPicture(const std::string& file);

// The raw value of the pixel at p, 1 to 4 bytes per pixel (little-endian
// memory, as SDL stores it).
uint32_t PixelAt(const uint8_t* p, int bytesPerPixel);

// Whether a pixel format is 16-bit 565, the screen the game draws for.
bool Is565(const SDL_PixelFormat* format);

// Translucent drawing in the loaded SDL's own arithmetic (blending.cpp),
// on 565 screens. The first call after a change of video mode tries SDL's
// blits on the screen's format and keeps the engine's routines only where
// they give the same pixels.
//
// Whether the engine blends pictures of this format onto the screen itself;
// otherwise SDL must draw them.
bool OwnPictureBlending(const SDL_PixelFormat* picture);
// A stretch of one picture row: columns start .. start + length - 1.
struct TRun {
  uint16_t start, length;
};
// A translucent draw of part of a picture: `rows` picture rows from
// firstRow, columns firstColumn .. endColumn - 1, onto the screen at `to`
// (where column firstColumn of row firstRow lands), `pitch` pixels from one
// screen row to the next; the screen row holds `before` pixels before `to`
// and `after` from `to` on. In each picture row only its span (from the first pixel that
// is not the key to the end of the last) is blended.
//
// The picture is read from four planes of pictureWidth-pixel rows, one byte
// per pixel, planeSize bytes apart from `planes` on: red, green, blue, and
// 255 where the pixel is the colour key (the screen keeps its pixel there),
// 0 elsewhere. They are read up to eight bytes before and after a span.
struct TPictureJob {
  Uint16* to;
  int pitch, before, after;
  int rows, firstRow, firstColumn, endColumn;
  const uint8_t* planes;
  size_t planeSize;
  int pictureWidth;
  const TRun* spans;
};
// Blends a picture at alpha 1 to 254 as SDL blits a keyed picture with that
// surface alpha. Only after OwnPictureBlending said yes.
void BlendPicture(const TPictureJob& job, uint8_t alpha);
// Whether the engine blends FillRect's rectangles itself.
bool OwnFillBlending();
// Blends a width x height rectangle of the screen from `to` on (`pitch`,
// `before` and `after` as for TPictureJob) with `pixel` at alpha, as SDL blits a
// surface of that pixel with that surface alpha. Only after OwnFillBlending
// said yes.
void BlendFill(Uint16* to, int pitch, int before, int after, int width, int height, uint32_t pixel, uint8_t alpha);
// Frees a picture's surface and its screen copies; the sprite object
// stays, drawing nothing.
void ReleasePicture(CSprite& sprite);

// How a sprite is drawn: opaque, keyed on its ColorKey, or keyed and
// blended with an alpha.
enum class TDrawKind { Opaque, Keyed, Blended };

}  // namespace game::state
