// A small deterministic random source (xorshift), so every build draws and
// sounds the same.
#pragma once

#include <cstdint>

namespace assetgen {

class Rng {
 public:
  explicit Rng(uint32_t seed) : state_(seed ? seed : 1u) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // Uniform in [0, 1).
  double Unit() { return (Next() >> 8) * (1.0 / 16777216.0); }
  // Uniform in [lo, hi).
  double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }

 private:
  uint32_t state_;
};

}  // namespace assetgen
