// The OpenGL presentation path: libGL bound by name, the fixed-function
// state, the per-frame matrices and the quads for sprites, text and fills.
#include "engine/gl_driver.h"

#include <SDL.h>
#include <dlfcn.h>

#include <cstring>

#include "engine/gl_api.h"

namespace game::gl {

namespace {

constexpr const char* kGLLibrary = "libGL.so.1";
constexpr const char* kGLULibrary = "libGLU.so.1";

// The picture is always mapped onto an 800 x 600 viewport, whatever size the
// window was opened at.
constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;
// The frustum's near plane; the model-view translation moves z = 0 onto it,
// so a vertex (px, py, 0) lands on window pixel (px, py).
constexpr double kNearPlane = 255;
constexpr double kFarPlane = 1;
// Out of range on purpose: OpenGL clamps it to 0 for the clears that follow.
constexpr double kClearDepth = -255;

constexpr uint8_t kOpaque = 255;
constexpr uint8_t kWhite = 255;
// Bytes per pixel of a loaded image and of a texture.
constexpr uint32_t kImageBytes = 3;
constexpr uint32_t kTextureBytes = 4;

TGLApi api{};
void* glHandle = nullptr;
void* gluHandle = nullptr;

// One function to look up and where its address goes in the table.
struct TEntry {
  const char* name;
  void (*store)(TGLApi& table, void* symbol);
};

#define VX_GL_ENTRY(fn) \
  TEntry { #fn, [](TGLApi& t, void* symbol) { t.fn = reinterpret_cast<decltype(t.fn)>(symbol); } }

bool LookUpAll(void* handle, const char* glName, TGLApi& table, std::string& error) {
  const TEntry entries[] = {
      VX_GL_ENTRY(glClearColor),  VX_GL_ENTRY(glEnable),       VX_GL_ENTRY(glDisable),
      VX_GL_ENTRY(glBlendFunc),   VX_GL_ENTRY(glDepthFunc),    VX_GL_ENTRY(glMatrixMode),
      VX_GL_ENTRY(glLoadIdentity), VX_GL_ENTRY(glViewport),    VX_GL_ENTRY(glFrustum),
      VX_GL_ENTRY(glClear),       VX_GL_ENTRY(glClearDepth),   VX_GL_ENTRY(glTranslatef),
      VX_GL_ENTRY(glBindTexture), VX_GL_ENTRY(glTexParameteri), VX_GL_ENTRY(glTexEnvi),
      VX_GL_ENTRY(glTexImage2D),  VX_GL_ENTRY(glColor4ub),     VX_GL_ENTRY(glBegin),
      VX_GL_ENTRY(glEnd),         VX_GL_ENTRY(glTexCoord2f),   VX_GL_ENTRY(glVertex2i),
      VX_GL_ENTRY(glReadPixels),  VX_GL_ENTRY(glGetIntegerv),
  };
  static_assert(sizeof(entries) / sizeof(entries[0]) == sizeof(TGLApi) / sizeof(void*),
                "every member of TGLApi is looked up");
  for (const TEntry& entry : entries) {
    void* symbol = dlsym(handle, entry.name);
    if (symbol == nullptr) {
      error = std::string(glName) + " has no " + entry.name;
      return false;
    }
    entry.store(table, symbol);
  }
  return true;
}

#undef VX_GL_ENTRY

void Vertex(int x, int y) { api.glVertex2i(x, y); }

// Whether the implementation takes a texture of this size. Larger ones are
// not even laid out: OpenGL would refuse them anyway, and the buffer could
// be far larger than the image.
bool TextureFits(uint16_t texW, uint16_t texH) {
  GLint largest = 0;
  api.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
  return texW != 0 && texH != 0 && texW <= largest && texH <= largest;
}

// A 24-bit blue-green-red copy of `surface` when it is in another format;
// null when it already is one.
SDL_Surface* As24BitBGR(SDL_Surface* surface) {
  const SDL_PixelFormat* f = surface->format;
  if (f->BytesPerPixel == kImageBytes && f->Rmask == 0xFF0000 && f->Gmask == 0x00FF00 &&
      f->Bmask == 0x0000FF) {
    return nullptr;
  }
  SDL_PixelFormat bgr{};
  bgr.BitsPerPixel = 24;
  bgr.BytesPerPixel = kImageBytes;
  bgr.Rmask = 0xFF0000;
  bgr.Gmask = 0x00FF00;
  bgr.Bmask = 0x0000FF;
  bgr.Rshift = 16;
  bgr.Gshift = 8;
  bgr.alpha = SDL_ALPHA_OPAQUE;
  return SDL_ConvertSurface(surface, &bgr, SDL_SWSURFACE);
}

}  // namespace

const TGLApi& Api() { return api; }

bool BindLibrary(const char* glName, const char* gluName, std::string& error) {
  Unbind();
  void* handle = dlopen(glName, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    error = std::string("cannot open ") + glName + ": " + (reason ? reason : "not found");
    return false;
  }
  TGLApi table{};
  if (!LookUpAll(handle, glName, table, error)) {
    dlclose(handle);
    return false;
  }
  glHandle = handle;
  api = table;
  if (gluName != nullptr) gluHandle = dlopen(gluName, RTLD_NOW | RTLD_LOCAL);
  return true;
}

void Unbind() {
  if (gluHandle != nullptr) dlclose(gluHandle);
  if (glHandle != nullptr) dlclose(glHandle);
  gluHandle = nullptr;
  glHandle = nullptr;
  api = TGLApi{};
}

bool Bind(std::string& error) {
  if (Bound()) return true;
  return BindLibrary(kGLLibrary, kGLULibrary, error);
}

bool Bound() { return glHandle != nullptr; }

uint16_t TextureEdge(uint32_t imageEdge) {
  uint32_t edge = 1;
  while (edge < imageEdge) edge *= 2;
  return edge > UINT16_MAX ? 0 : static_cast<uint16_t>(edge);
}

std::vector<uint8_t> BuildTextureBuffer(const uint8_t* pixels, uint16_t width, uint16_t height,
                                        uint32_t pitch, uint16_t texW, uint16_t texH) {
  std::vector<uint8_t> buffer(size_t{texW} * texH * kTextureBytes, 0);
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* source = pixels + size_t{y} * pitch;
    uint8_t* target = buffer.data() + size_t{y} * texW * kTextureBytes;
    for (uint32_t x = 0; x < width; ++x, source += kImageBytes, target += kTextureBytes) {
      std::memcpy(target, source, kImageBytes);
      const bool black = source[0] == 0 && source[1] == 0 && source[2] == 0;
      target[3] = black ? 0 : kOpaque;
    }
  }
  return buffer;
}

void SetUpState() {
  if (!Bound()) return;
  api.glClearColor(0, 0, 0, 0);
  api.glEnable(GL_TEXTURE_2D);
  api.glEnable(GL_BLEND);
  api.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  api.glEnable(GL_DEPTH_TEST);
  api.glDepthFunc(GL_LEQUAL);
}

void PresentFrame() {
  if (!Bound()) return;
  SDL_GL_SwapBuffers();
  api.glMatrixMode(GL_PROJECTION);
  api.glLoadIdentity();
  api.glViewport(0, 0, kViewWidth, kViewHeight);
  api.glMatrixMode(GL_MODELVIEW);
  api.glLoadIdentity();
  api.glFrustum(-kViewWidth / 2, kViewWidth / 2, kViewHeight / 2, -kViewHeight / 2, kNearPlane,
                kFarPlane);
  api.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  api.glClearDepth(kClearDepth);
  api.glTranslatef(-kViewWidth / 2, -kViewHeight / 2, -kNearPlane);
}

void UploadTexture(SDL_Surface* surface, uint16_t name, uint16_t& texWidth, uint16_t& texHeight) {
  texWidth = 0;
  texHeight = 0;
  if (surface == nullptr || surface->w <= 0 || surface->h <= 0) return;
  texWidth = TextureEdge(surface->w);
  texHeight = TextureEdge(surface->h);
  if (!Bound() || !TextureFits(texWidth, texHeight)) return;
  SDL_Surface* converted = As24BitBGR(surface);
  SDL_Surface* image = converted != nullptr ? converted : surface;
  if (SDL_LockSurface(image) == 0) {
    const std::vector<uint8_t> buffer =
        BuildTextureBuffer(static_cast<const uint8_t*>(image->pixels), image->w, image->h,
                           image->pitch, texWidth, texHeight);
    SDL_UnlockSurface(image);
    api.glBindTexture(GL_TEXTURE_2D, name);
    api.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    api.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    api.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    api.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    api.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    api.glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, texWidth, texHeight, 0, GL_BGRA,
                     GL_UNSIGNED_BYTE, buffer.data());
  }
  if (converted != nullptr) SDL_FreeSurface(converted);
}

void DrawSprite(const CSprite& sprite, int16_t x, int16_t y, uint8_t alpha, uint8_t brightness) {
  if (!Bound() || sprite.Surface == nullptr) return;
  const int w = sprite.Surface->w;
  const int h = sprite.Surface->h;
  api.glColor4ub(brightness, brightness, brightness, alpha);
  api.glBindTexture(GL_TEXTURE_2D, sprite.Texture);
  api.glBegin(GL_QUADS);
  api.glTexCoord2f(0, 0);
  Vertex(x, y);
  api.glTexCoord2f(sprite.TexU, 0);
  Vertex(x + w, y);
  api.glTexCoord2f(sprite.TexU, sprite.TexV);
  Vertex(x + w, y + h);
  api.glTexCoord2f(0, sprite.TexV);
  Vertex(x, y + h);
  api.glEnd();
}

void BeginText(const CFont& font, uint8_t alpha) {
  if (!Bound()) return;
  api.glColor4ub(kWhite, kWhite, kWhite, alpha);
  api.glBindTexture(GL_TEXTURE_2D, font.Image.Texture);
}

void DrawGlyph(const CFont& font, const TGlyph& glyph, int16_t penX, int16_t y) {
  // A font whose image never became a texture has no size to divide by.
  if (!Bound() || font.Image.TexU <= 0 || font.Image.TexV <= 0) return;
  const float texW = font.Image.TexU;
  const float texH = font.Image.TexV;
  const float s0 = glyph.x / texW;
  const float t0 = glyph.y / texH;
  const float ds = glyph.w / texW;
  const float dt = glyph.h / texH;
  api.glBegin(GL_QUADS);
  api.glTexCoord2f(s0, t0);
  Vertex(penX, y);
  api.glTexCoord2f(s0 + ds, t0);
  Vertex(penX + glyph.w, y);
  api.glTexCoord2f(s0 + ds, t0 + dt);
  Vertex(penX + glyph.w, y + glyph.h);
  api.glTexCoord2f(s0, t0 + dt);
  Vertex(penX, y + glyph.h);
  api.glEnd();
}

void FillRect(int16_t x, int16_t y, uint16_t w, uint16_t h, TColor color, uint8_t brightness) {
  if (!Bound()) return;
  // Each component in floating point, truncated towards zero.
  auto scale = [brightness](uint8_t c) {
    return static_cast<GLubyte>(static_cast<double>(c) / 255 * brightness);
  };
  api.glDisable(GL_TEXTURE_2D);
  api.glColor4ub(scale(color.R), scale(color.G), scale(color.B), color.A);
  api.glBegin(GL_QUADS);
  Vertex(x, y);
  Vertex(x + w, y);
  Vertex(x + w, y + h);
  Vertex(x, y + h);
  api.glEnd();
  api.glEnable(GL_TEXTURE_2D);
}

bool ReadFrame(std::vector<uint8_t>& rgb, int& width, int& height) {
  if (!Bound()) return false;
  width = kViewWidth;
  height = kViewHeight;
  std::vector<uint8_t> rgba(size_t{kViewWidth} * kViewHeight * kTextureBytes);
  api.glReadPixels(0, 0, kViewWidth, kViewHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  rgb.resize(size_t{kViewWidth} * kViewHeight * kImageBytes);
  // OpenGL's rows run bottom to top.
  for (int row = 0; row < kViewHeight; ++row) {
    const uint8_t* source = rgba.data() + size_t(kViewHeight - 1 - row) * kViewWidth * kTextureBytes;
    uint8_t* target = rgb.data() + size_t(row) * kViewWidth * kImageBytes;
    for (int x = 0; x < kViewWidth; ++x) {
      std::memcpy(target + x * kImageBytes, source + x * kTextureBytes, kImageBytes);
    }
  }
  return true;
}

}  // namespace game::gl
