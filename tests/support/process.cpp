#include "tests/support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace vxtest {

std::string ReadText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

void Pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

Child::Child(const std::vector<std::string>& argv, const fs::path& workingDir,
             const std::vector<std::string>& environment) {
  // Everything the child needs is prepared before fork.
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<std::string> envText;
  for (char** entry = environ; *entry; ++entry) {
    std::string text = *entry;
    bool replaced = false;
    for (const std::string& extra : environment) {
      const std::string name = extra.substr(0, extra.find('=')) + "=";
      replaced = replaced || text.compare(0, name.size(), name) == 0;
    }
    if (!replaced) envText.push_back(text);
  }
  for (const std::string& extra : environment)
    if (extra.find('=') != std::string::npos) envText.push_back(extra);
  std::vector<char*> envp;
  for (std::string& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);
  const std::string outPath = (outputs_.Path() / "out").string();
  const std::string errPath = (outputs_.Path() / "err").string();
  const std::string dir = workingDir.string();

  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork: " + std::string(std::strerror(errno)));
  if (pid_ == 0) {
    int in = open("/dev/null", O_RDONLY);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(dir.c_str()) != 0)
      _exit(126);
    execvpe(args[0], args.data(), envp.data());
    _exit(127);
  }
}

Child::~Child() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &rawStatus_, 0);
  }
}

bool Child::Running() {
  if (reaped_) return false;
  if (waitpid(pid_, &rawStatus_, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

void Child::Signal(int signal) {
  if (!reaped_) kill(pid_, signal);
}

TProcessResult Child::Wait(double seconds) {
  TProcessResult result;
  if (!WaitFor([this] { return !Running(); }, seconds)) {
    result.timedOut = true;
    kill(pid_, SIGKILL);
    waitpid(pid_, &rawStatus_, 0);
    reaped_ = true;
  }
  if (WIFEXITED(rawStatus_) && !result.timedOut) {
    result.exited = true;
    result.status = WEXITSTATUS(rawStatus_);
  } else if (WIFSIGNALED(rawStatus_)) {
    result.signal = WTERMSIG(rawStatus_);
  }
  result.out = ReadText(outputs_.Path() / "out");
  result.err = ReadText(outputs_.Path() / "err");
  return result;
}

TProcessResult RunProgram(const std::vector<std::string>& argv, const fs::path& workingDir,
                   const std::vector<std::string>& environment, double seconds) {
  Child child(argv, workingDir, environment);
  return child.Wait(seconds);
}

std::string OnPath(const std::string& name) {
  std::istringstream path(std::getenv("PATH") ? std::getenv("PATH") : "");
  for (std::string dir; std::getline(path, dir, ':');) {
    const fs::path candidate = fs::path(dir) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return "";
}

std::string Describe(const TProcessResult& result) {
  if (result.timedOut) return "timed out; stderr: " + result.err;
  if (!result.exited) return "ended by signal " + std::to_string(result.signal) + "; stderr: " + result.err;
  return "status " + std::to_string(result.status) + "; stderr: " + result.err;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> AsUser(uid_t uid, gid_t gid, const std::vector<std::string>& command) {
  std::vector<std::string> argv = {"setpriv", "--reuid=" + std::to_string(uid), "--regid=" + std::to_string(gid),
                                   "--clear-groups", "--"};
  argv.insert(argv.end(), command.begin(), command.end());
  return argv;
}

const std::vector<std::string>& ResourceFolders() {
  static const std::vector<std::string> folders = {"Sprites", "Fonts", "Sounds", "Music", "Maps"};
  return folders;
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

}  // namespace vxtest
