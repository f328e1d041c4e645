// The replay tool's key-script parser on any text.
#include <algorithm>
#include <string>

#include "engine/game.h"
#include "tests/fuzz/fuzz_support.h"
#include "tools/replay/key_script.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<replay::TKeyLine> script;
  try {
    script = replay::ParseKeyScript(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const replay::KeyScriptError& error) {
    if (error.Line() < 1) fuzz::Broken(std::string("fault without a line: ") + error.what());
    return 0;
  }
  const replay::TKeySet allKeys = (replay::TKeySet{1} << replay::KeyNames().size()) - 1;
  uint32_t previous = 0;
  // KeysAt walks the script: the first lines are enough to hold it to its word.
  const size_t checked = std::min<size_t>(script.size(), 200);
  for (size_t i = 0; i < checked; ++i) {
    const replay::TKeyLine& line = script[i];
    if (line.frame <= previous) fuzz::Broken("frames do not rise");
    if ((line.keys & ~allKeys) != 0) fuzz::Broken("a key outside the script's keys");
    const uint32_t pad = replay::PadControls(line.keys);
    const bool across = (pad >> game::pcStickLeft) & (pad >> game::pcStickRight) & 1u;
    const bool along = (pad >> game::pcStickUp) & (pad >> game::pcStickDown) & 1u;
    if (across || along) fuzz::Broken("the stick held both ways at once");
    if (replay::KeysAt(script, line.frame) != line.keys) fuzz::Broken("KeysAt misses its own line");
    if (replay::KeysAt(script, line.frame - 1) != (previous ? replay::KeysAt(script, previous) : 0)) {
      fuzz::Broken("keys change between lines");
    }
    previous = line.frame;
  }
  return 0;
}
