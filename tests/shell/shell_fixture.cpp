#include "tests/shell/shell_fixture.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/states.h"
#include "resources/startup.h"
#include "tools/mapc/level_text.h"
#include "tests/engine/test_media.h"

namespace shelltest {

std::vector<uint16_t> ShellFixture::Sounds;

namespace {

void RecordSound(uint16_t id) { ShellFixture::Sounds.push_back(id); }

}  // namespace

void WriteBmp(const std::string& path, int size, TRgb colour, size_t trailingBytes) {
  const testmedia::TRgb fill = {static_cast<uint8_t>(colour.r), static_cast<uint8_t>(colour.g),
                                static_cast<uint8_t>(colour.b)};
  std::vector<uint8_t> bytes = testmedia::Bmp24(testmedia::TPicture(size, size, fill));
  bytes.resize(bytes.size() + trailingBytes, 0);
  testmedia::WriteFile(path, bytes);
}

void WriteWav(const std::string& path) { testmedia::WriteFile(path, testmedia::Wav(3)); }

uint8_t ShellFixture::LegendContent(char c) {
  if (c == PlayerChar) return maps::ctEmpty;
  const int content = leveltext::ContentOfChar(c);
  if (content < 0) throw std::invalid_argument(std::string("no content character ") + c + " in the level text");
  return static_cast<uint8_t>(content);
}

void ShellFixture::SetUp() {
  temp_ = std::make_unique<vxtest::TempDir>();
  ProgramDir = temp_->Slash();
  std::filesystem::create_directories(ProgramDir + "Maps");
  resources::ProgramDir = ProgramDir;
  resources::SetArguments({"vexmoor", "-develop"});

  shell::ResetGameVariables();
  maps::ResetModule();
  game::SetVideoDriver(game::vdFrameBuffer);
  game::Init("shell test", "vexmoor");
  ASSERT_TRUE(game::SetVideoMode(800, 600, false)) << game::LastVideoError();
  game::ResetParticles();
  Sounds.clear();
  game::SetSoundObserver(RecordSound);

  // A game under way: the counters of a new game, level 1, at rest facing
  // up, the hit pattern at its start-up position.
  shell::NewGame();
  shell::GameState = shell::gsPlaying;
  shell::Level = 1;
  shell::Direction = 1;
  shell::HitCounter = -1;
}

void ShellFixture::TearDown() {
  game::SetSoundObserver(nullptr);
  game::Shutdown();
  maps::ResetModule();
  shell::ResetGameVariables();
  resources::SetArguments({"vexmoor"});
  resources::ProgramDir.clear();
  temp_.reset();
}

void ShellFixture::BuildMap(const std::vector<std::string>& rows) {
  const int height = static_cast<int>(rows.size());
  const int width = height > 0 ? static_cast<int>(rows[0].size()) : 0;
  maps::ResetMap(static_cast<uint16_t>(width), static_cast<uint16_t>(height));
  for (int y = 0; y < height; ++y) {
    ASSERT_EQ(static_cast<int>(rows[y].size()), width) << "row " << y;
    for (int x = 0; x < width; ++x) {
      Cell(x, y)->Content = LegendContent(rows[y][x]);
      if (rows[y][x] == PlayerChar) PlacePlayer(x, y);
    }
  }
}

maps::CSector* ShellFixture::Cell(int x, int y) { return maps::GetSector(x, y); }

void ShellFixture::PlacePlayer(int x, int y) {
  shell::ViewX = x - 4;
  shell::ViewY = y - 3;
  shell::ScrollX = shell::ScrollY = 0;
  shell::Moving = false;
}

int ShellFixture::PlayerX() { return shell::ViewX + 4; }
int ShellFixture::PlayerY() { return shell::ViewY + 3; }

maps::CSector* ShellFixture::Near(int dx, int dy) { return Cell(PlayerX() + dx, PlayerY() + dy); }

void ShellFixture::Hold(uint16_t key) { game::SetKey(key, true); }
void ShellFixture::Release(uint16_t key) { game::SetKey(key, false); }

void ShellFixture::Frames(int n) {
  for (int i = 0; i < n; ++i) shell::RunFrame();
}

void ShellFixture::WriteLevel(const std::string& name) {
  std::filesystem::create_directories(ProgramDir + "maps");
  maps::SaveMap(name);
  std::filesystem::rename(ProgramDir + "maps/" + name + ".map", ProgramDir + "Maps/" + name + ".map");
}

}  // namespace shelltest
