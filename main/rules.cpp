#include "main/rules.h"

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/resource_ids.h"
#include "main/view.h"
#include "world/maps.h"

namespace shell {

const uint8_t HitTable[4][16] = {
    {0, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0, 1, 0, 0, 1},
    {0, 1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1},
    {1, 1, 0, 1, 0, 1, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1},
};

namespace {

constexpr int StepPixels = 8;
constexpr int ShotRange = 3;
constexpr int HitPatternLength = 16;
constexpr int SkillClassWidth = 26;
constexpr int HighestSkillClass = 3;
constexpr int CounterCap = 100;

constexpr int32_t FlashFrames = 5;
constexpr int32_t ExitHealth = 100;
constexpr int32_t ExitScore = 250;
constexpr int32_t LevelDoneFrames = 45;
constexpr int32_t KeycardScore = 100;
constexpr int32_t MedkitHealth = 10;
constexpr int32_t MedkitScore = 50;
constexpr int32_t AmmoPickup = 5;
constexpr int32_t AmmoScore = 50;
constexpr int32_t SkillGain = 2;
constexpr int32_t MineDamage = 25;
constexpr int32_t FullHealth = 100;

// A keycard's character in the inventory: the key code in the high four
// bits, the keycard's content code in the low four.
char KeyCharacter(uint8_t keyCode) {
  return static_cast<char>(static_cast<uint8_t>(keyCode * 16 + maps::ctKeycard));
}

maps::CSector* SectorAt(int dx, int dy) {
  return maps::GetSector(ViewX + PlayerColumn + dx, ViewY + PlayerRow + dy);
}

bool IsWall(int dx, int dy) { return SectorAt(dx, dy)->Content == maps::ctWall; }

void Burst(int x, int y) {
  game::StartBurst(static_cast<int16_t>(x), static_cast<int16_t>(y), game::pmStarburst, sprPixel);
}

void TryArrow(uint16_t key, uint8_t direction, bool blocked) {
  if (!game::KeyDown(key) || blocked) return;
  Direction = direction;
  Moving = true;
  WalkFrame = 0;
  game::PlaySound(sndStep);
}

// Up and left: the offset counts 8, 16, ..., 96 and snaps back to 0 as the
// view origin moves, so the cell changes at the end of the step.
void StepUpOrLeft(int32_t& scroll, int32_t& view) {
  scroll += StepPixels;
  if (scroll > CellSize - 1) {
    scroll = 0;
    view -= 1;
    Moving = false;
  }
}

// Right and down: the view origin moves first and the offset counts down
// 88, 80, ..., 0, so the cell changes at the start of the step.
void StepRightOrDown(int32_t& scroll, int32_t& view) {
  if (scroll == 0) {
    view += 1;
    scroll = CellSize;
  }
  scroll -= StepPixels;
  if (scroll <= 0) {
    scroll = 0;
    Moving = false;
  }
}

void Cap(int32_t& value) {
  if (value > CounterCap) {
    Score += value - CounterCap;
    value = CounterCap;
  }
}

void TouchDoor(int dx, int dy) {
  maps::CSector* door = SectorAt(dx, dy);
  if (Inventory.find(KeyCharacter(door->KeyCode)) != std::string::npos) {
    game::PlaySound(sndDoor);
    door->Content = maps::ctOpenDoor;
    Skill += SkillGain;
    return;
  }
  if (dx == 1 && dy == 0) BlockedRight = true;
  if (dx == -1 && dy == 0) BlockedLeft = true;
  if (dx == 0 && dy == -1) BlockedUp = true;
  if (dx == 0 && dy == 1) BlockedDown = true;
}

void ReachExit() {
  Health = ExitHealth;
  Ammo = 0;
  Score += ExitScore;
  game::PlaySound(sndEnd);
  GameState = gsLevelDone;
  StateTimer = LevelDoneFrames;
}

void StepOnMine(maps::CSector* own) {
  game::PlaySound(sndMine);
  Burst(PlayerCentreX, PlayerCentreY);
  own->Content = maps::ctMineInactive;
  Health -= MineDamage;
  if (Health <= 0) {
    Lives -= 1;
    Health = FullHealth;
    BlinkStep = 0;
    GameState = gsDying;
  }
}

// Items, mines and the exit act on the player's own cell.
void TouchOwnCell(uint8_t content) {
  maps::CSector* own = SectorAt(0, 0);
  switch (content) {
    case maps::ctExit:
      ReachExit();
      break;
    case maps::ctKeycard:
      game::PlaySound(sndKeys);
      Inventory += KeyCharacter(own->KeyCode);
      own->Content = maps::ctEmpty;
      Score += KeycardScore;
      break;
    case maps::ctMedkit:
      game::PlaySound(sndHealth);
      own->Content = maps::ctEmpty;
      Health += MedkitHealth;
      Score += MedkitScore;
      break;
    case maps::ctAmmo:
      game::PlaySound(sndAmmo);
      own->Content = maps::ctEmpty;
      Ammo += AmmoPickup;
      Score += AmmoScore;
      break;
    case maps::ctMineActive:
      StepOnMine(own);
      break;
    default:
      break;
  }
}

}  // namespace

void HandleFire() {
  const bool spaceDown = game::KeyDown(game::keySpace);
  if (spaceDown && !Firing && !FireLatch) {
    if (Ammo <= 0) {
      game::PlaySound(sndAmmo);
      FireLatch = true;
    } else {
      Firing = true;
      FireLatch = true;
      ShotPending = true;
      FireFlash = FlashFrames;
      Ammo -= 1;
      game::PlaySound(sndGun);
    }
  }
  if (!spaceDown) FireLatch = false;
}

void HandlePlayInput() {
  HandleFire();
  // While stepping the player neither meets sectors nor reads the arrows.
  if (Moving) return;
  TouchSectors();
  FindWalls();
  ResolveShot();
  TryArrow(game::keyLeft, dirLeft, BlockedLeft);
  TryArrow(game::keyRight, dirRight, BlockedRight);
  TryArrow(game::keyUp, dirUp, BlockedUp);
  TryArrow(game::keyDown, dirDown, BlockedDown);
}

void FindWalls() {
  if (IsWall(1, 0)) BlockedRight = true;
  if (IsWall(-1, 0)) BlockedLeft = true;
  if (IsWall(0, -1)) BlockedUp = true;
  if (IsWall(0, 1)) BlockedDown = true;
}

void StepMovement() {
  if (!Moving) return;
  switch (Direction) {
    case dirUp: StepUpOrLeft(ScrollY, ViewY); break;
    case dirRight: StepRightOrDown(ScrollX, ViewX); break;
    case dirDown: StepRightOrDown(ScrollY, ViewY); break;
    case dirLeft: StepUpOrLeft(ScrollX, ViewX); break;
    default: break;
  }
}

void TouchSectors() {
  BlockedLeft = BlockedRight = BlockedUp = BlockedDown = false;
  static constexpr int offsets[5][2] = {{1, 0}, {-1, 0}, {0, -1}, {0, 1}, {0, 0}};
  for (const auto& offset : offsets) {
    const uint8_t content = SectorAt(offset[0], offset[1])->Content;
    if (content != maps::ctEmpty) TouchSector(offset[0], offset[1], content);
  }
}

void TouchSector(int dx, int dy, uint8_t content) {
  if (content == maps::ctClosedDoor || content == maps::ctClosedDoor2) {
    TouchDoor(dx, dy);
  } else if (dx == 0 && dy == 0) {
    TouchOwnCell(content);
  }
}

void ResolveShot() {
  if (!ShotPending) return;
  int stepX = 0, stepY = 0;
  switch (Direction) {
    case dirUp: stepY = -1; break;
    case dirRight: stepX = 1; break;
    case dirDown: stepY = 1; break;
    case dirLeft: stepX = -1; break;
    default: break;
  }
  if (stepX != 0 || stepY != 0) {
    for (int i = 1; i <= ShotRange; ++i) {
      const uint8_t content = SectorAt(stepX * i, stepY * i)->Content;
      if (content == maps::ctWall) break;
      if (content == maps::ctMineActive) ShootMine(stepX * i, stepY * i);
    }
  }
  ShotPending = false;
}

void ShootMine(int dx, int dy) {
  if (!ShotHits()) return;
  game::PlaySound(sndMine);
  Burst(dx * CellSize + PlayerCentreX, dy * CellSize + PlayerCentreY);
  SectorAt(dx, dy)->Content = maps::ctMineInactive;
  Skill += SkillGain;
}

bool ShotHits() {
  HitCounter += 1;
  if (HitCounter > HitPatternLength - 1) HitCounter = 0;
  int skillClass = Skill / SkillClassWidth;
  if (skillClass > HighestSkillClass) skillClass = HighestSkillClass;
  if (skillClass < 0) skillClass = 0;
  // HitCounter only ever counts up from -1 and wraps at 16; a value below 0
  // can only come from outside and misses.
  if (HitCounter < 0) return false;
  return HitTable[skillClass][HitCounter] == 1;
}

void CapCounters() {
  Cap(Health);
  Cap(Ammo);
  Cap(Skill);
}

}  // namespace shell
