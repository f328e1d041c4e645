// Every picture of the game, drawn with cairo.
#pragma once

#include <string>
#include <vector>

#include "tools/assetgen/image.h"

namespace assetgen {

struct NamedImage {
  std::string name;
  Image image;
};

// Edge of a map cell in pixels: ground, objects and player frames are this
// size.
inline constexpr int kCell = 96;

// The fixed sprites of the game, each name once ("grass", "cdoor", ...,
// "player_l_fire"), in the order of their first load.
std::vector<NamedImage> DrawFixedSprites();

// The ground pictures that the levels use, in the order of level 1's
// picture list.
std::vector<NamedImage> DrawGroundSprites();

// The 32 x 32 window icon.
Image DrawIcon();

// The names of sprite ids 1 to 44 in load order (index 0 is id 1).
const std::vector<std::string>& FixedSpriteIds();

// The single pictures, each drawn on its own canvas and captured by the
// transparency rule that fits how the game draws it.

// A thing lying in a cell ("cdoor", "odoor", "keycard", "medkit", "ammo",
// "mine_active", "mine_inactive"), keyed; throws std::invalid_argument for
// any other name.
Image DrawObject(const std::string& name);
// The player figure, keyed: facing 0 up, 1 right, 2 down, 3 left; frame 0
// middle, 1 left foot forward, 2 right foot forward, 3 right further.
Image DrawPlayerFrame(int facing, int frame);
// The muzzle-flash overlay for a facing, lined up with the figure's weapon.
Image DrawMuzzleFlash(int facing);
// The soft shadow under the figure, cast down-right, keyed.
Image DrawShadow();
// A ground tile ("floor" ... "floor_hazard", or "grass"), opaque; throws
// std::invalid_argument for any other name.
Image DrawGroundTile(const std::string& name);
// The 800 x 600 title picture.
Image DrawTitle();
// A keyed banner plate with the text in gold.
Image DrawBanner(const std::string& text);
// A keyed countdown picture: "3", "2", "1" or "go" (shown as "GO!").
Image DrawCountdown(const std::string& text);
// The life icon of the status panel, keyed.
Image DrawLives();
// The particle of the bursts, keyed.
Image DrawPixel();

}  // namespace assetgen
