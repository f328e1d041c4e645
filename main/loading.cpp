#include "main/loading.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/resource_ids.h"
#include "main/view.h"
#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "world/maps.h"

namespace shell {

namespace {

// In id order: the object pictures are numbered Content + 1, so "grass",
// "cdoor" and "odoor" are loaded more than once to keep that numbering.
constexpr const char* FixedSpriteNames[] = {
    "grass", "grass", "grass", "grass", "cdoor", "cdoor", "keycard", "medkit", "ammo",
    "odoor", "odoor", "mine_active", "mine_inactive", "grass", "player_shadow",
    "player_u_m", "player_u_l1", "player_u_r1", "player_u_r2",
    "player_r_m", "player_r_l1", "player_r_r1", "player_r_r2",
    "player_d_m", "player_d_l1", "player_d_r1", "player_d_r2",
    "player_l_m", "player_l_l1", "player_l_r1", "player_l_r2",
    "start", "lives", "pixel", "go", "1", "2", "3", "next_level", "game_over",
    "player_u_fire", "player_r_fire", "player_d_fire", "player_l_fire",
};

constexpr const char* FixedSoundNames[] = {
    "step", "health", "keys", "ammo", "door", "end", "mine", "enter", "gun3r",
};
static_assert(std::size(FixedSpriteNames) == FixedSpriteCount);
static_assert(std::size(FixedSoundNames) == FixedSoundCount);

// The first phase's bar total: one more than its 53 items, so its bar stops
// at 588 of 600 pixels.
constexpr int32_t FixedPhaseTotal = 54;
constexpr const char* Caption = "Loading";
constexpr const char* LevelPrefix = "level";
constexpr uint16_t LevelCount = 4;

constexpr int16_t CaptionX = 370;
constexpr int16_t CaptionY = 274;
constexpr int16_t BarX = 100;
constexpr int16_t BarY = 300;
constexpr int32_t BarWidth = 600;
constexpr uint16_t BarHeight = 32;
constexpr uint8_t CaptionAlpha = 255;

// The view origin when a map has no start cell.
constexpr int32_t DefaultViewX = 10;
constexpr int32_t DefaultViewY = 10;

// Each item starts on a new frame: the picture of the previous step is
// presented while waiting for it. False when a quit was requested (a
// termination signal, a window close): loading stops there and the main
// loop ends at its first test.
bool BeginLoadStep() {
  game::ProcessEvents();
  if (game::QuitRequested()) return false;
  while (!game::Flip()) game::WaitForFrame();
  LoadDone += 1;
  DrawLoadingProgress();
  return true;
}

bool LoadSpriteStep(const std::string& name) {
  if (!BeginLoadStep()) return false;
  if (game::LoadSprite(name, game::RGB(0, 0, 0)) == 0) {
    throw resources::IoError(resources::ResourcePath("Sprites/", name, ".bmp"), "picture cannot be loaded");
  }
  return true;
}

bool LoadSoundStep(const std::string& name) {
  if (!BeginLoadStep()) return false;
  // Without an audio device the game runs silent; the step still takes its
  // frame so the loading screen looks the same.
  if (!game::AudioOpen()) return true;
  if (game::LoadSound(name) == 0) {
    throw resources::IoError(resources::ResourcePath("Sounds/", name, ".wav"), "sound cannot be loaded");
  }
  return true;
}

std::string LevelName(uint16_t level) { return LevelPrefix + std::to_string(level); }

[[noreturn]] void NotAMapFile(const std::string& name) {
  throw resources::IoError(resources::ResourcePath("Maps/", name, ".map"),
                           "not a map file (the header is not \"DD\" \"MAP \" 1 2)");
}

// Loads a level's map. A file that is not a map at all stops the game like
// a missing one: playing on would show the previous level, or none.
void LoadLevelMap(const std::string& name) {
  if (!maps::LoadMap(name)) NotAMapFile(name);
}


}  // namespace

void CheckLevelMaps() {
  for (uint16_t level = 1; level <= LevelCount; ++level) {
    if (!maps::CheckMapFile(LevelName(level))) NotAMapFile(LevelName(level));
  }
}

void DrawLoadingProgress() {
  game::DrawText(CaptionX, CaptionY, GameFont, CaptionAlpha, LoadCaption.c_str());
  game::FillRect(BarX, BarY, BarWidth, BarHeight, game::RGB(0, 0, 128));
  int64_t filled = 0;
  if (LoadTotal > 0) filled = std::clamp<int64_t>(int64_t{LoadDone} * BarWidth / LoadTotal, 0, BarWidth);
  game::FillRect(BarX, BarY, static_cast<uint16_t>(filled), BarHeight, game::RGB(0, 0, 255));
}

void LoadResources() {
  LoadDone = 0;
  LoadTotal = FixedPhaseTotal;
  LoadCaption = Caption;
  for (const char* name : FixedSpriteNames) {
    if (!LoadSpriteStep(name)) return;
  }
  for (const char* name : FixedSoundNames) {
    if (!LoadSoundStep(name)) return;
  }

  // Read only for its picture names, with the sprite base still 0.
  LoadLevelMap(LevelName(1));
  LoadDone = 0;
  LoadTotal = maps::Map->SpriteCount;
  for (uint16_t i = 0; i < maps::Map->SpriteCount; ++i) {
    if (!LoadSpriteStep(maps::Map->SpriteNames[i])) return;
  }

  GameState = gsTitle;
}

void StartLevel() {
  Level += 1;
  if (Level > LevelCount) Level = 1;
  maps::SetSpriteBase(FixedSpriteCount);
  LoadLevelMap(LevelName(Level));

  ViewX = DefaultViewX;
  ViewY = DefaultViewY;
  // Column by column: the last start cell in this order wins.
  for (int x = 0; x < maps::Map->Width; ++x) {
    for (int y = 0; y < maps::Map->Height; ++y) {
      if (maps::GetSector(x, y)->Content == maps::ctStart) {
        ViewX = x - PlayerColumn;
        ViewY = y - PlayerRow;
      }
    }
  }
  ScrollX = 0;
  ScrollY = 0;
  Direction = dirUp;
  Moving = false;
  WalkFrame = 0;
  WalkTick = 0;
  Inventory.clear();
}

}  // namespace shell
