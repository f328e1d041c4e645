// The level checker: whether a map is fit for the game, and the shortest way
// through it under the game's own rules.
#pragma once

#include <string>
#include <vector>

#include "world/maps.h"

namespace levelcheck {

// The view margins every cell the player can reach must keep: the 11 x 9
// drawing window around the player stays inside the grid.
constexpr int MarginLeft = 4;
constexpr int MarginRight = 6;
constexpr int MarginTop = 3;
constexpr int MarginBottom = 5;

// A route from the start to an exit: arrow-key moves ('U', 'R', 'D', 'L')
// and the items taken on the way, in order ("key 1", "medkit", "ammo").
struct TRoute {
  bool Found = false;
  std::string Moves;
  std::vector<std::string> Collected;
};

// The shortest route from (startX, startY) to an exit cell. Walls, armed
// mines and closed doors block; a closed door lets the player through once
// a key of the same code (low four bits) has been taken, and a key is taken
// by stepping on its cell. Reaching an exit ends the route. Ties go to the
// moves in the order up, right, down, left.
TRoute FindRoute(const maps::TMapFile& map, int startX, int startY);

// The result of checking one map: every fault found (each naming a cell
// where one is concerned), and the route when there is one.
struct TCheck {
  std::vector<std::string> Problems;
  TRoute Route;
};

// Checks a map as the game will use it: exactly one start, an exit, every
// nonzero tile value within the first level's `firstNameCount` pictures,
// every cell not cut off from the start by walls inside the view margins,
// and an exit reachable by FindRoute.
TCheck CheckMap(const maps::TMapFile& map, size_t firstNameCount);

// The items of a route as one line: "key 1, medkit, ammo" or "nothing".
std::string CollectedText(const TRoute& route);

}  // namespace levelcheck
