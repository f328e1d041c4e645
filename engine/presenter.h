// How a frame reaches the player. Every drawing operation of the engine
// (sprites, rectangles, text) and every present goes through one presenter:
// the frame buffer (presenter_framebuffer.cpp, in every build) or OpenGL
// (presenter_opengl.cpp, only in the main build; the second build links
// presenter_no_opengl.cpp in its place). SetVideoMode picks the selected
// driver's presenter once, and the drawing operations call it without
// asking which one it is. Another way of presenting is another file.
//
// Only the engine's own .cpp files include this header.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "engine/engine_state.h"

namespace game::state {

// What a loaded picture is for: a font's image records its texture's size
// in pixels where a sprite records the covered fraction.
enum class TPictureUse { Sprite, FontImage };

// One way of presenting, as a table of operations. The drawing operations
// are called only on the presenter whose screen is open and whose driver is
// selected; the rest of the time a presenter that does nothing stands in.
struct TPresenter {
  // Opens the screen (SDL_SetVideoMode) and returns the surface the engine
  // draws on, which becomes Screen; null when SDL gives none (SDL_GetError
  // says why).
  SDL_Surface* (*OpenScreen)(uint16_t width, uint16_t height, bool fullscreen);
  // Lets go of what it holds for its screen: before the next SetVideoMode
  // and before SDL closes. Safe when it holds nothing.
  void (*CloseScreen)();
  // Prepares a freshly loaded picture (its Surface and ColorKey set) for
  // drawing, and records `texture`, the picture's texture name, where this
  // presenter keeps one. Called on the selected driver's presenter, also
  // before its screen is open.
  void (*PreparePicture)(CSprite& picture, uint16_t texture, TPictureUse use);
  // Draws a whole sprite with its top-left corner at (x, y); alpha counts
  // only for TDrawKind::Blended.
  void (*DrawSprite)(CSprite& sprite, int16_t x, int16_t y, TDrawKind kind, uint8_t alpha);
  // Blends a w x h rectangle of color with color.A.
  void (*FillRect)(int16_t x, int16_t y, uint16_t w, uint16_t h, TColor color);
  // Called once before the glyphs of a text, then once per glyph with the
  // pen's position; text is keyed on black and blended with alpha.
  void (*BeginText)(const CFont& font, uint8_t alpha);
  void (*DrawGlyph)(CFont& font, const TGlyph& glyph, int penX, int16_t y, uint8_t alpha);
  // Shows the frame drawn since the last present and starts the next one.
  void (*Present)();
  // The picture drawn since the last present as 8-bit RGB rows, top to
  // bottom (ReadScreen); false where the presenter cannot read it.
  bool (*ReadFrame)(std::vector<uint8_t>& rgb, int& width, int& height);
};

// Stands in while no screen is open or another driver than the screen's
// is selected: draws, presents and reads nothing.
inline constexpr TPresenter NoPresenter{
    .OpenScreen = [](uint16_t, uint16_t, bool) -> SDL_Surface* { return nullptr; },
    .CloseScreen = [] {},
    .PreparePicture = [](CSprite&, uint16_t, TPictureUse) {},
    .DrawSprite = [](CSprite&, int16_t, int16_t, TDrawKind, uint8_t) {},
    .FillRect = [](int16_t, int16_t, uint16_t, uint16_t, TColor) {},
    .BeginText = [](const CFont&, uint8_t) {},
    .DrawGlyph = [](CFont&, const TGlyph&, int, int16_t, uint8_t) {},
    .Present = [] {},
    .ReadFrame = [](std::vector<uint8_t>&, int&, int&) { return false; },
};

// The presenters of this build's two drivers. The second build's OpenGL
// presenter opens the OpenGL window the driver asks for and draws nothing.
extern const TPresenter FrameBufferPresenter;
extern const TPresenter OpenGLPresenter;

// The presenter drawing now: the one whose screen SetVideoMode opened,
// while its driver is selected; otherwise one that draws nothing. Never
// null.
extern const TPresenter* Presenter;
// The presenter of the selected driver, which prepares every loaded
// picture.
extern const TPresenter* SelectedPresenter;

// Opens an OpenGL window: double-buffered, a 16-bit depth buffer, 16 bits
// per pixel. Null when SDL gives none.
SDL_Surface* OpenOpenGLWindow(uint16_t width, uint16_t height, bool fullscreen);

// Frame-buffer internals that the sprite and font code share with it.
//
// Frees a picture's screen copies (the sprite keeps its surface).
void DropScreenCopies(CSprite& sprite);

}  // namespace game::state
