#include "resources/datafile.h"


#include <algorithm>
#include <stdexcept>
#include <vector>

#include "resources/binary_io.h"
#include "resources/startup.h"

namespace resources {

namespace {

constexpr size_t HeaderSize = 12;
constexpr size_t ExtensionSize = 3;
constexpr uint16_t CrcStart = 0xFFFF;
constexpr uint16_t CrcPolynomial = 0xA001;
// Bytes of a packed body restored at a time.
constexpr size_t UnpackChunkSize = 64 * 1024;

uint8_t RotateRight(uint8_t value, unsigned bits) {
  bits &= 7;
  return static_cast<uint8_t>((value >> bits) | (value << ((8 - bits) & 7)));
}

uint8_t RotateLeft(uint8_t value, unsigned bits) {
  bits &= 7;
  return static_cast<uint8_t>((value << bits) | (value >> ((8 - bits) & 7)));
}

}  // namespace

void ScrambleByte(uint32_t position, uint8_t& value) {
  const unsigned c = position % 5;
  value = RotateLeft(static_cast<uint8_t>(~RotateRight(value, c)), 8 - c);
}

void UnscrambleByte(uint32_t position, uint8_t& value) {
  const unsigned c = position % 5;
  value = RotateLeft(static_cast<uint8_t>(~RotateRight(value, 8 - c)), c);
}

void Crc16Update(uint8_t value, uint16_t& crc) {
  crc ^= value;
  for (int bit = 0; bit < 8; ++bit) {
    if (crc & 1) {
      crc = static_cast<uint16_t>((crc >> 1) ^ CrcPolynomial);
    } else {
      crc = static_cast<uint16_t>(crc >> 1);
    }
  }
}

namespace {

bool Unpack(LeReader& packed, const std::string& outPath) {
  const std::string& path = packed.Path();
  if (packed.Size() < HeaderSize) throw IoError(path, "file is shorter than its 12-byte header");
  uint8_t header[HeaderSize];
  packed.ReadBytes(header, HeaderSize);
  const uint16_t checksum = static_cast<uint16_t>(header[7] | (header[8] << 8));

  uint16_t crc = CrcStart;
  for (uint32_t i = 0; i < ExtensionSize; ++i) {
    uint8_t value = header[9 + i];
    UnscrambleByte(i, value);
    Crc16Update(value, crc);
  }
  // The body streams through one chunk of memory, however long the file is:
  // its length comes from outside and must not size an allocation.
  LeWriter out(outPath);
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min<uint64_t>(UnpackChunkSize, packed.Remaining())));
  uint32_t position = 1;  // body byte k is restored at position k + 1
  while (packed.Remaining() > 0) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(chunk.size(), packed.Remaining()));
    packed.ReadBytes(chunk.data(), count);
    for (size_t k = 0; k < count; ++k) {
      UnscrambleByte(position++, chunk[k]);
      Crc16Update(chunk[k], crc);
    }
    out.WriteBytes(chunk.data(), count);
  }
  out.Commit();
  return crc == checksum;
}

}  // namespace

std::vector<uint8_t> ReadPackedStart(const std::string& path, size_t count, uint64_t& plainSize) {
  LeReader packed(path);
  if (packed.Size() < HeaderSize) throw IoError(path, "file is shorter than its 12-byte header");
  packed.Seek(HeaderSize);
  plainSize = packed.Remaining();
  std::vector<uint8_t> start = packed.ReadVector(std::min<uint64_t>(count, plainSize));
  uint32_t position = 1;  // as in Unpack: body byte k at position k + 1
  for (uint8_t& value : start) UnscrambleByte(position++, value);
  return start;
}

bool UnpackDataFileTo(const std::string& path, const std::string& outPath) {
  LeReader packed(path);
  return Unpack(packed, outPath);
}

bool UnpackDataFile(const std::string& path) {
  // The packed file is opened first, so a missing resource is reported as
  // itself rather than as a problem with the scratch directory.
  LeReader packed(path);
  try {
    return Unpack(packed, ScratchFilePath());
  } catch (const IoError& error) {
    if (error.Path() == path) throw;
    // The scratch file, or the directory for it, could not be had: the
    // report names the resource that needed the room first, then where it
    // was to go (a private directory is gone by the time it is read).
    throw IoError(path, "cannot unpack into " + error.Path() + ": " + error.Reason());
  }
}

std::string ResourcePath(const std::string& folder, const std::string& name, const std::string& looseExtension) {
  return ProgramDir + folder + name + (DevelopMode ? looseExtension : ".dat");
}

std::string ResourceFile(const std::string& folder, const std::string& name, const std::string& looseExtension) {
  if (DevelopMode) return ResourcePath(folder, name, looseExtension);
  // Every packed load reuses the one scratch file.
  UnpackDataFile(ResourcePath(folder, name, looseExtension));
  return ScratchFilePath();
}

bool PackDataFile(const std::string& sourcePath, const std::string& destDir) {
  const size_t slash = sourcePath.rfind('/');
  const std::string fileName = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
  // The format keeps exactly three extension characters and the destination
  // drops the last four characters of the name: anything but "stem.xyz"
  // would give a wrongly named or mislabelled file.
  if (fileName.size() < 5 || fileName[fileName.size() - 4] != '.' ||
      fileName.find('.', fileName.size() - 3) != std::string::npos) {
    throw std::invalid_argument(sourcePath + ": file name must end in a dot and a three-letter extension");
  }
  const std::string extension = fileName.substr(fileName.size() - 3);
  const std::string destination = destDir + fileName.substr(0, fileName.size() - 4) + ".dat";

  std::vector<uint8_t> body = ReadWholeFile(sourcePath);
  uint16_t crc = CrcStart;
  uint8_t header[HeaderSize] = {'D', 'D', 'D', 1, 0, 0, 0, 0, 0, 0, 0, 0};
  for (uint32_t i = 0; i < ExtensionSize; ++i) {
    uint8_t value = static_cast<uint8_t>(extension[i]);
    Crc16Update(value, crc);
    ScrambleByte(i, value);
    header[9 + i] = value;
  }
  for (size_t k = 0; k < body.size(); ++k) {
    Crc16Update(body[k], crc);
    ScrambleByte(static_cast<uint32_t>(k + 1), body[k]);
  }
  header[7] = static_cast<uint8_t>(crc);
  header[8] = static_cast<uint8_t>(crc >> 8);

  LeWriter writer(destination);
  writer.WriteBytes(header, HeaderSize);
  writer.WriteBytes(body);
  writer.Commit();
  return true;
}

}  // namespace resources
