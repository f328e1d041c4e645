// Held-key scripts for replays: lines "FRAME KEY..." saying which keys and
// pad controls are held from that frame on, until the next line.
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

// The keys and pad controls a script can hold, as a bit set: bit i is
// KeyNames()[i]; the keyboard's keys come first, then the pad's controls in
// the engine's order (bit KeyboardKeyCount + c is control c).
using TKeySet = uint32_t;
constexpr int KeyboardKeyCount = 8;

// One script line: from frame `frame` on exactly `keys` are held.
struct TKeyLine {
  uint32_t frame;
  TKeySet keys;
};

// The script's names in bit order: the keys space, up, down, left, right,
// escape, pageup, pagedown, then the pad's pad-up, pad-down, pad-left,
// pad-right (the D-pad), pad-a, pad-b, pad-x, pad-y (the face buttons),
// pad-start, pad-back, pad-lb, pad-rb (the shoulders), stick-up,
// stick-down, stick-left, stick-right (the left stick pushed fully).
const std::vector<std::string>& KeyNames();
// The SDL key codes of the keyboard's names, in bit order.
const std::vector<uint16_t>& KeyCodes();
// The pad controls of a set, as the engine numbers them.
uint32_t PadControls(TKeySet keys);

// Parses a whole script. Blank lines and text after "#" are ignored; a
// line is a frame number (1 or more, above the previous line's) followed by
// zero or more key names (letter case ignored); no name means no key held.
// The stick cannot be held both ways at once (stick-left with stick-right,
// stick-up with stick-down). Throws KeyScriptError naming the first bad
// line.
std::vector<TKeyLine> ParseKeyScript(const std::string& text);

// Reads and parses a script file. Throws KeyScriptError whose message
// starts with "path:line: " (line 0 when the file cannot be read).
std::vector<TKeyLine> LoadKeyScript(const std::string& path);

// The keys held in `frame`: those of the last line whose frame is at or
// before it; none before the first line.
TKeySet KeysAt(const std::vector<TKeyLine>& script, uint32_t frame);

// Holds exactly the keys of the set in the engine's key table and releases
// the other script keys, and makes the engine's virtual pad (joystick 0)
// hold exactly the set's pad controls, through joystick events in SDL's
// queue. Needs the engine started. False when SDL's queue was full and
// dropped a pad event.
bool ApplyKeys(TKeySet keys);

// The bit of one key name; throws std::out_of_range for an unknown name.
TKeySet KeyBit(const std::string& name);

}  // namespace replay
