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
// The video surface of the latest SetVideoMode; null until a mode is set.
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

// The frame-buffer driver has a screen to draw on.
bool FrameBufferReady();
// The OpenGL driver has an OpenGL window to draw in (main build only).
bool OpenGLReady();

// The file a loader reads: in development mode ProgramDir + folder + name +
// looseExtension; otherwise ProgramDir + folder + name + ".dat" is unpacked
// into the scratch file (its checksum verdict ignored) and the scratch
// file's path is returned. Throws IoError when the packed file is missing.
std::string ResourceFile(const std::string& folder, const std::string& name,
                         const std::string& looseExtension);

// Loads a BMP picture with SDL_LoadBMP. Null when SDL cannot load it, and
// also when the surface it returns does not hold together: SDL 1.2 on
// sdl12-compat hands some damaged files back with 0 or 15 bytes per pixel,
// a pitch shorter than a row, or 23 bits per pixel with a channel lost
// 255 bits, which no drawing may trust.
SDL_Surface* LoadPicture(const std::string& file);

// The raw value of the pixel at p, 1 to 4 bytes per pixel (little-endian
// memory, as SDL stores it).
uint32_t PixelAt(const uint8_t* p, int bytesPerPixel);

// Prepares a freshly loaded picture for fast drawing on the current
// frame-buffer screen (nothing without one).
void PrepareScreenCopies(CSprite& sprite);

// Frees a picture's surface and its screen copies; the sprite object
// stays, drawing nothing.
void ReleasePicture(CSprite& sprite);

// Drops every cached FillRect surface (the screen format changed or SDL is
// closing).
void ReleaseFillCache();

// Draws the part `source` of a sprite's picture (already inside the
// picture) with its top-left corner at (x, y): opaque, keyed on the sprite's
// ColorKey, or keyed and blended with alpha. Clipped to the screen.
enum class TDrawKind { Opaque, Keyed, Blended };
void DrawPicture(CSprite& sprite, const SDL_Rect& source, int x, int y, TDrawKind kind, uint8_t alpha);

}  // namespace game::state
