// The browser SDL's start-up, errors, clock, file streams, events, keys and
// (absent) joysticks.
#include <emscripten.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "SDL.h"
#include "web/sdl12/page_bridge.h"
#include "web/sdl12/sdl_state.h"

struct _SDL_Joystick {
  int index;
  std::vector<Sint16> axes;
  std::vector<Uint8> buttons;
};

namespace sdl12 {

namespace {

Uint32 Started = 0;
double StartMs = 0;
std::string ErrorText;
Uint8 KeyTable[SDLK_LAST] = {};
std::deque<SDL_Event> Pending;

// A press; a release carries 0x20000 instead.
constexpr int KeyPressed = 0x10000;
constexpr int KeySymbolMask = 0xFFFF;
// SDL 1.2's queue holds this many events.
constexpr size_t QueueLimit = 128;

constexpr int MaxPadName = 128;
std::vector<SDL_Joystick*> OpenJoysticks;
bool JoystickEvents = false;

bool DriverIsDummy(const char* variable) {
  const char* driver = std::getenv(variable);
  return driver != nullptr && std::strcmp(driver, "dummy") == 0;
}

// Turns the page's key changes into events, as SDL 1.2 fills its queue
// when the events are pumped; the key table follows the events taken.
void PumpPageKeys() {
  if (!PageVideo() || (Started & SDL_INIT_VIDEO) == 0) return;
  for (int change = vxpage_next_key(); change != 0; change = vxpage_next_key()) {
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    const bool down = (change & KeyPressed) != 0;
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = static_cast<SDLKey>(change & KeySymbolMask);
    Pending.push_back(event);
  }
}

// Reads an open pad; with `events`, each change since the last reading
// becomes an event.
void ReadPad(SDL_Joystick& pad, bool events) {
  std::vector<Sint16> axes(pad.axes.size());
  std::vector<Uint8> buttons(pad.buttons.size());
  if (vxpage_pad_read(pad.index, axes.data(), static_cast<int>(axes.size()), buttons.data(),
                      static_cast<int>(buttons.size())) == 0) {
    // A pad that went away lets everything go.
    std::fill(axes.begin(), axes.end(), 0);
    std::fill(buttons.begin(), buttons.end(), 0);
  }
  for (size_t i = 0; i < axes.size(); ++i) {
    if (axes[i] == pad.axes[i]) continue;
    pad.axes[i] = axes[i];
    if (!events) continue;
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = SDL_JOYAXISMOTION;
    event.jaxis.which = static_cast<Uint8>(pad.index);
    event.jaxis.axis = static_cast<Uint8>(i);
    event.jaxis.value = axes[i];
    SDL_PushEvent(&event);
  }
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i] == pad.buttons[i]) continue;
    pad.buttons[i] = buttons[i];
    if (!events) continue;
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    event.type = buttons[i] ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
    event.jbutton.which = static_cast<Uint8>(pad.index);
    event.jbutton.button = static_cast<Uint8>(i);
    event.jbutton.state = buttons[i] ? SDL_PRESSED : SDL_RELEASED;
    SDL_PushEvent(&event);
  }
}

void PumpPads() {
  if (!JoystickEvents) return;
  for (SDL_Joystick* pad : OpenJoysticks) ReadPad(*pad, true);
}

// -------------------------------------------------------- file streams

int FileSeek(SDL_RWops* context, int offset, int whence) {
  FILE* file = context->hidden.stdio.fp;
  if (std::fseek(file, offset, whence) != 0) {
    SDL_SetError("Error seeking in datastream");
    return -1;
  }
  return static_cast<int>(std::ftell(file));
}

int FileRead(SDL_RWops* context, void* ptr, int size, int maxnum) {
  if (size <= 0 || maxnum <= 0) return 0;
  const size_t got = std::fread(ptr, static_cast<size_t>(size), static_cast<size_t>(maxnum), context->hidden.stdio.fp);
  if (got == 0 && std::ferror(context->hidden.stdio.fp)) SDL_SetError("Error reading from datastream");
  return static_cast<int>(got);
}

int FileWrite(SDL_RWops* context, const void* ptr, int size, int num) {
  if (size <= 0 || num <= 0) return 0;
  const size_t put = std::fwrite(ptr, static_cast<size_t>(size), static_cast<size_t>(num), context->hidden.stdio.fp);
  if (put == 0 && std::ferror(context->hidden.stdio.fp)) SDL_SetError("Error writing to datastream");
  return static_cast<int>(put);
}

int FileClose(SDL_RWops* context) {
  if (context == nullptr) return 0;
  if (context->hidden.stdio.autoclose) std::fclose(context->hidden.stdio.fp);
  SDL_FreeRW(context);
  return 0;
}

int MemorySeek(SDL_RWops* context, int offset, int whence) {
  Uint8* base = context->hidden.mem.base;
  Uint8* at = whence == RW_SEEK_SET ? base : whence == RW_SEEK_CUR ? context->hidden.mem.here : context->hidden.mem.stop;
  const long target = (at - base) + static_cast<long>(offset);
  const long size = context->hidden.mem.stop - base;
  context->hidden.mem.here = base + (target < 0 ? 0 : target > size ? size : target);
  return static_cast<int>(context->hidden.mem.here - base);
}

int MemoryRead(SDL_RWops* context, void* ptr, int size, int maxnum) {
  if (size <= 0 || maxnum <= 0) return 0;
  const size_t left = static_cast<size_t>(context->hidden.mem.stop - context->hidden.mem.here);
  size_t count = static_cast<size_t>(maxnum);
  if (count * static_cast<size_t>(size) > left) count = left / static_cast<size_t>(size);
  std::memcpy(ptr, context->hidden.mem.here, count * static_cast<size_t>(size));
  context->hidden.mem.here += count * static_cast<size_t>(size);
  return static_cast<int>(count);
}

int MemoryWrite(SDL_RWops* context, const void* ptr, int size, int num) {
  if (size <= 0 || num <= 0) return 0;
  const size_t left = static_cast<size_t>(context->hidden.mem.stop - context->hidden.mem.here);
  size_t count = static_cast<size_t>(num);
  if (count * static_cast<size_t>(size) > left) count = left / static_cast<size_t>(size);
  std::memcpy(context->hidden.mem.here, ptr, count * static_cast<size_t>(size));
  context->hidden.mem.here += count * static_cast<size_t>(size);
  return static_cast<int>(count);
}

int ConstMemoryWrite(SDL_RWops*, const void*, int, int) {
  SDL_SetError("Can't write to read-only memory");
  return -1;
}

int MemoryClose(SDL_RWops* context) {
  SDL_FreeRW(context);
  return 0;
}

}  // namespace

// The environment and the page are fixed before the program starts, and
// these are asked on every poll and present.
bool PageVideo() {
  static const bool page = !DriverIsDummy("SDL_VIDEODRIVER") && vxpage_has_page() != 0;
  return page;
}
bool PageAudio() {
  static const bool page = !DriverIsDummy("SDL_AUDIODRIVER") && vxpage_has_page() != 0;
  return page;
}

void SetErrorText(const char* text) { ErrorText = text; }

}  // namespace sdl12

using namespace sdl12;

extern "C" {

int SDL_Init(Uint32 flags) {
  if (Started == 0) StartMs = emscripten_get_now();
  return SDL_InitSubSystem(flags | SDL_INIT_TIMER);
}

int SDL_InitSubSystem(Uint32 flags) {
  Started |= flags & (SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK);
  return 0;
}

void SDL_QuitSubSystem(Uint32 flags) {
  if ((flags & Started & SDL_INIT_VIDEO) != 0) {
    CloseVideo();
    std::memset(KeyTable, 0, sizeof KeyTable);
    Pending.clear();
  }
  if ((flags & Started & SDL_INIT_JOYSTICK) != 0) {
    while (!OpenJoysticks.empty()) SDL_JoystickClose(OpenJoysticks.back());
    JoystickEvents = false;
  }
  Started &= ~flags;
}

Uint32 SDL_WasInit(Uint32 flags) { return Started & flags; }

void SDL_Quit(void) { SDL_QuitSubSystem(SDL_INIT_EVERYTHING); }

char* SDL_GetError(void) { return ErrorText.data(); }

void SDL_SetError(const char* fmt, ...) {
  char text[512];
  va_list arguments;
  va_start(arguments, fmt);
  std::vsnprintf(text, sizeof text, fmt, arguments);
  va_end(arguments);
  ErrorText = text;
}

void SDL_ClearError(void) { ErrorText.clear(); }

const SDL_version* SDL_Linked_Version(void) {
  static const SDL_version version = {1, 2, 15};
  return &version;
}

Uint32 SDL_GetTicks(void) { return static_cast<Uint32>(emscripten_get_now() - StartMs); }

void SDL_Delay(Uint32 ms) { emscripten_sleep(ms); }

SDL_RWops* SDL_AllocRW(void) {
  auto* area = static_cast<SDL_RWops*>(std::calloc(1, sizeof(SDL_RWops)));
  if (area == nullptr) SDL_SetError("Out of memory");
  return area;
}

void SDL_FreeRW(SDL_RWops* area) { std::free(area); }

SDL_RWops* SDL_RWFromFile(const char* file, const char* mode) {
  if (file == nullptr || mode == nullptr || file[0] == '\0') {
    SDL_SetError("SDL_RWFromFile(): needs a file name and a mode");
    return nullptr;
  }
  FILE* fp = std::fopen(file, mode);
  if (fp == nullptr) {
    SDL_SetError("Couldn't open %s", file);
    return nullptr;
  }
  SDL_RWops* context = SDL_AllocRW();
  if (context == nullptr) {
    std::fclose(fp);
    return nullptr;
  }
  context->seek = FileSeek;
  context->read = FileRead;
  context->write = FileWrite;
  context->close = FileClose;
  context->hidden.stdio.fp = fp;
  context->hidden.stdio.autoclose = 1;
  return context;
}

SDL_RWops* SDL_RWFromMem(void* mem, int size) {
  SDL_RWops* context = SDL_AllocRW();
  if (context == nullptr) return nullptr;
  context->seek = MemorySeek;
  context->read = MemoryRead;
  context->write = MemoryWrite;
  context->close = MemoryClose;
  context->hidden.mem.base = static_cast<Uint8*>(mem);
  context->hidden.mem.here = context->hidden.mem.base;
  context->hidden.mem.stop = context->hidden.mem.base + (size > 0 ? size : 0);
  return context;
}

SDL_RWops* SDL_RWFromConstMem(const void* mem, int size) {
  SDL_RWops* context = SDL_RWFromMem(const_cast<void*>(mem), size);
  if (context != nullptr) context->write = ConstMemoryWrite;
  return context;
}

void SDL_WM_SetCaption(const char* title, const char*) {
  if (title != nullptr && PageVideo()) vxpage_set_title(title);
}

// The page shows its own icon.
void SDL_WM_SetIcon(SDL_Surface*, Uint8*) {}

int SDL_ShowCursor(int) { return 1; }

void SDL_PumpEvents(void) {
  PumpPageKeys();
  PumpPads();
}

int SDL_PushEvent(SDL_Event* event) {
  if (event == nullptr || Pending.size() >= QueueLimit) return -1;
  Pending.push_back(*event);
  return 0;
}

int SDL_PollEvent(SDL_Event* event) {
  SDL_PumpEvents();
  if (Pending.empty()) return 0;
  const SDL_Event next = Pending.front();
  Pending.pop_front();
  if (next.type == SDL_KEYDOWN || next.type == SDL_KEYUP) {
    const int sym = next.key.keysym.sym;
    if (sym > 0 && sym < SDLK_LAST) KeyTable[sym] = next.type == SDL_KEYDOWN ? 1 : 0;
  }
  if (event != nullptr) *event = next;
  return 1;
}

Uint8* SDL_GetKeyState(int* numkeys) {
  if (numkeys != nullptr) *numkeys = SDLK_LAST;
  return KeyTable;
}

SDLMod SDL_GetModState(void) { return KMOD_NONE; }
int SDL_EnableKeyRepeat(int, int) { return 0; }
int SDL_EnableUNICODE(int) { return 0; }

int SDL_NumJoysticks(void) {
  if (vxpage_has_page() == 0 || (Started & SDL_INIT_JOYSTICK) == 0) return 0;
  // The list is taken again only while no pad is open: the numbers of the
  // open ones must stay.
  static int count = 0;
  if (OpenJoysticks.empty()) count = vxpage_pad_count();
  return count;
}

const char* SDL_JoystickName(int device_index) {
  static char name[MaxPadName];
  if (device_index < 0 || device_index >= SDL_NumJoysticks()) return nullptr;
  vxpage_pad_name(device_index, name, sizeof name);
  return name;
}

SDL_Joystick* SDL_JoystickOpen(int device_index) {
  if (device_index < 0 || device_index >= SDL_NumJoysticks()) {
    SDL_SetError("Invalid joystick device index %d", device_index);
    return nullptr;
  }
  for (SDL_Joystick* pad : OpenJoysticks) {
    if (pad->index == device_index) return pad;
  }
  auto* pad = new SDL_Joystick{device_index, std::vector<Sint16>(vxpage_pad_axes(device_index)),
                               std::vector<Uint8>(vxpage_pad_buttons(device_index))};
  ReadPad(*pad, false);
  OpenJoysticks.push_back(pad);
  return pad;
}

int SDL_JoystickOpened(int device_index) {
  for (SDL_Joystick* pad : OpenJoysticks) {
    if (pad->index == device_index) return 1;
  }
  return 0;
}

int SDL_JoystickIndex(SDL_Joystick* joystick) { return joystick != nullptr ? joystick->index : -1; }
int SDL_JoystickNumAxes(SDL_Joystick* joystick) {
  return joystick != nullptr ? static_cast<int>(joystick->axes.size()) : -1;
}
int SDL_JoystickNumBalls(SDL_Joystick*) { return 0; }
int SDL_JoystickNumHats(SDL_Joystick*) { return 0; }
int SDL_JoystickNumButtons(SDL_Joystick* joystick) {
  return joystick != nullptr ? static_cast<int>(joystick->buttons.size()) : -1;
}

void SDL_JoystickUpdate(void) {
  for (SDL_Joystick* pad : OpenJoysticks) ReadPad(*pad, false);
}

int SDL_JoystickEventState(int state) {
  if (state == SDL_ENABLE || state == SDL_IGNORE) JoystickEvents = state == SDL_ENABLE;
  return JoystickEvents ? SDL_ENABLE : SDL_IGNORE;
}

Sint16 SDL_JoystickGetAxis(SDL_Joystick* joystick, int axis) {
  if (joystick == nullptr || axis < 0 || axis >= static_cast<int>(joystick->axes.size())) return 0;
  return joystick->axes[axis];
}

Uint8 SDL_JoystickGetHat(SDL_Joystick*, int) { return SDL_HAT_CENTERED; }

Uint8 SDL_JoystickGetButton(SDL_Joystick* joystick, int button) {
  if (joystick == nullptr || button < 0 || button >= static_cast<int>(joystick->buttons.size())) return 0;
  return joystick->buttons[button];
}

void SDL_JoystickClose(SDL_Joystick* joystick) {
  for (size_t i = 0; i < OpenJoysticks.size(); ++i) {
    if (OpenJoysticks[i] != joystick) continue;
    OpenJoysticks.erase(OpenJoysticks.begin() + static_cast<long>(i));
    delete joystick;
    return;
  }
}

int SDL_GL_SetAttribute(SDL_GLattr, int) {
  SDL_SetError("OpenGL is not available in the browser build");
  return -1;
}
void SDL_GL_SwapBuffers(void) {}
void* SDL_GL_GetProcAddress(const char*) { return nullptr; }

}  // extern "C"
