// The entry point of both programs; the engine library linked in decides
// which build this is.
#include "engine/game.h"
#include "main/shell.h"
#include "resources/startup.h"

int main(int argc, char** argv) {
  resources::StartUp(argc, argv, game::OpenGLBuild);
  return shell::RunGame();
}
