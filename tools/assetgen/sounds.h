// The game's sound effects, synthesised.
#pragma once

#include <string>
#include <vector>

#include "tools/assetgen/synth.h"

namespace assetgen {

struct NamedSound {
  std::string name;
  Samples samples;  // mono, at kSampleRate
};

// The nine effects in the game's load order ("step" ... "gun3r"), faded at
// both ends and brought to matching loudness.
std::vector<NamedSound> SynthesiseEffects();

}  // namespace assetgen
