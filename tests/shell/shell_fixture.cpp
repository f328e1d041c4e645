#include "tests/shell/shell_fixture.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/states.h"
#include "resources/startup.h"
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
  static const std::map<char, uint8_t> legend = {
      {'#', maps::ctWall},        {'.', maps::ctEmpty},        {'@', maps::ctEmpty},
      {'S', maps::ctStart},       {'E', maps::ctExit},         {'D', maps::ctClosedDoor},
      {'d', maps::ctClosedDoor2}, {'K', maps::ctKeycard},      {'H', maps::ctMedkit},
      {'A', maps::ctAmmo},        {'M', maps::ctMineActive},   {'m', maps::ctMineInactive},
      {'O', maps::ctOpenDoor},
  };
  const auto found = legend.find(c);
  if (found == legend.end()) throw std::invalid_argument(std::string("no map legend for ") + c);
  return found->second;
}

void ShellFixture::SetUp() {
  char pattern[] = "/tmp/vexmoor-shell-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  ProgramDir = std::string(pattern) + "/";
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
  std::error_code ignored;
  std::filesystem::remove_all(ProgramDir, ignored);
}

void ShellFixture::BuildMap(const std::vector<std::string>& rows) {
  const int height = static_cast<int>(rows.size());
  const int width = height > 0 ? static_cast<int>(rows[0].size()) : 0;
  maps::ResetMap(static_cast<uint16_t>(width), static_cast<uint16_t>(height));
  for (int y = 0; y < height; ++y) {
    ASSERT_EQ(static_cast<int>(rows[y].size()), width) << "row " << y;
    for (int x = 0; x < width; ++x) {
      Cell(x, y)->Content = LegendContent(rows[y][x]);
      if (rows[y][x] == '@') PlacePlayer(x, y);
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
