#include "tools/replay/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace replay {

std::string WritePng(const std::string& path, const std::vector<uint8_t>& rgb, int width, int height) {
  if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3)
    return path + ": picture of " + std::to_string(width) + " x " + std::to_string(height) +
           " does not match its " + std::to_string(rgb.size()) + " bytes";
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  const std::string partial = path + ".partial";
  if (!png_image_write_to_file(&image, partial.c_str(), 0, rgb.data(), 0, nullptr)) {
    std::string reason = path + ": " + image.message;
    std::remove(partial.c_str());
    return reason;
  }
  if (std::rename(partial.c_str(), path.c_str()) != 0) {
    std::string reason = path + ": " + std::strerror(errno);
    std::remove(partial.c_str());
    return reason;
  }
  return "";
}

std::string ReadPng(const std::string& path, std::vector<uint8_t>& rgb, int& width, int& height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return path + ": " + image.message;
  image.format = PNG_FORMAT_RGB;
  rgb.assign(PNG_IMAGE_SIZE(image), 0);
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    std::string reason = path + ": " + image.message;
    png_image_free(&image);
    return reason;
  }
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return "";
}

}  // namespace replay
