// The Debian package as a player gets it: installed as root with apt from
// the .deb that `make deb` built, started from the menu's command line as an
// ordinary user, headless and at an X display. The installation never
// changes, the private scratch directory goes when the game ends, and the
// package is purged at the end with nothing left behind.
//
// Needs root, dpkg and apt-get, and a package in the build's deb/ folder;
// without them every test is skipped and the output says why.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "tests/package/package_support.h"
#include "tests/support/xvfb_server.h"
#include "tools/replay/png_file.h"

namespace vxtest {
namespace {

constexpr const char* Package = "vexmoor";
constexpr const char* Player = "nobody";
constexpr const char* DesktopFile = "/usr/share/applications/vexmoor.desktop";
// Held while the package is installed, so that two runs of this suite on one
// machine take turns.
constexpr const char* LockFile = "/run/lock/vexmoor-package-test.lock";
constexpr double AptSeconds = 600;
constexpr double LoadSeconds = 90;
constexpr double EndSeconds = 30;
constexpr double TitleSeconds = 30;
// A 16-bit screen rounds each colour: one 5-bit step of red and blue, one
// 6-bit step of green, each way.
constexpr std::array<int, 3> Tolerance = {15, 7, 15};

// Everything the package installs that must go with it.
const char* const PackagePaths[] = {
    "/usr/lib/games/vexmoor",
    "/usr/share/games/vexmoor",
    "/usr/games/vexmoor",
    "/usr/games/vexmoor-sw",
    DesktopFile,
    "/usr/share/metainfo/io.github.vexmoor.vexmoor.metainfo.xml",
    "/usr/share/man/man6/vexmoor.6.gz",
    "/usr/share/icons/hicolor/scalable/apps/vexmoor.svg",
    "/usr/share/doc/vexmoor",
};

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

bool Exists(const fs::path& path) { return fs::exists(fs::symlink_status(path)); }

bool PackageInstalled() {
  return RunProgram({"dpkg-query", "-W", "-f=${Status}", Package}, "/").out == "install ok installed";
}

// The newest vexmoor_*.deb that `make deb` left in the build's deb/ folder.
fs::path BuiltPackage() {
  fs::path newest;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(BuildDir() / "deb", error)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("vexmoor_", 0) != 0 || entry.path().extension() != ".deb") continue;
    if (newest.empty() || fs::last_write_time(entry.path()) > fs::last_write_time(newest)) newest = entry.path();
  }
  return newest;
}

// The command of the desktop entry's main action, split into words.
std::vector<std::string> MenuCommand() {
  std::ifstream in(DesktopFile);
  bool mainGroup = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '[') mainGroup = line == "[Desktop Entry]";
    if (mainGroup && line.rfind("Exec=", 0) == 0) return Words(line.substr(5));
  }
  return {};
}

// An RGB picture read from a PNG file.
struct TPicture {
  std::vector<uint8_t> rgb;
  int width = 0, height = 0;
};

bool ReadPicture(const fs::path& path, TPicture& picture) {
  return replay::ReadPng(path.string(), picture.rgb, picture.width, picture.height).empty();
}

// Pixels of `expected` that the window at (x, y) of `screen` shows with a
// channel off by more than the screen's rounding; -1 when the window does
// not fit the screen.
long PixelsOff(const TPicture& expected, const TPicture& screen, int x, int y) {
  if (x < 0 || y < 0 || screen.width < x + expected.width || screen.height < y + expected.height) return -1;
  long off = 0;
  for (int j = 0; j < expected.height; ++j) {
    for (int i = 0; i < expected.width; ++i) {
      const uint8_t* want = &expected.rgb[(static_cast<size_t>(j) * expected.width + i) * 3];
      const uint8_t* got = &screen.rgb[(static_cast<size_t>(j + y) * screen.width + i + x) * 3];
      bool beyond = false;
      for (int c = 0; c < 3; ++c) beyond = beyond || std::abs(want[c] - got[c]) > Tolerance[c];
      off += beyond;
    }
  }
  return off;
}

class InstalledPackage : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SkipReason = WhyItCannotRun();
    if (!SkipReason.empty()) {
      std::printf("PACKAGE TEST SKIPPED: %s\n", SkipReason.c_str());
      return;
    }
    Lock = open(LockFile, O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    if (Lock >= 0) flock(Lock, LOCK_EX);
    if (PackageInstalled()) {
      SkipReason = "vexmoor is installed on this machine already; the test would remove it";
      std::printf("PACKAGE TEST SKIPPED: %s\n", SkipReason.c_str());
      return;
    }
    const TProcessResult install = Apt({"install", "--no-install-recommends", BuiltPackage().string()});
    WeInstalled = true;
    InstallOutput = install.out + install.err;
    Ready = install.exited && install.status == 0 && PackageInstalled();
    if (Ready) MakePlayerDirectories();
  }

  static void TearDownTestSuite() {
    if (WeInstalled && PackageInstalled()) Apt({"purge", Package});
    Base.reset();
    if (Lock >= 0) close(Lock);
    Lock = -1;
  }

  void SetUp() override {
    if (!SkipReason.empty()) GTEST_SKIP() << SkipReason;
    ASSERT_TRUE(Ready) << "apt-get install failed:\n" << InstallOutput;
  }

  static std::string WhyItCannotRun() {
    if (geteuid() != 0) return "needs root to install the package";
    for (const char* tool : {"dpkg", "dpkg-query", "apt-get", "setpriv"}) {
      if (OnPath(tool).empty()) return std::string("needs ") + tool;
    }
    if (getpwnam(Player) == nullptr) return std::string("needs the user ") + Player;
    if (BuiltPackage().empty()) return "no package in " + (BuildDir() / "deb").string() + ": `make deb` builds it";
    return "";
  }

  static TProcessResult Apt(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"apt-get", "-y", "-q", "-o", "DPkg::Lock::Timeout=300"});
    return RunProgram(arguments, "/", {"DEBIAN_FRONTEND=noninteractive"}, AptSeconds);
  }

  // The player's own directories: XDG_RUNTIME_DIR, TMPDIR and the working
  // directory (also HOME), each 0700 and the player's.
  static void MakePlayerDirectories() {
    Base = std::make_unique<TempDir>();
    fs::permissions(Base->Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    const passwd* player = getpwnam(Player);
    for (const char* name : {"runtime", "tmp", "work"}) {
      fs::create_directory(Base->Path() / name);
      fs::permissions(Base->Path() / name, fs::perms::owner_all);
      ASSERT_EQ(chown((Base->Path() / name).c_str(), player->pw_uid, player->pw_gid), 0);
    }
  }

  static fs::path Runtime() { return Base->Path() / "runtime"; }
  static fs::path Tmp() { return Base->Path() / "tmp"; }
  static fs::path Work() { return Base->Path() / "work"; }

  // The command run as the player, with the player's environment on top of
  // `extra`.
  static std::unique_ptr<Child> StartAsPlayer(const std::vector<std::string>& command,
                                              std::vector<std::string> environment) {
    const passwd* player = getpwnam(Player);
    environment.insert(environment.end(), {"PATH=/usr/local/bin:/usr/bin:/bin:/usr/games", "HOME=" + Work().string(),
                                           "USER=" + std::string(Player), "LOGNAME=" + std::string(Player),
                                           "XDG_RUNTIME_DIR=" + Runtime().string(), "TMPDIR=" + Tmp().string()});
    return std::make_unique<Child>(AsUser(player->pw_uid, player->pw_gid, command), Work(), environment);
  }

  // What must not change while the game runs: the package's files as dpkg
  // knows them (contents through dpkg --verify), and everything under its
  // own directories.
  static std::string InstalledState() {
    std::vector<fs::path> roots = {"/usr/lib/games/vexmoor", "/usr/share/games/vexmoor"};
    for (const std::string& path : Lines(RunProgram({"dpkg-query", "-L", Package}, "/").out)) {
      if (!fs::is_directory(fs::symlink_status(path))) roots.push_back(path);
    }
    return ListTrees(roots);
  }
  static std::string VerifyOutput() {
    const TProcessResult verify = RunProgram({"dpkg", "--verify", Package}, "/");
    return verify.out + verify.err + (verify.status == 0 ? "" : "dpkg --verify failed\n");
  }

  // The one private scratch directory under XDG_RUNTIME_DIR is the player's
  // and closed to everyone else.
  static void ExpectPrivateScratchDirectory() {
    std::vector<fs::path> made;
    for (const auto& entry : fs::directory_iterator(Runtime())) made.push_back(entry.path());
    ASSERT_EQ(made.size(), 1u) << "one private scratch directory under XDG_RUNTIME_DIR";
    struct stat info {};
    ASSERT_EQ(lstat(made[0].c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode)) << made[0];
    EXPECT_EQ(info.st_mode & 07777, 0700u) << made[0];
    EXPECT_EQ(info.st_uid, getpwnam(Player)->pw_uid) << made[0];
  }

  // After the end: no scratch file, directory or stray file anywhere of the
  // player's, and the installation as it was.
  static void ExpectNothingLeft(const std::string& stateBefore) {
    EXPECT_TRUE(fs::is_empty(Runtime())) << "the private scratch directory is left";
    EXPECT_TRUE(fs::is_empty(Tmp()));
    EXPECT_TRUE(fs::is_empty(Work())) << "the working directory got files";
    EXPECT_EQ(InstalledState(), stateBefore) << "the installation changed";
    EXPECT_EQ(VerifyOutput(), "");
  }

  static std::string SkipReason;
  static std::string InstallOutput;
  static bool Ready;
  static bool WeInstalled;
  static int Lock;
  static std::unique_ptr<TempDir> Base;
};

std::string InstalledPackage::SkipReason;
std::string InstalledPackage::InstallOutput;
bool InstalledPackage::Ready = false;
bool InstalledPackage::WeInstalled = false;
int InstalledPackage::Lock = -1;
std::unique_ptr<TempDir> InstalledPackage::Base;

TEST_F(InstalledPackage, PutsTheProgramsAndTheMenuEntryInPlace) {
  for (const char* path : PackagePaths) EXPECT_TRUE(Exists(path)) << path;
  EXPECT_EQ(fs::canonical("/usr/games/vexmoor"), fs::path("/usr/lib/games/vexmoor/vexmoor"));
  EXPECT_EQ(fs::canonical("/usr/lib/games/vexmoor/Sprites"), fs::path("/usr/share/games/vexmoor/Sprites"));
  EXPECT_EQ(MenuCommand(), std::vector<std::string>{"vexmoor"});
  EXPECT_EQ(VerifyOutput(), "");
}

// Headless, each program as the player starts it: the menu's command and
// vexmoor-sw from the command line.
TEST_F(InstalledPackage, ComesUpForAnOrdinaryUserAndEndsOnTermination) {
  const std::vector<std::vector<std::string>> commands = {MenuCommand(), {"vexmoor-sw"}};
  for (const auto& command : commands) {
    SCOPED_TRACE(command.empty() ? "no command" : command[0]);
    ASSERT_FALSE(command.empty());
    const std::string before = InstalledState();
    auto game = StartAsPlayer(command, {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"});
    ASSERT_TRUE(WaitForTitle(*game, Base->Path(), LoadSeconds)) << Describe(game->Wait(0));
    ExpectPrivateScratchDirectory();
    Pause(0.5);
    game->Signal(SIGTERM);
    const TProcessResult result = game->Wait(EndSeconds);
    EXPECT_TRUE(result.exited && result.status == 0) << Describe(result);
    EXPECT_EQ(result.err, "");
    ExpectNothingLeft(before);
  }
}

// At an X display the window shows the title picture, and Escape ends the
// game.
TEST_F(InstalledPackage, ShowsTheTitleAtADisplay) {
  const std::string xdotool = OnPath("xdotool"), import = OnPath("import"), convert = OnPath("convert");
  if (!XvfbInstalled() || xdotool.empty() || import.empty() || convert.empty()) {
    GTEST_SKIP() << "needs Xvfb, xdotool and ImageMagick";
  }
  CXvfbServer server;
  ASSERT_TRUE(server.Running()) << server.Error();
  const std::vector<std::string> display = {"DISPLAY=" + server.Display()};
  auto run = [&](std::vector<std::string> argv) { return RunProgram(argv, Base->Path(), display, 30); };

  // The title as the build drew it.
  const fs::path reference = Base->Path() / "title.png";
  ASSERT_EQ(run({convert, (BuildInstallDir() / "Sprites" / "start.bmp").string(), reference.string()}).status, 0);
  TPicture title;
  ASSERT_TRUE(ReadPicture(reference, title));

  const std::string before = InstalledState();
  auto game = StartAsPlayer({"vexmoor", "-windowed"},
                            {"DISPLAY=" + server.Display(), "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy"});
  ASSERT_TRUE(WaitForTitle(*game, Base->Path(), LoadSeconds)) << Describe(game->Wait(0));
  std::string window;
  ASSERT_TRUE(WaitFor(
      [&] {
        window = FindWindow(server.Display(), "Vexmoor");
        return !window.empty() || !game->Running();
      },
      TitleSeconds))
      << "no window called Vexmoor";
  const TWindowPlace place = WindowPlace(server.Display(), window);
  const int x = place.x;
  const int y = place.y;

  // The first frames may still be the loading screen: wait for the title.
  long off = -1;
  const fs::path shot = Base->Path() / "screen.png";
  WaitFor(
      [&] {
        TPicture screen;
        if (run({import, "-display", server.Display(), "-window", "root", shot.string()}).status != 0 ||
            !ReadPicture(shot, screen))
          return false;
        off = PixelsOff(title, screen, x, y);
        return off == 0 || !game->Running();
      },
      TitleSeconds);
  EXPECT_EQ(off, 0) << "pixels of the window at (" << x << ", " << y << ") off the title picture";

  // Held for longer than a frame, so the game sees it down.
  run({xdotool, "windowfocus", "--sync", window});
  run({xdotool, "keydown", "Escape"});
  Pause(0.3);
  run({xdotool, "keyup", "Escape"});
  const TProcessResult result = game->Wait(EndSeconds);
  EXPECT_TRUE(result.exited && result.status == 0) << Describe(result);
  fs::remove(reference);
  fs::remove(shot);
  ExpectNothingLeft(before);
}

// Last: purging removes every file, link and directory of the package, even
// after root has played, for whom the installation is writable and who
// therefore gets Data/ there.
TEST_F(InstalledPackage, PurgeLeavesNothingBehind) {
  Child game({"/usr/games/vexmoor-sw"}, Work(), {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"});
  EXPECT_TRUE(WaitForTitle(game, "/usr/lib/games/vexmoor", LoadSeconds)) << Describe(game.Wait(0));
  game.Signal(SIGTERM);
  const TProcessResult played = game.Wait(EndSeconds);
  EXPECT_TRUE(played.exited && played.status == 0) << Describe(played);

  const TProcessResult purge = Apt({"purge", Package});
  ASSERT_TRUE(purge.exited && purge.status == 0) << purge.out << purge.err;
  EXPECT_EQ(purge.out.find("not empty"), std::string::npos) << purge.out;
  EXPECT_EQ(purge.err.find("not empty"), std::string::npos) << purge.err;
  EXPECT_FALSE(PackageInstalled());
  for (const char* path : PackagePaths) EXPECT_FALSE(Exists(path)) << path;
}

}  // namespace
}  // namespace vxtest
