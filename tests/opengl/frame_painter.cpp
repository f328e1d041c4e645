// Draws one fixed frame through the engine's operations in the driver named
// on the command line and saves the picture as a PPM file:
//   opengl_frame_painter fb|gl <picture.ppm>
// The OpenGL run needs DISPLAY; the frame-buffer run works with SDL's dummy
// video driver.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/game.h"
#include "tests/opengl/gl_fixture.h"
#include "tests/opengl/test_images.h"

namespace {

using namespace vxtest;

// A 96 x 96 picture with black squares (transparent in OpenGL, opaque black
// in the frame buffer's plain Draw) over colour gradients.
TRgb Tiles(int x, int y) {
  if ((x / 24 + y / 24) % 2 == 0 && x < 72) return {0, 0, 0};
  return {uint8_t(40 + 2 * x), uint8_t(30 + 2 * y), uint8_t(255 - x - y)};
}

TRgb Odd(int x, int y) { return {uint8_t(20 + 30 * x), uint8_t(40 + 35 * y), uint8_t(200 - 9 * x * y)}; }

void WriteAssets(const std::string& dir) {
  WriteSprite(dir, "tiles", 96, 96, Tiles);
  WriteSprite(dir, "odd", 7, 5, Odd);
  WriteFont(dir, "font");
}

void DrawScene() {
  const uint16_t tiles = game::LoadSprite("tiles", game::RGB(0, 0, 0));
  const uint16_t odd = game::LoadSprite("odd", game::RGB(0, 0, 0));
  const uint16_t font = game::LoadFont("font");
  game::FillRect(0, 0, 800, 600, game::RGB(40, 60, 90));
  game::FillRect(0, 0, 400, 300, game::RGB(180, 160, 20));
  game::Draw(20, 20, tiles);
  game::DrawKeyed(140, 20, tiles);
  game::DrawAlpha(260, 20, tiles, 128);
  game::DrawAlpha(360, 20, tiles, 200);
  game::DrawAlpha(460, 20, tiles, 0);
  game::Draw(200, 90, tiles);  // over the earlier sprites
  for (int i = 0; i < 5; ++i) game::Draw(int16_t(30 + 11 * i), int16_t(200 + 3 * i), odd);
  game::FillRect(100, 250, 300, 100, game::RGBA(255, 128, 0, 128));
  game::FillRect(350, 280, 200, 150, game::RGBA(20, 200, 240, 77));
  game::FillRect(600, 400, 50, 50, game::RGBA(255, 255, 255, 0));
  game::DrawText(40, 420, font, 255, "Hello, world");
  game::DrawText(40, 440, font, 128, "Translucent");
  game::DrawText(380, 300, font, 200, "over a fill");
  // Clipped at every edge.
  game::Draw(-30, 550, tiles);
  game::DrawKeyed(760, -20, tiles);
  game::DrawAlpha(740, 560, tiles, 160);
  game::DrawText(770, 590, font, 255, "edge");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "fb") != 0 && std::strcmp(argv[1], "gl") != 0)) {
    std::fprintf(stderr, "usage: opengl_frame_painter fb|gl <picture.ppm>\n");
    return 2;
  }
  const game::TVideoDriver driver = std::strcmp(argv[1], "gl") == 0 ? game::vdOpenGL : game::vdFrameBuffer;
  const std::string dir = MakeScratchInstall(std::string("painter-") + argv[1]);
  int status = 0;
  std::string error;
  if (OpenEngine(driver, dir, 800, 600, error)) {
    WriteAssets(dir);
    DrawScene();
    const TPicture picture = ReadPicture(driver);
    if (picture.Width != 800 || picture.Height != 600 || !WritePpm(argv[2], picture)) {
      std::fprintf(stderr, "no picture to save\n");
      status = 1;
    }
    CloseEngine();
  } else {
    std::fprintf(stderr, "%s\n", error.c_str());
    status = 1;
  }
  RemoveScratchInstall(dir);
  return status;
}
