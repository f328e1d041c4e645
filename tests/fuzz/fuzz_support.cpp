#include "tests/fuzz/fuzz_support.h"

#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fuzz {

namespace {

std::string& Dir() {
  static std::string dir;
  return dir;
}

void RemoveWorkDir() {
  std::error_code ignored;
  std::filesystem::remove_all(Dir(), ignored);
}

}  // namespace

const std::string& WorkDir() {
  std::string& dir = Dir();
  if (dir.empty()) {
    // Memory-backed when there is a /dev/shm: every input is written once.
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                  : std::filesystem::temp_directory_path();
    std::string pattern = (base / "vexmoor-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) Broken("cannot create a work directory under " + base.string());
    dir = pattern + "/";
    std::atexit(RemoveWorkDir);
  }
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
