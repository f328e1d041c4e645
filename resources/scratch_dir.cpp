// Where this process unpacks: "Data/" under ProgramDir while this copy holds
// that directory's lock, a private directory of its own otherwise. Two
// copies started from one installation, or a copy started from a read-only
// one, never share or need a scratch file in the installation.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "resources/startup.h"

namespace resources {

const char* const ScratchFileName = "data.dat";
const char* const MusicFileName = "temp.dat";
const char* const DataDirectoryName = "Data";
const char* const LockFileName = ".lock";

namespace {

constexpr const char* PrivateDirectoryPrefix = "vexmoor-";
constexpr size_t PrivateDirectoryLetters = 6;
// How often a lock file that its holder removed on the way out is taken
// again before this copy settles for a private directory.
constexpr int LockAttempts = 8;

struct TScratch {
  std::string programDir;  // the ProgramDir the choice was made for
  std::string directory;   // with its final "/"; empty until a choice is made
  bool isPrivate = false;
  platform::TLockHandle lockFd = -1;
  std::string lockPath;
};

TScratch Scratch;
bool CleanUpAtExit = false;

// Takes the lock on dataDir's lock file, creating both when missing, and
// hands back the open lock file; false when the directory cannot be made or
// written, or another copy holds it.
bool TakeDataDirectory(const std::string& dataDir, platform::TLockHandle& lockFd, std::string& lockPath) {
  // Another copy creating Data/ at the same moment is no failure.
  if (::mkdir(dataDir.c_str(), 0777) != 0 && errno != EEXIST) return false;
  struct stat info;
  if (::stat(dataDir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return false;
  if (::faccessat(AT_FDCWD, dataDir.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return false;
  lockPath = dataDir + "/" + LockFileName;
  for (int attempt = 0; attempt < LockAttempts; ++attempt) {
    const platform::TLockHandle lock = platform::LockFile(lockPath);
    if (lock < 0) return false;
    // The holder before us unlinks the lock file while still holding it: a
    // lock taken on a file that is no longer the one under that name guards
    // nothing, so take the one that is there now.
    if (platform::LockedFileIsNamed(lock, lockPath)) {
      lockFd = lock;
      return true;
    }
    platform::UnlockFile(lock);
  }
  return false;
}


bool IsScratchName(const char* name) {
  // The files and the safe writer's partial files of either ("data.dat.part-...").
  for (const char* file : {ScratchFileName, MusicFileName}) {
    if (std::strncmp(name, file, std::strlen(file)) == 0) return true;
  }
  return false;
}

// Unlinks every entry of `directory` for which `wanted` holds.
template <typename Wanted>
void RemoveEntries(const std::string& directory, Wanted wanted) {
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return;
  // Names are collected first: unlinking while reading may skip entries.
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0 && wanted(entry->d_name))
      names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  for (const std::string& name : names) ::unlink((directory + name).c_str());
}

// The places private directories are made in, in order of preference:
// $XDG_RUNTIME_DIR, $TMPDIR and /tmp, each with one final "/" (relative or
// empty settings are passed over, a place named twice counts once).
std::vector<std::string> PrivateDirectoryBases() {
  std::vector<std::string> bases;
  const char* const settings[] = {std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR"), "/tmp"};
  for (const char* base : settings) {
    if (base == nullptr || base[0] != '/') continue;
    std::string parent = base;
    while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
    if (parent != "/") parent += '/';
    if (std::find(bases.begin(), bases.end(), parent) == bases.end()) bases.push_back(parent);
  }
  return bases;
}

// "vexmoor-" and the six letters or digits MakeUniqueDirectory adds: the
// names of private directories and nothing longer or shorter.
bool IsPrivateDirectoryName(const char* name) {
  const size_t prefixLength = std::strlen(PrivateDirectoryPrefix);
  if (std::strncmp(name, PrivateDirectoryPrefix, prefixLength) != 0) return false;
  const char* rest = name + prefixLength;
  if (std::strlen(rest) != PrivateDirectoryLetters) return false;
  return std::all_of(rest, rest + PrivateDirectoryLetters,
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// What a copy of the game puts in its private directory: the scratch files,
// their partial files and the lock file, all plain files.
bool HoldsOnlyScratchFiles(const std::string& directory, std::vector<std::string>& names) {
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return false;
  bool expected = true;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    struct stat info;
    const std::string path = directory + entry->d_name;
    if ((!IsScratchName(entry->d_name) && std::strcmp(entry->d_name, LockFileName) != 0) ||
        ::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      expected = false;
      break;
    }
    names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  return expected;
}

// Removes the private directory `directory` (with its final "/") of a copy
// that is no longer running: only when it is this user's and closed to
// others, its lock file is there and nobody holds it, and it holds nothing
// but what a copy writes there. A directory without a lock file is left
// alone: it is being made right now, or was made by a copy that did not
// lock its directories.
void ReclaimIfAbandoned(const std::string& directory) {
  // Asked without the final "/", which would follow a symbolic link.
  if (!platform::PrivateDirectoryOfThisUser(directory.substr(0, directory.size() - 1))) return;
  const std::string lockPath = directory + LockFileName;
  const platform::TLockHandle lock = platform::LockExistingFile(lockPath);
  if (lock < 0) return;
  std::vector<std::string> names;
  // Another sweep that got here first has unlinked the lock file while
  // holding it: then the directory is that sweep's to remove.
  if (platform::LockedFileIsNamed(lock, lockPath) && HoldsOnlyScratchFiles(directory, names)) {
    for (const std::string& name : names) {
      if (name != LockFileName) ::unlink((directory + name).c_str());
    }
    ::unlink(lockPath.c_str());
    ::rmdir(directory.c_str());
  }
  platform::UnlockFile(lock);
}

// A new private directory under the first base where one can be made and
// its lock taken; the lock stays held in `lockFd`. A sweep by another copy
// may remove a directory between its making and the taking of its lock:
// then a new one is made. Throws IoError when no base gives one.
std::string MakeLockedPrivateDirectory(platform::TLockHandle& lockFd) {
  std::string failedAt = "/tmp";
  std::string reason = "no directory for scratch files";
  for (const std::string& parent : PrivateDirectoryBases()) {
    for (int attempt = 0; attempt < LockAttempts; ++attempt) {
      const std::string made = platform::MakeUniqueDirectory(parent, PrivateDirectoryPrefix, reason);
      if (made.empty()) {
        failedAt = parent + PrivateDirectoryPrefix + "XXXXXX";
        break;
      }
      const std::string lockPath = made + "/" + LockFileName;
      const platform::TLockHandle lock = platform::LockFile(lockPath);
      if (lock >= 0 && platform::LockedFileIsNamed(lock, lockPath)) {
        lockFd = lock;
        return made + "/";
      }
      failedAt = lockPath;
      reason = lock >= 0 ? "the directory was removed while it was being made" : "cannot take its lock";
      platform::UnlockFile(lock);
      // Gone already when a sweep took it; otherwise empty or a lock file
      // that nobody holds, which the next sweep reclaims.
      ::rmdir(made.c_str());
    }
  }
  throw IoError(failedAt, reason);
}

// Gives up the current choice: its files go, a private directory goes with
// them, and the lock on Data/ is released. Never throws.
void Release() {
  if (Scratch.directory.empty()) return;
  if (Scratch.isPrivate) {
    // Nobody else writes here: everything in it is this process's. The lock
    // file goes with the rest, and the lock is given up only once the
    // directory is gone, so that no sweep of another copy meets it half
    // emptied.
    RemoveEntries(Scratch.directory, [](const char*) { return true; });
    ::rmdir(Scratch.directory.c_str());
    platform::UnlockFile(Scratch.lockFd);
  } else {
    // Only the lock holder writes scratch files here, so the partial files
    // left by a holder that was killed are this one's to remove as well.
    RemoveEntries(Scratch.directory, IsScratchName);
    // Unlinked while still held: a copy that opened the file just before
    // sees that it is gone once it gets the lock, and takes a new one.
    ::unlink(Scratch.lockPath.c_str());
    platform::UnlockFile(Scratch.lockFd);
  }
  Scratch = TScratch();
}

void Choose() {
  Release();
  TScratch chosen;
  chosen.programDir = ProgramDir;
  const std::string dataDir = ProgramDir + DataDirectoryName;
  if (TakeDataDirectory(dataDir, chosen.lockFd, chosen.lockPath)) {
    chosen.directory = dataDir + "/";
  } else {
    chosen.directory = MakeLockedPrivateDirectory(chosen.lockFd);
    chosen.isPrivate = true;
  }
  Scratch = chosen;
  // Endings that bypass Shutdown and the failure path (a library calling
  // exit) still take the scratch files with them.
  if (!CleanUpAtExit) CleanUpAtExit = std::atexit(Release) == 0;
}

}  // namespace

std::string MakePrivateDirectory() {
  std::string failedAt = "/tmp";
  std::string reason = "no directory for scratch files";
  for (const std::string& parent : PrivateDirectoryBases()) {
    const std::string made = platform::MakeUniqueDirectory(parent, PrivateDirectoryPrefix, reason);
    if (!made.empty()) return made + "/";
    failedAt = parent + PrivateDirectoryPrefix + "XXXXXX";
  }
  throw IoError(failedAt, reason);
}

void ReclaimScratchDirectories() {
  for (const std::string& parent : PrivateDirectoryBases()) {
    DIR* dir = ::opendir(parent.c_str());
    if (dir == nullptr) continue;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(dir)) {
      if (IsPrivateDirectoryName(entry->d_name)) names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    for (const std::string& name : names) ReclaimIfAbandoned(parent + name + "/");
  }
}

std::string ScratchDirectory() {
  if (Scratch.directory.empty() || Scratch.programDir != ProgramDir) Choose();
  return Scratch.directory;
}

bool ScratchDirectoryIsPrivate() { return Scratch.isPrivate; }

std::string ScratchFilePath() { return ScratchDirectory() + ScratchFileName; }
std::string MusicFilePath() { return ScratchDirectory() + MusicFileName; }

void RemoveScratchFiles() { Release(); }

}  // namespace resources
