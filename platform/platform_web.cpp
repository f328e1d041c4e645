// The browser side of the platform seam (Emscripten). One page runs one
// copy of the game, on an in-memory file system that the page fills from
// its data package, with no signals and no other processes to share with.
#include <emscripten.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/platform.h"

namespace platform {

namespace {

// Where the page mounts the data package: the game's installation folder.
constexpr const char* InstallationFolder = "/vexmoor/";
constexpr const char* ProgramName = "vexmoor";
constexpr uint32_t ShortestTimerUs = 1000;
// getentropy gives at most this many bytes a call.
constexpr size_t EntropyChunk = 256;

}  // namespace

uint64_t MonotonicMicroseconds() { return static_cast<uint64_t>(emscripten_get_now() * 1000.0); }

uint32_t WallClockSeconds() { return static_cast<uint32_t>(::time(nullptr)); }

void SleepMicroseconds(uint32_t microseconds) {
  if (microseconds >= ShortestTimerUs) {
    // Under Asyncify: the page runs its events and draws the canvas meanwhile.
    emscripten_sleep(microseconds / 1000);
    return;
  }
  const double until = emscripten_get_now() + microseconds / 1000.0;
  while (emscripten_get_now() < until) {
  }
}

void CatchTerminationSignals() {}
bool TerminationRequested() { return false; }
void ClearTermination() {}

std::string NoDisplayReason() { return ""; }

std::string ExecutablePath() { return std::string(InstallationFolder) + ProgramName; }

TLockHandle LockFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT, 0666);
  return fd;
}

// Only a sweep for the directories of killed copies asks for it, and the
// page's file system starts empty with every page: nothing was left there.
TLockHandle LockExistingFile(const std::string&) { return -1; }

bool LockedFileIsNamed(TLockHandle lock, const std::string& path) {
  struct stat named;
  return lock >= 0 && ::stat(path.c_str(), &named) == 0;
}

void UnlockFile(TLockHandle lock) {
  if (lock >= 0) ::close(lock);
}

bool FileIsLocked(const std::string&) { return false; }

std::string MakeUniqueDirectory(const std::string& parent, const std::string& prefix, std::string& reason) {
  std::string pattern = parent + prefix + "XXXXXX";
  if (::mkdtemp(pattern.data()) != nullptr) return pattern;
  reason = std::strerror(errno);
  return std::string();
}

bool OwnedByThisUser(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

bool PrivateDirectoryOfThisUser(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool RandomBytes(void* bytes, size_t count) {
  auto* at = static_cast<unsigned char*>(bytes);
  while (count > 0) {
    const size_t n = count < EntropyChunk ? count : EntropyChunk;
    if (::getentropy(at, n) != 0) return false;
    at += n;
    count -= n;
  }
  return true;
}

uint32_t ProcessId() { return 1; }

}  // namespace platform
