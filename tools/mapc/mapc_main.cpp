// vexmoor-mapc: turns the text form of a level into a map file and back.
//
//   vexmoor-mapc compile LEVEL.txt OUT.map
//   vexmoor-mapc decompile IN.map OUT.txt
//
// A fault is reported in one line on stderr ("FILE:LINE:COLUMN: message" for
// a level text) and the exit status is 1; the output file is written whole
// or not at all.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "resources/binary_io.h"
#include "tools/mapc/level_text.h"
#include "world/maps.h"

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

int Compile(const std::string& source, const std::string& output) {
  const std::vector<uint8_t> bytes = resources::ReadWholeFile(source);
  maps::TMapFile map;
  try {
    map = leveltext::ParseLevel(std::string(bytes.begin(), bytes.end()));
  } catch (const leveltext::ParseError& error) {
    std::fprintf(stderr, "%s:%s\n", source.c_str(), error.what());
    return ExitFailure;
  }
  maps::WriteMapFile(output, map);
  return ExitOk;
}

int Decompile(const std::string& source, const std::string& output) {
  maps::TMapFile map;
  if (!maps::ReadMapFile(source, map)) {
    std::fprintf(stderr, "%s: not a map file (the header is not \"DD\" \"MAP \" 1 2)\n", source.c_str());
    return ExitFailure;
  }
  if (map.TrailingBytes != 0) {
    std::fprintf(stderr, "%s: warning: %llu bytes after the key plane are left out\n", source.c_str(),
                 static_cast<unsigned long long>(map.TrailingBytes));
  }
  const std::string text = leveltext::FormatLevel(map);
  resources::WriteWholeFile(output, std::vector<uint8_t>(text.begin(), text.end()));
  return ExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: vexmoor-mapc compile LEVEL.txt OUT.map | decompile IN.map OUT.txt\n");
    return ExitUsage;
  }
  const std::string command = argv[1];
  try {
    if (command == "compile") return Compile(argv[2], argv[3]);
    if (command == "decompile") return Decompile(argv[2], argv[3]);
  } catch (const resources::IoError& error) {
    std::fprintf(stderr, "%s: %s\n", error.Path().c_str(), error.Reason().c_str());
    return ExitFailure;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vexmoor-mapc: %s\n", error.what());
    return ExitFailure;
  }
  std::fprintf(stderr, "vexmoor-mapc: unknown command \"%s\"; use compile or decompile\n", command.c_str());
  return ExitUsage;
}
