#include "resources/binary_io.h"

#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace resources {

// File offsets are off_t, which the build makes 64 bits wide on 32-bit
// systems too (_FILE_OFFSET_BITS=64); a long there would stop at 2 GiB.
static_assert(sizeof(off_t) == 8, "the build must define _FILE_OFFSET_BITS=64");

namespace {

std::string SystemReason() { return std::strerror(errno); }

}  // namespace

IoError::IoError(const std::string& path, const std::string& reason)
    : std::runtime_error(path + ": " + reason), path_(path), reason_(reason) {}

LeReader::LeReader(const std::string& path) : path_(path), file_(nullptr), size_(0), position_(0) {
  file_ = std::fopen(path.c_str(), "rb");
  if (file_ == nullptr) throw IoError(path, SystemReason());
  if (fseeko(file_, 0, SEEK_END) != 0) {
    const std::string reason = SystemReason();
    std::fclose(file_);
    throw IoError(path, reason);
  }
  const off_t end = ftello(file_);
  if (end < 0 || fseeko(file_, 0, SEEK_SET) != 0) {
    const std::string reason = SystemReason();
    std::fclose(file_);
    throw IoError(path, reason);
  }
  size_ = static_cast<uint64_t>(end);
}

LeReader::~LeReader() {
  if (file_ != nullptr) std::fclose(file_);
}

void LeReader::Seek(uint64_t position) {
  if (position > size_) throw IoError(path_, "seek past the end of the file");
  if (fseeko(file_, static_cast<off_t>(position), SEEK_SET) != 0) throw IoError(path_, SystemReason());
  position_ = position;
}

void LeReader::ReadBytes(void* destination, size_t count) {
  if (count > Remaining()) throw IoError(path_, "file is shorter than expected (short read)");
  if (count == 0) return;
  if (std::fread(destination, 1, count, file_) != count) {
    throw IoError(path_, std::ferror(file_) ? SystemReason() : "short read");
  }
  position_ += count;
}

uint8_t LeReader::ReadU8() {
  uint8_t value = 0;
  ReadBytes(&value, 1);
  return value;
}

uint16_t LeReader::ReadU16() {
  uint8_t bytes[2];
  ReadBytes(bytes, 2);
  return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t LeReader::ReadU32() {
  uint8_t bytes[4];
  ReadBytes(bytes, 4);
  return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
         (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

std::vector<uint8_t> LeReader::ReadVector(uint64_t count) {
  // Checked before allocating: a count read from a file must not size memory
  // beyond what the file can actually deliver.
  if (count > Remaining()) throw IoError(path_, "file is shorter than expected (short read)");
  // On a 32-bit system a file can hold more than one piece of memory can.
  std::vector<uint8_t> bytes;
  if (count > bytes.max_size()) {
    throw IoError(path_, std::to_string(count) + " bytes are too many to read into memory at once");
  }
  bytes.resize(static_cast<size_t>(count));
  ReadBytes(bytes.data(), bytes.size());
  return bytes;
}

LeWriter::LeWriter(const std::string& path)
    : path_(path), temporary_(path + ".part"), file_(nullptr), committed_(false) {
  file_ = std::fopen(temporary_.c_str(), "wb");
  if (file_ == nullptr) throw IoError(path, SystemReason());
}

LeWriter::~LeWriter() {
  if (file_ != nullptr) std::fclose(file_);
  if (!committed_) ::unlink(temporary_.c_str());
}

void LeWriter::WriteBytes(const void* source, size_t count) {
  if (file_ == nullptr) throw IoError(path_, "write after the file was closed");
  if (count == 0) return;
  if (std::fwrite(source, 1, count, file_) != count) throw IoError(path_, SystemReason());
}

void LeWriter::WriteU8(uint8_t value) { WriteBytes(&value, 1); }

void LeWriter::WriteU16(uint16_t value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
  WriteBytes(bytes, 2);
}

void LeWriter::WriteU32(uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  WriteBytes(bytes, 4);
}

void LeWriter::Commit() {
  if (file_ == nullptr) throw IoError(path_, "file already committed");
  const bool flushed = std::fflush(file_) == 0;
  const std::string flushReason = flushed ? "" : SystemReason();
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed) throw IoError(path_, flushReason);
  if (!closed) throw IoError(path_, SystemReason());
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0) throw IoError(path_, SystemReason());
  committed_ = true;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  LeReader reader(path);
  return reader.ReadVector(reader.Size());
}

void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  LeWriter writer(path);
  writer.WriteBytes(bytes);
  writer.Commit();
}

}  // namespace resources
