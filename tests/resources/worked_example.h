// What the resource tests share: a fresh temporary directory for one test,
// removed with everything in it, and a packed file worked out by hand.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// x.bmp holding "abc", packed.
inline const std::vector<uint8_t> WorkedExample = {0x44, 0x44, 0x44, 0x01, 0x00, 0x00, 0x00, 0x87,
                                                   0xC7, 0x9D, 0xA4, 0xF8, 0xA7, 0xD9, 0x72};

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vexmoor-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  // The directory with its final "/".
  std::string Slash() const { return path_ + "/"; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  static void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static std::vector<uint8_t> Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
};
