#include "tools/assetgen/music.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <stdexcept>

#include "tools/assetgen/rng.h"

namespace assetgen {

namespace {

// 112 beats a minute in 4/4 gives a bar of exactly 47250 samples.
constexpr int kBeatsPerMinute = 112;
constexpr int kBars = 32;
constexpr double kBeat = 60.0 / kBeatsPerMinute;
constexpr double kBar = 4 * kBeat;
// Level of the mix: the drum hits may overshoot the ceiling a little before
// the soft limiter rounds them off.
constexpr double kMusicRmsDb = -15.5;
constexpr double kOvershootDb = 4;
constexpr double kCeiling = 0.95;
constexpr uint32_t kStreamSerial = 0x56584d5a;  // fixed, so every build writes the same bytes

// A stereo buffer that wraps round: writing past its end lands at its start.
class LoopBuffer {
 public:
  explicit LoopBuffer(size_t frames) : left_(frames, 0), right_(frames, 0) {}
  size_t Frames() const { return left_.size(); }
  void Add(size_t frame, double value, double pan) {  // pan -1 left .. 1 right
    const size_t at = frame % left_.size();
    left_[at] += static_cast<float>(value * std::sqrt(0.5 * (1 - pan)));
    right_[at] += static_cast<float>(value * std::sqrt(0.5 * (1 + pan)));
  }
  const std::vector<float>& Left() const { return left_; }
  const std::vector<float>& Right() const { return right_; }

 private:
  std::vector<float> left_, right_;
};

size_t FrameAt(double beats) { return static_cast<size_t>(std::lround(beats * kBeat * kSampleRate)); }

// Band-limited sawtooth step (polyBLEP), phase in 0..1.
double Saw(double phase, double increment) {
  double value = 2 * phase - 1;
  if (phase < increment) {
    const double t = phase / increment;
    value -= t + t - t * t - 1;
  } else if (phase > 1 - increment) {
    const double t = (phase - 1) / increment;
    value -= t * t + t + t + 1;
  }
  return value;
}

// Chords of the phrases as MIDI notes (root first), one chord a bar.
using Chord = std::vector<int>;
const Chord kAm{57, 60, 64}, kF{53, 57, 60}, kC{48, 52, 55}, kG{55, 59, 62}, kDm{50, 53, 57}, kE{52, 56, 59},
    kBb{46, 50, 53};
const std::vector<Chord> kMainPhrase{kAm, kF, kC, kG, kAm, kF, kDm, kE};
const std::vector<Chord> kMiddlePhrase{kDm, kAm, kBb, kE, kDm, kAm, kF, kE};

const Chord& ChordOfBar(int bar) {
  const int phrase = bar / 8;
  return (phrase == 2 ? kMiddlePhrase : kMainPhrase)[bar % 8];
}

void Pad(LoopBuffer& out, int bar, const Chord& chord) {
  const double start = bar * 4, length = 4;
  const double release = 1.2;
  for (size_t n = 0; n < chord.size(); ++n) {
    for (int voice = 0; voice < 2; ++voice) {
      const double hz = NoteHz(chord[n] + (voice ? 0.08 : -0.08));
      const double pan = (voice ? 0.55 : -0.55) * (n % 2 ? -1 : 1);
      Biquad filter = Biquad::LowPass(900);
      double phase = static_cast<double>(n) / 3 + voice * 0.5;
      const size_t frames = SampleCount((length * kBeat) + release);
      const size_t first = FrameAt(start);
      for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double held = length * kBeat;
        double env = std::min(1.0, t / 0.35);
        if (t > held) env *= std::exp(-(t - held) / 0.35);
        const double increment = hz / kSampleRate;
        phase += increment;
        if (phase >= 1) phase -= 1;
        const double v = filter.Process(static_cast<float>(Saw(phase, increment)));
        out.Add(first + i, 0.05 * env * v * SpanEnd(i, frames), pan);
      }
    }
  }
}

void BassNote(LoopBuffer& out, double beat, double beats, int note, double gain) {
  const double hz = NoteHz(note);
  Biquad filter = Biquad::LowPass(700, 1.2);
  double phase = 0;
  const size_t frames = SampleCount(beats * kBeat + 0.15);
  const size_t first = FrameAt(beat);
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    if (i % 64 == 0) filter.RetuneLowPass(250 + 900 * std::exp(-t / 0.08), 1.2);
    const double increment = hz / kSampleRate;
    phase += increment;
    if (phase >= 1) phase -= 1;
    double env = Pluck(t, 0.004, 0.35);
    if (t > beats * kBeat) env *= std::exp(-(t - beats * kBeat) / 0.03);
    const double v = filter.Process(static_cast<float>(Saw(phase, increment) + 0.6 * std::sin(2 * M_PI * phase)));
    out.Add(first + i, gain * env * v * SpanEnd(i, frames), 0);
  }
}

void Bass(LoopBuffer& out, int bar, const Chord& chord) {
  // The chord's root in the octave from C2 up.
  const int root = 36 + chord[0] % 12;
  const int phrase = bar / 8;
  if (phrase == 0) {
    BassNote(out, bar * 4, 2, root, 0.22);
    BassNote(out, bar * 4 + 2.5, 1.5, root, 0.18);
    return;
  }
  // Driving eighths: root, octave and fifth.
  const int offsets[] = {0, 0, 12, 0, 7, 0, 12, 7};
  for (int e = 0; e < 8; ++e) BassNote(out, bar * 4 + e * 0.5, 0.45, root + offsets[e], e % 2 ? 0.15 : 0.2);
}

void Pluck16(LoopBuffer& out, double beat, int note, double gain, double pan) {
  const double hz = NoteHz(note);
  const size_t frames = SampleCount(0.5);
  const size_t first = FrameAt(beat);
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double phase = 2 * M_PI * hz * t;
    const double v = std::sin(phase) + 0.25 * std::sin(2 * phase) + 0.1 * std::sin(3 * phase);
    const double env = Pluck(t, 0.003, 0.09) * SpanEnd(i, frames);
    out.Add(first + i, gain * env * v, pan);
  }
}

void Arpeggio(LoopBuffer& out, int bar, const Chord& chord) {
  const int pattern[] = {0, 1, 2, 3, 2, 1, 0, 2};
  for (int s = 0; s < 16; ++s) {
    const int index = pattern[s % 8];
    const int note = (index == 3 ? chord[0] + 12 : chord[index]) + 12;
    const double gain = (s % 4 == 0 ? 0.07 : 0.045);
    const double beat = bar * 4 + s * 0.25;
    Pluck16(out, beat, note, gain, s % 2 ? 0.5 : -0.3);
    // Echo three sixteenths later, on the other side.
    Pluck16(out, beat + 0.75, note, gain * 0.35, s % 2 ? -0.6 : 0.6);
  }
}

void LeadNote(LoopBuffer& out, double beat, double beats, int note, double gain) {
  const double hz = NoteHz(note);
  const size_t frames = SampleCount(beats * kBeat + 0.6);
  const size_t first = FrameAt(beat);
  double phase = 0;
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double vibrato = 1 + 0.006 * std::sin(2 * M_PI * 5 * t) * std::min(1.0, t / 0.4);
    phase += 2 * M_PI * hz * vibrato / kSampleRate;
    double env = std::min(1.0, t / 0.05) * std::exp(-t / 2.5);
    if (t > beats * kBeat) env *= std::exp(-(t - beats * kBeat) / 0.15);
    const double v =
        (std::sin(phase) + 0.3 * std::sin(2 * phase) + 0.08 * std::sin(3 * phase)) * SpanEnd(i, frames);
    out.Add(first + i, gain * env * v, 0.2);
    out.Add(first + i + FrameAt(1.5), 0.3 * gain * env * v, -0.5);  // a dotted-quarter echo
  }
}

// The lead's sparse melody over phrases two and three: (bar, beat, length
// in beats, MIDI note).
struct Phrase {
  int bar;
  double beat, beats;
  int note;
};
const Phrase kMelody[] = {
    {8, 0, 3, 76},   {9, 0, 1.5, 77}, {9, 1.5, 2.5, 76}, {10, 2, 2, 72},  {11, 0, 3, 74},  {12, 0, 2, 76},
    {12, 2, 2, 79},  {13, 0, 4, 77},  {14, 0, 2, 74},    {14, 2, 2, 72},  {15, 0, 4, 71},  {16, 0, 3, 74},
    {17, 0, 2, 72},  {17, 2, 2, 76},  {18, 0, 4, 74},    {19, 0, 2, 71},  {19, 2, 2, 68},  {20, 0, 3, 69},
    {21, 0, 2, 72},  {21, 2, 2, 76},  {22, 0, 4, 77},    {23, 0, 2, 76},  {23, 2, 2, 71},  {24, 0, 6, 69},
};

void Kick(LoopBuffer& out, double beat, double gain) {
  const size_t frames = SampleCount(0.25);
  const size_t first = FrameAt(beat);
  double phase = 0;
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    phase += 2 * M_PI * (45 + 75 * std::exp(-t / 0.03)) / kSampleRate;
    out.Add(first + i, gain * std::sin(phase) * Pluck(t, 0.002, 0.09) * SpanEnd(i, frames), 0);
  }
}

void Hat(LoopBuffer& out, Rng& rng, double beat, double gain, double pan) {
  Biquad filter = Biquad::HighPass(6000);
  const size_t frames = SampleCount(0.06);
  const size_t first = FrameAt(beat);
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double v = filter.Process(static_cast<float>(rng.Range(-1, 1)));
    out.Add(first + i, gain * v * Pluck(t, 0.001, 0.012) * SpanEnd(i, frames), pan);
  }
}

void Drums(LoopBuffer& out, Rng& rng, int bar) {
  const int phrase = bar / 8;
  const bool full = phrase == 1 || phrase == 2;
  if (phrase == 0 && bar < 4) return;
  Kick(out, bar * 4, 0.35);
  if (full) Kick(out, bar * 4 + 2, 0.3);
  if (full && bar % 2 == 1) Kick(out, bar * 4 + 3.5, 0.2);
  for (int e = 0; e < 8; ++e) {
    if (e % 2 == 1 || full) Hat(out, rng, bar * 4 + e * 0.5, e % 2 ? 0.12 : 0.05, 0.35);
  }
}

}  // namespace

Samples ComposeMaze() {
  LoopBuffer buffer(static_cast<size_t>(std::lround(kBars * kBar * kSampleRate)));
  Rng rng(2718);
  for (int bar = 0; bar < kBars; ++bar) {
    const Chord& chord = ChordOfBar(bar);
    const int phrase = bar / 8;
    Pad(buffer, bar, chord);
    Bass(buffer, bar, chord);
    if (phrase == 1 || phrase == 2 || (phrase == 3 && bar % 2 == 0)) Arpeggio(buffer, bar, chord);
    Drums(buffer, rng, bar);
  }
  for (const Phrase& p : kMelody) LeadNote(buffer, p.bar * 4 + p.beat, p.beats, p.note, 0.09);

  Samples interleaved(buffer.Frames() * 2);
  for (size_t i = 0; i < buffer.Frames(); ++i) {
    interleaved[2 * i] = buffer.Left()[i];
    interleaved[2 * i + 1] = buffer.Right()[i];
  }
  Normalise(interleaved, kMusicRmsDb, kOvershootDb);
  for (float& sample : interleaved) sample = static_cast<float>(kCeiling * std::tanh(sample / kCeiling));
  return interleaved;
}

std::vector<uint8_t> EncodeOggVorbis(const Samples& interleaved, float quality) {
  constexpr int kChannels = 2;
  constexpr size_t kChunk = 1024;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, kChannels, kSampleRate, quality) != 0) {
    vorbis_info_clear(&info);
    throw std::runtime_error("the Vorbis encoder refused its settings");
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_comment_add_tag(&comment, "TITLE", "maze");
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, static_cast<int>(kStreamSerial));

  std::vector<uint8_t> out;
  ogg_page page;
  auto takePage = [&out, &page]() {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
  };
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  while (ogg_stream_flush(&stream, &page) != 0) takePage();

  const size_t frames = interleaved.size() / kChannels;
  size_t done = 0;
  bool finished = false;
  while (!finished) {
    const size_t count = std::min(kChunk, frames - done);
    if (count == 0) {
      vorbis_analysis_wrote(&dsp, 0);
    } else {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (size_t i = 0; i < count; ++i) {
        buffer[0][i] = interleaved[2 * (done + i)];
        buffer[1][i] = interleaved[2 * (done + i) + 1];
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(count));
      done += count;
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          takePage();
          if (ogg_page_eos(&page)) finished = true;
        }
      }
    }
    if (count == 0) finished = true;
  }
  while (ogg_stream_flush(&stream, &page) != 0) takePage();

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace assetgen
