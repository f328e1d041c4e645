// Resource loading behind the loading screen, and the start of a level.
#pragma once

namespace shell {

// Checks that the map file of every level, "level1" to "level4", is there
// with a sound header and length, reading only headers (nothing is unpacked
// or loaded, Map is left alone). Throws resources::IoError naming the first
// file that is missing, unreadable, not a map file, shorter than its header
// promises or larger than a map may be.
void CheckLevelMaps();

// Loads the 44 fixed sprites and the 9 sounds (bar total 54), then reads
// the map "level1" for its picture names and loads those as sprites 45 and
// up (bar total SpriteCount), one item per frame; ends with GameState =
// gsTitle. A quit requested while loading (a termination signal, a window
// close) stops it before the next item, GameState unchanged. Sounds are left out without an audio device. Throws
// resources::IoError naming the file when a sprite, or a sound with the
// audio device open, cannot be loaded (the fixed ids would no longer hold),
// or "level1" is not a map file, and lets a packed-file or map failure
// through the same way.
void LoadResources();

// The loading screen: LoadCaption above a 600 x 32 bar at (100, 300) whose
// filled part is LoadDone * 600 div LoadTotal pixels wide (none while
// LoadTotal is not positive).
void DrawLoadingProgress();

// Raises Level (4 wraps to 1), loads "level<Level>" with sprite base 44 and
// puts the player at rest, facing up, on the last ctStart cell found column
// by column (view origin (10, 10) without one); empties the inventory.
// Score, Health, Ammo, Skill, Lives and Firing stay as they are. Throws
// resources::IoError naming the map when it cannot be read or is not a map
// file.
void StartLevel();

}  // namespace shell
