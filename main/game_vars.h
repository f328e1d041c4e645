// The game variables: one set of game, player and state-machine values for
// the whole run, read and written by the state handlers, the play-screen
// drawing and the gameplay rules. All zero at program start.
#pragma once

#include <cstdint>
#include <string>

namespace shell {

// Game states, spaced by ten.
enum : uint16_t {
  gsTitle = 0,
  gsPlaying = 10,
  gsLevelDone = 20,
  gsGameOver = 30,
  gsCountdown = 40,
  gsDying = 50,
};

extern int32_t ViewX, ViewY;      // view origin; the player stands on (ViewX + 4, ViewY + 3)
extern int32_t ScrollX, ScrollY;  // pixel offset of the world during a step
extern uint8_t Direction;         // 1 up, 2 right, 3 down, 4 left
extern bool Moving;
extern bool Firing;
extern bool ShotPending;
extern int32_t FireFlash;
extern bool FireLatch;
extern int32_t HitCounter;
extern uint16_t WalkFrame;
extern uint16_t WalkTick;
extern int32_t Skill;
extern int32_t Score;
extern int32_t Ammo;
extern int32_t Health;
extern std::string Inventory;     // one key character per keycard taken
extern bool BlockedLeft, BlockedRight, BlockedUp, BlockedDown;
extern uint16_t GameState;
extern uint16_t Level;
extern uint16_t Lives;
extern int32_t StateTimer;
extern int32_t CountdownStep;
extern int32_t BlinkStep;

// Loading progress.
extern int32_t LoadDone;
extern int32_t LoadTotal;
extern std::string LoadCaption;

// Every game variable and the loading progress back to zero (false, empty),
// as at program start; a test's clean start.
void ResetGameVariables();

}  // namespace shell
