// The OpenGL presentation path of the main build, as the rest of the engine
// sees it. Compiled only into the main build, where the OpenGL presenter
// (presenter_opengl.cpp) is the one engine source that calls it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/game.h"

namespace game::gl {

// Opens "libGL.so.1" (and "libGLU.so.1") with the dynamic loader and looks up
// every OpenGL function the driver calls. Returns false, with a one-line
// reason in `error`, when the library or a function is missing. Idempotent.
bool Bind(std::string& error);
// Whether Bind succeeded.
bool Bound();

// The initial state, right after SDL_SetVideoMode opened an OpenGL window.
void SetUpState();
// Swaps buffers, then sets the matrices, viewport and clear for the next frame.
void PresentFrame();
// Uploads a surface as loaded by SDL_LoadBMP (24-bit, blue-green-red in
// memory; pass it before any conversion for the frame buffer; other formats
// are converted first) as texture `name`, padded to powers of two, black and
// padding transparent. Returns the texture's width and height.
void UploadTexture(SDL_Surface* surface, uint16_t name, uint16_t& texWidth, uint16_t& texHeight);
// A textured quad tinted by the brightness, with this alpha.
void DrawSprite(const CSprite& sprite, int16_t x, int16_t y, uint8_t alpha, uint8_t brightness);
// White text with this alpha: binds the font's texture once per text.
void BeginText(const CFont& font, uint8_t alpha);
// One glyph quad at the pen position.
void DrawGlyph(const CFont& font, const TGlyph& glyph, int16_t penX, int16_t y);
// An untextured quad, colour scaled by the brightness.
void FillRect(int16_t x, int16_t y, uint16_t w, uint16_t h, TColor color, uint8_t brightness);

// Copies the back buffer (the 800 x 600 picture drawn since the last present)
// as 8-bit RGB rows, top to bottom. False when the driver is not bound.
bool ReadFrame(std::vector<uint8_t>& rgb, int& width, int& height);

}  // namespace game::gl
