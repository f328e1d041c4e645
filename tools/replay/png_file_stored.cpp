// WritePng without libpng, for the replay tool's browser build, where no
// libpng is at hand: the rows go into the PNG stored, not compressed. Any
// PNG reader gives the same pixels as from libpng's file; only the size
// differs. (ReadPng is not part of that build.)
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/replay/png_file.h"

namespace replay {

namespace {

constexpr size_t StoredBlockMax = 65535;

uint32_t Crc(const uint8_t* bytes, size_t count, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < count; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBig32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
  PutBig32(out, static_cast<uint32_t>(body.size()));
  const size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), body.begin(), body.end());
  PutBig32(out, Crc(out.data() + start, out.size() - start));
}

// A zlib stream of stored deflate blocks holding `raw`.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& raw) {
  std::vector<uint8_t> out = {0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  size_t at = 0;
  do {
    const size_t n = std::min(StoredBlockMax, raw.size() - at);
    const bool last = at + n == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<uint8_t>(n));
    out.push_back(static_cast<uint8_t>(n >> 8));
    out.push_back(static_cast<uint8_t>(~n));
    out.push_back(static_cast<uint8_t>(~n >> 8));
    out.insert(out.end(), raw.begin() + at, raw.begin() + at + n);
    at += n;
  } while (at < raw.size());
  PutBig32(out, b << 16 | a);
  return out;
}

}  // namespace

std::string WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
  if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3)
    return path + ": picture of " + std::to_string(width) + " x " + std::to_string(height) +
           " does not match its " + std::to_string(rgb.size()) + " bytes";
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  std::vector<uint8_t> raw;
  raw.reserve((rowBytes + 1) * height);
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    raw.insert(raw.end(), rgb.begin() + y * rowBytes, rgb.begin() + (y + 1) * rowBytes);
  }
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBig32(header, static_cast<uint32_t>(width));
  PutBig32(header, static_cast<uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, no interlace
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", StoredZlib(raw));
  PutChunk(file, "IEND", {});

  const std::string partial = path + ".partial";
  FILE* out = std::fopen(partial.c_str(), "wb");
  if (out == nullptr) return path + ": " + std::strerror(errno);
  const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(out) == 0;
  if (!written || !closed) {
    std::remove(partial.c_str());
    return path + ": " + std::strerror(written ? errno : writeErrno);
  }
  if (std::rename(partial.c_str(), path.c_str()) != 0) {
    std::string reason = path + ": " + std::strerror(errno);
    std::remove(partial.c_str());
    return reason;
  }
  return "";
}

}  // namespace replay
