// The engine module `game`: the game's only contact with SDL, SDL_mixer and
// OpenGL. Window and audio start-up, frame pacing, keys and pads, the
// sprite, font and sound banks, music, particle bursts and translucent
// rectangles.
//
// Calling order: SetVideoDriver, Init, SetFrameRate, SetVideoMode, loads,
// the main loop (ProcessEvents, KeyDown, Flip, WaitForFrame, FinishFrameInput),
// Shutdown last.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "containers/object_array.h"

struct SDL_Surface;
struct Mix_Chunk;

namespace game {

// ---------------------------------------------------------------- colours

// A colour with alpha (255 opaque, 0 invisible), passed by value.
struct TColor {
  uint8_t R, G, B, A;
};
// (r, g, b, 255).
TColor RGB(uint8_t r, uint8_t g, uint8_t b);
// (r, g, b, a).
TColor RGBA(uint8_t r, uint8_t g, uint8_t b, uint8_t a);

// ------------------------------------------------------------- the engine

enum TVideoDriver : uint8_t { vdDefault = 0, vdFrameBuffer = 1, vdOpenGL = 2 };

// True in the main build, which carries the OpenGL presentation path.
extern const bool OpenGLBuild;

// SDL key symbols the game reads.
enum : uint16_t {
  keyReturn = 13,
  keyEscape = 27,
  keySpace = 32,
  keyUp = 273,
  keyDown = 274,
  keyRight = 275,
  keyLeft = 276,
  keyPageUp = 280,
  keyPageDown = 281,
};

// Stores the presentation path; vdDefault stores vdOpenGL (the module's
// start-up value).
void SetVideoDriver(TVideoDriver driver);
TVideoDriver GetVideoDriver();

// Why SDL would find no display to open, as one line that says how to
// choose a video driver; empty when DISPLAY or WAYLAND_DISPLAY names a
// display or SDL_VIDEODRIVER names a driver (an empty value counts as
// unset). Without this check the classic library falls through to a
// text-mode driver and draws over the terminal. Reads only the environment,
// so it can be asked before Init.
std::string NoDisplayReason();

// Starts SDL (video, audio and joysticks), sets the window caption and the
// icon from ProgramDir + iconName + ".bmp", opens every pad, opens the audio
// device (22050 Hz, 16-bit stereo, 8 channels at full volume), creates the
// empty banks and resets the quit flag, the keys, brightness (255) and
// texture counter (1). Nothing is reported: without an audio device the
// game runs silent, and when the display refuses the connection the caption
// and icon wait for SetVideoMode, which tries once more and reports it.
void Init(const std::string& caption, const std::string& iconName);

// Closes audio and video, drops the banks (not the objects in them) and,
// outside development mode, removes the scratch files.
void Shutdown();

// Closes SDL if it is open, so that a program ending on a failure leaves the
// desktop as it found it. Safe to call at any time, also twice.
void RestoreDisplay();

// Opens the 16-bit window or screen in the selected driver, whose
// presenter then draws every sprite, rectangle and text and presents every
// frame. Returns false when SDL gives no surface (describes why in
// LastVideoError()); nothing is drawn then.
bool SetVideoMode(uint16_t width, uint16_t height, bool fullscreen);
// SDL's reason for the last failed SetVideoMode.
std::string LastVideoError();

// FrameInterval := 1000 div fps; fps is 1 to 255 (0 is ignored).
void SetFrameRate(uint8_t fps);

// Frame pacing: when at least FrameInterval ms have passed since the last
// present, presents the frame drawn since then, clears the back buffer to
// black, remembers the time of this present (a fresh clock reading, so
// lateness is not made up) and returns true; otherwise returns false and
// changes nothing. Flip itself never waits.
//
// The main loop's contract: each pass pumps the events (ProcessEvents),
// reads the keys and calls Flip; a pass where Flip presented runs one frame
// of game logic and drawing and then calls FinishFrameInput, and a pass
// where it did not calls WaitForFrame so that the processor is not held
// between frames.
bool Flip();

// Makes SIGINT, SIGTERM, SIGHUP and SIGQUIT only raise a flag, which the
// next ProcessEvents turns into a quit, so the program ends through
// Shutdown with status 0. Init calls it; calling it earlier as well covers
// the time before Init. Never clears a flag already raised (Shutdown does).
void CatchTerminationSignals();
// Gives the processor away while no frame is due. With r ms left before
// Flip finds the next frame due (on a millisecond clock the frame then
// falls due within r - 1 to r ms), it sleeps r - 2 ms when r > 2, 250 us
// when r is 2, and not at all in the last millisecond, which the loop
// polls: no sleep it asks for ends after the frame falls due, so Flip
// presents in the same millisecond as in a loop that never sleeps, with
// room for the system's wake-up delay. One call sleeps at most once and
// less than one frame interval, so the loop still pumps the events between
// sleeps. Returns at once when a frame is due or a quit was requested, and
// on a test clock (SetTickSource) unless a test sleeper is set
// (SetSleeper). A signal cuts the sleep short.
void WaitForFrame();

// Returns false once a quit has been requested (without polling); otherwise
// drains the event queue, turning a window close or a termination signal
// into RequestQuit, noting every key pressed and reading the pads' events,
// and returns true, also in the pass that drained the quit.
bool ProcessEvents();
// Sets the quit flag, which is never reset.
void RequestQuit();
bool QuitRequested();

// True while the key is held: on the keyboard as SDL reports it after the
// latest ProcessEvents, on a gamepad (see below), or through SetKey. A key
// that went down since the last FinishFrameInput also counts, though it
// came up again before anything read it: a tap shorter than the time
// between two reads is seen by the next frame, as if held across that
// frame. Codes beyond SDL's key symbols are never down.
bool KeyDown(uint16_t key);
// The frame's handlers have read the keys: taps seen by this frame count no
// more, and a pad's Back held through the frame counts one frame more
// towards Escape. The main loop calls it after each frame's handlers.
void FinishFrameInput();

// ---------------------------------------------------------------- gamepads
//
// Init opens every joystick present (the first eight; SDL 1.2 on the
// desktop sees no pad plugged in later, a browser shows a pad only once a
// button of it is pressed: ProcessEvents opens pads that SDL counts later)
// and ProcessEvents merges their events into the keys
// KeyDown reads, keyboard and pads together: any hat, the D-pad buttons and
// the left stick past StickDeadZone hold the arrows (a diagonal both of its
// directions), the four face buttons and Start hold Space, the left and
// right shoulder PageUp and PageDown, and Back held through BackHoldFrames
// frames holds Escape until it is released. Each pad is read with the
// layout ChoosePadLayout picks from what it reports.

// The button layouts the engine knows: Linux's xpad (Xbox-style pads, and
// the layout of unknown pads), Linux's hid-sony and hid-playstation
// (PlayStation pads) and the browser's standard gamepad.
enum TPadLayout : uint8_t { plXbox = 0, plPlayStation = 1, plStandard = 2 };

// A left-stick axis walks from this far out (half of its travel) on.
constexpr int16_t StickDeadZone = 16384;
// Frames (one second at 30 a second) that Back must be held for Escape.
constexpr uint32_t BackHoldFrames = 30;

// The layout for a pad that reports this name and these numbers of axes,
// buttons and hats; plXbox for pads it does not know.
TPadLayout ChoosePadLayout(const std::string& name, int axes, int buttons, int hats);
// "xbox", "playstation" or "standard".
const char* PadLayoutName(TPadLayout layout);

// The pads opened since the latest Init.
int PadCount();

// Brightness of the OpenGL driver (255 full); the frame buffer only stores it.
void SetBrightness(uint8_t value);
uint8_t GetBrightness();

// Whether the audio device opened in Init.
bool AudioOpen();

// Binds the OpenGL library by name, as the OpenGL driver needs before
// SetVideoMode. Returns false with a one-line reason in `error` when the
// library or one of its functions is missing, and always in the second
// build, which has no OpenGL path.
bool BindOpenGL(std::string& error);

// The program's one random generator (particle speeds). Seeded once at
// start-up; Random(n) is uniform in 0 .. n - 1 (n >= 1).
void SeedRandom(uint32_t seed);
uint32_t Random(uint32_t n);

// ----------------------------------------------------------- test seams

// The millisecond clock Flip reads. Null restores SDL_GetTicks.
using TTickSource = uint32_t (*)();
void SetTickSource(TTickSource source);

// The sleep WaitForFrame uses, given microseconds; a test's sleeper moves
// its own clock on. Null restores the real one: the platform's sleep on the real clock,
// no sleep at all on a test clock.
using TSleeper = void (*)(uint32_t microseconds);
void SetSleeper(TSleeper sleeper);

// Benchmark seam: false makes WaitForFrame return at once, so the main loop
// polls without pause between frames, as it did before it slept. True (the
// start-up value) restores the sleep. Init leaves it as it is.
void SetFrameWaiting(bool on);

// Holds or releases a key in the engine's own table of held keys, which
// KeyDown reads at once beside SDL's (headless drivers deliver no keys).
// SDL's table is left alone, so a key pressed on the real keyboard still
// counts. Init releases every held key; codes beyond SDL's key symbols are
// ignored.
void SetKey(uint16_t key, bool down);

// The controls of a virtual pad, for replays and tests: D-pad, face
// buttons, Start, Back, shoulders, and the left stick pushed fully.
enum TPadControl : uint8_t {
  pcUp, pcDown, pcLeft, pcRight,
  pcA, pcB, pcX, pcY,
  pcStart, pcBack, pcLeftShoulder, pcRightShoulder,
  pcStickUp, pcStickDown, pcStickLeft, pcStickRight,
  pcCount
};
// A set of controls: bit i is control i.
using TPadControls = uint32_t;

// Makes joystick 0 hold exactly `controls` by pushing into SDL's event
// queue the joystick events a pad sends for the change from what it held
// before (nothing at Init): hat motion for the D-pad (D-pad buttons where
// the layout has no hat), axis motion for the stick (to -32768, 32767 or
// back to 0; left wins over right and up over down), button presses and
// releases, all numbered in the layout joystick 0 is read with. The next
// ProcessEvents reads them as it reads a real pad's. Returns false when
// SDL's queue was full and dropped an event.
bool HoldPadControls(TPadControls controls);

// The layout of the joysticks no device stands behind (events pushed for a
// joystick Init did not open); plXbox at program start. Kept across Init.
void SetVirtualPadLayout(TPadLayout layout);

// Called with the id of every PlaySound call, before anything is played
// (0 and unknown ids included), so tests can see which sounds the rules
// ask for. Null removes it.
using TSoundObserver = void (*)(uint16_t id);
void SetSoundObserver(TSoundObserver observer);

// Called with the centre of every StartBurst call, before a system is
// taken (also for a burst the full pool drops), so the replay tool can
// record the bursts the rules start. Null removes it.
using TBurstObserver = void (*)(int16_t x, int16_t y);
void SetBurstObserver(TBurstObserver observer);

// The texture name the next loaded sprite or font gets (1 after Init); it
// counts in every driver.
uint16_t PeekNextTexture();

// Benchmark seam: true draws every picture the plain way (from the loaded
// surface, its colour key and alpha set on every draw, a new temporary
// surface per FillRect) instead of from the converted copies. Both ways draw
// the same pixels. Off at start-up.
void SetLiteralDrawing(bool literal);

// Benchmark and test seam: false hands every translucent picture and
// rectangle to SDL, as when the engine does not recognise the loaded
// library's blending. On (true) at start-up.
void SetOwnBlending(bool own);

// Benchmark seam: copies `count` bytes from `from` into the frame-buffer
// screen's pixels with memcpy, a screenful at a time, each from the top of
// the screen (`from` holds at least a screenful). False without a
// frame-buffer screen.
bool CopyBytesToScreen(const uint8_t* from, size_t count);

// Test and benchmark seam: the bits per pixel the frame-buffer driver asks
// SDL for at the next SetVideoMode: 16 at start-up (the game's), 32 for the
// screen a browser gives. On a screen that is not 16-bit 565 the engine
// still draws at 16 bits, into a picture of its own, and each present
// converts that into SDL's screen, each channel widened as ReadScreen
// widens it; so every depth shows the same picture.
void SetFrameBufferDepth(uint8_t bitsPerPixel);

// Benchmark seam: false makes the next SetVideoMode draw straight onto a
// screen that is not 16-bit 565, as SDL draws there, instead of at 16 bits
// (the pixels then differ from a 16-bit screen's). True at start-up.
void SetScreenComposing(bool on);

// The version of the SDL library loaded at run time, as "1.2.15".
std::string LinkedSdlVersion();

// How translucent pictures and rectangles are blended on the current
// frame-buffer screen, in words: the engine's arithmetic that matches the
// loaded SDL, or "by SDL".
std::string BlendingRule();

// Copies the frame-buffer screen (the picture drawn since the last present)
// as 8-bit RGB rows, top to bottom; false without a frame-buffer screen. On
// a screen that is not 16-bit this is the 16-bit picture the engine drew,
// the same as on a 16-bit screen.
// Each channel is widened to 8 bits by moving it to the top of the byte and
// repeating its highest bits in the freed low bits, so 0 stays 0 and the
// channel's maximum becomes 255 (16-bit red 16 of 31 reads 132, green 32 of
// 63 reads 130).
bool ReadScreen(std::vector<uint8_t>& rgb, int& width, int& height);

// ---------------------------------------------------------------- sprites

struct TScreenCopies;

// A loaded picture. TexU, TexV and Texture serve the OpenGL driver only.
class CSprite : public Arrays::CObject {
 public:
  SDL_Surface* Surface = nullptr;
  float TexU = 0;
  float TexV = 0;
  uint16_t Texture = 0;
  uint32_t ColorKey = 0;

  // Engine-internal: the picture prepared for fast frame-buffer drawing,
  // made at load (engine/presenter_framebuffer.cpp); null when it is drawn
  // the plain way.
  TScreenCopies* Copies = nullptr;
};
using CSpriteArray = Arrays::CTypedArray<CSprite>;

// Loads Sprites/<name>.bmp (development mode) or unpacks Sprites/<name>.dat
// and loads the scratch file. Returns the next id (1, 2, ...), or 0 when the
// image cannot be loaded or the bank already holds 65535 sprites; a failed
// load takes no id and no texture number.
// colorKey's R, G, B name the colour keyed draws leave out.
uint16_t LoadSprite(const std::string& name, TColor colorKey);
// Number of sprites in the bank.
uint16_t SpriteCount();
// The sprite with this id; null for 0 and ids past the bank.
CSprite* GetSprite(uint16_t id);

// Draw a sprite with its top-left corner at (x, y), clipped to the screen.
// Id 0 and ids past the bank draw nothing.
void Draw(int16_t x, int16_t y, uint16_t id);        // opaque
void DrawKeyed(int16_t x, int16_t y, uint16_t id);   // colour key left out
void DrawAlpha(int16_t x, int16_t y, uint16_t id, uint8_t alpha);  // keyed, blended

// Blends a w x h rectangle of color with color.A over the picture.
void FillRect(int16_t x, int16_t y, uint16_t w, uint16_t h, TColor color);

// ------------------------------------------------------------------ fonts

// A glyph's place in the font image (the layout of a blit source rectangle).
struct TGlyph {
  int16_t x, y;
  uint16_t w, h;
};

class CFont : public Arrays::CObject {
 public:
  CSprite Image;
  TGlyph Glyphs[128] = {};
};
using CFontArray = Arrays::CTypedArray<CFont>;

// Loads Fonts/<name>.fnt (or its packed form): a 24-bit BMP followed by a
// 2048-byte glyph table at the end of the file. Returns the next font id or
// 0 when the image cannot be loaded or the bank already holds 65535 fonts;
// a short table throws IoError.
uint16_t LoadFont(const std::string& name);
uint16_t FontCount();
CFont* GetFont(uint16_t id);
// Test seam: releases every loaded font with its picture and empties the
// font bank, so the next font gets id 1 (a fuzzer loads millions).
void ReleaseFonts();

// Draws text with its first glyph's top-left corner at (x, y). Codes of 128
// and above are skipped without moving the pen; each glyph advances the pen
// by its width. Font id 0 and ids past the bank draw nothing.
void DrawText(int16_t x, int16_t y, uint16_t fontId, uint8_t alpha, const char* text);

// ------------------------------------------------------- sound and music

class CSound : public Arrays::CObject {
 public:
  Mix_Chunk* Chunk = nullptr;
};
using CSoundArray = Arrays::CTypedArray<CSound>;

// Loads Sounds/<name>.wav (or its packed form). Returns the next sound id,
// or 0 when SDL_mixer cannot load it (no audio device included) or the bank
// already holds 65535 sounds.
uint16_t LoadSound(const std::string& name);
uint16_t SoundCount();
// Plays once on the first free of the eight channels; dropped when all are
// busy. Id 0 and ids past the bank are silent.
void PlaySound(uint16_t id);
// Number of mixing channels playing right now.
int PlayingChannels();

// Loads Music/<name>.ogg (or unpacks Music/<name>.dat and moves the scratch
// file to Data/temp.dat) and loops it at half volume. A track already
// playing is stopped and released first. Returns whether it started.
bool PlayMusic(const std::string& name);
// Stops and releases the music, if any.
void StopMusic();
bool MusicPlaying();

// -------------------------------------------------------------- particles

enum TParticleMode : uint8_t { pmStarburst = 0 };

struct TParticle {
  int16_t Speed;
  int16_t DX;
  int16_t DY;
  uint8_t Alpha;
};

struct TParticleSystem {
  bool Active;
  TParticleMode Mode;
  uint16_t Sprite;
  TParticle Particles[16];
  uint16_t Age;
  int16_t X, Y;
};

constexpr int ParticleSystemCount = 16;
// Systems 1 to 16 live at indices 0 to 15.
extern TParticleSystem ParticleSystems[ParticleSystemCount];

// Takes the lowest-numbered inactive system for a burst centred on (x, y);
// dropped when all sixteen are active.
void StartBurst(int16_t x, int16_t y, TParticleMode mode, uint16_t sprite);
// Advances and draws every active system, once per frame after the game's
// drawing.
void UpdateParticles();
// The per-system step for system number 1 to 16.
void UpdateParticleSystem(int number);
// Makes every system inactive (a test's clean start).
void ResetParticles();

}  // namespace game
