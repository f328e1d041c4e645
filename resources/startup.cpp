#include "resources/startup.h"

#include <unistd.h>

#include <climits>

namespace resources {

std::string ProgramDir;
bool DevelopMode = false;

namespace {

std::vector<std::string> Arguments;

std::string LowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// The running executable's own path as the kernel reports it, symbolic
// links resolved; empty when the link cannot be read. The buffer grows
// until the whole path fits: readlink gives no length, only a full buffer.
std::string ExecutablePath() {
  for (size_t size = PATH_MAX;; size *= 2) {
    std::string buffer(size, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0) return std::string();
    if (static_cast<size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<size_t>(length));
      return buffer;
    }
  }
}

}  // namespace

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash + 1);
}

void StartUp(int argc, char** argv, bool useArgv0Fallback) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
  std::string executable = ExecutablePath();
  if (executable.empty() && useArgv0Fallback && !arguments.empty()) executable = arguments[0];
  ProgramDir = DirectoryOf(executable);
  SetArguments(arguments);
}

void SetArguments(const std::vector<std::string>& arguments) {
  Arguments = arguments;
  DevelopMode = ParamPresent("-develop");
}

bool ParamPresent(const std::string& switchText) {
  const std::string wanted = LowerCase(switchText);
  for (size_t i = 1; i < Arguments.size(); ++i) {
    if (LowerCase(Arguments[i]) == wanted) return true;
  }
  return false;
}

}  // namespace resources
