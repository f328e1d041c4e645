// The second build's OpenGL driver: this build carries no OpenGL drawing,
// so the driver opens the OpenGL window it asks for and draws, presents and
// reads nothing in it. Only the second build links this file, in the place
// of presenter_opengl.cpp; it also makes the build what it is (OpenGLBuild,
// BindOpenGL).
#include <SDL.h>

#include "engine/engine_state.h"
#include "engine/game.h"
#include "engine/presenter.h"

namespace game {

const bool OpenGLBuild = false;

bool BindOpenGL(std::string& error) {
  error = "no OpenGL path in this build";
  return false;
}

namespace state {

const TPresenter OpenGLPresenter{
    .OpenScreen = OpenOpenGLWindow,
    .CloseScreen = [] {},
    // No texture: a picture keeps TexU, TexV and Texture at 0.
    .PreparePicture = [](CSprite&, uint16_t, TPictureUse) {},
    .DrawSprite = [](CSprite&, int16_t, int16_t, TDrawKind, uint8_t) {},
    .FillRect = [](int16_t, int16_t, uint16_t, uint16_t, TColor) {},
    .BeginText = [](const CFont&, uint8_t) {},
    .DrawGlyph = [](CFont&, const TGlyph&, int, int16_t, uint8_t) {},
    .Present = [] {},
    .ReadFrame = [](std::vector<uint8_t>&, int&, int&) { return false; },
};

}  // namespace state

}  // namespace game
