// A fresh temporary directory for one test and whole-file helpers: the one
// place every suite gets its temporary directories from.
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace vxtest {

namespace fs = std::filesystem;

// A new directory "vexmoor-test-" + six letters (mode 0700) under `base`,
// by default the system's temporary directory ($TMPDIR, else /tmp), removed
// with everything in it when the object goes. Throws std::runtime_error
// with the system's reason when it cannot be made.
class TempDir {
 public:
  explicit TempDir(const fs::path& base = fs::temp_directory_path()) {
    std::string pattern = (base / "vexmoor-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("cannot make a temporary directory " + pattern + ": " + std::strerror(errno));
    }
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const fs::path& Path() const { return path_; }
  // The directory with its final "/", as ProgramDir and the like want it.
  std::string Slash() const { return path_.string() + "/"; }
  // The path of `name` (which may hold "/") inside the directory.
  std::string operator/(const std::string& name) const { return Slash() + name; }

 private:
  fs::path path_;
};

// Writes `bytes` as the whole file at `path`, making the folders on the way;
// throws std::runtime_error when it cannot.
inline void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The whole file at `path`; empty when it cannot be read.
inline std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace vxtest
