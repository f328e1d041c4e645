#include "tools/assetgen/sounds.h"

#include "tools/assetgen/rng.h"

namespace assetgen {

namespace {

// Loudness of the effects, and the ceiling no effect's peak passes.
constexpr double kEffectRmsDb = -15;
constexpr double kStepRmsDb = -21;  // footsteps sit below everything else
// Loud transients may first overshoot by this much; the soft limiter then
// rounds them off below full scale, so short bangs are not quieter than
// long sounds.
constexpr double kOvershootDb = 6;
constexpr double kCeiling = 0.93;
constexpr double kFadeIn = 0.002, kFadeOut = 0.012;

double Noise(Rng& rng) { return rng.Range(-1, 1); }


// Adds a sine sweeping exponentially from `from` to `to` Hz, shaped by a
// pluck envelope.
void AddSweep(Samples& out, double start, double length, double from, double to, double gain, double attack,
              double decay) {
  double phase = 0;
  const size_t first = SampleCount(start), count = SampleCount(length);
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double hz = from * std::pow(to / from, t / length);
    phase += 2 * M_PI * hz / kSampleRate;
    out[first + i] += static_cast<float>(gain * std::sin(phase) * Pluck(t, attack, decay) * SpanEnd(i, count));
  }
}

// Adds filtered noise shaped by a pluck envelope.
void AddNoise(Samples& out, Rng& rng, Biquad filter, double start, double length, double gain, double attack,
              double decay) {
  const size_t first = SampleCount(start), count = SampleCount(length);
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double envelope = Pluck(t, attack, decay) * SpanEnd(i, count);
    out[first + i] += static_cast<float>(gain * filter.Process(static_cast<float>(Noise(rng))) * envelope);
  }
}

// A bell-like tone: a few partials, the upper ones dying first.
void AddBell(Samples& out, double start, double note, double gain, double decay) {
  const double hz = NoteHz(note);
  const double partials[][3] = {{1, 1, 1}, {2, 0.35, 0.6}, {3.01, 0.18, 0.4}, {4.2, 0.08, 0.25}};
  for (const auto& p : partials) AddSweep(out, start, decay * 5, hz * p[0], hz * p[0], gain * p[1], 0.003, decay * p[2]);
}

// A soft square-ish lead voice: odd harmonics falling off, with vibrato.
void AddVoice(Samples& out, double start, double length, double note, double gain, double decay) {
  const double hz = NoteHz(note);
  double phase = 0;
  const size_t first = SampleCount(start), count = SampleCount(length);
  for (size_t i = 0; i < count && first + i < out.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    phase += 2 * M_PI * hz * (1 + 0.004 * std::sin(2 * M_PI * 5.5 * t)) / kSampleRate;
    const double wave = std::sin(phase) + std::sin(3 * phase) / 5 + std::sin(5 * phase) / 14;
    out[first + i] += static_cast<float>(gain * wave * Pluck(t, 0.006, decay) * SpanEnd(i, count));
  }
}

Samples Step() {
  Samples s(SampleCount(0.14));
  Rng rng(11);
  AddNoise(s, rng, Biquad::BandPass(650, 1.1), 0, 0.14, 1.0, 0.002, 0.022);
  AddSweep(s, 0, 0.14, 120, 70, 0.6, 0.003, 0.03);
  return s;
}

Samples Health() {
  Samples s(SampleCount(1.0));
  const double notes[] = {72, 76, 79, 84};  // C E G C, rising
  for (int i = 0; i < 4; ++i) AddBell(s, i * 0.075, notes[i] + 12, 0.5, i == 3 ? 0.3 : 0.16);
  return s;
}

Samples Keys() {
  Samples s(SampleCount(0.6));
  Rng rng(33);
  // Several keys on a ring knocking together: bright, inharmonic pings.
  const double hits[] = {0, 0.05, 0.085, 0.15, 0.19, 0.26, 0.3, 0.37};
  for (double at : hits) {
    const double hz = rng.Range(2300, 3900);
    const double gain = rng.Range(0.5, 1);
    for (double ratio : {1.0, 1.47, 2.09, 2.76}) {
      AddSweep(s, at, 0.2, hz * ratio, hz * ratio, gain / ratio, 0.001, 0.05 / std::sqrt(ratio));
    }
    AddNoise(s, rng, Biquad::HighPass(4000), at, 0.02, 0.4 * gain, 0.0005, 0.004);
  }
  return s;
}

Samples AmmoReload() {
  Samples s(SampleCount(0.42));
  Rng rng(44);
  // Click: the magazine seats.
  AddNoise(s, rng, Biquad::HighPass(1800), 0, 0.05, 1.0, 0.0005, 0.006);
  AddSweep(s, 0, 0.05, 1900, 1700, 0.45, 0.0005, 0.012);
  // Clack: the bolt slams home, heavier and lower.
  AddNoise(s, rng, Biquad::BandPass(900, 1.5), 0.19, 0.12, 1.6, 0.0008, 0.02);
  AddSweep(s, 0.19, 0.12, 240, 150, 0.7, 0.001, 0.03);
  AddNoise(s, rng, Biquad::HighPass(2500), 0.2, 0.05, 0.5, 0.0005, 0.008);
  return s;
}

Samples Door() {
  Samples s(SampleCount(0.8));
  Rng rng(55);
  // The hiss of the leaves sliding apart: band-passed noise sweeping down.
  const size_t hiss = SampleCount(0.5);
  Biquad band = Biquad::BandPass(2400, 2);
  for (size_t i = 0; i < hiss; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    if (i % 64 == 0) band.TakeResponse(Biquad::BandPass(2400 * std::pow(900.0 / 2400, t / 0.5), 2));
    const double env = std::sin(M_PI * t / 0.5);
    s[i] += static_cast<float>(0.9 * env * band.Process(static_cast<float>(Noise(rng))));
  }
  // The thunk as they stop.
  AddSweep(s, 0.47, 0.3, 80, 48, 0.9, 0.002, 0.07);
  AddNoise(s, rng, Biquad::LowPass(500), 0.47, 0.1, 1.2, 0.001, 0.025);
  return s;
}

Samples End() {
  Samples s(SampleCount(1.25));
  const double notes[] = {72, 76, 79, 84};  // C major, up the arpeggio
  for (int i = 0; i < 4; ++i) AddVoice(s, i * 0.13, 1.25 - i * 0.13, notes[i], 0.3, i == 3 ? 0.38 : 0.2);
  // The closing chord under the last note.
  for (double n : {60.0, 67.0}) AddVoice(s, 0.39, 0.86, n, 0.18, 0.35);
  return s;
}

Samples Mine() {
  Samples s(SampleCount(1.5));
  Rng rng(77);
  // Roaring noise whose brightness falls away.
  Biquad roar = Biquad::LowPass(4000);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    if (i % 32 == 0) roar.RetuneLowPass(150 + 3800 * std::exp(-t / 0.12));
    s[i] += static_cast<float>(0.9 * roar.Process(static_cast<float>(Noise(rng))) * Pluck(t, 0.003, 0.32));
  }
  // The low boom.
  AddSweep(s, 0, 1.5, 95, 32, 1.1, 0.004, 0.35);
  // Crackle of debris.
  for (int i = 0; i < 30; ++i) {
    AddNoise(s, rng, Biquad::HighPass(1500), rng.Range(0.05, 0.7), 0.02, rng.Range(0.1, 0.4), 0.0005, 0.004);
  }
  return s;
}

Samples Enter() {
  Samples s(SampleCount(0.62));
  // Ready cue: a short rising pair, then a bright hold.
  AddVoice(s, 0, 0.15, 79, 0.35, 0.08);
  AddVoice(s, 0.12, 0.5, 86, 0.35, 0.2);
  AddVoice(s, 0.12, 0.5, 91, 0.12, 0.14);
  return s;
}

Samples Gunshot() {
  Samples s(SampleCount(0.4));
  Rng rng(99);
  AddNoise(s, rng, Biquad::HighPass(1200), 0, 0.08, 1.2, 0.0004, 0.018);
  AddNoise(s, rng, Biquad::LowPass(2200), 0, 0.4, 1.0, 0.0008, 0.07);
  AddSweep(s, 0, 0.3, 160, 50, 1.0, 0.001, 0.05);
  return s;
}

}  // namespace

std::vector<NamedSound> SynthesiseEffects() {
  std::vector<NamedSound> effects = {{"step", Step()},   {"health", Health()}, {"keys", Keys()},
                                     {"ammo", AmmoReload()}, {"door", Door()},     {"end", End()},
                                     {"mine", Mine()},   {"enter", Enter()},   {"gun3r", Gunshot()}};
  for (NamedSound& effect : effects) {
    Normalise(effect.samples, effect.name == "step" ? kStepRmsDb : kEffectRmsDb, kOvershootDb);
    for (float& sample : effect.samples) sample = static_cast<float>(kCeiling * std::tanh(sample / kCeiling));
    FadeEnds(effect.samples, kFadeIn, kFadeOut);
  }
  return effects;
}

}  // namespace assetgen
