#include "tools/replay/key_script.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "engine/game.h"

namespace replay {

KeyScriptError::KeyScriptError(int line, const std::string& reason, const std::string& where)
    : std::runtime_error((where.empty() ? "line " : where + ":") + std::to_string(line) + ": " + reason),
      line_(line),
      reason_(reason) {}

const std::vector<std::string>& KeyNames() {
  static const std::vector<std::string> names = {
      "space",     "up",       "down",       "left",        "right",     "escape",   "pageup",
      "pagedown",  "pad-up",   "pad-down",   "pad-left",    "pad-right", "pad-a",    "pad-b",
      "pad-x",     "pad-y",    "pad-start",  "pad-back",    "pad-lb",    "pad-rb",   "stick-up",
      "stick-down", "stick-left", "stick-right"};
  return names;
}

const std::vector<uint16_t>& KeyCodes() {
  static const std::vector<uint16_t> codes = {game::keySpace, game::keyUp,       game::keyDown,
                                              game::keyLeft,  game::keyRight,    game::keyEscape,
                                              game::keyPageUp, game::keyPageDown};
  return codes;
}

static_assert(KeyboardKeyCount + game::pcCount <= 32, "every name needs a bit of TKeySet");

uint32_t PadControls(TKeySet keys) { return keys >> KeyboardKeyCount; }

TKeySet KeyBit(const std::string& name) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const auto& names = KeyNames();
  auto found = std::find(names.begin(), names.end(), lower);
  if (found == names.end()) throw std::out_of_range("unknown key \"" + name + "\"");
  return TKeySet{1} << (found - names.begin());
}

namespace {

// The pad bits of the stick's opposite directions.
TKeySet PadBit(game::TPadControl control) { return TKeySet{1} << (KeyboardKeyCount + control); }

// Why a line's keys cannot be held together; empty when they can.
std::string Contradiction(TKeySet keys) {
  const TKeySet across = PadBit(game::pcStickLeft) | PadBit(game::pcStickRight);
  const TKeySet along = PadBit(game::pcStickUp) | PadBit(game::pcStickDown);
  if ((keys & across) == across) return "stick-left and stick-right cannot be held at once";
  if ((keys & along) == along) return "stick-up and stick-down cannot be held at once";
  return "";
}

// Every name, for the complaint about an unknown one.
std::string NameList() {
  std::string list;
  for (const std::string& name : KeyNames()) list += (list.empty() ? "" : " ") + name;
  return list;
}

// A frame number of decimal digits only, 1 to 2^32 - 1.
bool ParseFrame(const std::string& word, uint32_t& frame) {
  if (word.empty() || word.size() > 10) return false;
  uint64_t value = 0;
  for (char c : word) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value == 0 || value > UINT32_MAX) return false;
  frame = static_cast<uint32_t>(value);
  return true;
}

}  // namespace

std::vector<TKeyLine> ParseKeyScript(const std::string& text) {
  std::vector<TKeyLine> script;
  std::istringstream lines(text);
  std::string line;
  int lineNumber = 0;
  while (std::getline(lines, line)) {
    ++lineNumber;
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string word;
    if (!(words >> word)) continue;
    TKeyLine entry{0, 0};
    if (!ParseFrame(word, entry.frame))
      throw KeyScriptError(lineNumber, "\"" + word + "\" is not a frame number (1 or more)");
    if (!script.empty() && entry.frame <= script.back().frame)
      throw KeyScriptError(lineNumber, "frame " + word + " does not come after frame " +
                                           std::to_string(script.back().frame));
    while (words >> word) {
      try {
        entry.keys |= KeyBit(word);
      } catch (const std::out_of_range&) {
        throw KeyScriptError(lineNumber, "unknown key \"" + word + "\" (keys: " + NameList() + ")");
      }
    }
    const std::string contradiction = Contradiction(entry.keys);
    if (!contradiction.empty()) throw KeyScriptError(lineNumber, contradiction);
    script.push_back(entry);
  }
  return script;
}

std::vector<TKeyLine> LoadKeyScript(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  if (file) text << file.rdbuf();
  if (!file || file.bad()) throw KeyScriptError(0, "cannot be read", path);
  try {
    return ParseKeyScript(text.str());
  } catch (const KeyScriptError& error) {
    throw KeyScriptError(error.Line(), error.Reason(), path);
  }
}

TKeySet KeysAt(const std::vector<TKeyLine>& script, uint32_t frame) {
  TKeySet keys = 0;
  for (const TKeyLine& entry : script) {
    if (entry.frame > frame) break;
    keys = entry.keys;
  }
  return keys;
}

bool ApplyKeys(TKeySet keys) {
  const auto& codes = KeyCodes();
  for (size_t i = 0; i < codes.size(); ++i) game::SetKey(codes[i], (keys >> i) & 1u);
  return game::HoldPadControls(PadControls(keys));
}

}  // namespace replay
