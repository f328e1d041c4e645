#include "tests/fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/temp_dir.h"

namespace fuzz {

const std::string& WorkDir() {
  // Memory-backed when there is a /dev/shm: every input is written once.
  // Made at the first call, removed when the process ends.
  static const std::string dir = [] {
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    try {
      static const vxtest::TempDir made(base);
      return made.Slash();
    } catch (const std::exception& error) {
      Broken(error.what());
    }
  }();
  return dir;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) Broken("cannot write " + path);
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  if (std::fclose(file) != 0 || !written) Broken("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Broken(const std::string& what) {
  std::fprintf(stderr, "fuzz: broken promise: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

}  // namespace fuzz
