// The gameplay rules of the play state: player input and movement, firing,
// pickups, doors, mines, the exit and the counters. They read and write the
// game variables and the sectors of maps::Map around the player, who stands
// on cell (ViewX + 4, ViewY + 3). Offsets (dx, dy) count from that cell, dx
// to the right and dy downwards.
#pragma once

#include <cstdint>

namespace shell {

// Whether a shot hits a mine, by skill class (Skill div 26) and HitCounter
// (0 to 15); 1 is a hit.
extern const uint8_t HitTable[4][16];

// The play state's per-frame input: fire handling (also while stepping);
// then, only at rest, TouchSectors, FindWalls, ResolveShot and the arrow
// keys (left, right, up, down; the last free one held wins, each accepted
// one starts a step and plays the step sound).
void HandlePlayInput();

// Space starts a shot (Ammo down by one, muzzle flash, shot pending, sound
// 9) or, without ammunition, a dry click (sound 4); once per press.
void HandleFire();

// Sets the Blocked flag of every neighbour that is a wall; clears none.
void FindWalls();

// Advances a step under way by 8 pixels; ends it after 12 frames.
void StepMovement();

// Clears the four Blocked flags, then applies TouchSector to the cells
// right, left, up, down and the player's own, in that order, skipping
// empty ones.
void TouchSectors();

// Applies the rule of one cell's content: exit, keycard, medkit, ammunition
// and armed mine on the own cell (dx = dy = 0) only; closed doors on any of
// the five cells (opening with a held key, blocking otherwise).
void TouchSector(int dx, int dy, uint8_t content);

// At rest, resolves a pending shot along Direction: the cells 1 to 3 away,
// nearest first; a wall stops it, every armed mine on the way gets
// ShootMine. Clears ShotPending.
void ResolveShot();

// A shot reaches the armed mine at (dx, dy): when ShotHits, it goes off
// (sound 7, a burst on its cell, spent mine, Skill + 2).
void ShootMine(int dx, int dy);

// Advances HitCounter (16 positions, wrapping to 0) and looks the result up
// in HitTable by skill class; classes above 3 use row 3.
bool ShotHits();

// Health, then Ammo, then Skill: a value above 100 is cut to 100 and the
// excess added to Score.
void CapCounters();

}  // namespace shell
