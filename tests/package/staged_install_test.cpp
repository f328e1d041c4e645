// `cmake --install` into a staging directory: the system layout that the
// Debian package ships, and both programs playing from it through their
// links in games/, as any user can check without installing anything.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <memory>
#include <set>

#include "tests/package/package_support.h"

namespace vxtest {
namespace {

constexpr double LoadSeconds = 90;
constexpr double EndSeconds = 30;


class StagedInstallation : public ::testing::Test {
 protected:
  // One installation serves both suites; it goes when the program ends.
  static void SetUpTestSuite() {
    if (Root) return;
    Root = std::make_unique<TempDir>();
    Stage = Root->Path() / "stage";
    const TProcessResult install = RunProgram({VEXMOOR_TEST_CMAKE, "--install", BuildDir().string(), "--prefix", "/usr"},
                                              Root->Path(), {"DESTDIR=" + Stage.string()}, 300);
    InstallStatus = install.exited ? install.status : -1;
    InstallOutput = install.out + install.err;
  }
  void SetUp() override { ASSERT_EQ(InstallStatus, 0) << InstallOutput; }

  static fs::path Staged(const std::string& path) { return Stage / path; }

  static std::unique_ptr<TempDir> Root;
  static fs::path Stage;
  static int InstallStatus;
  static std::string InstallOutput;
};

std::unique_ptr<TempDir> StagedInstallation::Root;
fs::path StagedInstallation::Stage;
int StagedInstallation::InstallStatus = -1;
std::string StagedInstallation::InstallOutput;

TEST_F(StagedInstallation, LaysOutTheGamesDirectories) {
  struct TLink {
    std::string path, target;
  };
  std::vector<TLink> links = {
      {"usr/games/vexmoor", "../lib/games/vexmoor/vexmoor"},
      {"usr/games/vexmoor-sw", "../lib/games/vexmoor/vexmoor-sw"},
      {"usr/lib/games/vexmoor/vexmoor.bmp", "../../../share/games/vexmoor/vexmoor.bmp"},
      {"usr/share/man/man6/vexmoor-sw.6", "vexmoor.6"},
  };
  for (const std::string& folder : ResourceFolders()) {
    links.push_back({"usr/lib/games/vexmoor/" + folder, "../../../share/games/vexmoor/" + folder});
  }
  for (const TLink& link : links) {
    ASSERT_TRUE(fs::is_symlink(Staged(link.path))) << link.path;
    EXPECT_EQ(fs::read_symlink(Staged(link.path)).string(), link.target) << link.path;
    EXPECT_TRUE(fs::exists(Staged(link.path))) << link.path << " leads nowhere";
  }

  std::vector<std::string> files = {
      "usr/lib/games/vexmoor/vexmoor",
      "usr/lib/games/vexmoor/vexmoor-sw",
      "usr/share/games/vexmoor/vexmoor.bmp",
      "usr/share/applications/vexmoor.desktop",
      "usr/share/metainfo/io.github.vexmoor.vexmoor.metainfo.xml",
      "usr/share/man/man6/vexmoor.6",
      "usr/share/icons/hicolor/scalable/apps/vexmoor.svg",
  };
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const std::string edge = std::to_string(size);
    files.push_back("usr/share/icons/hicolor/" + edge + "x" + edge + "/apps/vexmoor.png");
  }
  for (const std::string& file : files) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Staged(file)))) << file;
  }
  for (const char* program : {"vexmoor", "vexmoor-sw"}) {
    EXPECT_EQ(access(Staged(std::string("usr/lib/games/vexmoor/") + program).c_str(), X_OK), 0) << program;
  }
}

// Every packed resource of the build is shipped, and nothing else: the
// loose files serve -develop in a build tree only.
TEST_F(StagedInstallation, ShipsThePackedResourcesOnly) {
  for (const std::string& folder : ResourceFolders()) {
    std::set<std::string> built, shipped;
    for (const auto& entry : fs::directory_iterator(BuildInstallDir() / folder)) {
      if (entry.path().extension() == ".dat") built.insert(entry.path().filename().string());
    }
    for (const auto& entry : fs::directory_iterator(Staged("usr/share/games/vexmoor") / folder)) {
      shipped.insert(entry.path().filename().string());
    }
    EXPECT_FALSE(built.empty()) << folder;
    EXPECT_EQ(shipped, built) << folder;
  }
  EXPECT_FALSE(fs::exists(fs::symlink_status(Staged("usr/lib/games/vexmoor/Data"))))
      << "the scratch directory is made by the game, not installed";
}

class StagedProgram : public StagedInstallation, public ::testing::WithParamInterface<const char*> {};

// Started through its link in games/, the program finds its resources
// through the links into share/games and plays.
TEST_P(StagedProgram, ReachesTheTitleAndEndsOnTermination) {
  const fs::path runtime = Root->Path() / (std::string("runtime-") + GetParam());
  const fs::path work = Root->Path() / (std::string("work-") + GetParam());
  fs::create_directories(runtime);
  fs::create_directories(work);
  fs::permissions(runtime, fs::perms::owner_all);
  const std::string shared = ListTrees({Staged("usr/share")});

  Child game({Staged(std::string("usr/games/") + GetParam()).string(), "-windowed"}, work,
             {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "XDG_RUNTIME_DIR=" + runtime.string(),
              "TMPDIR=" + runtime.string()});
  ASSERT_TRUE(WaitForTitle(game, Root->Path(), LoadSeconds)) << Describe(game.Wait(0));
  Pause(0.5);
  game.Signal(SIGTERM);
  const TProcessResult result = game.Wait(EndSeconds);
  EXPECT_TRUE(result.exited && result.status == 0) << Describe(result);
  for (const char* scratch : {"data.dat", "temp.dat"}) EXPECT_TRUE(FindFiles(Root->Path(), scratch).empty()) << scratch;
  EXPECT_TRUE(fs::is_empty(runtime));
  EXPECT_TRUE(fs::is_empty(work));
  EXPECT_EQ(ListTrees({Staged("usr/share")}), shared) << "the game changed its data";
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, StagedProgram, ::testing::Values("vexmoor", "vexmoor-sw"),
                         [](const auto& info) { return std::string(info.param) == "vexmoor" ? "Main" : "Second"; });

}  // namespace
}  // namespace vxtest
