// The little-endian reader and writer behind every file format of the game
// (packed data files, font tables, maps), and the input/output failure that
// every plain file operation raises.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace resources {

// An input/output failure: the file concerned and the system's reason. It is
// caught once, at the top of a program, which reports it in one line.
class IoError : public std::runtime_error {
 public:
  IoError(const std::string& path, const std::string& reason);
  const std::string& Path() const { return path_; }
  const std::string& Reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

// Reads a file opened for reading only. Every read either delivers all the
// bytes it asks for or throws IoError("short read" / the system's reason);
// the stream is not usable after a failure.
class LeReader {
 public:
  // Opens the file; throws IoError when it cannot be opened.
  explicit LeReader(const std::string& path);
  ~LeReader();
  LeReader(const LeReader&) = delete;
  LeReader& operator=(const LeReader&) = delete;

  const std::string& Path() const { return path_; }
  // The file's size in bytes, taken when it was opened.
  uint64_t Size() const { return size_; }
  uint64_t Position() const { return position_; }
  // Bytes left between the position and the end of the file.
  uint64_t Remaining() const { return size_ - position_; }
  // Moves to an absolute position at or before the end; throws IoError past it.
  void Seek(uint64_t position);

  uint8_t ReadU8();
  uint16_t ReadU16();
  uint32_t ReadU32();
  int16_t ReadI16() { return static_cast<int16_t>(ReadU16()); }
  int32_t ReadI32() { return static_cast<int32_t>(ReadU32()); }
  void ReadBytes(void* destination, size_t count);
  // Reads count bytes; the count is checked against what the file still
  // holds before anything is allocated.
  std::vector<uint8_t> ReadVector(size_t count);

 private:
  std::string path_;
  std::FILE* file_;
  uint64_t size_;
  uint64_t position_;
};

// Writes a file as a whole: bytes go to a partial file beside the
// destination, and Commit renames it into place, so a failed or abandoned
// write never leaves a half-written destination behind. The partial file is
// path + ".part-" + random letters, created exclusively (never an existing
// file or a link) with mode 0666 less the umask.
class LeWriter {
 public:
  // Creates the partial file; throws IoError when it cannot be created.
  explicit LeWriter(const std::string& path);
  // Removes the partial file unless Commit succeeded.
  ~LeWriter();
  LeWriter(const LeWriter&) = delete;
  LeWriter& operator=(const LeWriter&) = delete;

  void WriteU8(uint8_t value);
  void WriteU16(uint16_t value);
  void WriteU32(uint32_t value);
  void WriteBytes(const void* source, size_t count);
  void WriteBytes(const std::vector<uint8_t>& bytes) { WriteBytes(bytes.data(), bytes.size()); }
  // Flushes, closes and moves the file into place; throws IoError on failure.
  void Commit();

 private:
  std::string path_;
  std::string temporary_;
  std::FILE* file_;
  bool committed_;
};

// Reads a whole file; throws IoError.
std::vector<uint8_t> ReadWholeFile(const std::string& path);
// Writes a whole file through LeWriter; throws IoError.
void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace resources
