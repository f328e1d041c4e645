// The engine's input: the SDL event queue, the keyboard, the gamepads and
// the one held-key state that KeyDown reads. Every device ends here; the
// rules only ever ask KeyDown, and never learn which device held a key.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

#include "engine/engine_state.h"
#include "engine/game.h"
#include "engine/pads.h"
#include "platform/platform.h"

namespace game {

namespace {

// SDL's key-state table, which SDL refreshes whenever the queue is pumped.
Uint8* KeyState = nullptr;
int KeyCount = 0;
// Keys held through SetKey, read beside SDL's table. Tests and the replay
// tool hold keys here rather than in SDL's own table: sdl12-compat keeps
// that table across SDL_Quit and SDL_Init, where the classic library clears
// it, so a key written there outlives the engine it was meant for.
std::array<bool, SDLK_LAST> HeldKeys{};
// Keys that went down, on the keyboard or a pad, since the last
// FinishFrameInput. The loop reads the keys about once a frame, so a tap
// that goes down and up between two reads would otherwise never be seen.
std::array<bool, SDLK_LAST> PressedKeys{};

constexpr int MaxPads = 8;

struct TPad {
  SDL_Joystick* device = nullptr;
  TPadLayout layout = plXbox;
  pads::TPadState state;
};

std::array<TPad, MaxPads> Pads;
int OpenPads = 0;
// The layout of the joysticks no device stands behind.
TPadLayout VirtualLayout = plXbox;
// The keys all pads hold together, and whether one of them holds Back.
pads::TKeySet PadKeys = 0;
bool PadBackHeld = false;
// Frames whose end found Back held without a break, up to BackHoldFrames.
uint32_t BackFrames = 0;
// What HoldPadControls made joystick 0 hold.
TPadControls VirtualControls = 0;

void NotePress(int key) {
  if (key >= 0 && key < SDLK_LAST) PressedKeys[key] = true;
}

// The pads' keys after one of their events: keys newly held count as
// pressed, as a key going down does, so the pads feed the same taps.
void MergePads() {
  pads::TKeySet keys = 0;
  bool back = false;
  for (const TPad& pad : Pads) {
    const pads::TLayout& layout = pads::Layout(pad.layout);
    keys |= pads::KeysHeld(layout, pad.state);
    back = back || pads::BackHeld(layout, pad.state);
  }
  const pads::TKeySet pressed = keys & ~PadKeys;
  for (int bit = 0; bit < pads::PadKeyCount; ++bit)
    if ((pressed >> bit) & 1u) NotePress(pads::KeyCode(bit));
  PadKeys = keys;
  // Released, even for a moment: the hold starts again from nothing.
  if (!back) BackFrames = 0;
  PadBackHeld = back;
}

// The state of pad `which`; null past the pads the engine keeps.
pads::TPadState* PadState(int which) { return which < MaxPads ? &Pads[which].state : nullptr; }

void ReadPadEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_JOYAXISMOTION: {
      pads::TPadState* state = PadState(event.jaxis.which);
      if (state == nullptr || event.jaxis.axis >= std::size(state->axes)) return;
      state->axes[event.jaxis.axis] = event.jaxis.value;
      break;
    }
    case SDL_JOYHATMOTION: {
      pads::TPadState* state = PadState(event.jhat.which);
      if (state == nullptr || event.jhat.hat >= std::size(state->hats)) return;
      state->hats[event.jhat.hat] = event.jhat.value;
      break;
    }
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
      pads::TPadState* state = PadState(event.jbutton.which);
      if (state == nullptr || event.jbutton.button >= 32) return;
      const uint32_t bit = uint32_t{1} << event.jbutton.button;
      state->buttons = event.type == SDL_JOYBUTTONDOWN ? state->buttons | bit : state->buttons & ~bit;
      break;
    }
    default:
      return;
  }
  MergePads();
}

// Opens the pads SDL counts beyond those already open. On the desktop SDL
// 1.2 counts its pads once, at start-up; a browser shows a pad to the page
// only once one of its buttons is pressed, and Emscripten's SDL counts it
// from then on.
void OpenNewPads() {
  const int present = std::min(SDL_NumJoysticks(), MaxPads);
  for (int index = OpenPads; index < present; ++index) {
    SDL_Joystick* device = SDL_JoystickOpen(index);
    Pads[index].device = device;
    if (device == nullptr) continue;
    const char* name = SDL_JoystickName(index);
    Pads[index].layout = ChoosePadLayout(name != nullptr ? name : "", SDL_JoystickNumAxes(device),
                                         SDL_JoystickNumButtons(device), SDL_JoystickNumHats(device));
  }
  OpenPads = std::max(OpenPads, present);
}

void ForgetPads() {
  for (TPad& pad : Pads) pad = TPad{nullptr, VirtualLayout, {}};
  OpenPads = 0;
  PadKeys = 0;
  PadBackHeld = false;
  BackFrames = 0;
  VirtualControls = 0;
}

}  // namespace

namespace state {

void StartInput() {
  // Without joystick support the game is simply played on the keyboard.
  SDL_InitSubSystem(SDL_INIT_JOYSTICK);
  KeyState = SDL_GetKeyState(&KeyCount);
  HeldKeys.fill(false);
  PressedKeys.fill(false);
  ForgetPads();
  OpenNewPads();
  SDL_JoystickEventState(SDL_ENABLE);
}

void StopInput() {
  // SDL_Quit has closed the pads.
  KeyState = nullptr;
  KeyCount = 0;
  ForgetPads();
}

}  // namespace state

bool ProcessEvents() {
  const bool keepRunning = !QuitRequested();
  if (keepRunning) {
    if (KeyState != nullptr) OpenNewPads();
    // Pumping the queue is also what keeps SDL's key-state array current.
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
      switch (event.type) {
        case SDL_QUIT:
          RequestQuit();
          break;
        case SDL_KEYDOWN:
          NotePress(event.key.keysym.sym);
          break;
        case SDL_JOYAXISMOTION:
        case SDL_JOYHATMOTION:
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
          ReadPadEvent(event);
          break;
        default:
          break;  // every other event is dropped
      }
    }
    // A termination signal counts as a quit event drained in this pass.
    if (platform::TerminationRequested()) RequestQuit();
  }
  return keepRunning;
}

bool KeyDown(uint16_t key) {
  if (key >= HeldKeys.size()) return false;
  if (HeldKeys[key] || PressedKeys[key]) return true;
  if (key == keyEscape && BackFrames >= BackHoldFrames) return true;
  if ((PadKeys & pads::KeyBit(key)) != 0) return true;
  return KeyState != nullptr && key < KeyCount && KeyState[key] == 1;
}

void FinishFrameInput() {
  PressedKeys.fill(false);
  if (!PadBackHeld || BackFrames >= BackHoldFrames) return;
  // The frame that completes the hold presses Escape, so a Back released
  // right after it still ends the game at the next read.
  if (++BackFrames == BackHoldFrames) NotePress(keyEscape);
}

void SetKey(uint16_t key, bool down) {
  if (key < HeldKeys.size()) HeldKeys[key] = down;
}

int PadCount() { return OpenPads; }

void SetVirtualPadLayout(TPadLayout layout) {
  VirtualLayout = layout;
  for (TPad& pad : Pads)
    if (pad.device == nullptr) pad.layout = layout;
}

namespace {

bool Push(SDL_Event& event) { return SDL_PushEvent(&event) == 0; }

bool PushButton(int button, bool down) {
  if (button < 0) return true;
  SDL_Event event{};
  event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
  event.jbutton.which = 0;
  event.jbutton.button = static_cast<Uint8>(button);
  event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
  return Push(event);
}

bool PushHat(Uint8 value) {
  SDL_Event event{};
  event.type = SDL_JOYHATMOTION;
  event.jhat.which = 0;
  event.jhat.hat = 0;
  event.jhat.value = value;
  return Push(event);
}

bool PushAxis(int axis, Sint16 value) {
  SDL_Event event{};
  event.type = SDL_JOYAXISMOTION;
  event.jaxis.which = 0;
  event.jaxis.axis = static_cast<Uint8>(axis);
  event.jaxis.value = value;
  return Push(event);
}

bool Holds(TPadControls controls, TPadControl control) { return (controls >> control) & 1u; }

// A stick axis pushed fully towards `low` or `high`, or left at rest.
Sint16 StickValue(TPadControls controls, TPadControl low, TPadControl high) {
  if (Holds(controls, low)) return -32768;
  if (Holds(controls, high)) return 32767;
  return 0;
}

}  // namespace

bool HoldPadControls(TPadControls controls) {
  const TPadControls before = VirtualControls;
  const TPadControls changed = before ^ controls;
  VirtualControls = controls;
  const pads::TLayout& layout = pads::Layout(Pads[0].layout);
  bool pushed = true;

  const TPadControl dpad[4] = {pcUp, pcDown, pcLeft, pcRight};
  const Uint8 hatBits[4] = {SDL_HAT_UP, SDL_HAT_DOWN, SDL_HAT_LEFT, SDL_HAT_RIGHT};
  if (layout.dpadOnHat) {
    Uint8 hat = SDL_HAT_CENTERED;
    bool moved = false;
    for (int d = 0; d < 4; ++d) {
      if (Holds(controls, dpad[d])) hat |= hatBits[d];
      moved = moved || Holds(changed, dpad[d]);
    }
    if (moved) pushed = PushHat(hat) && pushed;
  } else {
    for (int d = 0; d < 4; ++d)
      if (Holds(changed, dpad[d])) pushed = PushButton(layout.dpad[d], Holds(controls, dpad[d])) && pushed;
  }

  if (Holds(changed, pcStickLeft) || Holds(changed, pcStickRight))
    pushed = PushAxis(layout.stickX, StickValue(controls, pcStickLeft, pcStickRight)) && pushed;
  if (Holds(changed, pcStickUp) || Holds(changed, pcStickDown))
    pushed = PushAxis(layout.stickY, StickValue(controls, pcStickUp, pcStickDown)) && pushed;

  const std::pair<TPadControl, int> buttons[] = {
      {pcA, layout.face[0]},       {pcB, layout.face[1]},
      {pcX, layout.face[2]},       {pcY, layout.face[3]},
      {pcStart, layout.start},     {pcBack, layout.back},
      {pcLeftShoulder, layout.leftShoulder}, {pcRightShoulder, layout.rightShoulder},
  };
  for (const auto& [control, button] : buttons)
    if (Holds(changed, control)) pushed = PushButton(button, Holds(controls, control)) && pushed;
  return pushed;
}

}  // namespace game
