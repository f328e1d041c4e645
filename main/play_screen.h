// The play screen behind every state but the title: the scrolling map, the
// player figure, the status panel and the inventory panel. The routines read
// the game variables and maps::Map; DrawPlayer also advances the walk
// animation and counts down the muzzle flash.
#pragma once

namespace shell {

// DrawWorld, DrawObjects, DrawPlayer, DrawHud, DrawInventory, in this order.
void DrawPlayScreen();

// The ground: each cell of the 11 x 9 view drawn opaque with its Tile at
// (i * 96 - 96 + ScrollX, j * 96 - 96 + ScrollY); Tile 0 draws nothing.
void DrawWorld();

// The things on the ground: a cell whose Content is above 3 gets sprite
// Content + 1, keyed, at its view position.
void DrawObjects();

// The player at (288, 192): shadow, walk picture for Direction and the walk
// frame, and the muzzle flash while Firing. While Moving it first advances
// WalkTick and WalkFrame (a new picture every 3 frames, 6 pictures); after
// a flash is drawn FireFlash goes down by one and Firing ends below 0.
void DrawPlayer();

// The status panel at the right edge: labels, value boxes, Score, the
// Health, Ammo and Skill bars, Level and one icon per life.
void DrawHud();

// The inventory panel at the lower left: caption, four slot boxes and a
// keycard picture for every inventory character whose low four bits are 6.
void DrawInventory();

}  // namespace shell
