#include "main/shell.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/loading.h"
#include "main/resource_ids.h"
#include "main/states.h"
#include "main/view.h"
#include "platform/platform.h"
#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "resources/startup.h"

namespace shell {

namespace {

constexpr const char* ProgramName = "vexmoor";
constexpr const char* Caption = "Vexmoor 1.0     ";
constexpr const char* IconName = "vexmoor";
constexpr uint8_t FrameRate = 30;
constexpr const char* FontName = "courier new 10";
constexpr const char* MusicName = "maze";

// The one failure path, for start-up and play alike: the display back as
// it was, no scratch files left behind, one line on stderr.
int Fail(const std::string& message) {
  game::RestoreDisplay();
  if (!resources::DevelopMode) resources::RemoveScratchFiles();
  std::fprintf(stderr, "%s: %s\n", ProgramName, message.c_str());
  return 1;
}

std::string FontPath() {
  return resources::ProgramDir + "Fonts/" + FontName + (resources::DevelopMode ? ".fnt" : ".dat");
}

game::TVideoDriver ChooseDriver() {
  if (game::OpenGLBuild && resources::ParamPresent("-opengl")) return game::vdOpenGL;
  return game::vdFrameBuffer;
}

// Music is the one resource the game can do without: a track that cannot be
// found or played leaves the game silent rather than stopping it.
void StartMusic() {
  if (!game::AudioOpen()) return;
  try {
    game::PlayMusic(MusicName);
  } catch (const resources::IoError&) {
  }
}

void MainLoop(const TLoopHooks* hooks) {
  uint32_t frame = 0;
  for (;;) {
    if (hooks && hooks->beforePass) hooks->beforePass(frame + 1);
    if (!game::ProcessEvents()) break;
    // A quit only raises the flag: this pass, and a frame due in it, still run.
    if (game::KeyDown(game::keyEscape)) game::RequestQuit();
    if (game::Flip()) {
      ++frame;
      if (hooks && hooks->afterPresent) hooks->afterPresent(frame);
      RunFrame();
      // Taps this frame has seen count no more from here on.
      game::FinishFrameInput();
      if (hooks && hooks->afterFrame) hooks->afterFrame(frame);
    } else {
      // Nothing due: sleep until shortly before the next frame instead of
      // holding a core, and come back to pump the events.
      game::WaitForFrame();
    }
  }
}

int Run(const TLoopHooks* hooks) {
  // Before SDL starts: left to itself it would pick a text-mode driver.
  const std::string noDisplay = game::NoDisplayReason();
  if (!noDisplay.empty()) return Fail(noDisplay);
  // Before anything is unpacked, so that no ending leaves a scratch file.
  game::CatchTerminationSignals();
  // Copies that were killed could not remove their private scratch
  // directories; left there, they fill a small runtime directory until no
  // copy can start.
  resources::ReclaimScratchDirectories();
  // Every level before the window opens: a damaged installation stops here,
  // with nothing unpacked, instead of taking the game from a player who
  // reaches the damaged level. Only headers are read.
  CheckLevelMaps();
  ResetGameVariables();
  const bool fixedSeed = hooks && hooks->fixedSeed;
  game::SeedRandom(fixedSeed ? hooks->seed : platform::WallClockSeconds());
  HitCounter = -1;

  const game::TVideoDriver driver = ChooseDriver();
  game::SetVideoDriver(driver);
  if (driver == game::vdOpenGL) {
    std::string error;
    if (!game::BindOpenGL(error)) return Fail(error);
  }
  game::Init(Caption, IconName);
  game::SetFrameRate(FrameRate);
  if (!game::SetVideoMode(ScreenWidth, ScreenHeight, !resources::ParamPresent("-windowed"))) {
    return Fail(game::LastVideoError());
  }
  if (game::LoadFont(FontName) == 0) return Fail(FontPath() + ": font cannot be loaded");
  LoadResources();
  // A quit during loading (a termination signal) ends the run right here.
  if (!game::QuitRequested()) StartMusic();

  MainLoop(hooks);
  game::Shutdown();
  return 0;
}

}  // namespace

int RunGame(const TLoopHooks* hooks) {
  try {
    return Run(hooks);
  } catch (const resources::IoError& error) {
    return Fail(error.Path() + ": " + error.Reason());
  } catch (const std::bad_alloc&) {
    return Fail("out of memory");
  } catch (const std::exception& error) {
    return Fail(error.what());
  } catch (...) {
    return Fail("unexpected failure");
  }
}

}  // namespace shell
