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

// Opens the window and otherwise does nothing: a picture keeps TexU, TexV
// and Texture at 0.
const TPresenter OpenGLPresenter = [] {
  TPresenter presenter = NoPresenter;
  presenter.OpenScreen = OpenOpenGLWindow;
  return presenter;
}();

}  // namespace state

}  // namespace game
