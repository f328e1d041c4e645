#include "tools/assetgen/sprites.h"

namespace assetgen {

namespace {

constexpr const char* kFacings[] = {"u", "r", "d", "l"};
constexpr const char* kFrames[] = {"m", "l1", "r1", "r2"};
constexpr int kFacingCount = 4;
constexpr int kFrameCount = 4;

std::string PlayerName(int facing, const std::string& suffix) {
  return std::string("player_") + kFacings[facing] + "_" + suffix;
}

std::vector<std::string> BuildFixedIds() {
  std::vector<std::string> ids = {"grass", "grass", "grass", "grass", "cdoor", "cdoor", "keycard",
                                  "medkit", "ammo", "odoor", "odoor", "mine_active", "mine_inactive", "grass",
                                  "player_shadow"};
  for (int facing = 0; facing < kFacingCount; ++facing) {
    for (int frame = 0; frame < kFrameCount; ++frame) ids.push_back(PlayerName(facing, kFrames[frame]));
  }
  for (const char* name : {"start", "lives", "pixel", "go", "1", "2", "3", "next_level", "game_over"}) {
    ids.push_back(name);
  }
  for (int facing = 0; facing < kFacingCount; ++facing) ids.push_back(PlayerName(facing, "fire"));
  return ids;
}

}  // namespace

const std::vector<std::string>& FixedSpriteIds() {
  static const std::vector<std::string> ids = BuildFixedIds();
  return ids;
}

std::vector<NamedImage> DrawFixedSprites() {
  std::vector<NamedImage> sprites;
  sprites.push_back({"grass", DrawGroundTile("grass")});
  for (const char* name : {"cdoor", "keycard", "medkit", "ammo", "odoor", "mine_active", "mine_inactive"}) {
    sprites.push_back({name, DrawObject(name)});
  }
  sprites.push_back({"player_shadow", DrawShadow()});
  for (int facing = 0; facing < kFacingCount; ++facing) {
    for (int frame = 0; frame < kFrameCount; ++frame) {
      sprites.push_back({PlayerName(facing, kFrames[frame]), DrawPlayerFrame(facing, frame)});
    }
  }
  sprites.push_back({"start", DrawTitle()});
  sprites.push_back({"lives", DrawLives()});
  sprites.push_back({"pixel", DrawPixel()});
  for (const char* name : {"go", "1", "2", "3"}) sprites.push_back({name, DrawCountdown(name)});
  sprites.push_back({"next_level", DrawBanner("LEVEL COMPLETE")});
  sprites.push_back({"game_over", DrawBanner("GAME OVER")});
  for (int facing = 0; facing < kFacingCount; ++facing) {
    sprites.push_back({PlayerName(facing, "fire"), DrawMuzzleFlash(facing)});
  }
  return sprites;
}

std::vector<NamedImage> DrawGroundSprites() {
  std::vector<NamedImage> sprites;
  for (const char* name :
       {"floor", "floor_worn", "floor_grate", "floor_moss", "wall", "wall_panel", "exit", "floor_hazard"}) {
    sprites.push_back({name, DrawGroundTile(name)});
  }
  return sprites;
}

}  // namespace assetgen
