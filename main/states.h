// The six-state game-state machine: one handler per state, each drawing its
// whole screen and possibly moving GameState, and the work of one frame of
// the main loop.
#pragma once

namespace shell {

// A new game's counters: Score 0, Health 100, Ammo 1, Skill 1, Lives 3,
// Firing false, in that order. Nothing else.
void NewGame();

// gsTitle: the title picture; Space starts a new game (through gsLevelDone,
// which starts level 1 in the same frame).
void TitleState();
// gsPlaying: input and movement rules, CapCounters, the play screen.
void PlayingState();
// gsLevelDone: the frozen play screen under the level-complete banner; when
// StateTimer runs out, the next level and its countdown start.
void LevelDoneState();
// gsGameOver: the frozen play screen under the game-over banner; when
// StateTimer runs out, the title.
void GameOverState();
// gsCountdown: the frozen play screen with "3", "2", "1", "go"; play starts
// after the ninth step.
void CountdownState();
// gsDying: the play screen with the player blinking; then the same level
// restarts, or with no lives left the game is over.
void DyingState();

// Tests GameState against the six states in rising order, each with its own
// test, so a handler that moves to a higher state has that state's handler
// run in the same frame.
void RunStateHandlers();

// One due frame of the main loop: RunStateHandlers, the particles on top,
// then PageUp raises and PageDown lowers the brightness by one.
void RunFrame();

}  // namespace shell
