#include "tests/package/package_support.h"

#include <sys/stat.h>

#include <algorithm>
#include <sstream>

namespace vxtest {

fs::path BuildInstallDir() { return VEXMOOR_TEST_INSTALL_DIR; }
fs::path BuildDir() { return VEXMOOR_TEST_BUILD_DIR; }

std::vector<fs::path> FindFiles(const fs::path& dir, const std::string& name) {
  std::vector<fs::path> found;
  std::error_code error;
  for (fs::recursive_directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
    if (it->path().filename() == name) found.push_back(it->path());
  }
  return found;
}

namespace {

std::string Entry(const fs::path& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return path.string() + " missing";
  std::ostringstream line;
  line << path.string() << " mode " << std::oct << info.st_mode << std::dec << " owner " << info.st_uid << ":"
       << info.st_gid << " size " << info.st_size << " mtime " << info.st_mtim.tv_sec << "." << info.st_mtim.tv_nsec;
  if (S_ISLNK(info.st_mode)) line << " -> " << fs::read_symlink(path).string();
  return line.str();
}

}  // namespace

std::string ListTrees(const std::vector<fs::path>& roots) {
  std::vector<std::string> lines;
  for (const fs::path& root : roots) {
    lines.push_back(Entry(root));
    if (fs::is_symlink(root) || !fs::is_directory(root)) continue;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
      lines.push_back(Entry(it->path()));
    }
    if (error) lines.push_back(root.string() + " unreadable: " + error.message());
  }
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

bool WaitForTitle(Child& game, const fs::path& scratchRoot, double seconds) {
  WaitFor([&] { return !FindFiles(scratchRoot, "temp.dat").empty() || !game.Running(); }, seconds);
  return game.Running() && !FindFiles(scratchRoot, "temp.dat").empty();
}

std::string Describe(const TProcessResult& result) {
  if (result.timedOut) return "timed out; stderr: " + result.err;
  if (!result.exited) return "ended by signal " + std::to_string(result.signal) + "; stderr: " + result.err;
  return "status " + std::to_string(result.status) + "; stderr: " + result.err;
}

}  // namespace vxtest
