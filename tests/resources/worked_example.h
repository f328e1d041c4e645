// The packed file the resource tests share, worked out by hand: x.bmp
// holding "abc", packed.
#pragma once

#include <cstdint>
#include <vector>

inline const std::vector<uint8_t> WorkedExample = {0x44, 0x44, 0x44, 0x01, 0x00, 0x00, 0x00, 0x87,
                                                   0xC7, 0x9D, 0xA4, 0xF8, 0xA7, 0xD9, 0x72};
