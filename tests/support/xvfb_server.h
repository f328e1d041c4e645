// A private X server for tests that need a real window.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace vxtest {

class Child;

// Starts Xvfb (1024 x 768, 24-bit, GLX on) on the first free display from
// :91 on, waits until its socket accepts connections and points DISPLAY at
// it. The destructor stops the server.
class CXvfbServer {
 public:
  CXvfbServer();
  ~CXvfbServer();
  CXvfbServer(const CXvfbServer&) = delete;
  CXvfbServer& operator=(const CXvfbServer&) = delete;

  // Whether the server is up; when not, Error() says why.
  bool Running() const { return Pid > 0; }
  const std::string& Error() const { return Reason; }
  // ":91" and so on.
  const std::string& Display() const { return Name; }

  // Starts openbox on the display (its files under `home`) and waits until
  // it manages windows, as a desktop's window manager would: new windows
  // get the focus, full-screen windows cover the screen. False, with the
  // reason in Error(), when it does not come up. It ends with the server.
  bool StartWindowManager(const std::string& home);

 private:
  bool TryDisplay(int number);

  std::unique_ptr<Child> WindowManager;
  pid_t Pid = -1;
  std::string Name;
  std::string Reason;
};

// Where a window lies on its display; -1 for what xdotool did not say.
struct TWindowPlace {
  int x = -1, y = -1, width = -1, height = -1;
};

// The first window called `name` on `display`, as xdotool finds it; empty
// while there is none.
std::string FindWindow(const std::string& display, const std::string& name);
// Where xdotool says `window` lies on `display`.
TWindowPlace WindowPlace(const std::string& display, const std::string& window);
// The window's map state as xwininfo reports it ("IsViewable",
// "IsUnMapped", "IsUnviewable"); empty when it cannot be asked.
std::string WindowMapState(const std::string& display, const std::string& window);

// Whether an Xvfb program is on the search path.
bool XvfbInstalled();
// Whether openbox is on the search path.
bool WindowManagerInstalled();

}  // namespace vxtest
