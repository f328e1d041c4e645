// The sound effects and the music: formats the mixer opens, quiet ends,
// matching loudness, and a music loop that is long enough and joins cleanly.
#include <SDL.h>
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <cmath>

#include "asset_test_support.h"

namespace assettest {
namespace {

struct Wav {
  int channels = 0, rate = 0, bits = 0, format = 0;
  std::vector<int16_t> samples;  // interleaved
  std::string error;
};

// Walks the RIFF chunks for "fmt " and "data".
Wav ParseWav(const std::vector<uint8_t>& b) {
  Wav wav;
  if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
      std::string(b.begin() + 8, b.begin() + 12) != "WAVE") {
    return wav.error = "not RIFF WAVE", wav;
  }
  size_t at = 12;
  while (at + 8 <= b.size()) {
    const std::string tag(b.begin() + at, b.begin() + at + 4);
    const size_t size = Le32(b, at + 4);
    if (at + 8 + size > b.size()) return wav.error = "chunk " + tag + " cut short", wav;
    if (tag == "fmt ") {
      wav.format = Le16(b, at + 8), wav.channels = Le16(b, at + 10);
      wav.rate = static_cast<int>(Le32(b, at + 12)), wav.bits = Le16(b, at + 22);
    } else if (tag == "data") {
      for (size_t i = 0; i + 1 < size; i += 2) wav.samples.push_back(static_cast<int16_t>(Le16(b, at + 8 + i)));
    }
    at += 8 + size + (size & 1);
  }
  if (wav.samples.empty()) wav.error = "no samples";
  return wav;
}

double Db(double linear) { return 20 * std::log10(std::max(linear, 1e-9)); }

double RmsDb(const std::vector<int16_t>& s) {
  double sum = 0;
  for (int16_t v : s) sum += static_cast<double>(v) * v;
  return Db(std::sqrt(sum / s.size()) / 32768.0);
}

int PeakOf(const std::vector<int16_t>& s, size_t from, size_t to) {
  int peak = 0;
  for (size_t i = from; i < to && i < s.size(); ++i) peak = std::max(peak, std::abs(static_cast<int>(s[i])));
  return peak;
}

TEST(AssetSounds, EffectsArePcmAt22050HzAndSdlReadsThem) {
  for (const std::string& name : kSoundNames) {
    SCOPED_TRACE(name);
    const std::string path = kInstallDir + "Sounds/" + name + ".wav";
    const Wav wav = ParseWav(resources::ReadWholeFile(path));
    ASSERT_EQ(wav.error, "");
    EXPECT_EQ(wav.format, 1);
    EXPECT_EQ(wav.rate, 22050);
    EXPECT_EQ(wav.bits, 16);
    EXPECT_TRUE(wav.channels == 1 || wav.channels == 2);
    const double seconds = static_cast<double>(wav.samples.size()) / wav.channels / wav.rate;
    EXPECT_GT(seconds, 0.05);
    EXPECT_LT(seconds, 2.0) << "an effect, not a track";

    SDL_AudioSpec format;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    ASSERT_NE(SDL_LoadWAV(path.c_str(), &format, &buffer, &length), nullptr) << SDL_GetError();
    EXPECT_EQ(format.freq, 22050);
    EXPECT_EQ(format.format, AUDIO_S16LSB);
    SDL_FreeWAV(buffer);
  }
}

// No click at either end, no clipping, and loudness close together (the
// footstep on purpose a little below the rest).
TEST(AssetSounds, EffectsStartAndEndQuietlyAtSimilarLoudness) {
  const size_t edge = 22050 / 500;  // 2 ms
  for (const std::string& name : kSoundNames) {
    SCOPED_TRACE(name);
    const Wav wav = ParseWav(resources::ReadWholeFile(kInstallDir + "Sounds/" + name + ".wav"));
    ASSERT_EQ(wav.error, "");
    const size_t n = wav.samples.size();
    EXPECT_LT(PeakOf(wav.samples, 0, 2), 200);
    EXPECT_LT(PeakOf(wav.samples, n - 2, n), 200);
    EXPECT_LT(PeakOf(wav.samples, n - edge, n), 3000) << "the tail is cut off";
    EXPECT_LT(PeakOf(wav.samples, 0, n), 32700) << "clipped";
    const double rms = RmsDb(wav.samples);
    if (name == "step") {
      EXPECT_GT(rms, -28);
      EXPECT_LT(rms, -15);
    } else {
      EXPECT_GT(rms, -20);
      EXPECT_LT(rms, -10);
    }
  }
}

class MusicFile {
 public:
  explicit MusicFile(const std::string& path) { opened_ = ov_fopen(path.c_str(), &file_) == 0; }
  ~MusicFile() {
    if (opened_) ov_clear(&file_);
  }
  bool Opened() const { return opened_; }
  OggVorbis_File* get() { return &file_; }

 private:
  OggVorbis_File file_;
  bool opened_ = false;
};

std::vector<int16_t> DecodeAll(OggVorbis_File* file) {
  std::vector<int16_t> out;
  char buffer[8192];
  int section = 0;
  for (;;) {
    const long got = ov_read(file, buffer, sizeof buffer, 0, 2, 1, &section);
    if (got <= 0) break;
    const int16_t* s = reinterpret_cast<const int16_t*>(buffer);
    out.insert(out.end(), s, s + got / 2);
  }
  return out;
}

TEST(AssetMusic, MazeIsAStereoLoopOfAtLeastAMinuteThatJoinsCleanly) {
  MusicFile music(kInstallDir + "Music/maze.ogg");
  ASSERT_TRUE(music.Opened());
  const vorbis_info* info = ov_info(music.get(), -1);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->channels, 2);
  EXPECT_EQ(info->rate, 22050);
  const ogg_int64_t frames = ov_pcm_total(music.get(), -1);
  EXPECT_GE(frames, 60 * 22050);

  const std::vector<int16_t> pcm = DecodeAll(music.get());
  ASSERT_EQ(pcm.size(), static_cast<size_t>(frames) * 2);
  // Under the effects: quieter than they are, yet clearly there.
  const double rms = RmsDb(pcm);
  EXPECT_GT(rms, -20);
  EXPECT_LT(rms, -10);
  EXPECT_LT(PeakOf(pcm, 0, pcm.size()), 32700);

  // The jump from the last frame back to the first is no bigger than the
  // steps the music takes anyway.
  for (int channel = 0; channel < 2; ++channel) {
    double sum = 0;
    for (size_t i = channel + 2; i < pcm.size(); i += 2) {
      const double d = pcm[i] - pcm[i - 2];
      sum += d * d;
    }
    const double typicalStep = std::sqrt(sum / (pcm.size() / 2));
    const double seam = std::abs(pcm[channel] - pcm[pcm.size() - 2 + channel]);
    EXPECT_LT(seam, 4 * typicalStep + 50) << "channel " << channel;
  }
}

}  // namespace
}  // namespace assettest
