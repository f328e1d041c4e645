// The font reader as the game uses it: LoadFont on a loose font file (the
// picture through SDL, the glyph table from the end of the file) on a real
// frame-buffer screen of the dummy video driver, then every character drawn
// at the screen's corners, so hostile glyph rectangles meet the clipping.
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "engine/game.h"
#include "resources/binary_io.h"
#include "resources/startup.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::string EveryCharacter() {
  std::string text;
  for (int c = 1; c < 256; ++c) text += static_cast<char>(c);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  resources::ProgramDir = fuzz::WorkDir();
  resources::DevelopMode = true;
  std::filesystem::create_directories(resources::ProgramDir + "Fonts");
  game::SetVideoDriver(game::vdFrameBuffer);
  game::Init("fuzz", "no icon");
  if (!game::SetVideoMode(800, 600, false)) fuzz::Broken("no dummy screen: " + game::LastVideoError());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::WriteFile(resources::ProgramDir + "Fonts/fuzz.fnt", data, size);
  uint16_t id = 0;
  try {
    id = game::LoadFont("fuzz");
  } catch (const resources::IoError&) {
    if (game::FontCount() != 0) fuzz::Broken("a refused font took an id");
    return 0;
  }
  if (id == 0) {
    if (game::FontCount() != 0) fuzz::Broken("a failed font took an id");
    return 0;
  }
  if (id != 1) fuzz::Broken("the first font is not id 1");
  static const std::string text = EveryCharacter();
  const int16_t places[][2] = {{0, 0}, {-40, -40}, {790, 590}, {-32768, 32767}, {32767, -32768}};
  for (const auto& place : places) {
    for (uint8_t alpha : {uint8_t{255}, uint8_t{100}}) game::DrawText(place[0], place[1], id, alpha, text.c_str());
  }
  game::ReleaseFonts();
  return 0;
}
