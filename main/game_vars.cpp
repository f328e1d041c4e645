#include "main/game_vars.h"

namespace shell {

int32_t ViewX = 0, ViewY = 0;
int32_t ScrollX = 0, ScrollY = 0;
uint8_t Direction = 0;
bool Moving = false;
bool Firing = false;
bool ShotPending = false;
int32_t FireFlash = 0;
bool FireLatch = false;
int32_t HitCounter = 0;
uint16_t WalkFrame = 0;
uint16_t WalkTick = 0;
int32_t Skill = 0;
int32_t Score = 0;
int32_t Ammo = 0;
int32_t Health = 0;
std::string Inventory;
bool BlockedLeft = false, BlockedRight = false, BlockedUp = false, BlockedDown = false;
uint16_t GameState = gsTitle;
uint16_t Level = 0;
uint16_t Lives = 0;
int32_t StateTimer = 0;
int32_t CountdownStep = 0;
int32_t BlinkStep = 0;

int32_t LoadDone = 0;
int32_t LoadTotal = 0;
std::string LoadCaption;

void ResetGameVariables() {
  ViewX = ViewY = 0;
  ScrollX = ScrollY = 0;
  Direction = 0;
  Moving = Firing = ShotPending = FireLatch = false;
  FireFlash = 0;
  HitCounter = 0;
  WalkFrame = WalkTick = 0;
  Skill = Score = Ammo = Health = 0;
  Inventory.clear();
  BlockedLeft = BlockedRight = BlockedUp = BlockedDown = false;
  GameState = gsTitle;
  Level = Lives = 0;
  StateTimer = CountdownStep = BlinkStep = 0;
  LoadDone = LoadTotal = 0;
  LoadCaption.clear();
}

}  // namespace shell
