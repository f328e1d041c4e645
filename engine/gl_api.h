// The OpenGL 1.1 entry points the driver calls, bound by name from the
// library at run time so that neither program needs libGL to start, and the
// pieces of the driver that tests reach directly. Engine-internal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace game::gl {

// The few OpenGL types and constants the driver uses (OpenGL 1.1 values,
// plus GL_BGRA from OpenGL 1.2 / EXT_bgra).
using GLenum = unsigned int;
using GLbitfield = unsigned int;
using GLint = int;
using GLuint = unsigned int;
using GLsizei = int;
using GLfloat = float;
using GLdouble = double;
using GLclampf = float;
using GLclampd = double;
using GLubyte = unsigned char;

enum : GLenum {
  GL_QUADS = 0x0007,
  GL_SRC_ALPHA = 0x0302,
  GL_ONE_MINUS_SRC_ALPHA = 0x0303,
  GL_LEQUAL = 0x0203,
  GL_DEPTH_TEST = 0x0B71,
  GL_MAX_TEXTURE_SIZE = 0x0D33,
  GL_BLEND = 0x0BE2,
  GL_TEXTURE_2D = 0x0DE1,
  GL_UNSIGNED_BYTE = 0x1401,
  GL_MODELVIEW = 0x1700,
  GL_PROJECTION = 0x1701,
  GL_RGBA = 0x1908,
  GL_MODULATE = 0x2100,
  GL_TEXTURE_ENV_MODE = 0x2200,
  GL_TEXTURE_ENV = 0x2300,
  GL_NEAREST = 0x2600,
  GL_TEXTURE_MAG_FILTER = 0x2800,
  GL_TEXTURE_MIN_FILTER = 0x2801,
  GL_TEXTURE_WRAP_S = 0x2802,
  GL_TEXTURE_WRAP_T = 0x2803,
  GL_REPEAT = 0x2901,
  GL_BGRA = 0x80E1,
};
enum : GLbitfield {
  GL_DEPTH_BUFFER_BIT = 0x00000100,
  GL_COLOR_BUFFER_BIT = 0x00004000,
};

// Every function the driver calls, filled in by BindLibrary. The member
// names are the library's symbol names.
struct TGLApi {
  void (*glClearColor)(GLclampf, GLclampf, GLclampf, GLclampf);
  void (*glEnable)(GLenum);
  void (*glDisable)(GLenum);
  void (*glBlendFunc)(GLenum, GLenum);
  void (*glDepthFunc)(GLenum);
  void (*glMatrixMode)(GLenum);
  void (*glLoadIdentity)();
  void (*glViewport)(GLint, GLint, GLsizei, GLsizei);
  void (*glFrustum)(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble);
  void (*glClear)(GLbitfield);
  void (*glClearDepth)(GLclampd);
  void (*glTranslatef)(GLfloat, GLfloat, GLfloat);
  void (*glBindTexture)(GLenum, GLuint);
  void (*glTexParameteri)(GLenum, GLenum, GLint);
  void (*glTexEnvi)(GLenum, GLenum, GLint);
  void (*glTexImage2D)(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
  void (*glColor4ub)(GLubyte, GLubyte, GLubyte, GLubyte);
  void (*glBegin)(GLenum);
  void (*glEnd)();
  void (*glTexCoord2f)(GLfloat, GLfloat);
  void (*glVertex2i)(GLint, GLint);
  void (*glReadPixels)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);
  void (*glGetIntegerv)(GLenum, GLint*);
};

// The bound table; every entry is null until a bind succeeded.
const TGLApi& Api();

// Binds the OpenGL functions from the library `glName` (opened with dlopen)
// and opens `gluName` beside it when it is not null (nothing of it is used;
// a missing one is not an error). On failure returns false with one line
// naming the library or the first missing function in `error`, and leaves
// the driver unbound. A later successful bind replaces an earlier one.
bool BindLibrary(const char* glName, const char* gluName, std::string& error);

// Closes the libraries and clears the table (a test's clean start).
void Unbind();

// The texture edge for an image edge: 1, doubled until it is at least
// `imageEdge`. Returns 0 when no 16-bit power of two is large enough (the
// doubling would wrap around); no texture is made then.
uint16_t TextureEdge(uint32_t imageEdge);

// Lays out a 24-bit image (three bytes per pixel, blue, green, red in
// memory, rows `pitch` bytes apart) as texW x texH BGRA pixels: alpha 0 for
// pure black and for the padding right of and below the image, 255 for
// every other pixel. Needs texW >= width, texH >= height and
// pitch >= 3 * width.
std::vector<uint8_t> BuildTextureBuffer(const uint8_t* pixels, uint16_t width, uint16_t height,
                                        uint32_t pitch, uint16_t texW, uint16_t texH);

}  // namespace game::gl
