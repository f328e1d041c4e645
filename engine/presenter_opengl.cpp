// The OpenGL presenter of the main build: sprites, rectangles and text as
// quads through the OpenGL driver (gl_driver.h), tinted by the brightness.
// Only the main build links this file; it also makes the build what it is
// (OpenGLBuild, BindOpenGL).
#include <SDL.h>

#include "engine/engine_state.h"
#include "engine/game.h"
#include "engine/gl_driver.h"
#include "engine/presenter.h"

namespace game {

const bool OpenGLBuild = true;

bool BindOpenGL(std::string& error) { return gl::Bind(error); }

namespace {

using namespace state;

constexpr uint8_t Opaque = 255;

// An OpenGL window is open and the library bound.
bool Ready() { return Screen != nullptr && (Screen->flags & SDL_OPENGL) != 0 && gl::Bound(); }

SDL_Surface* OpenScreen(uint16_t width, uint16_t height, bool fullscreen) {
  SDL_Surface* window = OpenOpenGLWindow(width, height, fullscreen);
  if (window != nullptr && (window->flags & SDL_OPENGL) != 0 && gl::Bound()) gl::SetUpState();
  return window;
}

// Textures live as long as the program.
void CloseScreen() {}

// The texture is uploaded only into an open window; the name is recorded
// even without one, as the counter moves on in every driver.
void PreparePicture(CSprite& picture, uint16_t texture, TPictureUse use) {
  uint16_t texWidth = 0;
  uint16_t texHeight = 0;
  if (Ready()) gl::UploadTexture(picture.Surface, texture, texWidth, texHeight);
  if (use == TPictureUse::FontImage) {
    // A font records its texture's size in pixels, not the covered fraction.
    picture.TexU = texWidth;
    picture.TexV = texHeight;
  } else if (texWidth != 0 && texHeight != 0) {
    picture.TexU = static_cast<float>(picture.Surface->w) / texWidth;
    picture.TexV = static_cast<float>(picture.Surface->h) / texHeight;
  }
  picture.Texture = texture;
}

// Opaque and keyed draws are the same here: black is transparent in every
// texture.
void DrawSprite(CSprite& sprite, int16_t x, int16_t y, TDrawKind kind, uint8_t alpha) {
  if (Ready()) gl::DrawSprite(sprite, x, y, kind == TDrawKind::Blended ? alpha : Opaque, Brightness);
}

void Fill(int16_t x, int16_t y, uint16_t w, uint16_t h, TColor color) {
  if (Ready()) gl::FillRect(x, y, w, h, color, Brightness);
}

void BeginText(const CFont& font, uint8_t alpha) {
  if (Ready()) gl::BeginText(font, alpha);
}

// The alpha was set for the whole text by BeginText.
void DrawGlyph(CFont& font, const TGlyph& glyph, int penX, int16_t y, uint8_t) {
  if (Ready() && penX <= INT16_MAX) gl::DrawGlyph(font, glyph, static_cast<int16_t>(penX), y);
}

void Present() {
  if (Ready()) gl::PresentFrame();
}

// ReadScreen reads frame-buffer screens only; the OpenGL picture is read
// back with gl::ReadFrame.
bool ReadFrame(std::vector<uint8_t>&, int&, int&) { return false; }

}  // namespace

namespace state {

const TPresenter OpenGLPresenter{
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

}  // namespace state

}  // namespace game
