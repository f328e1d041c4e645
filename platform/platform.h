// What differs between the systems the game runs on, and nothing else: the
// clock, sleeping, termination signals, whether there is a display, where
// the executable lies, locks and private directories for scratch files, and
// random bytes. One implementation file per system (platform_posix.cpp for
// Linux, platform_web.cpp for the browser build), chosen by CMake; no other
// source asks which system it is on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// Microseconds on a clock that only moves forward, from an arbitrary start.
uint64_t MonotonicMicroseconds();

// Seconds since 1970 by the wall clock (seeds the game's generator).
uint32_t WallClockSeconds();

// Gives the processor away for about `microseconds`. A termination signal
// cuts the sleep short. In the browser the page gets control back for the
// time slept; waits under a millisecond are spent polling there, since the
// browser's shortest timer is coarser.
void SleepMicroseconds(uint32_t microseconds);

// Makes SIGINT, SIGTERM, SIGHUP and SIGQUIT only raise a flag, read with
// TerminationRequested, so that the program can end through its own
// shutdown. A second signal while the first is still unserved ends the
// process at once, as if it were not caught: a program stuck where it
// never reads the flag can still be stopped. Calling it again (after a
// library put in handlers of its own) restores ours. Nothing to catch in
// the browser.
void CatchTerminationSignals();
// True once one of those signals arrived since the last ClearTermination.
bool TerminationRequested();
void ClearTermination();

// Why the video library would find no display to open, as one line that
// says how to choose a video driver; empty when DISPLAY or WAYLAND_DISPLAY
// names a display or SDL_VIDEODRIVER names a driver (an empty value counts
// as unset). Always empty in the browser, whose page is the display.
std::string NoDisplayReason();

// The running executable's own path, symbolic links resolved; empty when
// the system cannot tell (the caller then falls back on argv[0] or the
// working directory). In the browser: the folder the page's data package is
// mounted at, plus the program's name.
std::string ExecutablePath();

// An exclusive advisory lock on a file, held until UnlockFile or the end of
// the process (also a killed one). -1 stands for no lock.
using TLockHandle = int;
// Opens `path` (created with mode 0666 less the umask when missing, never
// through a symbolic link) and takes its lock without waiting. Returns the
// handle, or -1 when the file cannot be opened or another process holds
// the lock. In the browser, where one page runs one copy, every lock is
// granted.
TLockHandle LockFile(const std::string& path);
// Whether the locked file is still the one named `path` (a holder may
// unlink the name while it holds the lock; a lock on the unlinked file then
// guards nothing).
bool LockedFileIsNamed(TLockHandle lock, const std::string& path);
// Opens the existing file `path` (never through a symbolic link, never
// creating it) and takes its lock without waiting. Returns the handle, or -1
// when the file is missing or another process holds the lock. Always -1 in
// the browser, whose file system starts empty with every page, so that
// nothing there is ever taken for a killed copy's.
TLockHandle LockExistingFile(const std::string& path);
// Releases the lock and closes the file; -1 is ignored.
void UnlockFile(TLockHandle lock);
// Whether some process holds the lock of the file at `path` right now,
// without taking it for longer than the test. False when the file is
// missing or cannot be opened.
bool FileIsLocked(const std::string& path);

// Makes a new directory of mode 0700 named `parent` + `prefix` + six random
// letters and returns its path, without a final "/". Returns empty, with the
// system's reason in `reason`, when it cannot be made.
std::string MakeUniqueDirectory(const std::string& parent, const std::string& prefix, std::string& reason);

// Whether the file or directory at `path` (not followed if a link) belongs
// to the user running this process.
bool OwnedByThisUser(const std::string& path);

// Whether `path` (not followed if a link) is a directory of the user
// running this process that nobody else may read, write or enter: what
// MakeUniqueDirectory makes. In the browser: whether it is a directory.
bool PrivateDirectoryOfThisUser(const std::string& path);

// Fills `count` bytes with unpredictable noise; false when the system has
// no source of it (the caller then mixes the clock and the process id).
bool RandomBytes(void* bytes, size_t count);

// A number that tells this process from others running at the same time.
uint32_t ProcessId();

}  // namespace platform
