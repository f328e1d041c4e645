// Child processes for the tests: run a program to its end, or keep one
// running while the test drives it from outside.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vxtest {

// Runs arguments[0] with these arguments, the environment plus `extraEnv`
// ("NAME=value"), in `workDir` when it is not empty, with its standard error
// going to the file `errorPath` when that is not empty. Returns its exit
// status, or -1 when it could not start or ended on a signal.
int RunProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnv,
               const std::string& workDir = "", const std::string& errorPath = "");

// A program started in the background; the destructor kills it if it is
// still running.
class CChild {
 public:
  CChild(const std::vector<std::string>& arguments, const std::vector<std::string>& extraEnv,
         const std::string& workDir = "");
  ~CChild();
  CChild(const CChild&) = delete;
  CChild& operator=(const CChild&) = delete;

  bool Started() const { return Pid > 0; }
  // Whether it has ended; `status` gets its exit status (-1 after a signal).
  bool Ended(int& status);
  // Waits up to `seconds` for it to end.
  bool WaitEnded(double seconds, int& status);

 private:
  pid_t Pid = -1;
  bool Done = false;
  int Status = -1;
};

}  // namespace vxtest
