#include "tools/assetgen/image.h"

#include <algorithm>
#include <stdexcept>

namespace assetgen {

namespace {

// Coverage below which an edge pixel of a keyed picture is dropped, and at or
// above which it keeps its full colour; in between it is shown darkened, as
// if laid over the black backdrop.
constexpr int kDropAlpha = 64;
constexpr int kSolidAlpha = 160;

// The darkest colour that survives a 5-6-5 screen.
constexpr uint8_t kLiftR = 8, kLiftG = 4, kLiftB = 8;

constexpr int kBmpHeaderSize = 54;

void Lift(uint8_t* p) {
  if (p[0] < kLiftR) p[0] = kLiftR;
  if (p[1] < kLiftG) p[1] = kLiftG;
  if (p[2] < kLiftB) p[2] = kLiftB;
}

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = v & 0xFF;
  out[at + 1] = (v >> 8) & 0xFF;
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = (v >> (8 * i)) & 0xFF;
}

uint32_t Get32(const std::vector<uint8_t>& in, size_t at) {
  return in[at] | (in[at + 1] << 8) | (in[at + 2] << 16) | (static_cast<uint32_t>(in[at + 3]) << 24);
}

size_t RowBytes(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3); }

}  // namespace

bool IsNearBlack(uint8_t r, uint8_t g, uint8_t b) {
  return r < kLiftR && g < kLiftG && b < kLiftB && (r | g | b) != 0;
}

Image Capture(cairo_surface_t* surface, Backdrop backdrop) {
  cairo_surface_flush(surface);
  Image image;
  image.width = cairo_image_surface_get_width(surface);
  image.height = cairo_image_surface_get_height(surface);
  image.rgb.assign(static_cast<size_t>(image.width) * image.height * 3, 0);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  for (int y = 0; y < image.height; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      const uint32_t argb = row[x];
      const int a = argb >> 24;
      int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;  // premultiplied
      uint8_t* p = image.At(x, y);
      if (backdrop == Backdrop::Opaque) {
        p[0] = r, p[1] = g, p[2] = b;
        Lift(p);
        continue;
      }
      if (a < kDropAlpha) continue;  // stays pure black
      if (a >= kSolidAlpha) {
        r = (r * 255 + a / 2) / a, g = (g * 255 + a / 2) / a, b = (b * 255 + a / 2) / a;
      }
      p[0] = r, p[1] = g, p[2] = b;
      Lift(p);
    }
  }
  DitherFor16Bit(image);
  return image;
}

void DitherFor16Bit(Image& image) {
  static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      uint8_t* p = image.At(x, y);
      if ((p[0] | p[1] | p[2]) == 0) continue;
      const int t = kBayer[y % 4][x % 4];
      // Five bits of red and blue drop 3 low bits (steps of 8), six of
      // green drop 2 (steps of 4).
      p[0] = static_cast<uint8_t>(std::min(255, p[0] + t / 2));
      p[1] = static_cast<uint8_t>(std::min(255, p[1] + t / 4));
      p[2] = static_cast<uint8_t>(std::min(255, p[2] + t / 2));
    }
  }
}

std::vector<uint8_t> EncodeBmp(const Image& image) {
  const size_t rowBytes = RowBytes(image.width);
  const size_t pixelBytes = rowBytes * image.height;
  std::vector<uint8_t> out(kBmpHeaderSize + pixelBytes, 0);
  out[0] = 'B', out[1] = 'M';
  Put32(out, 2, static_cast<uint32_t>(out.size()));
  Put32(out, 10, kBmpHeaderSize);
  Put32(out, 14, 40);  // BITMAPINFOHEADER
  Put32(out, 18, image.width);
  Put32(out, 22, image.height);  // positive: bottom-up
  Put16(out, 26, 1);             // planes
  Put16(out, 28, 24);            // bits per pixel
  Put32(out, 30, 0);             // BI_RGB
  Put32(out, 34, static_cast<uint32_t>(pixelBytes));
  Put32(out, 38, 2835);  // 72 dots per inch
  Put32(out, 42, 2835);
  for (int y = 0; y < image.height; ++y) {
    uint8_t* row = &out[kBmpHeaderSize + rowBytes * (image.height - 1 - y)];
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.At(x, y);
      row[x * 3] = p[2], row[x * 3 + 1] = p[1], row[x * 3 + 2] = p[0];
    }
  }
  return out;
}

Image DecodeBmp(const std::vector<uint8_t>& bytes, const std::string& what) {
  if (bytes.size() < kBmpHeaderSize || bytes[0] != 'B' || bytes[1] != 'M') {
    throw std::runtime_error(what + ": not a BMP file");
  }
  const uint32_t offset = Get32(bytes, 10);
  const int32_t width = static_cast<int32_t>(Get32(bytes, 18));
  const int32_t rawHeight = static_cast<int32_t>(Get32(bytes, 22));
  const int bits = bytes[28] | (bytes[29] << 8);
  if (bits != 24 || Get32(bytes, 30) != 0 || width <= 0 || width > 16384 || rawHeight == 0 ||
      rawHeight > 16384 || rawHeight < -16384) {
    throw std::runtime_error(what + ": not an uncompressed 24-bit BMP");
  }
  const int height = rawHeight < 0 ? -rawHeight : rawHeight;
  const size_t rowBytes = RowBytes(width);
  if (offset > bytes.size() || bytes.size() - offset < rowBytes * height) {
    throw std::runtime_error(what + ": BMP pixel data is cut short");
  }
  Image image;
  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const int fileRow = rawHeight > 0 ? height - 1 - y : y;
    const uint8_t* row = &bytes[offset + rowBytes * fileRow];
    for (int x = 0; x < width; ++x) {
      uint8_t* p = image.At(x, y);
      p[0] = row[x * 3 + 2], p[1] = row[x * 3 + 1], p[2] = row[x * 3];
    }
  }
  return image;
}

}  // namespace assetgen
