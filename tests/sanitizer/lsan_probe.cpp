// A short run of the engine under LeakSanitizer: the dummy drivers, a
// frame-buffer window, one sprite, the font, one sound and the music loaded
// from the built installation's loose files, then the ordinary shutdown.
// With the argument "plant", one block is also allocated and lost on the
// way, outside every bank.
#include <cstdio>
#include <cstring>

#include "engine/game.h"
#include "resources/startup.h"

namespace {

// The only reference to the planted block; cleared again, so nothing points
// at it when the process ends.
int* volatile Planted = nullptr;

__attribute__((noinline)) void PlantLeak() {
  Planted = new int[12];
  Planted[0] = 1;
  Planted = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const bool plant = argc > 1 && std::strcmp(argv[1], "plant") == 0;
  resources::ProgramDir = VEXMOOR_PROBE_GAME_DIR;
  resources::SetArguments({"lsan_probe", "-develop"});
  game::SetVideoDriver(game::vdFrameBuffer);
  game::Init("lsan probe", "vexmoor");
  if (!game::SetVideoMode(800, 600, false)) {
    std::fprintf(stderr, "lsan_probe: %s\n", game::LastVideoError().c_str());
    return 2;
  }
  const bool loaded = game::LoadSprite("medkit", game::RGB(0, 0, 0)) != 0 && game::LoadFont("courier new 10") != 0 &&
                      (!game::AudioOpen() || (game::LoadSound("step") != 0 && game::PlayMusic("maze")));
  if (!loaded) {
    std::fprintf(stderr, "lsan_probe: a resource did not load from %s\n", VEXMOOR_PROBE_GAME_DIR);
    return 2;
  }
  game::Draw(10, 10, 1);
  game::DrawText(10, 40, 1, 255, "probe");
  game::PlaySound(1);
  game::Flip();
  if (plant) PlantLeak();
  game::Shutdown();
  return 0;
}
