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
// Counts SetVideoMode calls, so that a sprite's converted copies can tell
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

// Makes a sprite's frame-buffer copies for the current screen, keyed on its
// ColorKey (or drops them when there is no frame-buffer screen).
void MakeScreenCopies(CSprite& sprite);
// Drops every cached FillRect surface (the screen format changed or SDL is
// closing).
void ReleaseFillCache();

// Puts a surface into the blending state a draw asks for; SDL is called only
// when the state differs, which keeps SDL from re-encoding run-length
// accelerated surfaces on every draw. In literal mode SDL is always called.
void SetBlending(SDL_Surface* surface, bool keyed, uint32_t key, bool blended, uint8_t alpha);

// The surface a keyed or blended draw of this sprite blits, and its key.
SDL_Surface* KeyedSurface(CSprite& sprite, uint32_t& key);

}  // namespace game::state
