// Engine core: start-up and shutdown, video driver and mode, frame pacing,
// brightness, colours, the random generator and the test seams. Events,
// keys and pads live in input.cpp.
#include <SDL.h>
#include <SDL_mixer.h>

#include <random>

#include "engine/engine_state.h"
#include "engine/game.h"
#include "platform/platform.h"
#include "resources/datafile.h"
#include "resources/startup.h"
#ifdef VEXMOOR_OPENGL
#include "engine/gl_driver.h"
#endif

namespace game {

#ifdef VEXMOOR_OPENGL
const bool OpenGLBuild = true;
#else
const bool OpenGLBuild = false;
#endif

bool BindOpenGL(std::string& error) {
#ifdef VEXMOOR_OPENGL
  return gl::Bind(error);
#else
  error = "no OpenGL path in this build";
  return false;
#endif
}

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

bool FrameBufferReady() {
  // A window opened for OpenGL has no pixels to draw into.
  return VideoDriver == vdFrameBuffer && Screen != nullptr && (Screen->flags & SDL_OPENGL) == 0;
}

bool OpenGLReady() {
#ifdef VEXMOOR_OPENGL
  return VideoDriver == vdOpenGL && Screen != nullptr && (Screen->flags & SDL_OPENGL) != 0 &&
         gl::Bound();
#else
  return false;
#endif
}

}  // namespace state

using namespace state;

namespace {

constexpr uint8_t DefaultFrameRate = 30;
constexpr uint8_t FullBrightness = 255;
constexpr uint16_t FirstTexture = 1;
constexpr int VideoBitsPerPixel = 16;
constexpr int GLDepthBits = 16;

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

uint32_t Ticks() { return TickSource != nullptr ? TickSource() : SDL_GetTicks(); }

void SetWindowIcon(const std::string& iconName) {
  const std::string path = resources::ProgramDir + iconName + ".bmp";
  // A missing icon gives no surface: no icon is set and start-up goes on.
  SDL_Surface* icon = LoadPicture(path);
  SDL_WM_SetIcon(icon, nullptr);
  SDL_FreeSurface(icon);
}

void OpenAudio() {
  Mix_OpenAudio(AudioFrequency, AUDIO_S16LSB, AudioChannels, AudioChunkSize);
  Mix_AllocateChannels(MixingChannels);
  for (int channel = 0; channel < MixingChannels; ++channel) Mix_Volume(channel, ChannelVolume);
}

void DropBanks() {
  SoundBank.SetSize(0, 0);
  FontBank.SetSize(0, 0);
  SpriteBank.SetSize(0, 0);
}

}  // namespace

TColor RGB(uint8_t r, uint8_t g, uint8_t b) { return TColor{r, g, b, 255}; }
TColor RGBA(uint8_t r, uint8_t g, uint8_t b, uint8_t a) { return TColor{r, g, b, a}; }

void SetVideoDriver(TVideoDriver driver) { VideoDriver = driver == vdDefault ? vdOpenGL : driver; }
TVideoDriver GetVideoDriver() { return VideoDriver; }

// Termination signals only raise the platform's flag, which ProcessEvents
// turns into a quit, so every one of them ends through Shutdown and takes
// the scratch files along.
void CatchTerminationSignals() { platform::CatchTerminationSignals(); }

void Init(const std::string& caption, const std::string& iconName) {
  SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO);
  // Again after SDL_Init, which may have put its own handlers in.
  CatchTerminationSignals();
  SDL_WM_SetCaption(caption.c_str(), "");
  SetWindowIcon(iconName);
  Screen = nullptr;
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
  ReleaseFillCache();
  Mix_CloseAudio();
  SDL_Quit();
  // The objects in the banks, their surfaces, chunks and the music are not
  // released one by one: the process ends right after.
  DropBanks();
  Music = nullptr;
  Screen = nullptr;
  StopInput();
  if (!resources::DevelopMode) resources::RemoveScratchFiles();
  // The signal that ended this run has been served.
  platform::ClearTermination();
}

void RestoreDisplay() {
  if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) return;
  ReleaseFillCache();
  if (AudioOpen()) Mix_CloseAudio();
  SDL_Quit();
  Screen = nullptr;
  StopInput();
}

bool SetVideoMode(uint16_t width, uint16_t height, bool fullscreen) {
  const Uint32 fullscreenFlag = fullscreen ? SDL_FULLSCREEN : 0;
  if (VideoDriver != vdOpenGL && VideoDriver != vdFrameBuffer) {
    VideoError = "no video driver selected";
    return false;
  }
  // Copies made for the previous screen no longer match its format.
  ReleaseFillCache();
  ++VideoMode;
  switch (VideoDriver) {
    case vdOpenGL:
      SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
      SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, GLDepthBits);
      Screen = SDL_SetVideoMode(width, height, VideoBitsPerPixel, SDL_OPENGL | fullscreenFlag);
#ifdef VEXMOOR_OPENGL
      if (OpenGLReady()) gl::SetUpState();
#endif
      break;
    case vdFrameBuffer:
      Screen = SDL_SetVideoMode(width, height, VideoBitsPerPixel,
                                SDL_HWSURFACE | SDL_DOUBLEBUF | fullscreenFlag);
      break;
    default:
      break;
  }
  if (Screen == nullptr) {
    const char* reason = SDL_GetError();
    VideoError = reason != nullptr && reason[0] != '\0' ? reason : "no video surface";
    return false;
  }
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
  if (FrameBufferReady()) {
    SDL_Flip(Screen);
    SDL_FillRect(Screen, &Screen->clip_rect, SDL_MapRGB(Screen->format, 0, 0, 0));
  }
#ifdef VEXMOOR_OPENGL
  else if (OpenGLReady()) {
    gl::PresentFrame();
  }
#endif
  return true;
}

namespace {

// A wait stops this far (in clock milliseconds) before the frame is due;
// the rest is approached in short steps, then polled.
constexpr uint32_t WakeMarginMs = 2;
constexpr uint32_t FineStepUs = 250;

// Cut short by a signal: the loop then sees the quit at once.
void SleepMicroseconds(uint32_t microseconds) { platform::SleepMicroseconds(microseconds); }

}  // namespace

void WaitForFrame() {
  if (!FrameWaiting || QuitFlag) return;
  const TSleeper sleep = Sleeper != nullptr ? Sleeper : TickSource == nullptr ? &SleepMicroseconds : nullptr;
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

namespace {

// Widens an n-bit channel to 8 bits by moving it to the top of the byte and
// repeating its highest bits in the bits that were freed, so 0 stays 0 and
// the channel's maximum becomes 255 (5-bit 31 -> 255, 6-bit 32 -> 130).
uint8_t ExpandChannel(uint32_t pixel, uint32_t mask, uint8_t shift, uint8_t loss) {
  const int bits = 8 - loss;
  if (mask == 0 || bits <= 0) return 0;
  uint32_t value = ((pixel & mask) >> shift) << loss;
  for (int filled = bits; filled < 8; filled += bits) value |= value >> bits;
  return static_cast<uint8_t>(value);
}

}  // namespace

bool ReadScreen(std::vector<uint8_t>& rgb, int& width, int& height) {
  if (Screen == nullptr || (Screen->flags & SDL_OPENGL) != 0) return false;
  if (SDL_MUSTLOCK(Screen) && SDL_LockSurface(Screen) != 0) return false;
  const SDL_PixelFormat* f = Screen->format;
  width = Screen->w;
  height = Screen->h;
  rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = static_cast<const uint8_t*>(Screen->pixels) + static_cast<size_t>(y) * Screen->pitch;
    for (int x = 0; x < width; ++x) {
      const uint32_t pixel = PixelAt(row + x * f->BytesPerPixel, f->BytesPerPixel);
      uint8_t* out = &rgb[(static_cast<size_t>(y) * width + x) * 3];
      if (f->palette != nullptr) {
        const SDL_Color& c = f->palette->colors[pixel % f->palette->ncolors];
        out[0] = c.r;
        out[1] = c.g;
        out[2] = c.b;
      } else {
        out[0] = ExpandChannel(pixel, f->Rmask, f->Rshift, f->Rloss);
        out[1] = ExpandChannel(pixel, f->Gmask, f->Gshift, f->Gloss);
        out[2] = ExpandChannel(pixel, f->Bmask, f->Bshift, f->Bloss);
      }
    }
  }
  if (SDL_MUSTLOCK(Screen)) SDL_UnlockSurface(Screen);
  return true;
}

}  // namespace game
