// The platform seam as the game relies on it: termination signals that only
// raise a flag (and a second one that still ends a stuck program), locks
// that tell a live holder from a dead one, private directories.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "platform/platform.h"
#include "tests/support/process.h"

namespace vxtest {
namespace {

// Runs `body` in a child process and returns its wait status.
template <typename Body>
int InChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

TEST(PlatformSignals, TheFirstSignalRaisesTheFlagAndASecondUnservedOneEndsTheProcess) {
  struct TCase {
    int signal;
    bool servedBetween;  // the flag was cleared before the second signal
  };
  for (const TCase& c : {TCase{SIGTERM, false}, TCase{SIGINT, false}, TCase{SIGHUP, false}, TCase{SIGQUIT, false},
                         TCase{SIGTERM, true}}) {
    const int status = InChild([&] {
      platform::CatchTerminationSignals();
      if (platform::TerminationRequested()) _exit(10);
      ::raise(c.signal);
      if (!platform::TerminationRequested()) _exit(11);
      if (c.servedBetween) platform::ClearTermination();
      ::raise(c.signal);
      _exit(platform::TerminationRequested() ? 0 : 12);
    });
    if (c.servedBetween) {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "signal " << c.signal << ", status " << status;
    } else {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal)
          << "signal " << c.signal << ": a second unserved signal must end the process, status " << status;
    }
  }
}

TEST(PlatformLocks, ALockIsSeenByOthersUntilReleasedOrItsHolderDies) {
  TempDir dir;
  const std::string path = (dir.Path() / "lock").string();
  EXPECT_FALSE(platform::FileIsLocked(path)) << "a missing file holds no lock";
  const platform::TLockHandle lock = platform::LockFile(path);
  ASSERT_GE(lock, 0);
  EXPECT_TRUE(platform::FileIsLocked(path));
  EXPECT_LT(platform::LockFile(path), 0) << "a second lock on a held file";
  EXPECT_TRUE(platform::LockedFileIsNamed(lock, path));
  std::filesystem::remove(path);
  EXPECT_FALSE(platform::LockedFileIsNamed(lock, path)) << "the name no longer leads to the locked file";
  platform::UnlockFile(lock);

  // A holder killed outright leaves the file, but not the lock.
  const std::string other = (dir.Path() / "other").string();
  const pid_t pid = fork();
  if (pid == 0) {
    if (platform::LockFile(other) < 0) _exit(1);
    pause();
    _exit(0);
  }
  ASSERT_TRUE(WaitFor([&] { return platform::FileIsLocked(other); }, 10));
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_TRUE(std::filesystem::exists(other));
  EXPECT_FALSE(platform::FileIsLocked(other));
  const platform::TLockHandle taken = platform::LockFile(other);
  EXPECT_GE(taken, 0);
  platform::UnlockFile(taken);
}

TEST(PlatformDirectories, UniqueDirectoriesArePrivateAndFailuresSayWhy) {
  TempDir dir;
  std::string reason;
  const std::string parent = dir.Slash();
  const std::string a = platform::MakeUniqueDirectory(parent, "vexmoor-", reason);
  const std::string b = platform::MakeUniqueDirectory(parent, "vexmoor-", reason);
  ASSERT_FALSE(a.empty()) << reason;
  ASSERT_FALSE(b.empty()) << reason;
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind(parent + "vexmoor-", 0), 0u) << a;
  struct stat info;
  ASSERT_EQ(stat(a.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  EXPECT_TRUE(platform::OwnedByThisUser(a));

  reason.clear();
  EXPECT_EQ(platform::MakeUniqueDirectory(parent + "missing/", "vexmoor-", reason), "");
  EXPECT_FALSE(reason.empty());
  EXPECT_FALSE(platform::OwnedByThisUser(parent + "missing"));
}

}  // namespace
}  // namespace vxtest
