#include "tests/opengl/test_images.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace vxtest {

namespace {

constexpr int kGlyphCount = 128;

void SaveBmp(const std::string& path, int w, int h, const TPainter& paint) {
  SDL_Surface* surface =
      SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
  if (surface == nullptr) throw std::runtime_error("cannot create a surface for " + path);
  auto* pixels = static_cast<uint8_t*>(surface->pixels);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const TRgb c = paint(x, y);
      uint8_t* p = pixels + y * surface->pitch + x * 3;
      p[0] = c.B;
      p[1] = c.G;
      p[2] = c.R;
    }
  }
  const int result = SDL_SaveBMP(surface, path.c_str());
  SDL_FreeSurface(surface);
  if (result != 0) throw std::runtime_error("cannot write " + path);
}

void PutLe32(std::ofstream& out, uint32_t value) {
  const char bytes[4] = {char(value & 0xFF), char((value >> 8) & 0xFF), char((value >> 16) & 0xFF),
                         char(value >> 24)};
  out.write(bytes, 4);
}

}  // namespace

void WriteSprite(const std::string& dir, const std::string& name, int w, int h,
                 const TPainter& paint) {
  SaveBmp(dir + "Sprites/" + name + ".bmp", w, h, paint);
}

void WritePalettedSprite(const std::string& dir, const std::string& name, int w, int h,
                         const TPainter& paint) {
  const std::string path = dir + "Sprites/" + name + ".bmp";
  SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 8, 0, 0, 0, 0);
  if (surface == nullptr) throw std::runtime_error("cannot create a surface for " + path);
  std::vector<SDL_Color> palette;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const TRgb c = paint(x, y);
      size_t index = 0;
      while (index < palette.size() &&
             !(palette[index].r == c.R && palette[index].g == c.G && palette[index].b == c.B)) {
        ++index;
      }
      if (index == palette.size()) {
        if (palette.size() == 256) throw std::runtime_error("too many colours for " + path);
        palette.push_back({c.R, c.G, c.B, 0});
      }
      static_cast<uint8_t*>(surface->pixels)[y * surface->pitch + x] = uint8_t(index);
    }
  }
  SDL_SetColors(surface, palette.data(), 0, int(palette.size()));
  const int result = SDL_SaveBMP(surface, path.c_str());
  SDL_FreeSurface(surface);
  if (result != 0) throw std::runtime_error("cannot write " + path);
}

TRgb FontPixel(int x, int y) {
  const int cell = x / kGlyphWidth;
  const int gx = x % kGlyphWidth;
  // A one-pixel black surround, strokes that differ per cell.
  if (gx == 0 || gx == kGlyphWidth - 1 || y == 0 || y == kGlyphHeight - 1) return {0, 0, 0};
  if ((gx + y + cell) % 3 == 0) return {0, 0, 0};
  return {uint8_t(120 + 20 * cell), uint8_t(200 - 7 * y), uint8_t(60 + 15 * gx)};
}

void WriteFont(const std::string& dir, const std::string& name) {
  const std::string path = dir + "Fonts/" + name + ".fnt";
  SaveBmp(path, kGlyphWidth * kGlyphCells, kGlyphHeight, FontPixel);
  std::ofstream out(path, std::ios::binary | std::ios::app);
  for (int c = 0; c < kGlyphCount; ++c) {
    PutLe32(out, (c % kGlyphCells) * kGlyphWidth);
    PutLe32(out, 0);
    PutLe32(out, kGlyphWidth);
    PutLe32(out, kGlyphHeight);
  }
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string MakeScratchInstall(const std::string& tag) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("vexmoor-" + tag + "-" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir / "Sprites");
  std::filesystem::create_directories(dir / "Fonts");
  std::filesystem::create_directories(dir / "Data");
  return dir.string() + "/";
}

void RemoveScratchInstall(const std::string& dir) {
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

TComparison ComparePictures(const TPicture& frameBuffer, const TPicture& openGL) {
  TComparison result;
  if (frameBuffer.Width != openGL.Width || frameBuffer.Height != openGL.Height) {
    result.BeyondTolerance = frameBuffer.Width * frameBuffer.Height;
    return result;
  }
  for (int y = 0; y < frameBuffer.Height; ++y) {
    for (int x = 0; x < frameBuffer.Width; ++x) {
      const TRgb a = frameBuffer.At(x, y), b = openGL.At(x, y);
      if (a == TRgb{0, 0, 0}) {
        ++result.BlackInFrameBuffer;
        if (!(b == TRgb{0, 0, 0})) ++result.ShownThrough;
        continue;
      }
      const int diff[3] = {std::abs(a.R - b.R), std::abs(a.G - b.G), std::abs(a.B - b.B)};
      bool beyond = false;
      for (int c = 0; c < 3; ++c) {
        result.Largest[c] = std::max(result.Largest[c], diff[c]);
        beyond = beyond || diff[c] > kFrameBufferTolerance[c];
      }
      if (beyond && result.BeyondTolerance++ == 0) {
        result.FirstBeyondX = x;
        result.FirstBeyondY = y;
      }
    }
  }
  return result;
}

std::string Describe(const TComparison& c) {
  std::string text = "largest difference R " + std::to_string(c.Largest[0]) + " G " +
                     std::to_string(c.Largest[1]) + " B " + std::to_string(c.Largest[2]) + "; " +
                     std::to_string(c.BeyondTolerance) + " pixels beyond the tolerance";
  if (c.BeyondTolerance > 0) {
    text += " (first at " + std::to_string(c.FirstBeyondX) + "," + std::to_string(c.FirstBeyondY) + ")";
  }
  return text + "; " + std::to_string(c.BlackInFrameBuffer) + " black frame-buffer pixels, " +
         std::to_string(c.ShownThrough) + " of them not black in OpenGL";
}

bool WritePpm(const std::string& path, const TPicture& picture) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << picture.Width << " " << picture.Height << "\n255\n";
  out.write(reinterpret_cast<const char*>(picture.Rgb.data()), std::streamsize(picture.Rgb.size()));
  return bool(out);
}

bool ReadPpm(const std::string& path, TPicture& picture) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  in >> magic >> picture.Width >> picture.Height >> maxValue;
  if (!in || magic != "P6" || maxValue != 255 || picture.Width <= 0 || picture.Height <= 0 ||
      picture.Width > 8192 || picture.Height > 8192) {
    return false;
  }
  in.get();
  picture.Rgb.resize(size_t(picture.Width) * picture.Height * 3);
  in.read(reinterpret_cast<char*>(picture.Rgb.data()), std::streamsize(picture.Rgb.size()));
  return bool(in);
}

}  // namespace vxtest
