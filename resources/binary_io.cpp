#include "resources/binary_io.h"

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"

namespace resources {

// File offsets are off_t, which the build makes 64 bits wide on 32-bit
// systems too (_FILE_OFFSET_BITS=64); a long there would stop at 2 GiB.
static_assert(sizeof(off_t) == 8, "the build must define _FILE_OFFSET_BITS=64");

namespace {

constexpr const char* PartialSuffix = ".part-";
constexpr size_t PartialNameLetters = 12;
constexpr int PartialNameAttempts = 100;

std::string SystemReason() { return std::strerror(errno); }

// Letters for a partial file's name that nobody can guess in advance.
std::string RandomLetters(size_t count) {
  static const char Alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::vector<unsigned char> noise(count);
  if (!platform::RandomBytes(noise.data(), noise.size())) {
    // No entropy source: still unique within this process and unlikely
    // elsewhere; exclusive creation keeps it safe either way.
    static unsigned counter = 0;
    uint64_t mix = platform::MonotonicMicroseconds() ^ (static_cast<uint64_t>(platform::WallClockSeconds()) << 20) ^
                   (static_cast<uint64_t>(platform::ProcessId()) << 40) ^ (++counter * 0x9E3779B97F4A7C15ull);
    for (unsigned char& c : noise) {
      mix = mix * 6364136223846793005ull + 1442695040888963407ull;
      c = static_cast<unsigned char>(mix >> 56);
    }
  }
  std::string letters;
  for (unsigned char c : noise) letters += Alphabet[c % (sizeof Alphabet - 1)];
  return letters;
}

// Creates a new file beside `path`, named path + ".part-" + random letters,
// exclusively and without following a link (mode 0666 less the umask, as
// the finished file will have). Returns its descriptor and sets `name`.
int CreatePartialFile(const std::string& path, std::string& name) {
  for (int attempt = 0; attempt < PartialNameAttempts; ++attempt) {
    name = path + PartialSuffix + RandomLetters(PartialNameLetters);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

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

LeWriter::LeWriter(const std::string& path) : path_(path), file_(nullptr), committed_(false) {
  const int fd = CreatePartialFile(path, temporary_);
  if (fd < 0) throw IoError(path, SystemReason());
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    const std::string reason = SystemReason();
    ::close(fd);
    ::unlink(temporary_.c_str());
    throw IoError(path, reason);
  }
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
