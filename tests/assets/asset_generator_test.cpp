// The generator itself: the same bytes on every run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include <sys/wait.h>

#include "asset_test_support.h"
#include "tests/support/temp_dir.h"

namespace assettest {
namespace {

namespace fs = std::filesystem;

std::map<std::string, std::vector<uint8_t>> ReadTree(const std::string& root) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = resources::ReadWholeFile(entry.path());
  }
  return files;
}

using Tree = std::map<std::string, std::vector<uint8_t>>;

// Runs the generator twice, `option` (empty, or "--icons") before a fresh
// directory each time; returns what each run wrote there, nothing when a
// run fails.
std::pair<Tree, Tree> GenerateTwice(const std::string& option) {
  Tree trees[2];
  for (Tree& tree : trees) {
    const vxtest::TempDir temp;
    const std::string dir = temp.Path().string();
    const std::string command = std::string("\"") + VEXMOOR_TEST_ASSETGEN + "\" --fonts \"" VEXMOOR_TEST_FONT_DIR
                                "\" " + option + " \"" + dir + "\"";
    if (std::system(command.c_str()) == 0) tree = ReadTree(dir);
  }
  return {trees[0], trees[1]};
}

TEST(AssetGenerator, TwoRunsWriteIdenticalFiles) {
  const auto [a, b] = GenerateTwice("");
  ASSERT_FALSE(a.empty());
  ASSERT_EQ(a.size(), b.size());
  for (const auto& [name, bytes] : a) {
    ASSERT_TRUE(b.count(name)) << name;
    EXPECT_TRUE(bytes == b.at(name)) << name << " differs between runs";
  }
  // The build's installation holds the same set of files.
  const auto installed = ReadTree(kInstallDir);
  for (const auto& [name, bytes] : a) EXPECT_TRUE(installed.count(name)) << name << " not installed";
}

TEST(AssetGenerator, DrawsTheSameIconsOnEveryRun) {
  const auto [a, b] = GenerateTwice("--icons");
  EXPECT_EQ(a.size(), 7u) << "six sizes and the scalable icon";
  EXPECT_TRUE(a == b) << "the icons differ between runs";
  EXPECT_TRUE(a == ReadTree(VEXMOOR_TEST_ICON_DIR)) << "the build's icons differ";
}

// Bad arguments end with an error status, never a crash.
TEST(AssetGenerator, RefusesBadArgumentsWithAnError) {
  const vxtest::TempDir temp;
  const std::string dir = temp.Path().string();
  const std::string tool = std::string("\"") + VEXMOOR_TEST_ASSETGEN + "\"";
  const std::string cases[] = {
      tool,                                                    // no installation directory
      tool + " \"\"",                                            // an empty one
      tool + " --fonts /nonexistent \"" + dir + "\"",           // no fonts there
      tool + " /dev/null/install",                             // cannot create the folders
      tool + " --contact-sheet /nonexistent \"" + dir + "/x.png\"",  // nothing to show
  };
  for (const std::string& command : cases) {
    const int status = std::system((command + " 2>/dev/null").c_str());
    ASSERT_TRUE(WIFEXITED(status)) << command;
    EXPECT_NE(WEXITSTATUS(status), 0) << command;
  }
}

TEST(AssetGenerator, ContactSheetIsAPng) {
  const vxtest::TempDir temp;
  const std::string dir = temp.Path().string();
  const std::string command = std::string("\"") + VEXMOOR_TEST_ASSETGEN + "\" --fonts \"" VEXMOOR_TEST_FONT_DIR
                              "\" --contact-sheet \"" + kInstallDir + "\" \"" + dir + "/sheet.png\"";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::vector<uint8_t> png = resources::ReadWholeFile(dir + "/sheet.png");
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
}

}  // namespace
}  // namespace assettest
