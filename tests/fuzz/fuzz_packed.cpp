// The packed-file reader as the game uses it: UnpackDataFile into the
// scratch file, checked against a plain whole-buffer reading of the format.
#include <filesystem>
#include <vector>

#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "resources/startup.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr size_t HeaderSize = 12;

// The format read the simplest way: every byte restored at its position,
// CRC over the three extension bytes and the body.
bool Expected(const uint8_t* data, size_t size, std::string& body) {
  uint16_t crc = 0xFFFF;
  for (uint32_t i = 0; i < 3; ++i) {
    uint8_t value = data[9 + i];
    resources::UnscrambleByte(i, value);
    resources::Crc16Update(value, crc);
  }
  body.assign(reinterpret_cast<const char*>(data) + HeaderSize, size - HeaderSize);
  for (size_t k = 0; k < body.size(); ++k) {
    uint8_t value = static_cast<uint8_t>(body[k]);
    resources::UnscrambleByte(static_cast<uint32_t>(k + 1), value);
    resources::Crc16Update(value, crc);
    body[k] = static_cast<char>(value);
  }
  return crc == (data[7] | (data[8] << 8));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  resources::ProgramDir = fuzz::WorkDir();
  std::filesystem::create_directories(resources::ProgramDir + "Maps");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string packed = resources::ProgramDir + "Maps/fuzz.dat";
  fuzz::WriteFile(packed, data, size);
  std::filesystem::remove(resources::ScratchFilePath());
  bool verdict = false;
  try {
    verdict = resources::UnpackDataFile(packed);
  } catch (const resources::IoError&) {
    if (size >= HeaderSize) fuzz::Broken("a packed file with a whole header was refused");
    if (std::filesystem::exists(resources::ScratchFilePath())) fuzz::Broken("a refused file left a scratch file");
    return 0;
  }
  if (size < HeaderSize) fuzz::Broken("a file shorter than the header unpacked");
  std::string body;
  const bool expected = Expected(data, size, body);
  if (verdict != expected) fuzz::Broken("checksum verdict differs from the plain reading");
  if (fuzz::ReadFile(resources::ScratchFilePath()) != body) fuzz::Broken("scratch file differs from the plain reading");
  return 0;
}
