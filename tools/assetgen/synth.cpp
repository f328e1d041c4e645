#include "tools/assetgen/synth.h"

#include <algorithm>

namespace assetgen {

namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

Biquad Biquad::LowPass(double hz, double q) {
  Biquad f;
  f.RetuneLowPass(hz, q);
  return f;
}

void Biquad::RetuneLowPass(double hz, double q) {
  const double w = 2 * M_PI * std::min(hz, kSampleRate * 0.45) / kSampleRate;
  const double alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
  b0_ = (1 - c) / 2 / a0, b1_ = (1 - c) / a0, b2_ = (1 - c) / 2 / a0;
  a1_ = -2 * c / a0, a2_ = (1 - alpha) / a0;
}

Biquad Biquad::HighPass(double hz, double q) {
  Biquad f;
  const double w = 2 * M_PI * hz / kSampleRate;
  const double alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
  f.b0_ = (1 + c) / 2 / a0, f.b1_ = -(1 + c) / a0, f.b2_ = (1 + c) / 2 / a0;
  f.a1_ = -2 * c / a0, f.a2_ = (1 - alpha) / a0;
  return f;
}

Biquad Biquad::BandPass(double hz, double q) {
  Biquad f;
  const double w = 2 * M_PI * hz / kSampleRate;
  const double alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
  f.b0_ = alpha / a0, f.b1_ = 0, f.b2_ = -alpha / a0;
  f.a1_ = -2 * c / a0, f.a2_ = (1 - alpha) / a0;
  return f;
}

void Biquad::TakeResponse(const Biquad& other) {
  b0_ = other.b0_, b1_ = other.b1_, b2_ = other.b2_, a1_ = other.a1_, a2_ = other.a2_;
}

float Biquad::Process(float x) {
  const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
  x2_ = x1_, x1_ = x, y2_ = y1_, y1_ = y;
  return static_cast<float>(y);
}

void Normalise(Samples& samples, double rmsDb, double peakDb) {
  double sum = 0, peak = 0;
  for (float s : samples) {
    sum += static_cast<double>(s) * s;
    peak = std::max(peak, static_cast<double>(std::fabs(s)));
  }
  if (samples.empty() || peak == 0) return;
  const double rms = std::sqrt(sum / samples.size());
  double gain = std::pow(10.0, rmsDb / 20) / rms;
  gain = std::min(gain, std::pow(10.0, peakDb / 20) / peak);
  for (float& s : samples) s = static_cast<float>(s * gain);
}

void FadeEnds(Samples& samples, double fadeInSeconds, double fadeOutSeconds) {
  const size_t in = std::min(samples.size(), SampleCount(fadeInSeconds));
  const size_t out = std::min(samples.size(), SampleCount(fadeOutSeconds));
  for (size_t i = 0; i < in; ++i) samples[i] *= static_cast<float>(0.5 - 0.5 * std::cos(M_PI * i / in));
  for (size_t i = 0; i < out; ++i) {
    samples[samples.size() - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(M_PI * i / out));
  }
}

std::vector<uint8_t> EncodeWav(const Samples& interleaved, int channels) {
  const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  PutTag(out, "RIFF");
  PutU32(out, 36 + dataBytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutU32(out, 16);
  PutU16(out, 1);  // PCM
  PutU16(out, channels);
  PutU32(out, kSampleRate);
  PutU32(out, kSampleRate * channels * 2);
  PutU16(out, channels * 2);
  PutU16(out, 16);
  PutTag(out, "data");
  PutU32(out, dataBytes);
  for (float s : interleaved) {
    const long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
    PutU16(out, static_cast<uint16_t>(static_cast<int16_t>(v)));
  }
  return out;
}

}  // namespace assetgen
