// One picture showing every generated sprite for a person to look over.
#pragma once

#include <string>

namespace assetgen {

// Reads the loose pictures under installDir (the fixed sprites by id, the
// ground sprites, the font image and the icon) and writes them side by side
// at their own size on a checkered ground, each labelled with its id and
// name, as a PNG file at pngPath. Pure black shows as the checkers, as it
// does in the game. Throws on a missing or broken picture.
void WriteContactSheet(const std::string& installDir, const std::string& pngPath);

}  // namespace assetgen
