#include "tools/mapc/level_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace leveltext {

namespace {

constexpr char CommentChar = ';';
constexpr char QuoteChar = '"';
constexpr char ZeroDot = '.';
constexpr char ZeroWall = '#';
constexpr char TileZeroAlias = '-';
constexpr int16_t DefaultTileSize = 64;
const std::string DigitChars = "0123456789ABCDEFabcdef";

// Content codes 0 to 12, in order.
constexpr std::array<char, 13> ContentChars = {'.', 'S', 'E', '#', 'D', 'd', 'K', 'M', 'A', 'O', 'o', '*', 'x'};

// Characters the decompiler hands out as aliases, in this order.
const std::string& AliasPool() {
  static const std::string pool = [] {
    std::string text = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (char c = '!'; c <= '~'; ++c) {
      if (c != CommentChar && c != QuoteChar && text.find(c) == std::string::npos) text += c;
    }
    return text;
  }();
  return pool;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsAliasChar(char c) { return c > ' ' && c <= '~' && c != CommentChar && c != QuoteChar; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Quoted(char c) { return std::string("'") + c + "'"; }

struct TToken {
  std::string Text;
  int Column = 0;  // 1-based
  bool Quoted = false;
};

struct TLine {
  std::string Text;
  int Number = 0;  // 1-based
};

// The lines of a text, with Windows line ends accepted.
std::vector<TLine> SplitLines(const std::string& text) {
  std::vector<TLine> lines;
  size_t start = 0;
  int number = 1;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back({line, number++});
    start = end + 1;
  }
  return lines;
}

// True for a line with nothing but blanks and perhaps a comment.
bool IsEmptyLine(const std::string& text) {
  for (char c : text) {
    if (c == CommentChar) return true;
    if (!IsBlank(c)) return false;
  }
  return true;
}

// Splits a directive or legend line into blank-separated tokens; a quoted
// token may hold blanks and the escapes \" \\ \xHH; a ';' outside quotes
// ends the line.
std::vector<TToken> Tokenize(const TLine& line) {
  std::vector<TToken> tokens;
  const std::string& text = line.Text;
  size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    if (text[i] == CommentChar) break;
    TToken token;
    token.Column = static_cast<int>(i) + 1;
    if (text[i] == QuoteChar) {
      token.Quoted = true;
      ++i;
      for (;;) {
        if (i >= text.size()) throw ParseError(line.Number, token.Column, "unterminated quoted name");
        const char c = text[i];
        if (c == QuoteChar) {
          ++i;
          break;
        }
        if (c != '\\') {
          token.Text += c;
          ++i;
          continue;
        }
        const int escapeColumn = static_cast<int>(i) + 1;
        if (i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == QuoteChar)) {
          token.Text += text[i + 1];
          i += 2;
        } else if (i + 3 < text.size() && text[i + 1] == 'x' && HexValue(text[i + 2]) >= 0 &&
                   HexValue(text[i + 3]) >= 0) {
          token.Text += static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
          i += 4;
        } else {
          throw ParseError(line.Number, escapeColumn, "unknown escape; use \\\", \\\\ or \\xHH");
        }
      }
      if (i < text.size() && !IsBlank(text[i]) && text[i] != CommentChar) {
        throw ParseError(line.Number, static_cast<int>(i) + 1, "expected a blank after the closing quote");
      }
    } else {
      while (i < text.size() && !IsBlank(text[i]) && text[i] != CommentChar) token.Text += text[i++];
    }
    tokens.push_back(token);
  }
  return tokens;
}

// The end column of a line's last token, for faults about a missing token.
int EndColumn(const TLine& line) {
  size_t end = line.Text.find(CommentChar);
  if (end == std::string::npos) end = line.Text.size();
  while (end > 0 && IsBlank(line.Text[end - 1])) --end;
  return static_cast<int>(end) + 1;
}

long ParseNumber(const TLine& line, const TToken& token, long low, long high, const std::string& what) {
  const bool negative = !token.Text.empty() && token.Text[0] == '-';
  const std::string digits = negative ? token.Text.substr(1) : token.Text;
  if (token.Quoted || !AllDigits(digits) || digits.size() > 6) {
    throw ParseError(line.Number, token.Column, what + " must be a number from " + std::to_string(low) + " to " +
                                                     std::to_string(high) + ", not \"" + token.Text + "\"");
  }
  const long value = (negative ? -1 : 1) * std::stol(digits);
  if (value < low || value > high) {
    throw ParseError(line.Number, token.Column,
                     what + " " + token.Text + " is outside " + std::to_string(low) + " to " + std::to_string(high));
  }
  return value;
}

enum class TPlane { Tiles, Content, Keys, Reserved };

struct TPlaneInfo {
  const char* Keyword;
  int MaxValue;
  int HexDigits;
};

constexpr std::array<TPlaneInfo, 4> Planes = {{
    {"tiles", 0xFFFF, 4},
    {"content", 0xFF, 2},
    {"keys", 0xFF, 2},
    {"reserved", 0xFF, 2},
}};

std::optional<TPlane> PlaneOfKeyword(const std::string& word) {
  for (size_t i = 0; i < Planes.size(); ++i) {
    if (word == Planes[i].Keyword) return static_cast<TPlane>(i);
  }
  return std::nullopt;
}

class TParser {
 public:
  explicit TParser(const std::string& text) : lines_(SplitLines(text)) {}

  maps::TMapFile Parse() {
    bool haveLevel = false;
    bool haveTileSize = false;
    std::array<bool, 4> seen = {};
    while (const TLine* line = NextLine()) {
      const std::vector<TToken> tokens = Tokenize(*line);
      const TToken& word = tokens[0];
      if (!haveLevel) {
        if (word.Text != "level") {
          throw ParseError(line->Number, word.Column, "a level text begins with \"level WIDTH HEIGHT\"");
        }
        ExpectCount(*line, tokens, 3, "level WIDTH HEIGHT");
        map_.Width = static_cast<uint16_t>(ParseNumber(*line, tokens[1], 0, 0xFFFF, "the width"));
        map_.Height = static_cast<uint16_t>(ParseNumber(*line, tokens[2], 0, 0xFFFF, "the height"));
        const size_t cells = static_cast<size_t>(map_.Width) * map_.Height;
        if (cells > maps::MaxMapCells) {
          throw ParseError(line->Number, tokens[1].Column, maps::MapSizeProblem(map_.Width, map_.Height));
        }
        map_.Tiles.assign(cells, 0);
        map_.Content.assign(cells, 0);
        map_.Reserved.assign(cells, 0);
        map_.KeyCodes.assign(cells, 0);
        haveLevel = true;
      } else if (word.Text == "level") {
        throw ParseError(line->Number, word.Column, "a second \"level\" line");
      } else if (word.Text == "tilesize") {
        if (haveTileSize) throw ParseError(line->Number, word.Column, "a second \"tilesize\" line");
        ExpectCount(*line, tokens, 2, "tilesize NUMBER");
        map_.TileSize = static_cast<int16_t>(ParseNumber(*line, tokens[1], -32768, 32767, "the tile size"));
        haveTileSize = true;
      } else if (word.Text == "name") {
        AddName(*line, tokens);
      } else if (std::optional<TPlane> plane = PlaneOfKeyword(word.Text)) {
        const size_t index = static_cast<size_t>(*plane);
        if (seen[index]) throw ParseError(line->Number, word.Column, "a second \"" + word.Text + "\" section");
        seen[index] = true;
        ParsePlane(*line, tokens, *plane);
      } else {
        throw ParseError(line->Number, word.Column,
                         "unknown line \"" + word.Text + "\"; expected name, tiles, content, keys or reserved");
      }
    }
    if (!haveLevel) throw ParseError(LastLineNumber(), 1, "no \"level WIDTH HEIGHT\" line");
    for (TPlane required : {TPlane::Tiles, TPlane::Content}) {
      if (!seen[static_cast<size_t>(required)]) {
        throw ParseError(LastLineNumber(), 1,
                         std::string("no \"") + Planes[static_cast<size_t>(required)].Keyword + "\" section");
      }
    }
    return map_;
  }

 private:
  // The next line with something on it, or null at the end.
  const TLine* NextLine() {
    while (next_ < lines_.size()) {
      const TLine& line = lines_[next_++];
      if (!IsEmptyLine(line.Text)) return &line;
    }
    return nullptr;
  }
  const TLine* PeekLine() {
    const size_t saved = next_;
    const TLine* line = NextLine();
    next_ = saved;
    return line;
  }
  int LastLineNumber() const { return lines_.empty() ? 1 : lines_.back().Number; }

  static void ExpectCount(const TLine& line, const std::vector<TToken>& tokens, size_t count,
                          const std::string& form) {
    if (tokens.size() < count) throw ParseError(line.Number, EndColumn(line), "expected \"" + form + "\"");
    if (tokens.size() > count) {
      throw ParseError(line.Number, tokens[count].Column, "unexpected \"" + tokens[count].Text + "\" after \"" +
                                                              form + "\"");
    }
  }

  void AddName(const TLine& line, const std::vector<TToken>& tokens) {
    if (sectionsStarted_) {
      throw ParseError(line.Number, tokens[0].Column, "picture names come before the grids");
    }
    ExpectCount(line, tokens, 2, "name PICTURE");
    const TToken& name = tokens[1];
    if (map_.Names.size() >= static_cast<size_t>(maps::MaxSpriteNames)) {
      throw ParseError(line.Number, name.Column, "a map holds at most 256 picture names");
    }
    if (name.Text.size() > static_cast<size_t>(maps::MaxNameLength)) {
      throw ParseError(line.Number, name.Column, "picture name longer than 31 characters");
    }
    if (name.Text.find('\0') != std::string::npos) {
      throw ParseError(line.Number, name.Column, "a picture name cannot hold a NUL byte");
    }
    map_.Names.push_back(name.Text);
  }

  void ParsePlane(const TLine& header, const std::vector<TToken>& tokens, TPlane plane) {
    sectionsStarted_ = true;
    const TPlaneInfo& info = Planes[static_cast<size_t>(plane)];
    const std::string keyword = info.Keyword;
    if (tokens.size() >= 2 && tokens[1].Text == "hex") {
      ExpectCount(header, tokens, 2, keyword + " hex");
      ParseHexRows(plane);
      return;
    }
    ExpectCount(header, tokens, 1, keyword + "\" or \"" + keyword + " hex");
    std::map<char, int> legend;
    if (plane == TPlane::Content) {
      for (size_t code = 0; code < ContentChars.size(); ++code) legend[ContentChars[code]] = static_cast<int>(code);
    } else if (plane == TPlane::Keys || plane == TPlane::Reserved) {
      legend[ZeroDot] = 0;
      legend[ZeroWall] = 0;
      for (size_t i = 0; i < DigitChars.size(); ++i) legend[DigitChars[i]] = static_cast<int>(i < 16 ? i : i - 6);
    }
    std::string fixed;
    for (const auto& [c, value] : legend) fixed += c;
    // Legend lines hold blanks; grid rows never do.
    while (const TLine* line = PeekLine()) {
      if (!HasBlankBeforeComment(line->Text) || IsKeyword(FirstWord(line->Text))) break;
      NextLine();
      ParseLegendLine(*line, plane, fixed, legend);
    }
    ParseCharRows(plane, legend);
  }

  // The first blank-separated word of a line.
  static std::string FirstWord(const std::string& text) {
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    size_t end = start;
    while (end < text.size() && !IsBlank(text[end]) && text[end] != CommentChar) ++end;
    return text.substr(start, end - start);
  }
  static bool IsKeyword(const std::string& word) {
    return PlaneOfKeyword(word) || word == "name" || word == "level" || word == "tilesize";
  }

  static bool HasBlankBeforeComment(const std::string& text) {
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    for (size_t i = start; i < text.size() && text[i] != CommentChar; ++i) {
      if (IsBlank(text[i])) return true;
    }
    return false;
  }

  void ParseLegendLine(const TLine& line, TPlane plane, const std::string& fixed, std::map<char, int>& legend) {
    const std::vector<TToken> tokens = Tokenize(line);
    const TToken& alias = tokens[0];
    if (tokens.size() < 2 || tokens[1].Text != "=" || tokens[1].Quoted) {
      throw ParseError(line.Number, tokens.size() < 2 ? EndColumn(line) : tokens[1].Column,
                       "expected a legend line \"ALIAS = VALUE\"");
    }
    ExpectCount(line, tokens, 3, "ALIAS = VALUE");
    if (alias.Quoted || alias.Text.size() != 1 || !IsAliasChar(alias.Text[0])) {
      throw ParseError(line.Number, alias.Column, "an alias is one printable character other than ';' and '\"'");
    }
    const char c = alias.Text[0];
    if (fixed.find(c) != std::string::npos) {
      throw ParseError(line.Number, alias.Column, Quoted(c) + " has a fixed meaning in this grid");
    }
    if (legend.count(c) != 0) throw ParseError(line.Number, alias.Column, "alias " + Quoted(c) + " given twice");
    const TToken& value = tokens[2];
    if (plane != TPlane::Tiles) {
      legend[c] = static_cast<int>(ParseNumber(line, value, 0, 0xFF, "a value"));
    } else if (!value.Quoted && AllDigits(value.Text)) {
      legend[c] = static_cast<int>(ParseNumber(line, value, 0, 0xFFFF, "a tile value"));
    } else {
      const auto found = std::find(map_.Names.begin(), map_.Names.end(), value.Text);
      if (found == map_.Names.end()) {
        throw ParseError(line.Number, value.Column, "no picture named \"" + value.Text + "\" in the name list");
      }
      legend[c] = static_cast<int>(found - map_.Names.begin()) + 1;
    }
  }

  // The next grid row of a section, or a fault naming how many rows came.
  const TLine& NextRow(TPlane plane, int row) {
    const TLine* line = NextLine();
    const std::string what = std::string("the \"") + Planes[static_cast<size_t>(plane)].Keyword + "\" grid";
    const std::string count = std::to_string(row) + " of " + std::to_string(map_.Height) + " rows";
    if (line == nullptr) throw ParseError(LastLineNumber(), 1, what + " ends after " + count);
    const std::string first = FirstWord(line->Text);
    if (IsKeyword(first) && (HasBlankBeforeComment(line->Text) || first.size() != map_.Width)) {
      throw ParseError(line->Number, static_cast<int>(line->Text.find(first)) + 1, what + " ends after " + count);
    }
    return *line;
  }

  size_t RowCells() const { return map_.Width * static_cast<size_t>(map_.Height) == 0 ? 0 : map_.Height; }

  void ParseCharRows(TPlane plane, const std::map<char, int>& legend) {
    for (size_t y = 0; y < RowCells(); ++y) {
      const TLine& line = NextRow(plane, static_cast<int>(y));
      const std::string& text = line.Text;
      size_t i = 0;
      while (i < text.size() && IsBlank(text[i])) ++i;
      const size_t begin = i;
      while (i < text.size() && !IsBlank(text[i]) && text[i] != CommentChar) ++i;
      const size_t cells = i - begin;
      size_t rest = i;
      while (rest < text.size() && IsBlank(text[rest])) ++rest;
      if (rest < text.size() && text[rest] != CommentChar) {
        throw ParseError(line.Number, static_cast<int>(rest) + 1, "unexpected text after the row");
      }
      if (cells != map_.Width) {
        const int column = static_cast<int>(begin + std::min(cells, static_cast<size_t>(map_.Width))) + 1;
        throw ParseError(line.Number, column, "row has " + std::to_string(cells) + " cells, " +
                                                  std::to_string(map_.Width) + " expected");
      }
      for (size_t x = 0; x < cells; ++x) {
        const char c = text[begin + x];
        const auto found = legend.find(c);
        if (found == legend.end()) {
          throw ParseError(line.Number, static_cast<int>(begin + x) + 1, UnknownCharMessage(plane, c));
        }
        Store(plane, y * map_.Width + x, found->second);
      }
    }
  }

  static std::string UnknownCharMessage(TPlane plane, char c) {
    switch (plane) {
      case TPlane::Tiles:
        return "tile alias " + Quoted(c) + " is not in the legend";
      case TPlane::Content:
        return "content character " + Quoted(c) + " is neither fixed nor in the legend";
      default:
        return Quoted(c) + " is not a hexadecimal digit, '.', '#' or in the legend";
    }
  }

  void ParseHexRows(TPlane plane) {
    const TPlaneInfo& info = Planes[static_cast<size_t>(plane)];
    for (size_t y = 0; y < RowCells(); ++y) {
      const TLine& line = NextRow(plane, static_cast<int>(y));
      const std::vector<TToken> tokens = Tokenize(line);
      if (tokens.size() != map_.Width) {
        const int column = tokens.size() > map_.Width ? tokens[map_.Width].Column : EndColumn(line);
        throw ParseError(line.Number, column, "row has " + std::to_string(tokens.size()) + " values, " +
                                                  std::to_string(map_.Width) + " expected");
      }
      for (size_t x = 0; x < tokens.size(); ++x) {
        const TToken& token = tokens[x];
        int value = 0;
        bool valid = !token.Quoted && !token.Text.empty() && token.Text.size() <= static_cast<size_t>(info.HexDigits);
        // Digits are only added up once the length is known to fit.
        for (size_t i = 0; valid && i < token.Text.size(); ++i) {
          const int digit = HexValue(token.Text[i]);
          valid = digit >= 0;
          value = value * 16 + std::max(digit, 0);
        }
        if (!valid) {
          throw ParseError(line.Number, token.Column,
                           "expected a hexadecimal value of at most " + std::to_string(info.HexDigits) + " digits");
        }
        Store(plane, y * map_.Width + x, value);
      }
    }
  }

  void Store(TPlane plane, size_t cell, int value) {
    switch (plane) {
      case TPlane::Tiles:
        map_.Tiles[cell] = static_cast<uint16_t>(value);
        break;
      case TPlane::Content:
        map_.Content[cell] = static_cast<uint8_t>(value);
        break;
      case TPlane::Keys:
        map_.KeyCodes[cell] = static_cast<uint8_t>(value);
        break;
      case TPlane::Reserved:
        map_.Reserved[cell] = static_cast<uint8_t>(value);
        break;
    }
  }

  std::vector<TLine> lines_;
  size_t next_ = 0;
  bool sectionsStarted_ = false;
  maps::TMapFile map_;
};

// ---- Writing ----

bool IsBareName(const std::string& name) {
  if (name.empty() || AllDigits(name)) return false;
  return std::all_of(name.begin(), name.end(), [](char c) { return IsAliasChar(c) && c != '\\'; });
}

std::string NameToken(const std::string& name) {
  if (IsBareName(name)) return name;
  std::string text(1, QuoteChar);
  for (char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == QuoteChar || c == '\\') {
      text += '\\';
      text += c;
    } else if (byte < ' ' || byte > '~') {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      text += escape;
    } else {
      text += c;
    }
  }
  return text + QuoteChar;
}

// Hands out one alias per distinct value: a preferred character when it is
// still free, otherwise the next free one from the pool. Empty when the
// values outnumber the pool.
std::map<int, char> AssignAliases(const std::vector<int>& values, const std::string& taken,
                                  char (*preferred)(int)) {
  std::map<int, char> aliases;
  std::string used = taken;
  for (int value : values) {
    const char c = preferred(value);
    if (c != 0 && used.find(c) == std::string::npos) {
      aliases[value] = c;
      used += c;
    }
  }
  size_t next = 0;
  const std::string& pool = AliasPool();
  for (int value : values) {
    if (aliases.count(value)) continue;
    while (next < pool.size() && used.find(pool[next]) != std::string::npos) ++next;
    if (next == pool.size()) return {};
    aliases[value] = pool[next];
    used += pool[next];
  }
  return aliases;
}

// The k-th picture gets the k-th pool character, no picture gets '-'.
char PreferredTileAlias(int value) {
  if (value == 0) return TileZeroAlias;
  return static_cast<size_t>(value) <= AliasPool().size() ? AliasPool()[value - 1] : 0;
}

char NoPreference(int) { return 0; }

template <class T>
std::vector<int> DistinctValues(const std::vector<T>& plane) {
  std::vector<int> values(plane.begin(), plane.end());
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

template <class T>
void WriteHexRows(std::string& out, const maps::TMapFile& map, const std::vector<T>& plane, int digits) {
  for (size_t y = 0; y < map.Height && map.Width > 0; ++y) {
    for (size_t x = 0; x < map.Width; ++x) {
      char value[8];
      std::snprintf(value, sizeof value, "%0*X", digits, static_cast<unsigned>(plane[y * map.Width + x]));
      out += (x == 0 ? "" : " ");
      out += value;
    }
    out += '\n';
  }
}

template <class T>
void WriteCharRows(std::string& out, const maps::TMapFile& map, const std::vector<T>& plane,
                   const std::map<int, char>& aliases) {
  for (size_t y = 0; y < map.Height && map.Width > 0; ++y) {
    for (size_t x = 0; x < map.Width; ++x) out += aliases.at(plane[y * map.Width + x]);
    out += '\n';
  }
}

std::string TileLegendValue(const maps::TMapFile& map, int value) {
  if (value >= 1 && static_cast<size_t>(value) <= map.Names.size()) {
    const std::string& name = map.Names[value - 1];
    const bool firstOfItsName = std::find(map.Names.begin(), map.Names.end(), name) - map.Names.begin() == value - 1;
    if (firstOfItsName) return NameToken(name);
  }
  return std::to_string(value);
}

void WriteTiles(std::string& out, const maps::TMapFile& map) {
  const std::vector<int> values = DistinctValues(map.Tiles);
  const std::map<int, char> aliases = AssignAliases(values, "", PreferredTileAlias);
  if (aliases.empty() && !values.empty()) {
    out += "tiles hex\n";
    WriteHexRows(out, map, map.Tiles, Planes[0].HexDigits);
    return;
  }
  out += "tiles\n";
  for (const auto& [value, alias] : aliases) out += std::string(1, alias) + " = " + TileLegendValue(map, value) + "\n";
  WriteCharRows(out, map, map.Tiles, aliases);
}

void WriteContent(std::string& out, const maps::TMapFile& map) {
  std::vector<int> extra;
  for (int value : DistinctValues(map.Content)) {
    if (ContentChar(static_cast<uint8_t>(value)) == 0) extra.push_back(value);
  }
  std::map<int, char> aliases = AssignAliases(extra, std::string(ContentChars.begin(), ContentChars.end()),
                                              NoPreference);
  if (aliases.empty() && !extra.empty()) {
    out += "content hex\n";
    WriteHexRows(out, map, map.Content, Planes[1].HexDigits);
    return;
  }
  out += "content\n";
  for (const auto& [value, alias] : aliases) out += std::string(1, alias) + " = " + std::to_string(value) + "\n";
  for (size_t code = 0; code < ContentChars.size(); ++code) aliases[static_cast<int>(code)] = ContentChars[code];
  WriteCharRows(out, map, map.Content, aliases);
}

// The key and reserved planes: one hexadecimal digit per cell, with walls
// drawn as '#' so the maze shows through; larger values get aliases.
void WriteDigitPlane(std::string& out, const maps::TMapFile& map, const std::vector<uint8_t>& plane,
                     const char* keyword) {
  if (std::all_of(plane.begin(), plane.end(), [](uint8_t v) { return v == 0; })) return;
  out += "\n";
  std::vector<int> extra;
  for (int value : DistinctValues(plane)) {
    if (value > 15) extra.push_back(value);
  }
  std::map<int, char> aliases = AssignAliases(extra, DigitChars + ZeroDot + ZeroWall, NoPreference);
  if (aliases.empty() && !extra.empty()) {
    out += std::string(keyword) + " hex\n";
    WriteHexRows(out, map, plane, 2);
    return;
  }
  out += std::string(keyword) + "\n";
  for (const auto& [value, alias] : aliases) out += std::string(1, alias) + " = " + std::to_string(value) + "\n";
  for (size_t y = 0; y < map.Height; ++y) {
    for (size_t x = 0; x < map.Width; ++x) {
      const size_t cell = y * map.Width + x;
      const uint8_t value = plane[cell];
      if (value > 15) {
        out += aliases.at(value);
      } else if (value != 0) {
        out += DigitChars[value];
      } else {
        out += map.Content[cell] == maps::ctWall ? ZeroWall : ZeroDot;
      }
    }
    out += '\n';
  }
}

}  // namespace

ParseError::ParseError(int line, int column, const std::string& message)
    : std::runtime_error(std::to_string(line) + ":" + std::to_string(column) + ": " + message),
      line_(line),
      column_(column),
      message_(message) {}

char ContentChar(uint8_t content) { return content < ContentChars.size() ? ContentChars[content] : 0; }

int ContentOfChar(char c) {
  const auto found = std::find(ContentChars.begin(), ContentChars.end(), c);
  return found == ContentChars.end() ? -1 : static_cast<int>(found - ContentChars.begin());
}

maps::TMapFile ParseLevel(const std::string& text) { return TParser(text).Parse(); }

std::string FormatLevel(const maps::TMapFile& map) {
  // A map file's reader keeps all 32 characters of a record without a NUL;
  // neither a level text nor a map file written again can hold them.
  for (const std::string& name : map.Names) maps::CheckPictureName(name);
  std::string out = "; Vexmoor level in text form (see assets/levels/README.md).\n";
  out += "level " + std::to_string(map.Width) + " " + std::to_string(map.Height) + "\n";
  if (map.TileSize != DefaultTileSize) out += "tilesize " + std::to_string(map.TileSize) + "\n";
  out += "\n";
  for (size_t i = 0; i < map.Names.size(); ++i) {
    out += "name " + NameToken(map.Names[i]) + "  ; tile " + std::to_string(i + 1) + "\n";
  }
  if (!map.Names.empty()) out += "\n";
  WriteTiles(out, map);
  out += "\n";
  WriteContent(out, map);
  WriteDigitPlane(out, map, map.KeyCodes, "keys");
  WriteDigitPlane(out, map, map.Reserved, "reserved");
  return out;
}

}  // namespace leveltext
