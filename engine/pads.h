// Gamepads as data: the button layouts of the common pads, the choice of a
// layout from what a pad reports, and the game keys a pad's buttons, hats
// and left stick hold. Plain tables and arithmetic, no SDL: the events are
// read in input.cpp. Only the engine's own files include this header.
#pragma once

#include <cstdint>

#include "engine/game.h"

namespace game::pads {

// Where one layout puts the controls the game reads, as SDL numbers them
// (-1: this layout has no such button).
struct TLayout {
  const char* name;
  // The four face buttons: south, east, west, north (A, B, X, Y on an Xbox
  // pad; cross, circle, square, triangle on a PlayStation pad).
  int8_t face[4];
  int8_t start;
  int8_t back;
  int8_t leftShoulder;
  int8_t rightShoulder;
  // The D-pad as buttons: up, down, left, right. Pads that report it as a
  // hat are read through their hats whatever the layout.
  int8_t dpad[4];
  // Whether the pads of this layout usually report the D-pad as a hat.
  bool dpadOnHat;
  // The axes of the left stick.
  uint8_t stickX;
  uint8_t stickY;
};

// The table of one layout.
const TLayout& Layout(TPadLayout layout);

// What one pad holds right now, as its events left it. Buttons past 31,
// hats past 3 and axes past 7 are not kept: no layout reads them.
struct TPadState {
  uint32_t buttons = 0;
  uint8_t hats[4] = {};
  int16_t axes[8] = {};
};

// The game keys a pad can hold, as bits of a set.
enum : uint8_t {
  pkUp = 1 << 0,
  pkDown = 1 << 1,
  pkLeft = 1 << 2,
  pkRight = 1 << 3,
  pkSpace = 1 << 4,
  pkPageUp = 1 << 5,
  pkPageDown = 1 << 6,
};
using TKeySet = uint8_t;
constexpr int PadKeyCount = 7;
// The key code of bit i of a TKeySet.
uint16_t KeyCode(int bit);
// The bit of a key code in a TKeySet; 0 for keys no pad holds (Escape
// comes from holding Back, which input.cpp counts).
TKeySet KeyBit(uint16_t key);

// The keys a pad in this state holds with this layout: any hat and the
// layout's D-pad buttons walk, so does the left stick past the dead zone
// (a diagonal holds both of its directions); a face button or Start holds
// Space, the shoulders PageUp and PageDown.
TKeySet KeysHeld(const TLayout& layout, const TPadState& state);

// Whether the pad holds its Back (Select, Share) button.
bool BackHeld(const TLayout& layout, const TPadState& state);

// Whether button `button` is down in `state` (false past 31).
bool ButtonDown(const TPadState& state, int button);

}  // namespace game::pads
