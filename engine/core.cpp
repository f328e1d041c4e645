// Engine core: start-up and shutdown, video driver and mode, frame pacing,
// brightness, colours, the random generator and the test seams. Events,
// keys and pads live in input.cpp.
#include <SDL.h>
#include <SDL_mixer.h>

#include <random>

#include "engine/engine_state.h"
#include "engine/game.h"
#include "engine/presenter.h"
#include "platform/platform.h"
#include "resources/datafile.h"
#include "resources/startup.h"

namespace game {

namespace state {

// Selecting vdDefault at module start-up stores this.
TVideoDriver VideoDriver = vdOpenGL;
SDL_Surface* Screen = nullptr;
uint32_t VideoMode = 0;
uint8_t Brightness = 255;
uint16_t NextTexture = 1;
CSpriteArray SpriteBank;
CFontArray FontBank;
CSoundArray SoundBank;
Mix_Music* Music = nullptr;
bool LiteralDrawing = false;
const TPresenter* Presenter = &NoPresenter;
const TPresenter* SelectedPresenter = &OpenGLPresenter;

SDL_Surface* OpenOpenGLWindow(uint16_t width, uint16_t height, bool fullscreen) {
  constexpr int GLDepthBits = 16;
  constexpr int VideoBitsPerPixel = 16;
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, GLDepthBits);
  return SDL_SetVideoMode(width, height, VideoBitsPerPixel, SDL_OPENGL | (fullscreen ? SDL_FULLSCREEN : 0));
}

}  // namespace state

using namespace state;

namespace {

constexpr uint8_t DefaultFrameRate = 30;
constexpr uint8_t FullBrightness = 255;
constexpr uint16_t FirstTexture = 1;

constexpr int AudioFrequency = 22050;
constexpr int AudioChannels = 2;  // stereo
constexpr int AudioChunkSize = 2048;
constexpr int MixingChannels = 8;
// More than SDL_mixer's maximum of 128, which it clamps to full volume.
constexpr int ChannelVolume = 256;

bool QuitFlag = false;
uint32_t LastFlipTicks = 0;
int32_t FrameInterval = 1000 / DefaultFrameRate;
std::string VideoError;
TTickSource TickSource = nullptr;
TSleeper Sleeper = nullptr;
bool FrameWaiting = true;
std::mt19937 Generator;
// The presenter that opened Screen; null while no screen is open.
const TPresenter* ScreenPresenter = nullptr;

uint32_t Ticks() { return TickSource != nullptr ? TickSource() : SDL_GetTicks(); }

// The caption and icon Init was given, and whether they are set: they can
// only be once the video subsystem runs.
std::string WindowCaption;
std::string WindowIconName;
bool WindowDressed = false;

void SetWindowIcon(const std::string& iconName) {
  const std::string path = resources::ProgramDir + iconName + ".bmp";
  // A missing icon gives no surface: no icon is set and start-up goes on.
  SDL_Surface* icon = LoadPicture(path);
  SDL_WM_SetIcon(icon, nullptr);
  SDL_FreeSurface(icon);
}

// Sets the caption and the icon when SDL's video runs; without it (a
// display that refused the connection) the classic library would crash
// setting the icon.
void DressWindow() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  SDL_WM_SetCaption(WindowCaption.c_str(), "");
  SetWindowIcon(WindowIconName);
  WindowDressed = true;
}

void OpenAudio() {
  Mix_OpenAudio(AudioFrequency, AUDIO_S16LSB, AudioChannels, AudioChunkSize);
  Mix_AllocateChannels(MixingChannels);
  for (int channel = 0; channel < MixingChannels; ++channel) Mix_Volume(channel, ChannelVolume);
}

// The presenter of the open screen lets go of it; no screen is open after.
void CloseScreen() {
  if (ScreenPresenter != nullptr) ScreenPresenter->CloseScreen();
  ScreenPresenter = nullptr;
  Screen = nullptr;
  Presenter = &NoPresenter;
}

// The open screen's presenter draws while its driver is selected.
void ChoosePresenter() {
  Presenter = ScreenPresenter != nullptr && ScreenPresenter == SelectedPresenter ? ScreenPresenter : &NoPresenter;
}

void DropBanks() {
  SoundBank.SetSize(0, 0);
  FontBank.SetSize(0, 0);
  SpriteBank.SetSize(0, 0);
}

}  // namespace

TColor RGB(uint8_t r, uint8_t g, uint8_t b) { return TColor{r, g, b, 255}; }
TColor RGBA(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return TColor{r, g, b, a}; }

void SetVideoDriver(TVideoDriver driver) {
  VideoDriver = driver == vdDefault ? vdOpenGL : driver;
  // Every driver but OpenGL prepares its pictures for the frame buffer
  // (and a driver SetVideoMode does not know opens no screen).
  SelectedPresenter = VideoDriver == vdOpenGL ? &OpenGLPresenter : &FrameBufferPresenter;
  ChoosePresenter();
}
TVideoDriver GetVideoDriver() { return VideoDriver; }

// Termination signals only raise the platform's flag, which ProcessEvents
// turns into a quit, so every one of them ends through Shutdown and takes
// the scratch files along.
void CatchTerminationSignals() { platform::CatchTerminationSignals(); }

void Init(const std::string& caption, const std::string& iconName) {
  SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO);
  // Again after SDL_Init, which may have put its own handlers in.
  CatchTerminationSignals();
  WindowCaption = caption;
  WindowIconName = iconName;
  WindowDressed = false;
  DressWindow();
  CloseScreen();
  QuitFlag = false;
  StartInput();
  LastFlipTicks = Ticks();
  SetFrameRate(DefaultFrameRate);
  DropBanks();
  Music = nullptr;
  OpenAudio();
  Brightness = FullBrightness;
  NextTexture = FirstTexture;
}

void Shutdown() {
  CloseScreen();
  Mix_CloseAudio();
  SDL_Quit();
  // The objects in the banks, their surfaces, chunks and the music are not
  // released one by one: the process ends right after.
  DropBanks();
  Music = nullptr;
  StopInput();
  if (!resources::DevelopMode) resources::RemoveScratchFiles();
  // The signal that ended this run has been served.
  platform::ClearTermination();
}

void RestoreDisplay() {
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) return;
  CloseScreen();
  if (AudioOpen()) Mix_CloseAudio();
  SDL_Quit();
  StopInput();
}

bool SetVideoMode(uint16_t width, uint16_t height, bool fullscreen) {
  if (VideoDriver != vdOpenGL && VideoDriver != vdFrameBuffer) {
    VideoError = "no video driver selected";
    return false;
  }
  // A display that refused SDL_Init's connection gets one more try here,
  // where a failure is reported, with the caption and icon set first.
  if (!WindowDressed && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) DressWindow();
  // What was made for the previous screen no longer matches it.
  CloseScreen();
  ++VideoMode;
  Screen = SelectedPresenter->OpenScreen(width, height, fullscreen);
  if (Screen == nullptr) {
    const char* reason = SDL_GetError();
    VideoError = reason != nullptr && reason[0] != '\0' ? reason : "no video surface";
    return false;
  }
  ScreenPresenter = SelectedPresenter;
  ChoosePresenter();
  return true;
}

std::string LastVideoError() { return VideoError; }

void SetFrameRate(uint8_t fps) {
  if (fps == 0) return;  // no frame rate: the interval stays as it was
  FrameInterval = 1000 / fps;
}

namespace {

// Milliseconds until the next frame is due by the clock now; 0 once it is.
uint32_t MsUntilFrame() {
  const uint32_t elapsed = Ticks() - LastFlipTicks;  // unsigned: a clock wrap still subtracts right
  const uint32_t interval = static_cast<uint32_t>(FrameInterval);
  return elapsed >= interval ? 0 : interval - elapsed;
}

}  // namespace

bool Flip() {
  if (MsUntilFrame() > 0) return false;
  // Measured from this present, not from when the frame was due: a late
  // frame is not made up by hurrying the next ones.
  LastFlipTicks = Ticks();
  Presenter->Present();
  return true;
}

namespace {

// A wait stops this far (in clock milliseconds) before the frame is due;
// the rest is approached in short steps, then polled.
constexpr uint32_t WakeMarginMs = 2;
constexpr uint32_t FineStepUs = 250;

}  // namespace

void WaitForFrame() {
  if (!FrameWaiting || QuitFlag) return;
  // The real sleep is cut short by a signal: the loop then sees the quit at once.
  const TSleeper sleep = Sleeper != nullptr ? Sleeper : TickSource == nullptr ? &platform::SleepMicroseconds : nullptr;
  if (sleep == nullptr) return;  // a test clock does not run in real time
  // A reading `left` ms short of the interval means the frame falls due
  // after more than left - 1 ms: sleeping left - 2 ms, or 250 us when left
  // is 2, always ends before it, by at least one ms or 750 us.
  const uint32_t left = MsUntilFrame();
  if (left == 0) return;
  if (left > WakeMarginMs) {
    sleep((left - WakeMarginMs) * 1000);
  } else if (left > 1) {
    sleep(FineStepUs);
  }
}

void SetSleeper(TSleeper sleeper) { Sleeper = sleeper; }
void SetFrameWaiting(bool on) { FrameWaiting = on; }

void RequestQuit() { QuitFlag = true; }
bool QuitRequested() { return QuitFlag; }

void SetBrightness(uint8_t value) { Brightness = value; }
uint8_t GetBrightness() { return Brightness; }

bool AudioOpen() {
  int frequency = 0;
  Uint16 format = 0;
  int channels = 0;
  return Mix_QuerySpec(&frequency, &format, &channels) != 0;
}

std::string NoDisplayReason() { return platform::NoDisplayReason(); }

void SeedRandom(uint32_t seed) { Generator.seed(seed); }

// The generator's 32-bit outputs are mapped to 0 .. n - 1 by multiplying
// and keeping the high half, drawing again while the low half falls in the
// few values that would make some results likelier (Lemire's method). It
// is written out here rather than left to std::uniform_int_distribution,
// whose arithmetic differs between C++ libraries: every build must draw
// the same numbers from the same seed. On the desktop's library it gives
// exactly what that distribution gave.
uint32_t Random(uint32_t n) {
  if (n == 0) return 0;
  uint64_t product = static_cast<uint64_t>(Generator()) * n;
  uint32_t low = static_cast<uint32_t>(product);
  if (low < n) {
    const uint32_t threshold = (0u - n) % n;
    while (low < threshold) {
      product = static_cast<uint64_t>(Generator()) * n;
      low = static_cast<uint32_t>(product);
    }
  }
  return static_cast<uint32_t>(product >> 32);
}

void SetTickSource(TTickSource source) { TickSource = source; }

void SetLiteralDrawing(bool literal) { LiteralDrawing = literal; }

bool ReadScreen(std::vector<uint8_t>& rgb, int& width, int& height) {
  // The screen is read whichever driver is selected now.
  return ScreenPresenter != nullptr && ScreenPresenter->ReadFrame(rgb, width, height);
}

}  // namespace game
