// The Linux side of the platform seam.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace platform {

namespace {

volatile std::sig_atomic_t TerminationSignal = 0;

// The first signal only raises the flag. A second one before the first was
// served means the program is not getting back to its loop (stuck inside a
// library call, such as a video mode waiting for a window manager that
// never maps the window): that one ends the process the ordinary way.
void OnTerminationSignal(int signal) {
  if (TerminationSignal != 0) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  TerminationSignal = 1;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

int OpenAndLock(const std::string& path, int extraFlags) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | extraFlags, 0666);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

uint64_t MonotonicMicroseconds() {
  timespec now;
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_nsec) / 1000u;
}

uint32_t WallClockSeconds() { return static_cast<uint32_t>(::time(nullptr)); }

void SleepMicroseconds(uint32_t microseconds) {
  const timespec request{static_cast<time_t>(microseconds / 1000000), static_cast<long>(microseconds % 1000000) * 1000};
  // Not resumed after a signal: the loop then sees the quit at once.
  ::nanosleep(&request, nullptr);
}

// SDL's own SIGINT/SIGTERM handler posts a quit event from inside the
// signal, which deadlocks when the signal lands while the main thread holds
// the event queue's lock in SDL_PollEvent (which the loop does every pass);
// SIGHUP would end the game on the spot and SIGQUIT goes to SDL. This
// handler only raises a flag.
void CatchTerminationSignals() {
  struct sigaction action = {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  // A file read that the signal lands in carries on instead of failing.
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) ::sigaction(signal, &action, nullptr);
}

bool TerminationRequested() { return TerminationSignal != 0; }
void ClearTermination() { TerminationSignal = 0; }

std::string NoDisplayReason() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
  };
  if (set("SDL_VIDEODRIVER") || set("DISPLAY") || set("WAYLAND_DISPLAY")) return "";
  return "no display found (DISPLAY and WAYLAND_DISPLAY are unset); set SDL_VIDEODRIVER to choose a video "
         "driver, e.g. SDL_VIDEODRIVER=dummy";
}

// The buffer grows until the whole path fits: readlink gives no length,
// only a full buffer.
std::string ExecutablePath() {
  for (size_t size = PATH_MAX;; size *= 2) {
    std::string buffer(size, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0) return std::string();
    if (static_cast<size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<size_t>(length));
      return buffer;
    }
  }
}

TLockHandle LockFile(const std::string& path) { return OpenAndLock(path, O_CREAT); }

TLockHandle LockExistingFile(const std::string& path) { return OpenAndLock(path, 0); }

bool LockedFileIsNamed(TLockHandle lock, const std::string& path) {
  struct stat held, named;
  return lock >= 0 && ::fstat(lock, &held) == 0 && ::stat(path.c_str(), &named) == 0 && SameFile(held, named);
}

void UnlockFile(TLockHandle lock) {
  // Closing the last descriptor of the open file releases its lock.
  if (lock >= 0) ::close(lock);
}

bool FileIsLocked(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

std::string MakeUniqueDirectory(const std::string& parent, const std::string& prefix, std::string& reason) {
  std::string pattern = parent + prefix + "XXXXXX";
  if (::mkdtemp(pattern.data()) != nullptr) return pattern;
  reason = std::strerror(errno);
  return std::string();
}

bool OwnedByThisUser(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && info.st_uid == ::geteuid();
}

bool PrivateDirectoryOfThisUser(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
         (info.st_mode & 077) == 0;
}

bool RandomBytes(void* bytes, size_t count) {
  return ::getrandom(bytes, count, GRND_NONBLOCK) == static_cast<ssize_t>(count);
}

uint32_t ProcessId() { return static_cast<uint32_t>(::getpid()); }

}  // namespace platform
