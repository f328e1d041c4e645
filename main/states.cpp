#include "main/states.h"

#include <cstdint>

#include "engine/game.h"
#include "main/game_vars.h"
#include "main/loading.h"
#include "main/play_screen.h"
#include "main/resource_ids.h"
#include "main/rules.h"

namespace shell {

namespace {

constexpr int32_t NewGameHealth = 100;
constexpr int32_t NewGameAmmo = 1;
constexpr int32_t NewGameSkill = 1;
constexpr uint16_t NewGameLives = 3;

constexpr int16_t BannerX = 350;
constexpr int16_t BannerY = 300;
constexpr int16_t CountdownX = 390;
constexpr int16_t CountdownY = 300;

// One sprite per countdown step; 0 shows nothing. The step after the last
// counts as empty.
constexpr uint16_t CountdownTable[] = {0, sprCount3, 0, sprCount2, 0, sprCount1, 0, sprGo, 0};
constexpr int32_t LastCountdownStep = 8;

// A timer set to n runs until below 0: its phase lasts n + 1 frames.
constexpr int32_t PhaseFrames = 20;
constexpr int32_t ShortPhaseFrames = 10;
constexpr int32_t LastBlinkStep = 11;
constexpr int32_t GameOverFrames = 180;

constexpr uint8_t BrightnessMax = 255;

uint16_t CountdownEntry(int32_t step) {
  if (step < 0 || step > LastCountdownStep) return 0;
  return CountdownTable[step];
}

// The countdown of a new or restarted level.
void EnterCountdown() {
  GameState = gsCountdown;
  CountdownStep = 0;
  game::PlaySound(sndEnter);
}

// The frozen play screen, the player standing, under a banner.
void DrawUnderBanner(uint16_t banner) {
  Moving = false;
  DrawPlayScreen();
  game::DrawKeyed(BannerX, BannerY, banner);
}

}  // namespace

void NewGame() {
  Score = 0;
  Health = NewGameHealth;
  Ammo = NewGameAmmo;
  Skill = NewGameSkill;
  Lives = NewGameLives;
  Firing = false;
}

void TitleState() {
  game::Draw(0, 0, sprStart);
  if (game::KeyDown(game::keySpace)) {
    Level = 0;
    NewGame();
    StartLevel();
    // gsLevelDone runs next in this same frame and, with StateTimer already
    // below 0, starts level 1 again right away.
    Level = 0;
    GameState = gsLevelDone;
  }
}

void PlayingState() {
  HandlePlayInput();
  StepMovement();
  CapCounters();
  if (Lives == 0) GameState = gsDying;
  DrawPlayScreen();
}

void LevelDoneState() {
  DrawUnderBanner(sprNextLevel);
  StateTimer -= 1;
  if (StateTimer < 0) {
    StartLevel();
    EnterCountdown();
  }
}

void GameOverState() {
  DrawUnderBanner(sprGameOver);
  StateTimer -= 1;
  if (StateTimer < 0) GameState = gsTitle;
}

void CountdownState() {
  Moving = false;
  DrawPlayScreen();
  const uint16_t sprite = CountdownEntry(CountdownStep);
  if (sprite != 0) game::DrawKeyed(CountdownX, CountdownY, sprite);
  StateTimer -= 1;
  if (StateTimer < 0) {
    CountdownStep += 1;
    StateTimer = PhaseFrames;
    if (CountdownEntry(CountdownStep) == 0) StateTimer = StateTimer / 2;
    if (CountdownStep > LastCountdownStep) GameState = gsPlaying;
  }
}

void DyingState() {
  Moving = false;
  DrawWorld();
  DrawObjects();
  if (BlinkStep % 2 == 0) DrawPlayer();
  DrawHud();
  DrawInventory();
  StateTimer -= 1;
  if (StateTimer < 0) {
    BlinkStep += 1;
    StateTimer = PhaseFrames;
    if (BlinkStep % 2 != 0) StateTimer = ShortPhaseFrames;
    if (BlinkStep > LastBlinkStep) {
      if (Lives > 0) {
        // StartLevel raises Level again: the same level restarts.
        Level -= 1;
        StartLevel();
        EnterCountdown();
      } else {
        GameState = gsGameOver;
        StateTimer = GameOverFrames;
      }
    }
  }
}

void RunStateHandlers() {
  if (GameState == gsTitle) TitleState();
  if (GameState == gsPlaying) PlayingState();
  if (GameState == gsLevelDone) LevelDoneState();
  if (GameState == gsGameOver) GameOverState();
  if (GameState == gsCountdown) CountdownState();
  if (GameState == gsDying) DyingState();
}

void RunFrame() {
  RunStateHandlers();
  game::UpdateParticles();
  if (game::KeyDown(game::keyPageUp) && game::GetBrightness() < BrightnessMax) {
    game::SetBrightness(static_cast<uint8_t>(game::GetBrightness() + 1));
  }
  if (game::KeyDown(game::keyPageDown) && game::GetBrightness() > 0) {
    game::SetBrightness(static_cast<uint8_t>(game::GetBrightness() - 1));
  }
}

}  // namespace shell
