// Writing pictures as PNG files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace replay {

// Writes 8-bit RGB rows (top to bottom, width * height * 3 bytes) as a PNG
// file. The picture goes to a temporary file beside `path` that replaces
// `path` only when complete. Returns an empty string on success, otherwise
// a one-line reason naming the path; nothing is left behind then.
std::string WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height);

// Reads a PNG file as 8-bit RGB rows (for tests and checks). Returns an
// empty string on success, otherwise a one-line reason naming the path.
std::string ReadPng(const std::string& path, std::vector<uint8_t>& rgb, int& width, int& height);

}  // namespace replay
