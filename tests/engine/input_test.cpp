// The engine's input layer: taps shorter than a frame, gamepads read from
// the joystick events in SDL's own queue, the stick's dead zone and
// diagonals, Back's hold, the layouts and their choice.
#include <SDL.h>
#include <dlfcn.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/game.h"
#include "tests/engine/engine_fixture.h"

namespace enginetest {
namespace {

constexpr uint16_t GameKeys[] = {game::keyEscape, game::keySpace, game::keyUp,     game::keyDown,
                                 game::keyRight,  game::keyLeft,  game::keyPageUp, game::keyPageDown};

// The game keys down right now, as a readable list ("left right").
std::string KeysDown() {
  const std::pair<uint16_t, const char*> names[] = {
      {game::keyUp, "up"},       {game::keyDown, "down"},         {game::keyLeft, "left"},
      {game::keyRight, "right"}, {game::keySpace, "space"},       {game::keyPageUp, "pageup"},
      {game::keyPageDown, "pagedown"}, {game::keyEscape, "escape"},
  };
  std::string down;
  for (const auto& [key, name] : names)
    if (game::KeyDown(key)) down += (down.empty() ? "" : " ") + std::string(name);
  return down;
}

void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 0); }

void PushKey(uint16_t key, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = static_cast<SDLKey>(key);
  Push(event);
}

void PushAxis(int axis, int value) {
  SDL_Event event{};
  event.type = SDL_JOYAXISMOTION;
  event.jaxis.which = 0;
  event.jaxis.axis = static_cast<Uint8>(axis);
  event.jaxis.value = static_cast<Sint16>(value);
  Push(event);
}

void PushHat(Uint8 value) {
  SDL_Event event{};
  event.type = SDL_JOYHATMOTION;
  event.jhat.which = 0;
  event.jhat.value = value;
  Push(event);
}

void PushButton(int which, int button, bool down) {
  SDL_Event event{};
  event.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
  event.jbutton.which = static_cast<Uint8>(which);
  event.jbutton.button = static_cast<Uint8>(button);
  event.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
  Push(event);
}

game::TPadControls Control(game::TPadControl control) { return game::TPadControls{1} << control; }

class InputTest : public EngineTest {
 protected:
  void TearDown() override {
    game::SetVirtualPadLayout(game::plXbox);
    EngineTest::TearDown();
  }
  // One pass of the main loop without a frame, then `frames` frames, each
  // pumping the queue and finishing its input.
  static void Frames(uint32_t frames) {
    for (uint32_t i = 0; i < frames; ++i) {
      ASSERT_TRUE(game::ProcessEvents());
      game::FinishFrameInput();
    }
  }
};

// A key down and up again before the queue is read counts for the reads up
// to the end of the frame, every one of them, and not in the next frame.
TEST_F(InputTest, ATapCountsUntilTheEndOfTheNextFrameAndNoLonger) {
  for (uint16_t key : GameKeys) {
    SCOPED_TRACE(key);
    PushKey(key, true);
    PushKey(key, false);
    ASSERT_TRUE(game::ProcessEvents());
    EXPECT_TRUE(game::KeyDown(key)) << "the tap was lost";
    EXPECT_TRUE(game::KeyDown(key)) << "a second read in the same frame";
    ASSERT_TRUE(game::ProcessEvents());  // a pass without a frame
    EXPECT_TRUE(game::KeyDown(key)) << "lost before a frame read it";
    for (uint16_t other : GameKeys)
      if (other != key) {
        EXPECT_FALSE(game::KeyDown(other)) << other;
      }
    game::FinishFrameInput();
    EXPECT_FALSE(game::KeyDown(key)) << "counted in the frame after";
    ASSERT_TRUE(game::ProcessEvents());
    EXPECT_FALSE(game::KeyDown(key));
  }
}

// A key held through SetKey is untouched by the end of a frame, and
// releasing it is not a tap.
TEST_F(InputTest, HeldKeysCrossFramesAndTheirReleaseIsNoTap) {
  game::SetKey(game::keyRight, true);
  Frames(3);
  EXPECT_TRUE(game::KeyDown(game::keyRight));
  game::SetKey(game::keyRight, false);
  EXPECT_FALSE(game::KeyDown(game::keyRight));
  ASSERT_TRUE(game::ProcessEvents());
  EXPECT_FALSE(game::KeyDown(game::keyRight));
}

TEST_F(InputTest, OpensEveryJoystickSdlReports) { EXPECT_EQ(game::PadCount(), SDL_NumJoysticks()); }

// The left stick walks from half of its travel on; a diagonal far enough
// out holds both of its arrows, as two arrow keys do.
TEST_F(InputTest, TheStickWalksPastItsDeadZoneAndDiagonallyBothWays) {
  struct TCase {
    int x, y;
    const char* keys;
  };
  const TCase cases[] = {
      {0, 0, ""},
      {16383, 0, ""},
      {16384, 0, "right"},
      {32767, 0, "right"},
      {-16383, 0, ""},
      {-16384, 0, "left"},
      {-32768, 0, "left"},
      {0, -16384, "up"},
      {0, 16384, "down"},
      {0, -16383, ""},
      {23170, 23170, "down right"},     // pushed fully at 45 degrees
      {-23170, -23170, "up left"},
      {11585, 11585, ""},               // half way out at 45 degrees: inside on both axes
      {30000, 12000, "right"},          // a shallow diagonal walks one way
      {16384, -16384, "up right"},
      {-20000, 32767, "down left"},
  };
  for (const TCase& c : cases) {
    PushAxis(0, c.x);
    PushAxis(1, c.y);
    Frames(2);  // whatever was tapped on the way there is forgotten
    EXPECT_EQ(KeysDown(), c.keys) << "stick at " << c.x << ", " << c.y;
  }
}

TEST_F(InputTest, HatsWalkWithTheirDiagonals) {
  struct TCase {
    Uint8 hat;
    const char* keys;
  };
  const TCase cases[] = {
      {SDL_HAT_CENTERED, ""},        {SDL_HAT_UP, "up"},          {SDL_HAT_RIGHT, "right"},
      {SDL_HAT_DOWN, "down"},        {SDL_HAT_LEFT, "left"},      {SDL_HAT_RIGHTUP, "up right"},
      {SDL_HAT_RIGHTDOWN, "down right"}, {SDL_HAT_LEFTUP, "up left"}, {SDL_HAT_LEFTDOWN, "down left"},
  };
  for (const TCase& c : cases) {
    PushHat(c.hat);
    Frames(2);
    EXPECT_EQ(KeysDown(), c.keys) << "hat " << int(c.hat);
  }
}

// Every control of the virtual pad, on every layout, reaches the key the
// game reads: the events it pushes are numbered as that layout reads them
// (the D-pad as a hat on the Linux layouts, as buttons on the browser's).
TEST_F(InputTest, EveryPadControlHoldsItsKeyInEveryLayout) {
  struct TCase {
    game::TPadControl control;
    const char* keys;
  };
  const TCase cases[] = {
      {game::pcUp, "up"},         {game::pcDown, "down"},        {game::pcLeft, "left"},
      {game::pcRight, "right"},   {game::pcA, "space"},          {game::pcB, "space"},
      {game::pcX, "space"},       {game::pcY, "space"},          {game::pcStart, "space"},
      {game::pcBack, ""},         {game::pcLeftShoulder, "pageup"}, {game::pcRightShoulder, "pagedown"},
      {game::pcStickUp, "up"},    {game::pcStickDown, "down"},   {game::pcStickLeft, "left"},
      {game::pcStickRight, "right"},
  };
  for (game::TPadLayout layout : {game::plXbox, game::plPlayStation, game::plStandard}) {
    game::SetVirtualPadLayout(layout);
    for (const TCase& c : cases) {
      SCOPED_TRACE(std::string(game::PadLayoutName(layout)) + " control " + std::to_string(c.control));
      ASSERT_TRUE(game::HoldPadControls(Control(c.control)));
      Frames(1);
      EXPECT_EQ(KeysDown(), c.keys);
      ASSERT_TRUE(game::HoldPadControls(0));
      Frames(1);
      EXPECT_EQ(KeysDown(), "");
    }
  }
}

// Keyboard and pad together hold the union of their keys; releasing one
// leaves the other's.
TEST_F(InputTest, KeyboardAndPadHoldTheUnionOfTheirKeys) {
  game::SetKey(game::keyLeft, true);
  ASSERT_TRUE(game::HoldPadControls(Control(game::pcRight) | Control(game::pcA)));
  Frames(1);
  EXPECT_EQ(KeysDown(), "left right space");
  game::SetKey(game::keyLeft, false);
  EXPECT_EQ(KeysDown(), "right space");
  game::SetKey(game::keyRight, true);
  ASSERT_TRUE(game::HoldPadControls(0));
  Frames(1);
  EXPECT_EQ(KeysDown(), "right") << "the pad let go of a key the keyboard holds";
}

// The pad feeds the same taps: a button pressed and released before the
// queue is read counts for the next frame.
TEST_F(InputTest, PadTapsCountForTheNextFrame) {
  ASSERT_TRUE(game::HoldPadControls(Control(game::pcA) | Control(game::pcStickLeft)));
  ASSERT_TRUE(game::HoldPadControls(0));
  ASSERT_TRUE(game::ProcessEvents());
  EXPECT_EQ(KeysDown(), "left space");
  game::FinishFrameInput();
  EXPECT_EQ(KeysDown(), "");
}

// Back ends the game only when held through BackHoldFrames frames: a brief
// press never does, and a release restarts the count.
TEST_F(InputTest, BackHeldForASecondHoldsEscapeAndABriefPressNever) {
  const auto back = Control(game::pcBack);
  ASSERT_EQ(game::BackHoldFrames, 30u);

  ASSERT_TRUE(game::HoldPadControls(back));
  Frames(29);
  EXPECT_FALSE(game::KeyDown(game::keyEscape)) << "after 29 frames";
  Frames(1);
  EXPECT_TRUE(game::KeyDown(game::keyEscape)) << "after 30 frames";
  Frames(10);
  EXPECT_TRUE(game::KeyDown(game::keyEscape)) << "held on";
  // Released right after the hold: the press still counts until the end of
  // the next frame.
  ASSERT_TRUE(game::HoldPadControls(0));
  Frames(1);
  EXPECT_FALSE(game::KeyDown(game::keyEscape));

  // Released at frame 29, pressed again: the count starts over.
  ASSERT_TRUE(game::HoldPadControls(back));
  Frames(29);
  ASSERT_TRUE(game::HoldPadControls(0));
  ASSERT_TRUE(game::HoldPadControls(back));
  Frames(29);
  EXPECT_FALSE(game::KeyDown(game::keyEscape)) << "two holds of 29 frames added up";
  Frames(1);
  EXPECT_TRUE(game::KeyDown(game::keyEscape));
  ASSERT_TRUE(game::HoldPadControls(0));
  Frames(2);

  // Brief presses, one frame long or a tap within a pass.
  ASSERT_TRUE(game::HoldPadControls(back));
  Frames(1);
  ASSERT_TRUE(game::HoldPadControls(0));
  ASSERT_TRUE(game::HoldPadControls(back));
  ASSERT_TRUE(game::HoldPadControls(0));
  for (int frame = 0; frame < 60; ++frame) {
    Frames(1);
    ASSERT_FALSE(game::KeyDown(game::keyEscape)) << "a brief press ended the game at frame " << frame;
  }
}

// The hold that completes between two reads of Escape is seen at the next
// one even when Back was released in between.
TEST_F(InputTest, AHoldCompletedJustBeforeTheReleaseStillCounts) {
  ASSERT_TRUE(game::HoldPadControls(Control(game::pcBack)));
  Frames(30);
  ASSERT_TRUE(game::HoldPadControls(0));
  ASSERT_TRUE(game::ProcessEvents());
  EXPECT_TRUE(game::KeyDown(game::keyEscape));
}

// Events of several pads, and of joysticks past the eighth, which no pad
// stands for.
TEST_F(InputTest, EachPadKeepsItsOwnButtonsAndHighJoysticksAreIgnored) {
  PushButton(0, 0, true);
  PushButton(1, 0, true);
  Frames(1);
  PushButton(0, 0, false);
  Frames(1);
  EXPECT_EQ(KeysDown(), "space") << "pad 1 still holds its button";
  PushButton(1, 0, false);
  PushButton(8, 0, true);
  PushButton(200, 4, true);
  PushButton(1, 40, true);  // past the buttons any layout reads
  Frames(1);
  EXPECT_EQ(KeysDown(), "");
}

// The layout a pad is read with, from what real pads report on Linux (the
// kernel's names through the classic library, SDL 2's through
// sdl12-compat) and in browsers (through Emscripten's SDL).
TEST(PadLayout, IsChosenFromWhatThePadReports) {
  struct TCase {
    const char* name;
    int axes, buttons, hats;
    game::TPadLayout layout;
  };
  const TCase cases[] = {
      {"Microsoft X-Box 360 pad", 6, 11, 1, game::plXbox},
      {"Xbox 360 Controller", 6, 11, 1, game::plXbox},
      {"Xbox 360 Wireless Receiver", 6, 15, 0, game::plXbox},
      {"Microsoft Xbox One X pad", 6, 11, 1, game::plXbox},
      {"Xbox Wireless Controller", 6, 16, 1, game::plXbox},
      {"Logitech Gamepad F310", 6, 11, 1, game::plXbox},
      {"USB Gamepad ", 2, 10, 0, game::plXbox},
      {"", 0, 0, 0, game::plXbox},
      {"Sony Interactive Entertainment Wireless Controller", 6, 13, 1, game::plPlayStation},
      {"Wireless Controller", 6, 13, 1, game::plPlayStation},
      {"Sony PLAYSTATION(R)3 Controller", 6, 17, 0, game::plPlayStation},
      {"DualSense Wireless Controller", 6, 13, 1, game::plPlayStation},
      {"PS4 Controller", 6, 13, 1, game::plPlayStation},
      {"Unnamed pad", 6, 13, 1, game::plPlayStation},
      {"Xbox 360 Controller (XInput STANDARD GAMEPAD)", 4, 17, 0, game::plStandard},
      {"054c-09cc-Wireless Controller", 4, 17, 0, game::plStandard},
      {"045e-028e-Microsoft X-Box 360 pad", 4, 16, 0, game::plStandard},
  };
  for (const TCase& c : cases) {
    EXPECT_STREQ(game::PadLayoutName(game::ChoosePadLayout(c.name, c.axes, c.buttons, c.hats)),
                 game::PadLayoutName(c.layout))
        << "\"" << c.name << "\" " << c.axes << " axes, " << c.buttons << " buttons, " << c.hats << " hats";
  }
}

// sdl12-compat runs on SDL 2, whose virtual joysticks stand in for a pad
// plugged in: present when the engine starts, it is opened and read like
// any device; unplugged, SDL 2 releases whatever it held, which the
// compatibility library passes on as ordinary releases; plugged in again,
// it stays unseen (SDL 1.2 knows only the pads of its start-up). The
// classic library has nothing to stand in for a device.
class PadDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    const SDL_version* linked = SDL_Linked_Version();
    if (linked->patch < 50) GTEST_SKIP() << "a virtual pad needs SDL 2 under sdl12-compat";
    // SDL 2 reads pads only for a program that has the input focus, which
    // the dummy video driver never gets.
    setenv("SDL_JOYSTICK_ALLOW_BACKGROUND_EVENTS", "1", 1);
    sdl2_ = dlopen("libSDL2-2.0.so.0", RTLD_NOW);
    ASSERT_NE(sdl2_, nullptr) << dlerror();
    Bind(initSubSystem_, "SDL_InitSubSystem");
    Bind(attach_, "SDL_JoystickAttachVirtual");
    Bind(detach_, "SDL_JoystickDetachVirtual");
    Bind(open_, "SDL_JoystickOpen");
    Bind(close_, "SDL_JoystickClose");
    Bind(setButton_, "SDL_JoystickSetVirtualButton");
    Bind(setHat_, "SDL_JoystickSetVirtualHat");
    Bind(setAxis_, "SDL_JoystickSetVirtualAxis");
    ASSERT_EQ(initSubSystem_(SDL_INIT_JOYSTICK), 0);
    // As xpad reports an Xbox 360 pad: 6 axes, 11 buttons, 1 hat.
    ASSERT_EQ(Plug(), 0);
    resources::ProgramDir = dir_.Slash();
    resources::DevelopMode = true;
    Now = ClockStart;
    game::SetTickSource(FakeClock);
    game::SetVideoDriver(game::vdFrameBuffer);
    game::Init("pad test", "icon");
    ASSERT_TRUE(game::SetVideoMode(ScreenWidth, ScreenHeight, false));
    started_ = true;
  }
  void TearDown() override {
    if (pad_ != nullptr) close_(pad_);
    if (plugged_) detach_(0);
    if (started_) game::Shutdown();
    game::SetTickSource(nullptr);
    if (sdl2_ != nullptr) dlclose(sdl2_);
  }

  template <typename F>
  void Bind(F& function, const char* name) {
    function = reinterpret_cast<F>(dlsym(sdl2_, name));
    ASSERT_NE(function, nullptr) << name;
  }
  int Plug() {
    const int index = attach_(SDL2JoystickTypeGameController, 6, 11, 1);
    plugged_ = index >= 0;
    if (plugged_) pad_ = open_(index);
    return index;
  }
  void Unplug() {
    close_(pad_);
    pad_ = nullptr;
    ASSERT_EQ(detach_(0), 0);
    plugged_ = false;
  }
  // One frame: the queue pumped (SDL 2 reads the pad then), the frame ended.
  static void Frame() {
    ASSERT_TRUE(game::ProcessEvents());
    game::FinishFrameInput();
  }

  static constexpr int SDL2JoystickTypeGameController = 1;
  void* sdl2_ = nullptr;
  void* pad_ = nullptr;
  bool plugged_ = false;
  bool started_ = false;
  int (*initSubSystem_)(Uint32) = nullptr;
  int (*attach_)(int, int, int, int) = nullptr;
  int (*detach_)(int) = nullptr;
  void* (*open_)(int) = nullptr;
  void (*close_)(void*) = nullptr;
  int (*setButton_)(void*, int, Uint8) = nullptr;
  int (*setHat_)(void*, int, Uint8) = nullptr;
  int (*setAxis_)(void*, int, Sint16) = nullptr;
  vxtest::TempDir dir_;
};

TEST_F(PadDevice, APadPresentAtStartIsReadAndUnpluggingItReleasesItsKeys) {
  ASSERT_EQ(game::PadCount(), 1);
  setButton_(pad_, 0, 1);  // A
  setHat_(pad_, 0, SDL_HAT_RIGHTUP);
  Frame();
  EXPECT_EQ(KeysDown(), "up right space");
  setButton_(pad_, 0, 0);
  setHat_(pad_, 0, SDL_HAT_CENTERED);
  setAxis_(pad_, 0, -32768);
  setButton_(pad_, 4, 1);  // LB
  Frame();
  EXPECT_EQ(KeysDown(), "left pageup");

  // Back held 29 frames, then the pad is pulled out while everything is
  // held: every key comes up and the hold is broken.
  setButton_(pad_, 6, 1);
  for (int frame = 0; frame < 29; ++frame) Frame();
  EXPECT_EQ(KeysDown(), "left pageup");
  Unplug();
  for (int frame = 0; frame < 40; ++frame) Frame();
  EXPECT_EQ(KeysDown(), "") << "an unplugged pad still holds keys";

  // Plugged in again: SDL 1.2 does not see it.
  ASSERT_GE(Plug(), 0);
  setButton_(pad_, 0, 1);
  Frame();
  EXPECT_EQ(KeysDown(), "");
  EXPECT_EQ(game::PadCount(), 1);
}

}  // namespace
}  // namespace enginetest
