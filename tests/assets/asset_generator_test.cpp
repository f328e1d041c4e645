// The generator itself: the same bytes on every run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "asset_test_support.h"

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

std::string MakeTempDir() {
  char pattern[] = "/tmp/vexmoor-assetgen-XXXXXX";
  const char* made = mkdtemp(pattern);
  return made ? made : "";
}

int RunGenerator(const std::string& dir) {
  const std::string command = std::string("\"") + VEXMOOR_TEST_ASSETGEN + "\" --fonts \"" VEXMOOR_TEST_FONT_DIR
                              "\" \"" + dir + "\"";
  return std::system(command.c_str());
}

TEST(AssetGenerator, TwoRunsWriteIdenticalFiles) {
  const std::string first = MakeTempDir(), second = MakeTempDir();
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  ASSERT_EQ(RunGenerator(first), 0);
  ASSERT_EQ(RunGenerator(second), 0);
  const auto a = ReadTree(first), b = ReadTree(second);
  fs::remove_all(first);
  fs::remove_all(second);
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

TEST(AssetGenerator, RefusesAMissingFontDirectoryWithAnError) {
  const std::string dir = MakeTempDir();
  const std::string command = std::string("\"") + VEXMOOR_TEST_ASSETGEN + "\" --fonts /nonexistent \"" + dir +
                              "\" 2>/dev/null";
  EXPECT_NE(std::system(command.c_str()), 0);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace assettest
