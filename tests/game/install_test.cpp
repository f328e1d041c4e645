// The game as an installed program: two copies started together from one
// installation, a read-only installation played by an ordinary user, the
// endings a terminal or a desktop session brings, and an installation
// directory deeper than 300 characters.
#include <gtest/gtest.h>

#include <pwd.h>
#include <signal.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

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
