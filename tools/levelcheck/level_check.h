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
  // The search stopped at its limit of positions without an answer.
  bool GaveUp = false;
  std::string Moves;
  std::vector<std::string> Collected;
};

// Positions (a cell and the door keys held) FindRoute tries at most. Each
// door code in use can double the positions, so a hostile map of sixteen
// keycards and doors would otherwise make the search run for hours and
// take gigabytes; the limit is four times the largest map's cells.
constexpr size_t MaxRoutePositions = size_t{4} * maps::MaxMapCells;

// The shortest route from (startX, startY) to an exit cell. Walls, armed
// mines and closed doors block; a closed door lets the player through once
// a key of the same code (low four bits) has been taken, and a key is taken
// by stepping on its cell. Reaching an exit ends the route. Ties go to the
// moves in the order up, right, down, left. Keycards whose code no closed
// door asks for are picked up but never change where the player can go.
// After `maxPositions` positions without an exit it gives up (GaveUp).
TRoute FindRoute(const maps::TMapFile& map, int startX, int startY, size_t maxPositions = MaxRoutePositions);

// The result of checking one map: every fault found (each naming a cell
// where one is concerned), and the route when there is one.
struct TCheck {
  std::vector<std::string> Problems;
  TRoute Route;
};

// Checks a map as the game will use it: exactly one start, an exit, every
// nonzero tile value within the first level's `firstNameCount` pictures,
// every cell not cut off from the start by walls inside the view margins,
// and an exit reachable by FindRoute (a search that gave up is a fault of
// its own).
TCheck CheckMap(const maps::TMapFile& map, size_t firstNameCount, size_t maxPositions = MaxRoutePositions);

// The items of a route as one line: "key 1, medkit, ammo" or "nothing".
std::string CollectedText(const TRoute& route);

}  // namespace levelcheck
