// The game as an installed program: two copies started together from one
// installation, a read-only installation played by an ordinary user, the
// endings a terminal or a desktop session brings, and an installation
// directory deeper than 300 characters.
#include <gtest/gtest.h>

#include <pwd.h>
#include <signal.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "main/game_vars.h"
#include "tests/game/game_run.h"
#include "tests/game/support.h"
#include "tests/game/test_paths.h"

namespace vxtest {
namespace {

// Seconds a program may take to load (the sanitizer build is slow).
constexpr double LoadSeconds = 90;
constexpr double EndSeconds = 30;
constexpr const char* Program = "vexmoor";

// Where the copies of one installation keep their scratch files: its Data/
// and the private directories under the runtime directory they were given.
struct TScratchPlaces {
  fs::path install;
  fs::path runtime;

  std::vector<std::string> Environment() const {
    std::vector<std::string> environment = DummyDrivers();
    environment.push_back("XDG_RUNTIME_DIR=" + runtime.string());
    return environment;
  }
  // Music files, the last thing unpacked before the title: one per copy
  // about to show it.
  int SharedMusic() const { return fs::exists(install / "Data" / "temp.dat") ? 1 : 0; }
  int PrivateMusic() const {
    int count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(runtime, error))
      count += fs::exists(entry.path() / "temp.dat") ? 1 : 0;
    return count;
  }
  // Everything left in either place.
  std::vector<std::string> Leftovers() const {
    std::vector<std::string> left = ScratchFiles(install);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(runtime, error)) left.push_back(entry.path().string());
    return left;
  }
};

// Ends a running copy with `signal` and checks it ended the ordinary way.
void EndWith(Child& game, int signal) {
  game.Signal(signal);
  const TProcessResult result = game.Wait(EndSeconds);
  EXPECT_TRUE(result.exited) << "signal " << result.signal << (result.timedOut ? ", timed out" : "");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
}

TEST(Installation, TwoCopiesStartedTogetherFiveTimesBothReachTheTitleAndLeaveNothing) {
  for (int round = 1; round <= 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    TempDir install, runtime, work;
    MakeInstallCopy(install.Path(), TInstallCopy::WithPrograms());
    const TScratchPlaces places{install.Path(), runtime.Path()};
    const std::string program = (install.Path() / Program).string();
    Child first({program, "-windowed"}, work.Path(), places.Environment());
    Child second({program, "-windowed"}, work.Path(), places.Environment());
    ASSERT_TRUE(WaitFor(
        [&] { return places.SharedMusic() + places.PrivateMusic() == 2 || !first.Running() || !second.Running(); },
        LoadSeconds));
    ASSERT_TRUE(first.Running()) << Describe(first.Wait(0));
    ASSERT_TRUE(second.Running()) << Describe(second.Wait(0));
    // One copy has Data/, the other a directory of its own.
    EXPECT_EQ(places.SharedMusic(), 1);
    EXPECT_EQ(places.PrivateMusic(), 1);
    Pause(0.3);
    EndWith(first, SIGTERM);
    EndWith(second, SIGTERM);
    EXPECT_EQ(places.Leftovers(), std::vector<std::string>{});
    EXPECT_TRUE(fs::is_empty(work.Path()));
  }
}

struct TEnding {
  int signal;
  bool whileLoading;
};

void PrintTo(const TEnding& ending, std::ostream* out) {
  *out << "SIG" << sigabbrev_np(ending.signal) << (ending.whileLoading ? " while loading" : " at the title");
}

class Endings : public ::testing::TestWithParam<TEnding> {};

TEST_P(Endings, EndWithStatusZeroAndNoScratchFiles) {
  TempDir install, runtime, work;
  MakeInstallCopy(install.Path(), TInstallCopy::WithPrograms());
  const TScratchPlaces places{install.Path(), runtime.Path()};
  Child game({(install.Path() / Program).string(), "-windowed"}, work.Path(), places.Environment());
  if (GetParam().whileLoading) {
    // The lock comes with the first unpack (the font); loading has a second
    // and more to go.
    ASSERT_TRUE(WaitFor([&] { return fs::exists(install.Path() / "Data" / ".lock") || !game.Running(); },
                        LoadSeconds));
  } else {
    ASSERT_TRUE(WaitFor([&] { return places.SharedMusic() == 1 || !game.Running(); }, LoadSeconds));
    Pause(0.3);
  }
  ASSERT_TRUE(game.Running()) << Describe(game.Wait(0));
  EndWith(game, GetParam().signal);
  EXPECT_EQ(places.Leftovers(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Signals, Endings,
                         ::testing::Values(TEnding{SIGHUP, true}, TEnding{SIGHUP, false}, TEnding{SIGQUIT, true},
                                           TEnding{SIGQUIT, false}, TEnding{SIGINT, true}, TEnding{SIGTERM, true}),
                         [](const auto& info) {
                           return std::string(sigabbrev_np(info.param.signal)) +
                                  (info.param.whileLoading ? "WhileLoading" : "AtTheTitle");
                         });

TEST(Installation, ReadOnlyInstallationPlaysForAnOrdinaryUserFromAPrivateDirectory) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a root-owned installation for an ordinary user";
  const bool setpriv = !OnPath("setpriv").empty();
  const struct passwd* nobody = ::getpwnam("nobody");
  if (!setpriv || nobody == nullptr) GTEST_SKIP() << "needs setpriv and the user nobody";

  TempDir base;
  fs::permissions(base.Path(), fs::perms(0755));
  const fs::path install = base.Path() / "vexmoor";
  const fs::path runtime = base.Path() / "runtime";
  fs::create_directory(install);
  MakeInstallCopy(install, TInstallCopy::WithPrograms(ResourceFolders()));
  for (const auto& entry : fs::recursive_directory_iterator(install)) {
    const bool program = entry.path().filename() == "vexmoor" || entry.path().filename() == "vexmoor-sw";
    fs::permissions(entry.path(), fs::perms(entry.is_directory() || program ? 0555 : 0444));
  }
  fs::permissions(install, fs::perms(0555));
  fs::create_directory(runtime);
  ASSERT_EQ(::chown(runtime.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  fs::permissions(runtime, fs::perms(0700));
  const std::string before = ListTrees({install});

  const TScratchPlaces places{install, runtime};
  Child game(AsUser(nobody->pw_uid, nobody->pw_gid, {(install / Program).string(), "-windowed"}), base.Path(),
             places.Environment());
  ASSERT_TRUE(WaitFor([&] { return places.PrivateMusic() == 1 || !game.Running(); }, LoadSeconds));
  ASSERT_TRUE(game.Running()) << Describe(game.Wait(0));
  // The private directory is the player's own, mode 0700.
  for (const auto& entry : fs::directory_iterator(runtime)) {
    struct stat info;
    ASSERT_EQ(::stat(entry.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nobody->pw_uid);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
  }
  Pause(0.3);
  EndWith(game, SIGTERM);
  EXPECT_EQ(places.Leftovers(), std::vector<std::string>{});
  EXPECT_EQ(ListTrees({install}), before) << "the installation was written to";
}

// A small RAM-backed file system, as $XDG_RUNTIME_DIR is, mounted on a
// fresh directory for one test; Why() says why not when it cannot be.
class TTmpfs {
 public:
  explicit TTmpfs(const std::string& size) {
    if (::geteuid() != 0) {
      why_ = "needs root to mount a tmpfs";
      return;
    }
    if (::mount("tmpfs", dir_.Path().c_str(), "tmpfs", 0, ("size=" + size + ",mode=0700").c_str()) != 0) {
      why_ = std::string("cannot mount a tmpfs: ") + strerror(errno);
      return;
    }
    mounted_ = true;
  }
  ~TTmpfs() {
    if (mounted_) ::umount2(dir_.Path().c_str(), MNT_DETACH);
  }
  const fs::path& Path() const { return dir_.Path(); }
  const std::string& Why() const { return why_; }

 private:
  TempDir dir_;
  bool mounted_ = false;
  std::string why_;
};

// An installation whose Data is a plain file, so that every copy unpacks
// into a private directory of its own under the runtime directory.
void MakePrivateOnlyInstall(const fs::path& install) {
  MakeInstallCopy(install, TInstallCopy::WithPrograms());
  std::ofstream(install / "Data") << "not a directory\n";
}

// The private directories under `runtime`, by name.
std::vector<std::string> PrivateDirectories(const fs::path& runtime) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(runtime)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Waits until a copy started after `before` (the directories there then)
// shows its title: its music file is unpacked. Returns its directory, or
// empty when the copy ended first.
std::string WaitForNewTitle(Child& game, const fs::path& runtime, const std::vector<std::string>& before) {
  std::string made;
  WaitFor(
      [&] {
        for (const std::string& name : PrivateDirectories(runtime)) {
          if (std::find(before.begin(), before.end(), name) == before.end() && fs::exists(runtime / name / "temp.dat"))
            made = name;
        }
        return !made.empty() || !game.Running();
      },
      LoadSeconds);
  return game.Running() ? made : "";
}

TEST(Installation, AKilledCopysPrivateDirectoryGoesAtTheNextStartWhileARunningCopysStays) {
  TempDir install, runtime, work, elsewhere;
  MakePrivateOnlyInstall(install.Path());
  const TScratchPlaces places{install.Path(), runtime.Path()};
  const std::string program = (install.Path() / Program).string();

  // Left behind by something else, each looking like a killed copy's in
  // every other way: never the game's to remove.
  auto abandonedLike = [](const fs::path& dir) {
    fs::create_directory(dir);
    fs::permissions(dir, fs::perms(0700));
    std::ofstream(dir / ".lock");
    std::ofstream(dir / "data.dat") << "scratch";
  };
  abandonedLike(runtime.Path() / "vexmoor-Subdir");
  fs::create_directory(runtime.Path() / "vexmoor-Subdir" / "saves");
  abandonedLike(elsewhere.Path() / "target");
  fs::create_directory_symlink(elsewhere.Path() / "target", runtime.Path() / "vexmoor-Linked");
  std::ofstream(runtime.Path() / "vexmoor-AFile0") << "a file";
  const struct passwd* nobody = ::getpwnam("nobody");
  const bool asRoot = ::geteuid() == 0 && nobody != nullptr;
  if (asRoot) {
    abandonedLike(runtime.Path() / "vexmoor-Others");
    for (const auto& entry : fs::recursive_directory_iterator(runtime.Path() / "vexmoor-Others"))
      ASSERT_EQ(::lchown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0);
    ASSERT_EQ(::chown((runtime.Path() / "vexmoor-Others").c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  } else {
    std::printf("note: another user's directory left out: only root can make one\n");
  }
  std::vector<fs::path> plantedPaths = {runtime.Path() / "vexmoor-Subdir", runtime.Path() / "vexmoor-Linked",
                                        runtime.Path() / "vexmoor-AFile0", elsewhere.Path() / "target"};
  if (asRoot) plantedPaths.push_back(runtime.Path() / "vexmoor-Others");
  const std::string planted = ListTrees(plantedPaths);

  const std::vector<std::string> beforeLive = PrivateDirectories(runtime.Path());
  Child live({program, "-windowed"}, work.Path(), places.Environment());
  const std::string liveDir = WaitForNewTitle(live, runtime.Path(), beforeLive);
  ASSERT_FALSE(liveDir.empty()) << Describe(live.Wait(0));
  const std::vector<std::string> beforeKilled = PrivateDirectories(runtime.Path());
  Child killed({program, "-windowed"}, work.Path(), places.Environment());
  const std::string killedDir = WaitForNewTitle(killed, runtime.Path(), beforeKilled);
  ASSERT_FALSE(killedDir.empty()) << Describe(killed.Wait(0));
  killed.Signal(SIGKILL);
  EXPECT_EQ(killed.Wait(EndSeconds).signal, SIGKILL);
  ASSERT_TRUE(fs::exists(runtime.Path() / killedDir)) << "a killed copy cannot remove its own directory";

  const std::vector<std::string> beforeNext = PrivateDirectories(runtime.Path());
  Child next({program, "-windowed"}, work.Path(), places.Environment());
  const std::string nextDir = WaitForNewTitle(next, runtime.Path(), beforeNext);
  ASSERT_FALSE(nextDir.empty()) << Describe(next.Wait(0));
  EXPECT_FALSE(fs::exists(runtime.Path() / killedDir)) << "the killed copy's directory is left";
  EXPECT_TRUE(fs::exists(runtime.Path() / liveDir / "temp.dat")) << "the running copy's directory was touched";
  Pause(0.3);
  EndWith(live, SIGTERM);
  EndWith(next, SIGTERM);
  EXPECT_EQ(ListTrees(plantedPaths), planted) << "what is not a killed copy's was touched";
  std::vector<std::string> left = PrivateDirectories(runtime.Path());
  std::vector<std::string> expected = {"vexmoor-AFile0", "vexmoor-Linked", "vexmoor-Subdir"};
  if (asRoot) expected.push_back("vexmoor-Others");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
}

TEST(Installation, CopiesKilledOneAfterAnotherNeverFillASmallRuntimeDirectory) {
  // 2 MB holds the private directories of some four copies at the title.
  TTmpfs runtime("2m");
  if (!runtime.Why().empty()) GTEST_SKIP() << runtime.Why();
  TempDir install, work;
  MakePrivateOnlyInstall(install.Path());
  const TScratchPlaces places{install.Path(), runtime.Path()};
  for (int round = 1; round <= 6; ++round) {
    SCOPED_TRACE("start " + std::to_string(round));
    const std::vector<std::string> before = PrivateDirectories(runtime.Path());
    Child game({(install.Path() / Program).string(), "-windowed"}, work.Path(), places.Environment());
    const std::string made = WaitForNewTitle(game, runtime.Path(), before);
    ASSERT_FALSE(made.empty()) << Describe(game.Wait(0));
    // The killed copy before it is gone by now: the sweep comes first.
    EXPECT_EQ(PrivateDirectories(runtime.Path()), std::vector<std::string>{made});
    game.Signal(SIGKILL);
    game.Wait(EndSeconds);
  }
}

TEST(Installation, ARuntimeDirectoryTooSmallToUnpackIntoGivesALineNamingTheResourceAndLeavesNothing) {
  // Less than the title picture, the largest sprite, unpacks to.
  TTmpfs runtime("1m");
  if (!runtime.Why().empty()) GTEST_SKIP() << runtime.Why();
  TempDir install, work;
  MakePrivateOnlyInstall(install.Path());
  const TScratchPlaces places{install.Path(), runtime.Path()};
  const TProcessResult result =
      RunProgram({(install.Path() / Program).string(), "-windowed"}, work.Path(), places.Environment(), LoadSeconds);
  ASSERT_TRUE(result.exited) << Describe(result);
  EXPECT_EQ(result.status, 1);
  const std::string prefix = "vexmoor: " + (install.Path() / "Sprites/start.dat").string() + ": cannot unpack into " +
                             (runtime.Path() / "vexmoor-").string();
  EXPECT_EQ(result.err.rfind(prefix, 0), 0u) << result.err;
  EXPECT_NE(result.err.find("/data.dat: No space left on device\n"), std::string::npos) << result.err;
  EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
  EXPECT_TRUE(fs::is_empty(runtime.Path()));
  EXPECT_TRUE(fs::is_empty(work.Path()));
}

// A directory more than 300 characters deep under `base`.
fs::path DeepDirectory(const fs::path& base) {
  fs::path deep = base;
  for (int level = 0; deep.string().size() <= 300; ++level)
    deep /= "a-rather-long-directory-name-for-level-" + std::to_string(level) + "-of-the-installation";
  fs::create_directories(deep);
  return deep;
}

TEST(Installation, ProgramFromADirectoryDeeperThan300CharactersReachesTheTitle) {
  TempDir base, runtime, work;
  const fs::path deep = DeepDirectory(base.Path());
  MakeInstallCopy(deep, TInstallCopy::WithPrograms({"Maps"}));
  const TScratchPlaces places{deep, runtime.Path()};
  Child game({(deep / Program).string(), "-windowed"}, work.Path(), places.Environment());
  ASSERT_TRUE(WaitFor([&] { return places.SharedMusic() == 1 || !game.Running(); }, LoadSeconds));
  ASSERT_TRUE(game.Running()) << Describe(game.Wait(0));
  Pause(0.3);
  EndWith(game, SIGTERM);
  EXPECT_EQ(places.Leftovers(), std::vector<std::string>{});
}

TEST(Installation, LevelOnePlaysFromADirectoryDeeperThan300Characters) {
  const std::string route = ShippedRoutes().at(1);
  ASSERT_FALSE(route.empty());
  TempDir base;
  const fs::path deep = DeepDirectory(base.Path());
  ASSERT_GT(deep.string().size(), 300u);
  MakeInstallCopy(deep, TInstallCopy{{"Maps"}, false, {}});

  using namespace shell;
  TRouteWalker walker;
  walker.route = route;
  GameRun run;
  run.keys = [&](uint32_t frame) -> replay::TKeySet { return frame == 1 ? replay::KeyBit("space") : walker.Keys(); };
  uint32_t exitFrame = 0;
  run.goOn = [&](const TSnapshot& after) {
    walker.After(after);
    if (after.state == gsLevelDone && after.level == 1 && after.frame > 1) exitFrame = after.frame;
    return exitFrame == 0 && after.state != gsDying;
  };
  EXPECT_EQ(run.Run(deep.string(), 5000), 0);
  EXPECT_NE(exitFrame, 0u) << "the exit was not reached; " << walker.next << " of " << route.size() << " moves";
  EXPECT_EQ(walker.next, route.size());
  EXPECT_EQ(ScratchFiles(deep), std::vector<std::string>{});
}

}  // namespace
}  // namespace vxtest
