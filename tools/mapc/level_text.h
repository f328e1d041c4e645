// The text form of a level: what a level author edits and what a diff shows.
// One character per cell for the contents, a legend of one-character aliases
// for the ground pictures, and the key and reserved planes as hexadecimal
// digits; assets/levels/README.md describes it with an example.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "world/maps.h"

namespace leveltext {

// A fault in a level text at a 1-based line and column.
class ParseError : public std::runtime_error {
 public:
  ParseError(int line, int column, const std::string& message);
  int Line() const { return line_; }
  int Column() const { return column_; }
  // The message without the position.
  const std::string& Message() const { return message_; }

 private:
  int line_;
  int column_;
  std::string message_;
};

// The fixed content character for a content code 0 to 12 ('.' empty, 'S'
// start, 'E' exit, '#' wall, 'D'/'d' closed doors, 'K' keycard, 'M' medkit,
// 'A' ammunition, 'O'/'o' open doors, '*' armed mine, 'x' spent mine), or 0
// for a code without one.
char ContentChar(uint8_t content);
// The content code of a fixed content character, or -1.
int ContentOfChar(char c);

// Reads a level text into a map file. Throws ParseError at the first fault:
// a missing or repeated section, a row of the wrong length, a character
// without a legend entry, a name longer than 31 characters, more cells than
// maps::MaxMapCells, and so on.
maps::TMapFile ParseLevel(const std::string& text);

// Writes a map file as level text such that ParseLevel gives back the same
// map. Bytes after a name's NUL are not part of the map and do not appear.
// Throws std::invalid_argument for a map no level text can hold: a picture
// name longer than 31 characters (a name record read without its NUL).
std::string FormatLevel(const maps::TMapFile& map);

}  // namespace leveltext
