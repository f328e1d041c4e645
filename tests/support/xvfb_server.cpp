#include "tests/support/xvfb_server.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "tests/support/process.h"

namespace vxtest {

namespace {

constexpr int kFirstDisplay = 91;
constexpr int kLastDisplay = 130;
constexpr auto kStartTimeout = std::chrono::seconds(15);
constexpr auto kPollStep = std::chrono::milliseconds(50);

bool SocketAccepts(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  close(fd);
  return ok;
}

// The process id an X server wrote into its lock file; -1 when unreadable.
pid_t LockOwner(const std::string& lockPath) {
  std::ifstream in(lockPath);
  long pid = -1;
  if (!(in >> pid)) return -1;
  return static_cast<pid_t>(pid);
}

}  // namespace

std::string FindWindow(const std::string& display, const std::string& name) {
  const TProcessResult found = RunProgram({"xdotool", "search", "--name", name}, "/", {"DISPLAY=" + display}, 10);
  const std::vector<std::string> windows = Lines(found.out);
  return windows.empty() ? "" : windows[0];
}

TWindowPlace WindowPlace(const std::string& display, const std::string& window) {
  TWindowPlace place;
  const TProcessResult geometry =
      RunProgram({"xdotool", "getwindowgeometry", "--shell", window}, "/", {"DISPLAY=" + display}, 10);
  for (const std::string& line : Lines(geometry.out)) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals);
    const int value = std::stoi(line.substr(equals + 1));
    if (key == "X") place.x = value;
    if (key == "Y") place.y = value;
    if (key == "WIDTH") place.width = value;
    if (key == "HEIGHT") place.height = value;
  }
  return place;
}

bool XvfbInstalled() { return !OnPath("Xvfb").empty(); }

bool WindowManagerInstalled() { return !OnPath("openbox").empty(); }

CXvfbServer::CXvfbServer() {
  for (int number = kFirstDisplay; number <= kLastDisplay; ++number) {
    if (TryDisplay(number)) {
      setenv("DISPLAY", Name.c_str(), 1);
      return;
    }
  }
  if (Reason.empty()) Reason = "no free display between :91 and :130";
}

CXvfbServer::~CXvfbServer() {
  WindowManager.reset();
  if (Pid <= 0) return;
  kill(Pid, SIGTERM);
  int status = 0;
  waitpid(Pid, &status, 0);
}

bool CXvfbServer::TryDisplay(int number) {
  const std::string name = ":" + std::to_string(number);
  const std::string lock = "/tmp/.X" + std::to_string(number) + "-lock";
  const std::string socketPath = "/tmp/.X11-unix/X" + std::to_string(number);
  if (access(lock.c_str(), F_OK) == 0 || access(socketPath.c_str(), F_OK) == 0) return false;
  const pid_t pid = fork();
  if (pid < 0) {
    Reason = std::string("fork: ") + std::strerror(errno);
    return false;
  }
  if (pid == 0) {
    // Keep the server's chatter out of the test's output.
    FILE* quiet = freopen("/dev/null", "w", stderr);
    (void)quiet;
    execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
           "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
  while (std::chrono::steady_clock::now() < deadline) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      // Another server took this display first: try the next one.
      Reason = "Xvfb " + name + " ended at start-up";
      return false;
    }
    // The lock file names the server that owns the display: ours, or one
    // that another test started at the same moment.
    if (LockOwner(lock) == pid && SocketAccepts(socketPath)) {
      Pid = pid;
      Name = name;
      return true;
    }
    std::this_thread::sleep_for(kPollStep);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  Reason = "Xvfb " + name + " did not start in time";
  return false;
}

bool CXvfbServer::StartWindowManager(const std::string& home) {
  if (!Running()) return false;
  const std::vector<std::string> environment = {"DISPLAY=" + Name, "HOME=" + home};
  // openbox names itself on the root window (_NET_SUPPORTING_WM_CHECK) as
  // soon as it has taken the display, before it has gathered the windows
  // already there and entered its event loop; a window mapped in between is
  // never managed, and the classic SDL then waits for it forever inside
  // SDL_SetVideoMode. openbox runs its --startup command only once it is
  // ready for new windows, so that command marks the moment.
  const std::filesystem::path ready = std::filesystem::path(home) / ".openbox-ready";
  std::filesystem::remove(ready);
  WindowManager = std::make_unique<Child>(
      std::vector<std::string>{"openbox", "--sm-disable", "--startup", "touch " + ready.string()}, home, environment);
  const bool up = WaitFor([&] { return !WindowManager->Running() || std::filesystem::exists(ready); },
                          kStartTimeout.count());
  if (up && WindowManager->Running()) return true;
  const TProcessResult ended = WindowManager->Wait(0);
  Reason = "openbox did not start: " + (ended.err.empty() ? std::string("no answer in time") : ended.err);
  WindowManager.reset();
  return false;
}

std::string WindowMapState(const std::string& display, const std::string& window) {
  const TProcessResult info = RunProgram({"xwininfo", "-id", window}, "/", {"DISPLAY=" + display}, 10);
  for (const std::string& line : Lines(info.out)) {
    const size_t at = line.find("Map State: ");
    if (at != std::string::npos) return line.substr(at + 11);
  }
  return "";
}

}  // namespace vxtest
