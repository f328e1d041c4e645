#include "tools/levelcheck/level_check.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

namespace levelcheck {

namespace {

constexpr int KeyCodeBits = 0x0F;

struct TStep {
  int Dx;
  int Dy;
  char Move;
};

// In the order ties are broken.
constexpr TStep Steps[] = {{0, -1, 'U'}, {1, 0, 'R'}, {0, 1, 'D'}, {-1, 0, 'L'}};

std::string CellText(int x, int y) { return "cell (" + std::to_string(x) + ", " + std::to_string(y) + ")"; }

bool Inside(const maps::TMapFile& map, int x, int y) {
  return x >= 0 && y >= 0 && x < map.Width && y < map.Height;
}

size_t CellIndex(const maps::TMapFile& map, int x, int y) {
  return static_cast<size_t>(y) * map.Width + static_cast<size_t>(x);
}

bool IsClosedDoor(uint8_t content) { return content == maps::ctClosedDoor || content == maps::ctClosedDoor2; }

uint32_t KeyBit(uint8_t keyCode) { return 1u << (keyCode & KeyCodeBits); }

// The key codes some closed door asks for.
uint32_t DoorKeys(const maps::TMapFile& map) {
  uint32_t keys = 0;
  for (size_t cell = 0; cell < map.Content.size(); ++cell) {
    if (IsClosedDoor(map.Content[cell])) keys |= KeyBit(map.KeyCodes[cell]);
  }
  return keys;
}

// Route states: a cell and the set of key codes held, packed in one number.
uint64_t StateOf(size_t cell, uint32_t keys) { return (static_cast<uint64_t>(cell) << 16) | keys; }

// Whether the player holding `keys` can stand on the cell.
bool Enterable(const maps::TMapFile& map, size_t cell, uint32_t keys) {
  const uint8_t content = map.Content[cell];
  if (content == maps::ctWall || content == maps::ctMineActive) return false;
  if (IsClosedDoor(content)) return (keys & KeyBit(map.KeyCodes[cell])) != 0;
  return true;
}

// Walks the moves from the start and lists what is picked up; each item is
// taken once, as the game clears its cell.
std::vector<std::string> Collect(const maps::TMapFile& map, int x, int y, const std::string& moves) {
  std::vector<uint8_t> content = map.Content;
  std::vector<std::string> items;
  for (char move : moves) {
    const TStep& step = *std::find_if(std::begin(Steps), std::end(Steps), [&](const TStep& s) { return s.Move == move; });
    x += step.Dx;
    y += step.Dy;
    const size_t cell = CellIndex(map, x, y);
    if (content[cell] == maps::ctKeycard) items.push_back("key " + std::to_string(map.KeyCodes[cell]));
    if (content[cell] == maps::ctMedkit) items.push_back("medkit");
    if (content[cell] == maps::ctAmmo) items.push_back("ammo");
    if (content[cell] == maps::ctKeycard || content[cell] == maps::ctMedkit || content[cell] == maps::ctAmmo) {
      content[cell] = maps::ctEmpty;
    }
  }
  return items;
}

// Every cell that walls alone do not cut off from the start, in row order.
std::vector<size_t> OpenRegion(const maps::TMapFile& map, int startX, int startY) {
  std::vector<bool> seen(map.Content.size(), false);
  std::vector<size_t> region;
  std::deque<std::pair<int, int>> queue = {{startX, startY}};
  seen[CellIndex(map, startX, startY)] = true;
  while (!queue.empty()) {
    const auto [x, y] = queue.front();
    queue.pop_front();
    region.push_back(CellIndex(map, x, y));
    for (const TStep& step : Steps) {
      const int nx = x + step.Dx;
      const int ny = y + step.Dy;
      if (!Inside(map, nx, ny)) continue;
      const size_t cell = CellIndex(map, nx, ny);
      if (seen[cell] || map.Content[cell] == maps::ctWall) continue;
      seen[cell] = true;
      queue.push_back({nx, ny});
    }
  }
  std::sort(region.begin(), region.end());
  return region;
}

void CheckMargins(const maps::TMapFile& map, int startX, int startY, std::vector<std::string>& problems) {
  for (size_t cell : OpenRegion(map, startX, startY)) {
    const int x = static_cast<int>(cell % map.Width);
    const int y = static_cast<int>(cell / map.Width);
    if (x < MarginLeft || x > map.Width - 1 - MarginRight || y < MarginTop || y > map.Height - 1 - MarginBottom) {
      problems.push_back(CellText(x, y) + " can be reached but lies outside the margins " +
                         std::to_string(MarginLeft) + " <= x <= " + std::to_string(map.Width - 1 - MarginRight) +
                         ", " + std::to_string(MarginTop) + " <= y <= " +
                         std::to_string(map.Height - 1 - MarginBottom));
      return;  // one is enough to say what is wrong
    }
  }
}

void CheckTiles(const maps::TMapFile& map, size_t firstNameCount, std::vector<std::string>& problems) {
  for (size_t cell = 0; cell < map.Tiles.size(); ++cell) {
    if (map.Tiles[cell] > firstNameCount) {
      problems.push_back(CellText(static_cast<int>(cell % map.Width), static_cast<int>(cell / map.Width)) +
                         " has tile " + std::to_string(map.Tiles[cell]) + " but the first level names only " +
                         std::to_string(firstNameCount) + " pictures");
      return;
    }
  }
}

}  // namespace

TRoute FindRoute(const maps::TMapFile& map, int startX, int startY, size_t maxPositions) {
  TRoute route;
  // Other keys would only multiply the positions without opening anything.
  const uint32_t doorKeys = DoorKeys(map);
  struct TVisit {
    uint64_t Previous;
    char Move;
  };
  std::unordered_map<uint64_t, TVisit> visited;
  std::deque<uint64_t> queue;
  const uint64_t first = StateOf(CellIndex(map, startX, startY), 0);
  visited[first] = {first, 0};
  queue.push_back(first);
  while (!queue.empty()) {
    const uint64_t state = queue.front();
    queue.pop_front();
    const size_t cell = static_cast<size_t>(state >> 16);
    const uint32_t keys = static_cast<uint32_t>(state & 0xFFFF);
    if (map.Content[cell] == maps::ctExit) {
      for (uint64_t at = state; at != first; at = visited[at].Previous) route.Moves += visited[at].Move;
      std::reverse(route.Moves.begin(), route.Moves.end());
      route.Found = true;
      route.Collected = Collect(map, startX, startY, route.Moves);
      return route;
    }
    const int x = static_cast<int>(cell % map.Width);
    const int y = static_cast<int>(cell / map.Width);
    for (const TStep& step : Steps) {
      const int nx = x + step.Dx;
      const int ny = y + step.Dy;
      if (!Inside(map, nx, ny)) continue;
      const size_t next = CellIndex(map, nx, ny);
      if (!Enterable(map, next, keys)) continue;
      const uint32_t held =
          map.Content[next] == maps::ctKeycard ? keys | (KeyBit(map.KeyCodes[next]) & doorKeys) : keys;
      const uint64_t nextState = StateOf(next, held);
      if (visited.count(nextState)) continue;
      if (visited.size() >= maxPositions) {
        route.GaveUp = true;
        return route;
      }
      visited[nextState] = {state, step.Move};
      queue.push_back(nextState);
    }
  }
  return route;
}

TCheck CheckMap(const maps::TMapFile& map, size_t firstNameCount, size_t maxPositions) {
  TCheck check;
  std::vector<size_t> starts;
  bool haveExit = false;
  for (size_t cell = 0; cell < map.Content.size(); ++cell) {
    if (map.Content[cell] == maps::ctStart) starts.push_back(cell);
    if (map.Content[cell] == maps::ctExit) haveExit = true;
  }
  if (starts.empty()) check.Problems.push_back("no start cell");
  if (starts.size() > 1) {
    std::string cells;
    for (size_t cell : starts) {
      cells += (cells.empty() ? "" : ", ") +
               CellText(static_cast<int>(cell % map.Width), static_cast<int>(cell / map.Width));
    }
    check.Problems.push_back(std::to_string(starts.size()) + " start cells: " + cells);
  }
  if (!haveExit) check.Problems.push_back("no exit cell");
  CheckTiles(map, firstNameCount, check.Problems);
  if (starts.size() != 1) return check;
  const int startX = static_cast<int>(starts[0] % map.Width);
  const int startY = static_cast<int>(starts[0] / map.Width);
  CheckMargins(map, startX, startY, check.Problems);
  if (!haveExit) return check;
  check.Route = FindRoute(map, startX, startY, maxPositions);
  if (check.Route.GaveUp) {
    check.Problems.push_back("the route search gave up after " + std::to_string(maxPositions) +
                             " positions: too many keycard codes to try every order of them");
  } else if (!check.Route.Found) {
    check.Problems.push_back("no exit can be reached from the start " + CellText(startX, startY) +
                             " without stepping on an armed mine");
  }
  return check;
}

std::string CollectedText(const TRoute& route) {
  if (route.Collected.empty()) return "nothing";
  std::string text;
  for (const std::string& item : route.Collected) text += (text.empty() ? "" : ", ") + item;
  return text;
}

}  // namespace levelcheck
