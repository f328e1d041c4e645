// The game's fixed resource ids. Resources are numbered by the order in which
// LoadResources loads them, so these numbers hold only when every item loads
// (the loader stops the game when one does not).
#pragma once

#include <cstdint>

namespace shell {

// Sprites 1 to 14 are the object pictures: a sector's Content c is drawn
// with sprite c + ObjectSpriteOffset.
constexpr uint16_t ObjectSpriteOffset = 1;

enum : uint16_t {
  sprKeycard = 7,          // also the key icon of the inventory panel
  sprPlayerShadow = 15,
  sprPlayerUp = 16,        // four walk pictures per direction from here
  sprPlayerRight = 20,
  sprPlayerDown = 24,
  sprPlayerLeft = 28,
  sprStart = 32,           // title picture
  sprLives = 33,           // one life icon
  sprPixel = 34,           // the particle of a starburst
  sprGo = 35,
  sprCount1 = 36,
  sprCount2 = 37,
  sprCount3 = 38,
  sprNextLevel = 39,
  sprGameOver = 40,
  sprFireUp = 41,          // muzzle flash up, right, down, left: 41 to 44
  sprFireRight = 42,
  sprFireDown = 43,
  sprFireLeft = 44,
};

// Sprites the game loads itself; the first map's ground pictures follow.
constexpr uint16_t FixedSpriteCount = 44;

enum : uint16_t {
  sndStep = 1,
  sndHealth = 2,
  sndKeys = 3,
  sndAmmo = 4,             // also the dry click of an empty gun
  sndDoor = 5,
  sndEnd = 6,
  sndMine = 7,
  sndEnter = 8,
  sndGun = 9,
};

constexpr uint16_t FixedSoundCount = 9;

// The one font.
constexpr uint16_t GameFont = 1;

}  // namespace shell
