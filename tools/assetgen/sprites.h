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

// Pieces shared by the drawing files.
Image DrawObject(const std::string& name);
Image DrawPlayerFrame(int facing, int frame);  // facing 0 up .. 3 left; frame 0 m, 1 l1, 2 r1, 3 r2
Image DrawMuzzleFlash(int facing);
Image DrawShadow();
Image DrawGroundTile(const std::string& name);
Image DrawTitle();
Image DrawBanner(const std::string& text);
Image DrawCountdown(const std::string& text);
Image DrawLives();
Image DrawPixel();

}  // namespace assetgen
