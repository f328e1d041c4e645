// A private X server for tests that need a real window.
#pragma once

#include <sys/types.h>

#include <string>

namespace vxtest {

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

 private:
  bool TryDisplay(int number);

  pid_t Pid = -1;
  std::string Name;
  std::string Reason;
};

// Whether an Xvfb program is on the search path.
bool XvfbInstalled();

}  // namespace vxtest
