// Held-key scripts for replays: lines "FRAME KEY..." saying which keys are
// held from that frame on, until the next line.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace replay {

// A fault in a key script, with the line it was found on (1-based).
class KeyScriptError : public std::runtime_error {
 public:
  // line 0: a fault of the whole file (it cannot be read). The message is
  // "line N: reason", or "where:N: reason" when `where` (a path) is given.
  KeyScriptError(int line, const std::string& reason, const std::string& where = "");
  int Line() const { return line_; }
  const std::string& Reason() const { return reason_; }

 private:
  int line_;
  std::string reason_;
};

// The keys a script can hold, as a bit set (bit i is KeyCodes()[i]).
using TKeySet = uint32_t;

// One script line: from frame `frame` on exactly `keys` are held.
struct TKeyLine {
  uint32_t frame;
  TKeySet keys;
};

// The script key names and their SDL key codes, in bit order: space, up,
// down, left, right, escape, pageup, pagedown.
const std::vector<std::string>& KeyNames();
const std::vector<uint16_t>& KeyCodes();

// Parses a whole script. Blank lines and text after "#" are ignored; a
// line is a frame number (1 or more, above the previous line's) followed by
// zero or more key names (letter case ignored); no name means no key held.
// Throws KeyScriptError naming the first bad line.
std::vector<TKeyLine> ParseKeyScript(const std::string& text);

// Reads and parses a script file. Throws KeyScriptError whose message
// starts with "path:line: " (line 0 when the file cannot be read).
std::vector<TKeyLine> LoadKeyScript(const std::string& path);

// The keys held in `frame`: those of the last line whose frame is at or
// before it; none before the first line.
TKeySet KeysAt(const std::vector<TKeyLine>& script, uint32_t frame);

// Holds exactly the keys of the set in the engine's key table and releases
// the other script keys. Needs the engine started.
void ApplyKeys(TKeySet keys);

// The bit of one key name; throws std::out_of_range for an unknown name.
TKeySet KeyBit(const std::string& name);

}  // namespace replay
