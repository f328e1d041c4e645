// Where a copy of the game unpacks: Data/ under its program directory when
// it can have it alone, a private directory otherwise, and nothing of either
// left when it ends.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "resources/binary_io.h"
#include "resources/datafile.h"
#include "resources/startup.h"
#include "tests/resources/worked_example.h"
#include "tests/support/temp_dir.h"

using namespace resources;
using vxtest::ReadFile;
using vxtest::TempDir;
using vxtest::WriteFile;
namespace fs = std::filesystem;

namespace {

// Sets an environment variable (or unsets it) for one scope.
class EnvSetting {
 public:
  EnvSetting(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) ::setenv(name, value->c_str(), 1);
    else ::unsetenv(name);
  }
  ~EnvSetting() {
    if (old_) ::setenv(name_, old_->c_str(), 1);
    else ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Another running copy: holds the lock on Data/.lock through a descriptor
// of its own (a lock on a separate open file conflicts even in one process).
class OtherCopy {
 public:
  explicit OtherCopy(const std::string& dataDir) {
    fs::create_directories(dataDir);
    fd_ = ::open((dataDir + "/.lock").c_str(), O_RDONLY | O_CREAT, 0666);
    locked_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
  }
  ~OtherCopy() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Locked() const { return locked_; }

 private:
  int fd_ = -1;
  bool locked_ = false;
};

// Whether somebody holds the lock on `lockPath` right now.
bool LockHeld(const std::string& lockPath) {
  const int fd = ::open(lockPath.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return held;
}

class ScratchDirTest : public ::testing::Test {
 protected:
  void SetUp() override { ProgramDir = program.Slash(); }
  void TearDown() override {
    RemoveScratchFiles();
    ProgramDir.clear();
  }
  TempDir program;
  TempDir runtime;  // stands in for $XDG_RUNTIME_DIR
  EnvSetting xdg{"XDG_RUNTIME_DIR", runtime.Slash()};
};

TEST_F(ScratchDirTest, AFreeDataDirectoryIsUsedAndLockedForTheLifeOfTheChoice) {
  WriteFile(program / "x.dat", WorkedExample);
  EXPECT_TRUE(UnpackDataFile(program / "x.dat"));
  EXPECT_EQ(ScratchDirectory(), program / "Data/");
  EXPECT_FALSE(ScratchDirectoryIsPrivate());
  EXPECT_EQ(ReadFile(program / "Data/data.dat"), (std::vector<uint8_t>{'a', 'b', 'c'}));
  EXPECT_TRUE(LockHeld(program / "Data/.lock"));
  EXPECT_TRUE(fs::is_empty(runtime.Slash()));

  WriteFile(MusicFilePath(), {2});
  // A partial file left by an earlier holder that was killed mid-write.
  WriteFile(program / "Data/data.dat.part-Xy12", {3});
  WriteFile(program / "Data/notes.txt", {4});
  RemoveScratchFiles();
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(program / "Data")) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"notes.txt"}) << "the lock file and every scratch file go";
}

TEST_F(ScratchDirTest, ALockFileLeftByAKilledCopyIsTakenOver) {
  fs::create_directory(program / "Data");
  WriteFile(program / "Data/.lock", {});
  EXPECT_EQ(ScratchDirectory(), program / "Data/");
  EXPECT_TRUE(LockHeld(program / "Data/.lock"));
}

TEST_F(ScratchDirTest, WhenDataCannotBeHadAPrivateDirectoryIsUsedAndLeftWithEverythingInIt) {
  struct Case {
    const char* name;
    std::function<void()> prepare;
    bool needsOrdinaryUser;
  };
  std::unique_ptr<OtherCopy> other;
  const Case cases[] = {
      {"another copy holds Data/", [&] { other = std::make_unique<OtherCopy>(program / "Data"); }, false},
      {"Data is a plain file", [&] { WriteFile(program / "Data", {1}); }, false},
      {"the program directory is missing", [&] { ProgramDir = program / "gone/"; }, false},
      {"Data/ is read-only", [&] { fs::create_directory(program / "Data"); ::chmod((program / "Data").c_str(), 0555); },
       true},
      {"the program directory is read-only", [&] { ::chmod(program.Slash().c_str(), 0555); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsOrdinaryUser && ::geteuid() == 0) {
      std::printf("note: \"%s\" left out: permissions do not bind root\n", c.name);
      continue;
    }
    WriteFile(program / "x.dat", WorkedExample);
    c.prepare();
    if (other) {
      ASSERT_TRUE(other->Locked());
      WriteFile(program / "Data/data.dat", {7, 7});  // the other copy's scratch file
    }
    EXPECT_TRUE(UnpackDataFile(program / "x.dat"));
    const std::string dir = ScratchDirectory();
    EXPECT_TRUE(ScratchDirectoryIsPrivate());
    EXPECT_EQ(dir.rfind(runtime / "vexmoor-", 0), 0u) << dir;
    struct stat info;
    ASSERT_EQ(::stat(dir.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    EXPECT_EQ(ReadFile(ScratchFilePath()), (std::vector<uint8_t>{'a', 'b', 'c'}));
    {
      // A safe write the ending cut short: its partial file goes with the directory.
      LeWriter unfinished(MusicFilePath());
      unfinished.WriteU8(1);
      RemoveScratchFiles();
    }
    EXPECT_FALSE(fs::exists(dir));
    EXPECT_TRUE(fs::is_empty(runtime.Slash()));
    if (other) {
      EXPECT_EQ(ReadFile(program / "Data/data.dat"), (std::vector<uint8_t>{7, 7}));
    }

    ::chmod(program.Slash().c_str(), 0700);
    fs::remove_all(program / "Data");
    other.reset();
    ProgramDir = program.Slash();
  }
}

TEST_F(ScratchDirTest, PrivateDirectoryGoesUnderXdgRuntimeDirElseTmpdirElseTmp) {
  TempDir tmp;
  const std::string missing = runtime / "missing";
  struct Case {
    const char* name;
    std::optional<std::string> xdg, tmpdir;
    std::string expectedBase;
  };
  const Case cases[] = {
      {"both set", runtime.Slash(), tmp.Slash(), runtime.Slash()},
      {"no XDG_RUNTIME_DIR", std::nullopt, tmp.Slash(), tmp.Slash()},
      {"XDG_RUNTIME_DIR empty", "", tmp.Slash(), tmp.Slash()},
      {"XDG_RUNTIME_DIR missing", missing, tmp.Slash(), tmp.Slash()},
      {"XDG_RUNTIME_DIR relative", "relative", std::nullopt, "/tmp/"},
      {"neither set", std::nullopt, std::nullopt, "/tmp/"},
  };
  OtherCopy other(program / "Data");
  ASSERT_TRUE(other.Locked());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EnvSetting xdg("XDG_RUNTIME_DIR", c.xdg);
    EnvSetting tmpdir("TMPDIR", c.tmpdir);
    const std::string dir = ScratchDirectory();
    EXPECT_EQ(dir.rfind(c.expectedBase + "vexmoor-", 0), 0u) << dir;
    EXPECT_EQ(dir.find('/', c.expectedBase.size()), dir.size() - 1) << "not directly under the base: " << dir;
    RemoveScratchFiles();
    EXPECT_FALSE(fs::exists(dir));
  }
  EXPECT_FALSE(fs::exists(missing));
}

TEST_F(ScratchDirTest, EndingOneCopyLeavesDataToTheNextAndAnotherProgramDirMakesANewChoice) {
  const std::string first = ScratchDirectory();
  EXPECT_EQ(first, program / "Data/");
  {
    OtherCopy next(program / "Data");
    EXPECT_FALSE(next.Locked()) << "two holders of Data/ at once";
  }
  RemoveScratchFiles();
  OtherCopy next(program / "Data");
  EXPECT_TRUE(next.Locked()) << "the lock was not given up";

  // The replay tool and tests point ProgramDir elsewhere: the choice follows
  // and the old one is given up.
  TempDir elsewhere;
  ProgramDir = elsewhere.Slash();
  EXPECT_EQ(ScratchDirectory(), elsewhere / "Data/");
  ProgramDir = program.Slash();
  ScratchDirectory();
  EXPECT_TRUE(ScratchDirectoryIsPrivate()) << "Data/ is held by the other copy";
  EXPECT_FALSE(LockHeld(elsewhere / "Data/.lock"));
}

// What a sweep at start-up may take: only the directories of copies that
// are no longer running, under every place a private directory is made.
TEST_F(ScratchDirTest, TheSweepRemovesOnlyPrivateDirectoriesWhoseCopyIsGone) {
  TempDir tmp;  // stands in for $TMPDIR
  EnvSetting tmpdir{"TMPDIR", tmp.Slash()};
  // A killed copy's directory: mode 0700, a lock file nobody holds, scratch
  // files and a partial file.
  auto abandoned = [](const std::string& dir) {
    fs::create_directory(dir);
    fs::permissions(dir, fs::perms(0700));
    for (const char* name : {".lock", "data.dat", "temp.dat", "data.dat.part-Xy12AbCd"})
      WriteFile(dir + "/" + name, {1, 2});
  };
  struct Case {
    const char* name;
    std::function<void(const std::string& dir)> make;
    bool removed;
  };
  std::vector<std::unique_ptr<OtherCopy>> running;
  const Case cases[] = {
      {"vexmoor-Killed", abandoned, true},
      {"vexmoor-Empty0", [&](const std::string& d) { abandoned(d); fs::remove(d + "/data.dat"); }, true},
      {"vexmoor-Runnin", [&](const std::string& d) { abandoned(d); running.push_back(std::make_unique<OtherCopy>(d)); },
       false},
      {"vexmoor-NoLock", [&](const std::string& d) { abandoned(d); fs::remove(d + "/.lock"); }, false},
      {"vexmoor-Subdir", [&](const std::string& d) { abandoned(d); fs::create_directory(d + "/saves"); }, false},
      {"vexmoor-Notes0", [&](const std::string& d) { abandoned(d); WriteFile(d + "/notes.txt", {}); }, false},
      {"vexmoor-LinkIn",
       [&](const std::string& d) {
         abandoned(d);
         fs::remove(d + "/temp.dat");
         fs::create_symlink(tmp / "kept", d + "/temp.dat");
       },
       false},
      {"vexmoor-LockLn",
       [&](const std::string& d) {
         abandoned(d);
         fs::remove(d + "/.lock");
         fs::create_symlink(tmp / "kept", d + "/.lock");
       },
       false},
      {"vexmoor-Open00", [&](const std::string& d) { abandoned(d); fs::permissions(d, fs::perms(0755)); }, false},
      {"vexmoor-AFile0", [](const std::string& d) { WriteFile(d, {1}); }, false},
      {"vexmoor-Linked", [&](const std::string& d) { fs::create_directory_symlink(tmp / "target", d); }, false},
      {"vexmoor-test-Abc123", abandoned, false},
      {"vexmoor-Abc12", abandoned, false},
      {"vexmoor-Ab.123", abandoned, false},
  };
  WriteFile(tmp / "kept", {5});
  abandoned(tmp / "target");
  for (const Case& c : cases) c.make(runtime / c.name);
  abandoned(tmp / "vexmoor-InTmp0");

  ReclaimScratchDirectories();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NE(fs::exists(fs::symlink_status(runtime / c.name)), c.removed);
  }
  EXPECT_FALSE(fs::exists(tmp / "vexmoor-InTmp0")) << "$TMPDIR was not swept";
  EXPECT_EQ(ReadFile(tmp / "kept"), std::vector<uint8_t>{5});
  EXPECT_TRUE(fs::exists(tmp / "target/data.dat")) << "a link was followed";
  EXPECT_TRUE(LockHeld(runtime / "vexmoor-Runnin/.lock"));
}

TEST_F(ScratchDirTest, APrivateDirectoryIsHeldByItsCopySoNoSweepTakesIt) {
  OtherCopy other(program / "Data");
  ASSERT_TRUE(other.Locked());
  const std::string dir = ScratchDirectory();
  ASSERT_TRUE(ScratchDirectoryIsPrivate());
  WriteFile(ScratchFilePath(), {1});
  EXPECT_TRUE(LockHeld(dir + ".lock"));
  ReclaimScratchDirectories();
  EXPECT_EQ(ReadFile(ScratchFilePath()), std::vector<uint8_t>{1});
  RemoveScratchFiles();
  EXPECT_FALSE(fs::exists(dir));
}

TEST(PartialFiles, AreNamedUnpredictablyCreatedExclusivelyAndGetTheUsualMode) {
  TempDir dir;
  const std::string target = dir / "out.bin";
  const mode_t oldMask = ::umask(022);
  LeWriter a(target);
  LeWriter b(target);  // two writers of one file at once do not collide
  a.WriteU8(1);
  b.WriteU8(2);
  std::vector<std::string> partials;
  for (const auto& entry : fs::directory_iterator(dir.Slash())) partials.push_back(entry.path().filename());
  ASSERT_EQ(partials.size(), 2u);
  EXPECT_NE(partials[0], partials[1]);
  for (const std::string& name : partials) {
    EXPECT_EQ(name.rfind("out.bin.part-", 0), 0u) << name;
    EXPECT_GE(name.size(), std::string("out.bin.part-").size() + 8) << name;
  }
  a.Commit();
  EXPECT_EQ(ReadFile(target), std::vector<uint8_t>{1});
  b.Commit();
  EXPECT_EQ(ReadFile(target), std::vector<uint8_t>{2});
  struct stat info;
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
  ::umask(oldMask);
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Slash())) ++files;
  EXPECT_EQ(files, 1u);
}

}  // namespace
