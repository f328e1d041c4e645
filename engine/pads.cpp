// The button layouts of the common gamepads and what their controls mean to
// the game. The numbers are those SDL reports: on Linux, both SDL 1.2
// runtimes read a pad through the kernel's event device and number its
// buttons in the order of the kernel's button codes; in the browser,
// Emscripten's SDL hands on the Gamepad API's "standard" mapping as it is.
#include "engine/pads.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace game {

namespace pads {

namespace {

// Linux's xpad driver (Xbox 360, Xbox One and their many copies): A 0, B 1,
// X 2, Y 3, LB 4, RB 5, Back 6, Start 7, Guide 8, the stick clicks 9 and
// 10; the D-pad is hat 0, or on the wireless receiver buttons 11 to 14
// (left, right, up, down); axes: left stick 0 and 1, LT 2, right stick 3
// and 4, RT 5.
constexpr TLayout Xbox = {"xbox", {0, 1, 2, 3}, 7, 6, 4, 5, {13, 14, 11, 12}, true, 0, 1};

// Sony's pads under hid-sony and hid-playstation (DualShock 3 and 4,
// DualSense): cross 0, circle 1, triangle 2, square 3, L1 4, R1 5, L2 6,
// R2 7, Share (Create, Select) 8, Options (Start) 9, PS 10, the stick
// clicks 11 and 12; the D-pad is hat 0, on the DualShock 3 buttons 13 to 16
// (up, down, left, right); axes as on the Xbox pad.
constexpr TLayout PlayStation = {"playstation", {0, 1, 3, 2}, 9, 8, 4, 5, {13, 14, 15, 16}, true, 0, 1};

// The browser's standard gamepad: A 0, B 1, X 2, Y 3, LB 4, RB 5, LT 6,
// RT 7, Back 8, Start 9, the stick clicks 10 and 11, D-pad up 12, down 13,
// left 14, right 15, Home 16; axes: left stick 0 and 1, right stick 2 and
// 3; no hat.
constexpr TLayout Standard = {"standard", {0, 1, 2, 3}, 9, 8, 4, 5, {12, 13, 14, 15}, false, 0, 1};

// A left-stick axis counts as pushed from half of its travel on.
constexpr int StickHalfTravel = StickDeadZone;

constexpr uint16_t KeyCodes[PadKeyCount] = {keyUp, keyDown, keyLeft, keyRight, keySpace, keyPageUp, keyPageDown};

// Hat bits as SDL 1.2 gives them.
constexpr uint8_t HatUp = 0x01;
constexpr uint8_t HatRight = 0x02;
constexpr uint8_t HatDown = 0x04;
constexpr uint8_t HatLeft = 0x08;

}  // namespace

const TLayout& Layout(TPadLayout layout) {
  switch (layout) {
    case plPlayStation: return PlayStation;
    case plStandard: return Standard;
    case plXbox:
    default: return Xbox;
  }
}

uint16_t KeyCode(int bit) { return bit >= 0 && bit < PadKeyCount ? KeyCodes[bit] : 0; }

TKeySet KeyBit(uint16_t key) {
  for (int bit = 0; bit < PadKeyCount; ++bit)
    if (KeyCodes[bit] == key) return static_cast<TKeySet>(1u << bit);
  return 0;
}

bool ButtonDown(const TPadState& state, int button) {
  return button >= 0 && button < 32 && (state.buttons >> button) & 1u;
}

TKeySet KeysHeld(const TLayout& layout, const TPadState& state) {
  TKeySet keys = 0;
  for (uint8_t hat : state.hats) {
    if (hat & HatUp) keys |= pkUp;
    if (hat & HatDown) keys |= pkDown;
    if (hat & HatLeft) keys |= pkLeft;
    if (hat & HatRight) keys |= pkRight;
  }
  const TKeySet dpadKeys[4] = {pkUp, pkDown, pkLeft, pkRight};
  for (int d = 0; d < 4; ++d)
    if (ButtonDown(state, layout.dpad[d])) keys |= dpadKeys[d];
  // Axes grow to the right and downwards.
  const int x = state.axes[layout.stickX];
  const int y = state.axes[layout.stickY];
  if (x <= -StickHalfTravel) keys |= pkLeft;
  if (x >= StickHalfTravel) keys |= pkRight;
  if (y <= -StickHalfTravel) keys |= pkUp;
  if (y >= StickHalfTravel) keys |= pkDown;
  for (int8_t face : layout.face)
    if (ButtonDown(state, face)) keys |= pkSpace;
  if (ButtonDown(state, layout.start)) keys |= pkSpace;
  if (ButtonDown(state, layout.leftShoulder)) keys |= pkPageUp;
  if (ButtonDown(state, layout.rightShoulder)) keys |= pkPageDown;
  return keys;
}

bool BackHeld(const TLayout& layout, const TPadState& state) { return ButtonDown(state, layout.back); }

}  // namespace pads

namespace {

constexpr int Any = -1;

// How a pad's report picks its layout; the first rule that fits wins. A
// name rule matches part of the pad's name, letter case ignored.
struct TLayoutRule {
  TPadLayout layout;
  const char* nameHas;  // null: any name
  int axes, buttons, hats;
};

constexpr TLayoutRule LayoutRules[] = {
    // Chrome adds this to the name of a pad it maps to the standard layout.
    {plStandard, "standard gamepad", Any, Any, Any},
    // The standard layout as Emscripten's SDL reports it: two sticks, 16
    // buttons (17 with Home), the D-pad among them, no hat.
    {plStandard, nullptr, 4, 16, 0},
    {plStandard, nullptr, 4, 17, 0},
    // Microsoft's pads, whatever their connection ("Xbox Wireless
    // Controller" would otherwise pass for Sony's).
    {plXbox, "xbox", Any, Any, Any},
    // Sony's pads by the kernel's names ("Sony Interactive Entertainment
    // Wireless Controller", "Wireless Controller" over Bluetooth, "Sony
    // PLAYSTATION(R)3 Controller", "DualSense Wireless Controller") and by
    // SDL 2's ("PS4 Controller").
    {plPlayStation, "sony", Any, Any, Any},
    {plPlayStation, "playstation", Any, Any, Any},
    {plPlayStation, "dualshock", Any, Any, Any},
    {plPlayStation, "dualsense", Any, Any, Any},
    {plPlayStation, "wireless controller", Any, Any, Any},
    {plPlayStation, "ps3 controller", Any, Any, Any},
    {plPlayStation, "ps4 controller", Any, Any, Any},
    {plPlayStation, "ps5 controller", Any, Any, Any},
    // A DualShock 4 or DualSense by its counts alone: 13 buttons (L2 and R2
    // among them) and the D-pad as a hat.
    {plPlayStation, nullptr, 6, 13, 1},
};

std::string Lower(const std::string& text) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

bool Fits(int wanted, int reported) { return wanted == Any || wanted == reported; }

}  // namespace

TPadLayout ChoosePadLayout(const std::string& name, int axes, int buttons, int hats) {
  const std::string lowerName = Lower(name);
  for (const TLayoutRule& rule : LayoutRules) {
    if (rule.nameHas != nullptr && lowerName.find(rule.nameHas) == std::string::npos) continue;
    if (Fits(rule.axes, axes) && Fits(rule.buttons, buttons) && Fits(rule.hats, hats)) return rule.layout;
  }
  // Most other pads copy the Xbox pad's layout.
  return plXbox;
}

const char* PadLayoutName(TPadLayout layout) { return pads::Layout(layout).name; }

}  // namespace game
