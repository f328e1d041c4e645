#include "tests/game/support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/game/test_paths.h"

extern char** environ;

namespace vxtest {

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "vexmoor-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp: " + std::string(std::strerror(errno)));
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

const std::vector<std::string>& ResourceFolders() {
  static const std::vector<std::string> folders = {"Sprites", "Fonts", "Sounds", "Music", "Maps"};
  return folders;
}

void MakeInstallCopy(const fs::path& target, const TInstallCopy& how) {
  const fs::path shipped = InstallDir;
  for (const std::string& folder : ResourceFolders()) {
    fs::path from = shipped / folder;
    if (folder == "Maps" && !how.mapsFrom.empty()) from = how.mapsFrom;
    bool copied = folder == "Maps" && !how.mapsFrom.empty();
    for (const std::string& name : how.copiedFolders) copied = copied || name == folder;
    if (copied)
      fs::copy(from, target / folder, fs::copy_options::recursive);
    else
      fs::create_directory_symlink(from, target / folder);
  }
  if (fs::exists(shipped / "vexmoor.bmp")) fs::copy_file(shipped / "vexmoor.bmp", target / "vexmoor.bmp");
  if (how.programs) {
    for (const char* program : {"vexmoor", "vexmoor-sw"}) fs::copy_file(shipped / program, target / program);
  }
}

std::vector<std::string> ScratchFiles(const fs::path& installDir) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(installDir / "Data", error))
    names.push_back(entry.path().filename().string());
  return names;
}

std::vector<std::string> DummyDrivers() { return {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"}; }

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
    for (const std::string& extra : environment)
      replaced = replaced || text.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0;
    if (!replaced) envText.push_back(text);
  }
  envText.insert(envText.end(), environment.begin(), environment.end());
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
    execve(args[0], args.data(), envp.data());
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

}  // namespace vxtest
