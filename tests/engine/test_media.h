// Small media files made in code for the engine's tests and benchmark:
// 24-bit BMP pictures, font files (a BMP followed by its glyph table), WAV
// samples.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace testmedia {

struct TRgb {
  uint8_t r, g, b;
  bool operator==(const TRgb&) const = default;
};

// A picture of w x h pixels, row 0 at the top.
struct TPicture {
  int w = 0;
  int h = 0;
  std::vector<TRgb> pixels;

  TPicture(int width, int height, TRgb fill = {0, 0, 0}) : w(width), h(height), pixels(static_cast<size_t>(width) * height, fill) {}
  TRgb& at(int x, int y) { return pixels[static_cast<size_t>(y) * w + x]; }
  const TRgb& at(int x, int y) const { return pixels[static_cast<size_t>(y) * w + x]; }
  void Fill(int x0, int y0, int width, int height, TRgb colour) {
    for (int y = y0; y < y0 + height; ++y) {
      for (int x = x0; x < x0 + width; ++x) at(x, y) = colour;
    }
  }
};

inline void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// The picture as a 24-bit BMP file: bottom-up rows of blue, green, red,
// each row padded to a multiple of four bytes.
inline std::vector<uint8_t> Bmp24(const TPicture& picture) {
  const uint32_t rowBytes = (static_cast<uint32_t>(picture.w) * 3 + 3) & ~3u;
  const uint32_t dataBytes = rowBytes * static_cast<uint32_t>(picture.h);
  const uint32_t headerBytes = 14 + 40;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  PutLe(out, headerBytes + dataBytes, 4);
  PutLe(out, 0, 4);
  PutLe(out, headerBytes, 4);
  PutLe(out, 40, 4);  // BITMAPINFOHEADER
  PutLe(out, static_cast<uint32_t>(picture.w), 4);
  PutLe(out, static_cast<uint32_t>(picture.h), 4);
  PutLe(out, 1, 2);   // planes
  PutLe(out, 24, 2);  // bits per pixel
  PutLe(out, 0, 4);   // no compression
  PutLe(out, dataBytes, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (int y = picture.h - 1; y >= 0; --y) {
    const size_t rowStart = out.size();
    for (int x = 0; x < picture.w; ++x) {
      const TRgb& p = picture.at(x, y);
      out.push_back(p.b);
      out.push_back(p.g);
      out.push_back(p.r);
    }
    out.resize(rowStart + rowBytes, 0);
  }
  return out;
}

// One glyph table record: x, y, w, h as written to the file (all 32 bits).
using TGlyphRecord = std::array<uint32_t, 4>;
using TGlyphTable = std::array<TGlyphRecord, 128>;

// A font file: the picture as a BMP, `gap` ignored bytes, then the table.
inline std::vector<uint8_t> FontFile(const TPicture& picture, const TGlyphTable& table, size_t gap = 0) {
  std::vector<uint8_t> out = Bmp24(picture);
  out.resize(out.size() + gap, 0xAB);
  for (const TGlyphRecord& record : table) {
    for (uint32_t value : record) PutLe(out, value, 4);
  }
  return out;
}

// A WAV file of `ms` milliseconds of a quiet square wave, 22050 Hz, 16-bit
// stereo (the mixer's own format, so it needs no conversion).
inline std::vector<uint8_t> Wav(int ms) {
  const uint32_t frames = static_cast<uint32_t>(22050 * static_cast<int64_t>(ms) / 1000);
  const uint32_t dataBytes = frames * 4;
  std::vector<uint8_t> out{'R', 'I', 'F', 'F'};
  PutLe(out, 36 + dataBytes, 4);
  for (char c : std::string("WAVEfmt ")) out.push_back(static_cast<uint8_t>(c));
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, 2, 2);  // stereo
  PutLe(out, 22050, 4);
  PutLe(out, 22050 * 4, 4);
  PutLe(out, 4, 2);
  PutLe(out, 16, 2);
  for (char c : std::string("data")) out.push_back(static_cast<uint8_t>(c));
  PutLe(out, dataBytes, 4);
  for (uint32_t i = 0; i < frames; ++i) {
    const uint16_t sample = (i / 50) % 2 ? 0x0400 : 0xFC00;
    PutLe(out, sample, 2);
    PutLe(out, sample, 2);
  }
  return out;
}

// The whole-file writer the suites share: makes the folders on the way,
// throws when it cannot write.
using vxtest::WriteFile;

}  // namespace testmedia
