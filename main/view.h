// The geometry of the play view shared by the rules, the drawing and the
// level start: cell size, the view window, the player's fixed place in it
// and the facings.
#pragma once

#include <cstdint>

namespace shell {

// The window the game opens.
constexpr uint16_t ScreenWidth = 800;
constexpr uint16_t ScreenHeight = 600;

// A map cell on screen, in pixels.
constexpr int CellSize = 96;
// The view shows 11 x 9 cells from one cell left of and above the window.
constexpr int ViewColumns = 11;
constexpr int ViewRows = 9;
// The player stands on view cell (4, 3), map cell (ViewX + 4, ViewY + 3),
// drawn at (288, 192) and centred on (336, 240).
constexpr int PlayerColumn = 4;
constexpr int PlayerRow = 3;
constexpr int16_t PlayerX = 288;
constexpr int16_t PlayerY = 192;
constexpr int16_t PlayerCentreX = 336;
constexpr int16_t PlayerCentreY = 240;

// Values of Direction.
enum : uint8_t { dirUp = 1, dirRight = 2, dirDown = 3, dirLeft = 4 };

}  // namespace shell
