#include "tests/opengl/run_program.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace vxtest {

namespace {

pid_t Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnv,
            const std::string& workDir, const std::string& errorPath = "") {
  if (arguments.empty()) return -1;
  const pid_t pid = fork();
  if (pid != 0) return pid;
  for (const std::string& setting : extraEnv) {
    const size_t equals = setting.find('=');
    if (equals != std::string::npos) {
      setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
    }
  }
  if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(127);
  if (!errorPath.empty() && freopen(errorPath.c_str(), "w", stderr) == nullptr) _exit(127);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  execvp(argv[0], argv.data());
  _exit(127);
}

int StatusOf(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1; }

}  // namespace

int RunProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnv,
               const std::string& workDir, const std::string& errorPath) {
  const pid_t pid = Spawn(arguments, extraEnv, workDir, errorPath);
  if (pid < 0) return -1;
  int raw = 0;
  if (waitpid(pid, &raw, 0) != pid) return -1;
  return StatusOf(raw);
}

CChild::CChild(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnv,
               const std::string& workDir)
    : Pid(Spawn(arguments, extraEnv, workDir)) {}

CChild::~CChild() {
  if (Pid <= 0 || Done) return;
  kill(Pid, SIGKILL);
  waitpid(Pid, nullptr, 0);
}

bool CChild::Ended(int& status) {
  if (Pid <= 0) return false;
  if (!Done) {
    int raw = 0;
    if (waitpid(Pid, &raw, WNOHANG) != Pid) return false;
    Done = true;
    Status = StatusOf(raw);
  }
  status = Status;
  return true;
}

bool CChild::WaitEnded(double seconds, int& status) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!Ended(status)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

}  // namespace vxtest
