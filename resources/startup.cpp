#include "resources/startup.h"

#include "platform/platform.h"

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

}  // namespace

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return path.substr(0, slash + 1);
}

void StartUp(int argc, char** argv, bool useArgv0Fallback) {
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
  std::string executable = platform::ExecutablePath();
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
