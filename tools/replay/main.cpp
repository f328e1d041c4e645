// vexmoor-replay: runs the real game headless on a controlled clock with a
// script of held keys and pad controls, and records what each frame did.
//
//   vexmoor-replay [--dir DIR] [--develop] [--keys FILE] [--frames N]
//                  [--dump FILE] [--shot FRAME:PATH]... [--seed N]
//
// Frame 1 is the first frame of the main loop, after loading. Without
// --frames the run ends only when the script holds Escape. Exit status:
// the game's own, 2 for bad options or a bad key script, 1 when a dump or
// picture could not be written or a requested picture's frame never came.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/game.h"
#include "resources/startup.h"
#include "tools/replay/frame_dump.h"
#include "tools/replay/key_script.h"
#include "tools/replay/png_file.h"
#include "tools/replay/replay_run.h"

namespace {

constexpr int ExitUsage = 2;
constexpr int ExitOutputFailed = 1;

const char* const Usage =
    "usage: vexmoor-replay [--dir DIR] [--develop] [--keys FILE] [--frames N]\n"
    "                      [--dump FILE] [--shot FRAME:PATH]... [--seed N]\n"
    "Key script lines: FRAME [space|up|down|left|right|escape|pageup|pagedown]...\n"
    "  and the pad: pad-up pad-down pad-left pad-right pad-a pad-b pad-x pad-y\n"
    "  pad-start pad-back pad-lb pad-rb stick-up stick-down stick-left stick-right\n";

struct TOptions {
  replay::TRunSetup setup;
  std::string keysPath;
  std::optional<uint32_t> frames;
  std::string dumpPath;
  std::map<uint32_t, std::vector<std::string>> shots;
  std::optional<uint32_t> seed;
};

class UsageError : public std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A whole decimal number from `minimum` to 2^32 - 1.
uint32_t ParseNumber(const std::string& option, const std::string& text, uint32_t minimum) {
  size_t used = 0;
  unsigned long long value = 0;
  bool ok = !text.empty() && text[0] >= '0' && text[0] <= '9';
  if (ok) {
    try {
      value = std::stoull(text, &used);
    } catch (const std::exception&) {
      ok = false;
    }
  }
  if (!ok || used != text.size() || value < minimum || value > UINT32_MAX)
    throw UsageError(option + " needs a whole number of at least " + std::to_string(minimum) +
                     ", not \"" + text + "\"");
  return static_cast<uint32_t>(value);
}

TOptions ParseOptions(int argc, char** argv) {
  TOptions options;
  options.setup.dir = resources::ProgramDir + "../vexmoor/";
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) throw UsageError(option + " needs a value");
      return argv[++i];
    };
    if (option == "--dir") {
      options.setup.dir = value();
    } else if (option == "--develop") {
      options.setup.develop = true;
    } else if (option == "--keys") {
      options.keysPath = value();
    } else if (option == "--frames") {
      options.frames = ParseNumber(option, value(), 1);
    } else if (option == "--dump") {
      options.dumpPath = value();
    } else if (option == "--shot") {
      const std::string shot = value();
      const size_t colon = shot.find(':');
      if (colon == std::string::npos || colon + 1 == shot.size())
        throw UsageError("--shot needs FRAME:PATH, not \"" + shot + "\"");
      options.shots[ParseNumber(option, shot.substr(0, colon), 1)].push_back(shot.substr(colon + 1));
    } else if (option == "--seed") {
      options.seed = ParseNumber(option, value(), 0);
    } else {
      throw UsageError("unknown option \"" + option + "\"");
    }
  }
  struct stat info;
  if (stat(options.setup.dir.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    throw UsageError("installation directory " + options.setup.dir + " does not exist");
  if (options.frames && !options.shots.empty() && options.shots.rbegin()->first > *options.frames)
    throw UsageError("--shot frame " + std::to_string(options.shots.rbegin()->first) +
                     " comes after --frames " + std::to_string(*options.frames));
  return options;
}

// What the hooks record while the game runs.
struct TRecorder {
  const TOptions* options = nullptr;
  std::vector<replay::TKeyLine> script;
  std::ofstream dump;
  std::vector<std::string> failures;
  uint32_t shotsTaken = 0;

  void BeforePass(uint32_t frame) {
    if (!replay::ApplyKeys(replay::KeysAt(script, frame))) Fail("SDL's event queue dropped a pad event");
  }

  void AfterFrame(uint32_t frame) {
    // Taken every frame, so each line holds its own frame's events only.
    const replay::TFrameEvents events = replay::TakeEvents();
    if (dump.is_open()) {
      dump << replay::DumpLine(frame, events) << '\n';
      if (!dump) {
        Fail(options->dumpPath + ": cannot be written");
        dump.close();
      }
    }
    auto shot = options->shots.find(frame);
    if (shot != options->shots.end()) TakeShots(shot->second);
    if (options->frames && frame >= *options->frames) game::RequestQuit();
  }

  void TakeShots(const std::vector<std::string>& paths) {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    if (!game::ReadScreen(rgb, width, height)) {
      Fail("the picture cannot be read: there is no screen");
      return;
    }
    for (const std::string& path : paths) {
      const std::string failure = replay::WritePng(path, rgb, width, height);
      if (!failure.empty()) Fail(failure);
      else ++shotsTaken;
    }
  }

  // Ends the run through the game's own quit; the failure is reported after
  // shutdown.
  void Fail(const std::string& failure) {
    failures.push_back(failure);
    game::RequestQuit();
  }
};

int Replay(const TOptions& options) {
  TRecorder recorder;
  recorder.options = &options;
  if (!options.keysPath.empty()) recorder.script = replay::LoadKeyScript(options.keysPath);
  if (!options.dumpPath.empty()) {
    recorder.dump.open(options.dumpPath, std::ios::trunc);
    if (!recorder.dump) throw UsageError(options.dumpPath + ": cannot be created");
  }
  shell::TLoopHooks hooks;
  hooks.beforePass = [&recorder](uint32_t frame) { recorder.BeforePass(frame); };
  hooks.afterFrame = [&recorder](uint32_t frame) { recorder.AfterFrame(frame); };
  hooks.fixedSeed = options.seed.has_value();
  hooks.seed = options.seed.value_or(0);

  replay::StartEventLog();
  const int status = replay::RunGame(options.setup, hooks);
  replay::StopEventLog();
  if (recorder.dump.is_open()) {
    recorder.dump.close();
    if (!recorder.dump) recorder.failures.push_back(options.dumpPath + ": cannot be written");
  }
  size_t shotsWanted = 0;
  for (const auto& [frame, paths] : options.shots) shotsWanted += paths.size();
  if (status == 0 && recorder.failures.empty() && recorder.shotsTaken < shotsWanted)
    recorder.failures.push_back("the game ended before every --shot frame was reached");
  for (const std::string& failure : recorder.failures) std::cerr << "vexmoor-replay: " << failure << '\n';
  if (status != 0) return status;
  return recorder.failures.empty() ? 0 : ExitOutputFailed;
}

}  // namespace

int main(int argc, char** argv) {
  replay::UseDummyDrivers();
  resources::StartUp(argc, argv, true);
  try {
    return Replay(ParseOptions(argc, argv));
  } catch (const UsageError& error) {
    std::cerr << "vexmoor-replay: " << error.what() << '\n' << Usage;
    return ExitUsage;
  } catch (const replay::KeyScriptError& error) {
    std::cerr << "vexmoor-replay: " << error.what() << '\n';
    return ExitUsage;
  }
}
