// The part of the SDL 1.2 interface the game uses, for the browser build.
//
// Emscripten's own SDL headers describe SDL 1.3 (32-bit rectangles, key
// codes of SDL 2, no SDL_GetKeyState) over a library that keeps every
// surface as a 32-bit canvas and blits with the canvas's own blending. The
// browser build therefore brings its own implementation of SDL 1.2
// (web/sdl12/), with 1.2's types, key symbols and software surfaces, which
// draws the same pixels as the classic desktop library. Only presenting the
// finished frame, the keyboard and the sound output go through the page.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t Uint8;
typedef int8_t Sint8;
typedef uint16_t Uint16;
typedef int16_t Sint16;
typedef uint32_t Uint32;
typedef int32_t Sint32;
typedef uint64_t Uint64;
typedef int64_t Sint64;

typedef enum { SDL_FALSE = 0, SDL_TRUE = 1 } SDL_bool;

// ------------------------------------------------------------- start-up

#define SDL_INIT_TIMER 0x00000001
#define SDL_INIT_AUDIO 0x00000010
#define SDL_INIT_VIDEO 0x00000020
#define SDL_INIT_CDROM 0x00000100
#define SDL_INIT_JOYSTICK 0x00000200
#define SDL_INIT_NOPARACHUTE 0x00100000
#define SDL_INIT_EVENTTHREAD 0x01000000
#define SDL_INIT_EVERYTHING 0x0000FFFF

// Starts the given subsystems. Video opens the page's canvas, unless
// SDL_VIDEODRIVER is "dummy" or there is no page (under node), when it
// draws into memory only. Returns 0.
int SDL_Init(Uint32 flags);
// Starts more subsystems, or stops some (video: the screen goes and the
// keys are let go; joysticks: the open ones close).
int SDL_InitSubSystem(Uint32 flags);
void SDL_QuitSubSystem(Uint32 flags);
// Which of the given subsystems are started.
Uint32 SDL_WasInit(Uint32 flags);
// Stops everything: the keyboard is handed back to the page.
void SDL_Quit(void);

// The reason for the latest failure, "" when none.
char* SDL_GetError(void);
// Sets the reason (printf-style, at most 511 characters) or clears it.
void SDL_SetError(const char* fmt, ...);
void SDL_ClearError(void);

typedef struct SDL_version {
  Uint8 major;
  Uint8 minor;
  Uint8 patch;
} SDL_version;
// 1.2.15: the library whose pixels this one draws.
const SDL_version* SDL_Linked_Version(void);

// ----------------------------------------------------------------- time

// Milliseconds since SDL_Init.
Uint32 SDL_GetTicks(void);
// Hands the page control for `ms` milliseconds.
void SDL_Delay(Uint32 ms);

// --------------------------------------------------------- file access

#define RW_SEEK_SET 0
#define RW_SEEK_CUR 1
#define RW_SEEK_END 2

typedef struct SDL_RWops {
  int (*seek)(struct SDL_RWops* context, int offset, int whence);
  int (*read)(struct SDL_RWops* context, void* ptr, int size, int maxnum);
  int (*write)(struct SDL_RWops* context, const void* ptr, int size, int num);
  int (*close)(struct SDL_RWops* context);
  Uint32 type;
  union {
    struct {
      int autoclose;
      FILE* fp;
    } stdio;
    struct {
      Uint8* base;
      Uint8* here;
      Uint8* stop;
    } mem;
  } hidden;
} SDL_RWops;

// A stream over a file opened with fopen's mode; null (with the reason in
// SDL_GetError) when it cannot be opened.
SDL_RWops* SDL_RWFromFile(const char* file, const char* mode);
// A stream over `size` bytes of memory that stay the caller's; the const
// one refuses writes.
SDL_RWops* SDL_RWFromMem(void* mem, int size);
SDL_RWops* SDL_RWFromConstMem(const void* mem, int size);
// An empty stream for the caller to fill in, and its release.
SDL_RWops* SDL_AllocRW(void);
void SDL_FreeRW(SDL_RWops* area);

#define SDL_RWseek(ctx, offset, whence) (ctx)->seek(ctx, offset, whence)
#define SDL_RWtell(ctx) (ctx)->seek(ctx, 0, RW_SEEK_CUR)
#define SDL_RWread(ctx, ptr, size, n) (ctx)->read(ctx, ptr, size, n)
#define SDL_RWwrite(ctx, ptr, size, n) (ctx)->write(ctx, ptr, size, n)
#define SDL_RWclose(ctx) (ctx)->close(ctx)

// ------------------------------------------------------------- surfaces

#define SDL_SWSURFACE 0x00000000
#define SDL_HWSURFACE 0x00000001
#define SDL_ASYNCBLIT 0x00000004
#define SDL_ANYFORMAT 0x10000000
#define SDL_HWPALETTE 0x20000000
#define SDL_DOUBLEBUF 0x40000000
#define SDL_FULLSCREEN 0x80000000
#define SDL_OPENGL 0x00000002
#define SDL_OPENGLBLIT 0x0000000A
#define SDL_RESIZABLE 0x00000010
#define SDL_NOFRAME 0x00000020
#define SDL_HWACCEL 0x00000100
#define SDL_SRCCOLORKEY 0x00001000
#define SDL_RLEACCELOK 0x00002000
#define SDL_RLEACCEL 0x00004000
#define SDL_SRCALPHA 0x00010000
#define SDL_PREALLOC 0x01000000

#define SDL_ALPHA_OPAQUE 255
#define SDL_ALPHA_TRANSPARENT 0

typedef struct SDL_Rect {
  Sint16 x, y;
  Uint16 w, h;
} SDL_Rect;

typedef struct SDL_Color {
  Uint8 r;
  Uint8 g;
  Uint8 b;
  Uint8 unused;
} SDL_Color;
#define SDL_Colour SDL_Color

typedef struct SDL_Palette {
  int ncolors;
  SDL_Color* colors;
} SDL_Palette;

typedef struct SDL_PixelFormat {
  SDL_Palette* palette;
  Uint8 BitsPerPixel;
  Uint8 BytesPerPixel;
  Uint8 Rloss, Gloss, Bloss, Aloss;
  Uint8 Rshift, Gshift, Bshift, Ashift;
  Uint32 Rmask, Gmask, Bmask, Amask;
  Uint32 colorkey;
  Uint8 alpha;
} SDL_PixelFormat;

typedef struct SDL_Surface {
  Uint32 flags;
  SDL_PixelFormat* format;
  int w, h;
  Uint16 pitch;
  void* pixels;
  int offset;
  void* hwdata;
  SDL_Rect clip_rect;
  Uint32 unused1;
  Uint32 locked;
  void* map;
  unsigned int format_version;
  int refcount;
} SDL_Surface;

#define SDL_MUSTLOCK(surface) \
  ((surface)->offset || (((surface)->flags & (SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_RLEACCEL)) != 0))

// A surface of 8 (with a grey palette), 15, 16, 24 or 32 bits, rows padded
// to 4 bytes. All-zero masks give SDL 1.2's default layout for the depth.
SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 Rmask, Uint32 Gmask,
                                  Uint32 Bmask, Uint32 Amask);
// A surface over the caller's pixels, which stay the caller's.
SDL_Surface* SDL_CreateRGBSurfaceFrom(void* pixels, int width, int height, int depth, int pitch, Uint32 Rmask,
                                      Uint32 Gmask, Uint32 Bmask, Uint32 Amask);
#define SDL_AllocSurface SDL_CreateRGBSurface
// Frees a surface made here (never the screen) once its reference count
// falls to 0.
void SDL_FreeSurface(SDL_Surface* surface);
// Surfaces live in memory: locking always succeeds.
int SDL_LockSurface(SDL_Surface* surface);
void SDL_UnlockSurface(SDL_Surface* surface);

// A copy of the surface in `fmt`, each pixel converted as a blit would.
SDL_Surface* SDL_ConvertSurface(SDL_Surface* src, const SDL_PixelFormat* fmt, Uint32 flags);
// The same in the screen's format; null before SDL_SetVideoMode.
SDL_Surface* SDL_DisplayFormat(SDL_Surface* surface);

// Set or clear (flag without SDL_SRCCOLORKEY or SDL_SRCALPHA) the colour
// key and the surface alpha that blits use, with SDL 1.2's flags: asking
// for SDL_RLEACCEL marks the surface SDL_RLEACCELOK.
int SDL_SetColorKey(SDL_Surface* surface, Uint32 flag, Uint32 key);
int SDL_SetAlpha(SDL_Surface* surface, Uint32 flag, Uint8 alpha);
// The rectangle blits and fills are kept to (the whole surface for null),
// cut to the surface; SDL_FALSE when nothing of it is left.
SDL_bool SDL_SetClipRect(SDL_Surface* surface, const SDL_Rect* rect);
void SDL_GetClipRect(SDL_Surface* surface, SDL_Rect* rect);

// Fills the rectangle (the whole clip rectangle for null) with a pixel
// value in the surface's format.
int SDL_FillRect(SDL_Surface* dst, SDL_Rect* dstrect, Uint32 color);
// Blits in SDL 1.2's arithmetic: format conversion, colour key, surface
// alpha (a 5-bit alpha and a plain average at 128 between 16-bit surfaces
// of one format, 8-bit rounding up otherwise) and per-pixel alpha.
int SDL_UpperBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect);
int SDL_LowerBlit(SDL_Surface* src, SDL_Rect* srcrect, SDL_Surface* dst, SDL_Rect* dstrect);
#define SDL_BlitSurface SDL_UpperBlit

// A colour as a pixel of the format, each channel cut to its width (the
// nearest palette entry for 8 bits), and back, the low bits filled from the
// high ones.
Uint32 SDL_MapRGB(const SDL_PixelFormat* format, Uint8 r, Uint8 g, Uint8 b);
Uint32 SDL_MapRGBA(const SDL_PixelFormat* format, Uint8 r, Uint8 g, Uint8 b, Uint8 a);
void SDL_GetRGB(Uint32 pixel, const SDL_PixelFormat* fmt, Uint8* r, Uint8* g, Uint8* b);
void SDL_GetRGBA(Uint32 pixel, const SDL_PixelFormat* fmt, Uint8* r, Uint8* g, Uint8* b, Uint8* a);

// Reads an uncompressed BMP of 8, 24 or 32 bits as SDL 1.2 does (24 bits:
// red 0xFF0000, green 0x00FF00, blue 0x0000FF). freesrc closes the stream.
SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* src, int freesrc);
#define SDL_LoadBMP(file) SDL_LoadBMP_RW(SDL_RWFromFile(file, "rb"), 1)

// ---------------------------------------------------------------- video

// The screen: a software surface of 16 (565), 24 or 32 bits; SDL_Flip
// shows it on the page's canvas. OpenGL is not offered (null, with a
// reason); full screen is the page's business and ignored here.
SDL_Surface* SDL_SetVideoMode(int width, int height, int bpp, Uint32 flags);
SDL_Surface* SDL_GetVideoSurface(void);
// Shows the whole screen on the canvas, each channel widened to 8 bits by
// repeating its highest bits (as the engine reads its screen back); the
// update calls do the same.
int SDL_Flip(SDL_Surface* screen);
void SDL_UpdateRect(SDL_Surface* screen, Sint32 x, Sint32 y, Uint32 w, Uint32 h);
void SDL_UpdateRects(SDL_Surface* screen, int numrects, SDL_Rect* rects);
// "canvas", or "dummy" without a page.
char* SDL_VideoDriverName(char* namebuf, int maxlen);

// The caption becomes the page's title (trimmed); the page keeps its own
// icon and cursor.
void SDL_WM_SetCaption(const char* title, const char* icon);
void SDL_WM_SetIcon(SDL_Surface* icon, Uint8* mask);
int SDL_ShowCursor(int toggle);

typedef enum {
  SDL_GL_RED_SIZE,
  SDL_GL_GREEN_SIZE,
  SDL_GL_BLUE_SIZE,
  SDL_GL_ALPHA_SIZE,
  SDL_GL_BUFFER_SIZE,
  SDL_GL_DOUBLEBUFFER,
  SDL_GL_DEPTH_SIZE,
  SDL_GL_STENCIL_SIZE,
  SDL_GL_ACCUM_RED_SIZE,
  SDL_GL_ACCUM_GREEN_SIZE,
  SDL_GL_ACCUM_BLUE_SIZE,
  SDL_GL_ACCUM_ALPHA_SIZE,
  SDL_GL_STEREO,
  SDL_GL_MULTISAMPLEBUFFERS,
  SDL_GL_MULTISAMPLESAMPLES,
  SDL_GL_ACCELERATED_VISUAL,
  SDL_GL_SWAP_CONTROL
} SDL_GLattr;
// No OpenGL in the browser build: -1.
int SDL_GL_SetAttribute(SDL_GLattr attr, int value);
void SDL_GL_SwapBuffers(void);
void* SDL_GL_GetProcAddress(const char* proc);

// ----------------------------------------------------------------- keys

typedef enum {
  SDLK_UNKNOWN = 0,
  SDLK_FIRST = 0,
  SDLK_BACKSPACE = 8,
  SDLK_TAB = 9,
  SDLK_CLEAR = 12,
  SDLK_RETURN = 13,
  SDLK_PAUSE = 19,
  SDLK_ESCAPE = 27,
  SDLK_SPACE = 32,
  SDLK_QUOTE = 39,
  SDLK_COMMA = 44,
  SDLK_MINUS = 45,
  SDLK_PERIOD = 46,
  SDLK_SLASH = 47,
  SDLK_0 = 48,
  SDLK_1,
  SDLK_2,
  SDLK_3,
  SDLK_4,
  SDLK_5,
  SDLK_6,
  SDLK_7,
  SDLK_8,
  SDLK_9,
  SDLK_SEMICOLON = 59,
  SDLK_EQUALS = 61,
  SDLK_LEFTBRACKET = 91,
  SDLK_BACKSLASH = 92,
  SDLK_RIGHTBRACKET = 93,
  SDLK_BACKQUOTE = 96,
  SDLK_a = 97,
  SDLK_b,
  SDLK_c,
  SDLK_d,
  SDLK_e,
  SDLK_f,
  SDLK_g,
  SDLK_h,
  SDLK_i,
  SDLK_j,
  SDLK_k,
  SDLK_l,
  SDLK_m,
  SDLK_n,
  SDLK_o,
  SDLK_p,
  SDLK_q,
  SDLK_r,
  SDLK_s,
  SDLK_t,
  SDLK_u,
  SDLK_v,
  SDLK_w,
  SDLK_x,
  SDLK_y,
  SDLK_z,
  SDLK_DELETE = 127,
  SDLK_KP0 = 256,
  SDLK_KP1,
  SDLK_KP2,
  SDLK_KP3,
  SDLK_KP4,
  SDLK_KP5,
  SDLK_KP6,
  SDLK_KP7,
  SDLK_KP8,
  SDLK_KP9,
  SDLK_KP_PERIOD,
  SDLK_KP_DIVIDE,
  SDLK_KP_MULTIPLY,
  SDLK_KP_MINUS,
  SDLK_KP_PLUS,
  SDLK_KP_ENTER,
  SDLK_KP_EQUALS,
  SDLK_UP = 273,
  SDLK_DOWN,
  SDLK_RIGHT,
  SDLK_LEFT,
  SDLK_INSERT,
  SDLK_HOME,
  SDLK_END,
  SDLK_PAGEUP,
  SDLK_PAGEDOWN,
  SDLK_F1 = 282,
  SDLK_F2,
  SDLK_F3,
  SDLK_F4,
  SDLK_F5,
  SDLK_F6,
  SDLK_F7,
  SDLK_F8,
  SDLK_F9,
  SDLK_F10,
  SDLK_F11,
  SDLK_F12,
  SDLK_F13,
  SDLK_F14,
  SDLK_F15,
  SDLK_NUMLOCK = 300,
  SDLK_CAPSLOCK,
  SDLK_SCROLLOCK,
  SDLK_RSHIFT,
  SDLK_LSHIFT,
  SDLK_RCTRL,
  SDLK_LCTRL,
  SDLK_RALT,
  SDLK_LALT,
  SDLK_RMETA,
  SDLK_LMETA,
  SDLK_LSUPER,
  SDLK_RSUPER,
  SDLK_MODE,
  SDLK_COMPOSE,
  SDLK_HELP,
  SDLK_PRINT,
  SDLK_SYSREQ,
  SDLK_BREAK,
  SDLK_MENU,
  SDLK_POWER,
  SDLK_EURO,
  SDLK_UNDO,
  SDLK_LAST
} SDLKey;

typedef enum { KMOD_NONE = 0x0000 } SDLMod;

typedef struct SDL_keysym {
  Uint8 scancode;
  SDLKey sym;
  SDLMod mod;
  Uint16 unicode;
} SDL_keysym;

// The held-key table, indexed by key symbol, as of the latest event pump;
// `numkeys` (when given) gets its length, SDLK_LAST.
Uint8* SDL_GetKeyState(int* numkeys);
// No modifier state, key repeat or character translation: what the game
// does not read is not kept.
SDLMod SDL_GetModState(void);
int SDL_EnableKeyRepeat(int delay, int interval);
int SDL_EnableUNICODE(int enable);

// --------------------------------------------------------------- events

typedef enum {
  SDL_NOEVENT = 0,
  SDL_ACTIVEEVENT,
  SDL_KEYDOWN,
  SDL_KEYUP,
  SDL_MOUSEMOTION,
  SDL_MOUSEBUTTONDOWN,
  SDL_MOUSEBUTTONUP,
  SDL_JOYAXISMOTION,
  SDL_JOYBALLMOTION,
  SDL_JOYHATMOTION,
  SDL_JOYBUTTONDOWN,
  SDL_JOYBUTTONUP,
  SDL_QUIT,
  SDL_SYSWMEVENT,
  SDL_EVENT_RESERVEDA,
  SDL_EVENT_RESERVEDB,
  SDL_VIDEORESIZE,
  SDL_VIDEOEXPOSE,
  SDL_USEREVENT = 24,
  SDL_NUMEVENTS = 32
} SDL_EventType;

#define SDL_RELEASED 0
#define SDL_PRESSED 1

typedef struct SDL_KeyboardEvent {
  Uint8 type;
  Uint8 which;
  Uint8 state;
  SDL_keysym keysym;
} SDL_KeyboardEvent;

typedef struct SDL_JoyAxisEvent {
  Uint8 type;
  Uint8 which;
  Uint8 axis;
  Sint16 value;
} SDL_JoyAxisEvent;

typedef struct SDL_JoyHatEvent {
  Uint8 type;
  Uint8 which;
  Uint8 hat;
  Uint8 value;
} SDL_JoyHatEvent;

typedef struct SDL_JoyButtonEvent {
  Uint8 type;
  Uint8 which;
  Uint8 button;
  Uint8 state;
} SDL_JoyButtonEvent;

typedef struct SDL_QuitEvent {
  Uint8 type;
} SDL_QuitEvent;

typedef union SDL_Event {
  Uint8 type;
  SDL_KeyboardEvent key;
  SDL_JoyAxisEvent jaxis;
  SDL_JoyHatEvent jhat;
  SDL_JoyButtonEvent jbutton;
  SDL_QuitEvent quit;
  Uint8 padding[24];
} SDL_Event;

// Takes the oldest pending event (1) or reports none (0). Key events come
// from the page: a key press anywhere on it reaches the game, and keys the
// game reads do not scroll the page.
int SDL_PollEvent(SDL_Event* event);
void SDL_PumpEvents(void);
// Adds an event at the end of the queue: 0, or -1 when the queue is full.
int SDL_PushEvent(SDL_Event* event);

// ------------------------------------------------------------ joysticks

// The page's gamepads (the Gamepad API), numbered as the page lists them
// when SDL_NumJoysticks is asked; named by the browser's id for them, with
// its axes (-32767 to 32767) and buttons and no hats. Browsers show a page
// a gamepad only once one of its buttons was pressed while the page was
// open. With events on (SDL_JoystickEventState), every pump turns the
// changes of the open pads into events.
typedef struct _SDL_Joystick SDL_Joystick;

#define SDL_HAT_CENTERED 0x00
#define SDL_HAT_UP 0x01
#define SDL_HAT_RIGHT 0x02
#define SDL_HAT_DOWN 0x04
#define SDL_HAT_LEFT 0x08
#define SDL_HAT_RIGHTUP (SDL_HAT_RIGHT | SDL_HAT_UP)
#define SDL_HAT_RIGHTDOWN (SDL_HAT_RIGHT | SDL_HAT_DOWN)
#define SDL_HAT_LEFTUP (SDL_HAT_LEFT | SDL_HAT_UP)
#define SDL_HAT_LEFTDOWN (SDL_HAT_LEFT | SDL_HAT_DOWN)

#define SDL_QUERY -1
#define SDL_IGNORE 0
#define SDL_DISABLE 0
#define SDL_ENABLE 1

int SDL_NumJoysticks(void);
const char* SDL_JoystickName(int device_index);
SDL_Joystick* SDL_JoystickOpen(int device_index);
int SDL_JoystickOpened(int device_index);
int SDL_JoystickIndex(SDL_Joystick* joystick);
int SDL_JoystickNumAxes(SDL_Joystick* joystick);
int SDL_JoystickNumBalls(SDL_Joystick* joystick);
int SDL_JoystickNumHats(SDL_Joystick* joystick);
int SDL_JoystickNumButtons(SDL_Joystick* joystick);
void SDL_JoystickUpdate(void);
int SDL_JoystickEventState(int state);
Sint16 SDL_JoystickGetAxis(SDL_Joystick* joystick, int axis);
Uint8 SDL_JoystickGetHat(SDL_Joystick* joystick, int hat);
Uint8 SDL_JoystickGetButton(SDL_Joystick* joystick, int button);
void SDL_JoystickClose(SDL_Joystick* joystick);

// ---------------------------------------------------------------- audio

#define AUDIO_U8 0x0008
#define AUDIO_S8 0x8008
#define AUDIO_U16LSB 0x0010
#define AUDIO_S16LSB 0x8010
#define AUDIO_U16MSB 0x1010
#define AUDIO_S16MSB 0x9010
#define AUDIO_U16 AUDIO_U16LSB
#define AUDIO_S16 AUDIO_S16LSB
#define AUDIO_U16SYS AUDIO_U16LSB
#define AUDIO_S16SYS AUDIO_S16LSB

#ifdef __cplusplus
}
#endif
