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

namespace shelltest {

std::vector<uint16_t> ShellFixture::Sounds;

namespace {

void RecordSound(uint16_t id) { ShellFixture::Sounds.push_back(id); }

void WriteLe(std::ofstream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

void WriteBmp(const std::string& path, int size, TRgb colour, size_t trailingBytes) {
  std::ofstream out(path, std::ios::binary);
  const uint32_t rowBytes = (static_cast<uint32_t>(size) * 3 + 3) / 4 * 4;
  const uint32_t imageBytes = rowBytes * static_cast<uint32_t>(size);
  out.write("BM", 2);
  WriteLe(out, 54 + imageBytes, 4);
  WriteLe(out, 0, 4);
  WriteLe(out, 54, 4);   // pixel data offset
  WriteLe(out, 40, 4);   // info header size
  WriteLe(out, static_cast<uint32_t>(size), 4);
  WriteLe(out, static_cast<uint32_t>(size), 4);
  WriteLe(out, 1, 2);    // planes
  WriteLe(out, 24, 2);   // bits per pixel
  WriteLe(out, 0, 4);    // no compression
  WriteLe(out, imageBytes, 4);
  WriteLe(out, 2835, 4);
  WriteLe(out, 2835, 4);
  WriteLe(out, 0, 4);
  WriteLe(out, 0, 4);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      out.put(static_cast<char>(colour.b));
      out.put(static_cast<char>(colour.g));
      out.put(static_cast<char>(colour.r));
    }
    for (uint32_t pad = static_cast<uint32_t>(size) * 3; pad < rowBytes; ++pad) out.put(0);
  }
  for (size_t i = 0; i < trailingBytes; ++i) out.put(0);
}

void WriteWav(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  const uint32_t samples = 64;
  const uint32_t dataBytes = samples * 2;
  out.write("RIFF", 4);
  WriteLe(out, 36 + dataBytes, 4);
  out.write("WAVEfmt ", 8);
  WriteLe(out, 16, 4);
  WriteLe(out, 1, 2);          // PCM
  WriteLe(out, 1, 2);          // mono
  WriteLe(out, 22050, 4);
  WriteLe(out, 22050 * 2, 4);  // bytes per second
  WriteLe(out, 2, 2);          // block align
  WriteLe(out, 16, 2);         // bits per sample
  out.write("data", 4);
  WriteLe(out, dataBytes, 4);
  for (uint32_t i = 0; i < dataBytes; ++i) out.put(0);
}

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
