// The background music "maze": composed and rendered here, encoded as Ogg
// Vorbis.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/assetgen/synth.h"

namespace assetgen {

// Renders the loop as interleaved stereo samples at kSampleRate. The loop
// wraps: notes still sounding at its end are carried round to its start,
// so the last sample runs straight into the first.
Samples ComposeMaze();

// Encodes interleaved stereo samples as an Ogg Vorbis stream (VBR at the
// given quality, fixed stream serial number, so equal input gives equal
// bytes). Throws std::runtime_error when the encoder refuses.
std::vector<uint8_t> EncodeOggVorbis(const Samples& interleaved, float quality);

}  // namespace assetgen
