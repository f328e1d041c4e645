// Small levels written in the level text format for whole-game tests, and
// a private installation that plays them.
#pragma once

#include <map>
#include <string>

#include "tests/game/support.h"

namespace vxtest {

// Compiles each level text (keyed "level1" .. "level4") with vexmoor-mapc,
// packs it with vexmoor-pack into installDir/Maps/ (the levels not given are
// the shipped ones), and links the shipped sprites, fonts, sounds and music
// beside it. Returns an empty string on
// success, otherwise the complaint of the tool that failed.
std::string MakeLevelInstall(const fs::path& installDir, const std::map<std::string, std::string>& levels);

}  // namespace vxtest
