// Sound synthesis: oscillators, filters, envelopes and the WAV writer shared
// by the sound effects and the music.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace assetgen {

inline constexpr int kSampleRate = 22050;

// Mono samples in -1..1.
using Samples = std::vector<float>;

// Frequency of a MIDI note number (69 is A at 440 Hz).
inline double NoteHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// Seconds to a sample count at the game's rate.
inline size_t SampleCount(double seconds) { return static_cast<size_t>(seconds * kSampleRate + 0.5); }

// A two-pole filter (the usual "cookbook" biquad).
class Biquad {
 public:
  static Biquad LowPass(double hz, double q = 0.707);
  static Biquad HighPass(double hz, double q = 0.707);
  static Biquad BandPass(double hz, double q);
  float Process(float x);
  // Moves a low-pass filter's corner without clearing its memory.
  void RetuneLowPass(double hz, double q = 0.707);
  // Takes over another filter's response, keeping this one's memory, so a
  // sweeping filter does not click.
  void TakeResponse(const Biquad& other);

 private:
  double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Attack-decay envelope: rises linearly over `attack` seconds, then falls
// exponentially with the given time constant.
inline double Pluck(double t, double attack, double decay) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  return std::exp(-(t - attack) / decay);
}

// 1 inside a span of `count` samples, falling to 0 over its last 5 ms, so a
// note rendered into a span that ends before it has died away does not click.
inline double SpanEnd(size_t i, size_t count) {
  const size_t fade = SampleCount(0.005);
  const size_t left = count - i;
  return left >= fade ? 1.0 : static_cast<double>(left) / fade;
}

// Scales the samples so that their RMS level is `rmsDb` dBFS, but their peak
// never above `peakDb` dBFS.
void Normalise(Samples& samples, double rmsDb, double peakDb);

// Raised-cosine fades at both ends, so the sound starts and ends at rest.
void FadeEnds(Samples& samples, double fadeInSeconds, double fadeOutSeconds);

// The bytes of a PCM WAV file, 16-bit, the given channel count, interleaved
// samples (channels x frames), at the game's rate.
std::vector<uint8_t> EncodeWav(const Samples& interleaved, int channels);

}  // namespace assetgen
