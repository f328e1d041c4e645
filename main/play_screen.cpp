#include "main/play_screen.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/resource_ids.h"
#include "main/view.h"
#include "world/maps.h"

namespace shell {

namespace {

constexpr uint8_t LastPlainContent = maps::ctWall;

constexpr uint8_t ShadowAlpha = 64;
constexpr uint16_t TicksPerWalkFrame = 3;
constexpr uint16_t WalkFrameCount = 6;

// Pictures of a walk row: middle, left 1, middle, right 1, right 2, middle,
// as offsets from the row's first sprite.
constexpr uint16_t WalkPicture[WalkFrameCount] = {0, 1, 0, 2, 3, 0};
constexpr uint16_t WalkRowFirst[4] = {sprPlayerUp, sprPlayerRight, sprPlayerDown, sprPlayerLeft};
constexpr uint16_t FlashSprite[4] = {sprFireUp, sprFireRight, sprFireDown, sprFireLeft};

// Status panel.
constexpr int16_t LabelX = 595;
constexpr int16_t BoxX = 650;
constexpr int16_t ValueX = 652;
constexpr uint16_t BoxWidth = 100;
constexpr uint16_t BoxHeight = 20;
constexpr uint8_t TextAlpha = 192;
constexpr uint8_t BoxAlpha = 64;
constexpr uint8_t BarAlpha = 96;
constexpr int16_t ScoreTextY = 25, HealthTextY = 55, AmmoTextY = 85;
constexpr int16_t SkillTextY = 115, LevelTextY = 145, LivesTextY = 175;
constexpr int16_t ScoreBoxY = 20, HealthBoxY = 50, AmmoBoxY = 80, SkillBoxY = 110;
constexpr int16_t LivesX = 647;
constexpr int16_t LivesY = 170;
constexpr int16_t LivesSpacing = 35;
constexpr uint8_t LivesAlpha = 176;

// Inventory panel.
constexpr int16_t InventoryCaptionX = 20;
constexpr int16_t InventoryCaptionY = 480;
constexpr int16_t SlotX = 20;
constexpr int16_t SlotY = 500;
constexpr int16_t SlotSpacing = 60;
constexpr uint16_t SlotSize = 48;
constexpr int SlotCount = 4;
constexpr uint8_t SlotAlpha = 64;
constexpr int16_t KeyX = -4;  // a cell-sized key picture centred on slot 1
constexpr int16_t KeyY = 476;
constexpr uint8_t ContentBits = 0x0F;

int16_t CellX(int column) { return static_cast<int16_t>(column * CellSize - CellSize + ScrollX); }
int16_t CellY(int row) { return static_cast<int16_t>(row * CellSize - CellSize + ScrollY); }

maps::CSector* ViewSector(int column, int row) { return maps::GetSector(ViewX + column, ViewY + row); }

bool FacingKnown() { return Direction >= dirUp && Direction <= dirLeft; }

void Text(int16_t x, int16_t y, const std::string& text) {
  game::DrawText(x, y, GameFont, TextAlpha, text.c_str());
}

// A bar as wide as its value; a value below 0 shows an empty bar.
void Bar(int16_t y, int32_t value, game::TColor colour) {
  const int32_t width = std::clamp<int32_t>(value, 0, UINT16_MAX);
  game::FillRect(BoxX, y, static_cast<uint16_t>(width), BoxHeight, colour);
}

}  // namespace

void DrawPlayScreen() {
  DrawWorld();
  DrawObjects();
  DrawPlayer();
  DrawHud();
  DrawInventory();
}

void DrawWorld() {
  for (int i = 0; i < ViewColumns; ++i) {
    for (int j = 0; j < ViewRows; ++j) game::Draw(CellX(i), CellY(j), ViewSector(i, j)->Tile);
  }
}

void DrawObjects() {
  for (int i = 0; i < ViewColumns; ++i) {
    for (int j = 0; j < ViewRows; ++j) {
      const uint8_t content = ViewSector(i, j)->Content;
      if (content > LastPlainContent) {
        game::DrawKeyed(CellX(i), CellY(j), static_cast<uint16_t>(content + ObjectSpriteOffset));
      }
    }
  }
}

void DrawPlayer() {
  // Drawing the player is what advances the walk cycle and the flash, so
  // both stand still in frames where the player is not drawn.
  uint16_t frame = 0;
  if (Moving) {
    WalkTick += 1;
    if (WalkTick >= TicksPerWalkFrame) {
      WalkFrame += 1;
      if (WalkFrame >= WalkFrameCount) WalkFrame = 0;
      WalkTick = 0;
    }
    frame = WalkFrame;
  }
  game::DrawAlpha(PlayerX, PlayerY, sprPlayerShadow, ShadowAlpha);
  if (FacingKnown() && frame < WalkFrameCount) {
    const uint16_t sprite = static_cast<uint16_t>(WalkRowFirst[Direction - 1] + WalkPicture[frame]);
    game::DrawKeyed(PlayerX, PlayerY, sprite);
  }
  if (Firing && FacingKnown()) game::DrawKeyed(PlayerX, PlayerY, FlashSprite[Direction - 1]);
  if (Firing) {
    FireFlash -= 1;
    if (FireFlash < 0) Firing = false;
  }
}

void DrawHud() {
  Text(LabelX, ScoreTextY, "Score");
  Text(LabelX, HealthTextY, "Health");
  Text(LabelX, AmmoTextY, "Ammo");
  Text(LabelX, SkillTextY, "Skill");
  Text(LabelX, LevelTextY, "Level");
  Text(LabelX, LivesTextY, "Lives");

  game::FillRect(BoxX, ScoreBoxY, BoxWidth, BoxHeight, game::RGBA(0, 255, 0, BoxAlpha));
  game::FillRect(BoxX, HealthBoxY, BoxWidth, BoxHeight, game::RGBA(0, 0, 255, BoxAlpha));
  game::FillRect(BoxX, AmmoBoxY, BoxWidth, BoxHeight, game::RGBA(255, 0, 0, BoxAlpha));
  game::FillRect(BoxX, SkillBoxY, BoxWidth, BoxHeight, game::RGBA(255, 255, 0, BoxAlpha));

  Text(ValueX, ScoreTextY, std::to_string(Score));

  Bar(HealthBoxY, Health, game::RGBA(0, 0, 255, BarAlpha));
  Bar(AmmoBoxY, Ammo, game::RGBA(255, 0, 0, BarAlpha));
  Bar(SkillBoxY, Skill, game::RGBA(255, 255, 0, BarAlpha));

  Text(ValueX, LevelTextY, std::to_string(Level));

  // Icons past the right edge would not show; stopping there also keeps
  // the 16-bit positions from wrapping back onto the screen.
  for (int k = 0; k < Lives && LivesX + LivesSpacing * k < ScreenWidth; ++k) {
    game::DrawAlpha(static_cast<int16_t>(LivesX + LivesSpacing * k), LivesY, sprLives, LivesAlpha);
  }
}

void DrawInventory() {
  Text(InventoryCaptionX, InventoryCaptionY, "Inventory");
  for (int slot = 0; slot < SlotCount; ++slot) {
    game::FillRect(static_cast<int16_t>(SlotX + SlotSpacing * slot), SlotY, SlotSize, SlotSize,
                   game::RGBA(255, 255, 255, SlotAlpha));
  }
  for (size_t p = 0; p < Inventory.size() && KeyX + SlotSpacing * static_cast<int>(p) < ScreenWidth; ++p) {
    const uint8_t item = static_cast<uint8_t>(Inventory[p]);
    if ((item & ContentBits) == maps::ctKeycard) {
      game::DrawKeyed(static_cast<int16_t>(KeyX + SlotSpacing * static_cast<int>(p)), KeyY, sprKeycard);
    }
  }
}

}  // namespace shell
