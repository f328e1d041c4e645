// The browser SDL_mixer: WAV effects on counted channels and one music
// track, played through the page's Web Audio. A channel counts as busy for
// the length of its sound, by the clock, as SDL_mixer's mixing would keep it.
#include <emscripten.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "SDL_mixer.h"
#include "web/sdl12/page_bridge.h"
#include "web/sdl12/sdl_state.h"

struct _Mix_Music {
  int id;
};

namespace sdl12 {

namespace {

struct TChannel {
  int volume = MIX_MAX_VOLUME;
  // The clock time (ms) the sound on it ends; 0 when free.
  double busyUntil = 0;
  bool forever = false;
};

// What the page knows a chunk by, kept beside the chunk's own fields.
struct TChunkInfo {
  Mix_Chunk chunk;
  int id;
  double lengthMs;
};

bool Open = false;
bool Audible = false;
int Frequency = 0;
Uint16 Format = 0;
int OutputChannels = 0;
std::vector<TChannel> Channels;
int NextId = 1;
int MusicVolume = MIX_MAX_VOLUME;
_Mix_Music* Playing = nullptr;

double Now() { return emscripten_get_now(); }

bool Busy(const TChannel& channel) { return channel.forever || channel.busyUntil > Now(); }

Uint16 Le16(const Uint8* p) { return static_cast<Uint16>(p[0] | (p[1] << 8)); }
Uint32 Le32(const Uint8* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<Uint32>(p[3]) << 24); }

bool ReadAll(SDL_RWops* src, std::vector<Uint8>& bytes) {
  Uint8 block[4096];
  for (;;) {
    const int got = SDL_RWread(src, block, 1, sizeof block);
    if (got < 0) return false;
    if (got == 0) return true;
    bytes.insert(bytes.end(), block, block + got);
  }
}

struct TPcm {
  int channels = 0;
  int rate = 0;
  int bits = 0;
  const Uint8* data = nullptr;
  Uint32 size = 0;
};

// The format and sample data of a RIFF WAVE of PCM samples.
bool ParseWave(const std::vector<Uint8>& bytes, TPcm& pcm) {
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
    SDL_SetError("Unrecognized audio format");
    return false;
  }
  bool haveFormat = false;
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const Uint8* chunk = bytes.data() + at;
    const Uint32 size = Le32(chunk + 4);
    const size_t body = at + 8;
    const size_t available = bytes.size() - body;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16 || size > available) break;
      if (Le16(chunk + 8) != 1) {
        SDL_SetError("Unknown WAVE data format");
        return false;
      }
      pcm.channels = Le16(chunk + 10);
      pcm.rate = static_cast<int>(Le32(chunk + 12));
      pcm.bits = Le16(chunk + 22);
      haveFormat = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) break;
      pcm.data = chunk + 8;
      pcm.size = static_cast<Uint32>(size < available ? size : available);
      if ((pcm.bits != 8 && pcm.bits != 16) || pcm.channels < 1 || pcm.channels > 2 || pcm.rate < 1000 ||
          pcm.rate > 192000) {
        SDL_SetError("Unsupported WAVE format");
        return false;
      }
      return true;
    }
    // A chunk that claims more than the file holds ends the search.
    if (size >= available) break;
    at = body + size + (size & 1);
  }
  SDL_SetError("Complex WAVE files not supported");
  return false;
}

}  // namespace

}  // namespace sdl12

using namespace sdl12;

extern "C" {

int Mix_OpenAudio(int frequency, Uint16 format, int channels, int) {
  if (Open) return 0;
  Open = true;
  Frequency = frequency;
  Format = format;
  OutputChannels = channels;
  Channels.assign(MIX_CHANNELS, TChannel{});
  MusicVolume = MIX_MAX_VOLUME;
  Audible = PageAudio() && vxpage_open_audio() != 0;
  return 0;
}

int Mix_QuerySpec(int* frequency, Uint16* format, int* channels) {
  if (!Open) {
    SDL_SetError("Audio device hasn't been opened");
    return 0;
  }
  if (frequency != nullptr) *frequency = Frequency;
  if (format != nullptr) *format = Format;
  if (channels != nullptr) *channels = OutputChannels;
  return 1;
}

void Mix_CloseAudio(void) {
  if (!Open) return;
  Mix_HaltMusic();
  if (Audible) vxpage_close_audio();
  Open = false;
  Audible = false;
  Channels.clear();
}

int Mix_AllocateChannels(int numchans) {
  if (numchans < 0) return static_cast<int>(Channels.size());
  for (size_t i = numchans; i < Channels.size(); ++i) {
    if (Audible) vxpage_sound_stop(static_cast<int>(i));
  }
  Channels.resize(numchans);
  return numchans;
}

int Mix_Volume(int channel, int volume) {
  if (channel == -1) {
    int total = 0;
    for (size_t i = 0; i < Channels.size(); ++i) total += Mix_Volume(static_cast<int>(i), volume);
    return Channels.empty() ? 0 : total / static_cast<int>(Channels.size());
  }
  if (channel < 0 || channel >= static_cast<int>(Channels.size())) return 0;
  const int before = Channels[channel].volume;
  if (volume >= 0) Channels[channel].volume = volume > MIX_MAX_VOLUME ? MIX_MAX_VOLUME : volume;
  return before;
}

Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc) {
  if (src == nullptr) return nullptr;
  std::vector<Uint8> bytes;
  const bool read = ReadAll(src, bytes);
  if (freesrc) SDL_RWclose(src);
  if (!read) return nullptr;
  if (!Open) {
    SDL_SetError("Audio device hasn't been opened");
    return nullptr;
  }
  TPcm pcm;
  if (!ParseWave(bytes, pcm)) return nullptr;
  const int sampleBytes = pcm.bits / 8;
  const Uint32 frames = pcm.size / (sampleBytes * pcm.channels);
  std::vector<float> samples(static_cast<size_t>(frames) * pcm.channels);
  for (size_t i = 0; i < samples.size(); ++i) {
    const Uint8* p = pcm.data + i * sampleBytes;
    samples[i] = pcm.bits == 8 ? (p[0] - 128) / 128.0f : static_cast<Sint16>(Le16(p)) / 32768.0f;
  }
  auto* info = static_cast<TChunkInfo*>(std::calloc(1, sizeof(TChunkInfo)));
  if (info == nullptr) {
    SDL_SetError("Out of memory");
    return nullptr;
  }
  info->id = NextId++;
  info->lengthMs = 1000.0 * frames / pcm.rate;
  info->chunk.allocated = 1;
  info->chunk.volume = MIX_MAX_VOLUME;
  // As SDL_mixer holds it: 16-bit samples in the opened layout.
  info->chunk.alen = static_cast<Uint32>(info->lengthMs * Frequency / 1000.0) * 2 * OutputChannels;
  if (Audible) vxpage_sound_define(info->id, samples.data(), static_cast<int>(frames), pcm.channels, pcm.rate);
  return &info->chunk;
}

void Mix_FreeChunk(Mix_Chunk* chunk) {
  if (chunk == nullptr) return;
  auto* info = reinterpret_cast<TChunkInfo*>(chunk);
  if (Audible) vxpage_sound_forget(info->id);
  std::free(info);
}

int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks) {
  if (chunk == nullptr) {
    SDL_SetError("Tried to play a NULL chunk");
    return -1;
  }
  if (channel == -1) {
    for (size_t i = 0; i < Channels.size(); ++i) {
      if (!Busy(Channels[i])) {
        channel = static_cast<int>(i);
        break;
      }
    }
    if (channel == -1) {
      SDL_SetError("No free channels available");
      return -1;
    }
  } else if (channel < 0 || channel >= static_cast<int>(Channels.size())) {
    SDL_SetError("Invalid channel");
    return -1;
  }
  const auto* info = reinterpret_cast<const TChunkInfo*>(chunk);
  TChannel& slot = Channels[channel];
  slot.forever = loops < 0 && ticks < 0;
  double length = info->lengthMs * (loops < 0 ? 1 : loops + 1);
  if (ticks >= 0 && ticks < length) length = ticks;
  slot.busyUntil = Now() + length;
  if (Audible) {
    const double gain = slot.volume / double(MIX_MAX_VOLUME) * chunk->volume / double(MIX_MAX_VOLUME);
    vxpage_sound_play(channel, info->id, gain, loops);
  }
  return channel;
}

int Mix_HaltChannel(int channel) {
  for (size_t i = 0; i < Channels.size(); ++i) {
    if (channel != -1 && static_cast<int>(i) != channel) continue;
    Channels[i] = TChannel{Channels[i].volume, 0, false};
    if (Audible) vxpage_sound_stop(static_cast<int>(i));
  }
  return 0;
}

int Mix_Playing(int channel) {
  if (channel == -1) {
    int count = 0;
    for (const TChannel& c : Channels) count += Busy(c) ? 1 : 0;
    return count;
  }
  if (channel < 0 || channel >= static_cast<int>(Channels.size())) return 0;
  return Busy(Channels[channel]) ? 1 : 0;
}

Mix_Music* Mix_LoadMUS(const char* file) {
  SDL_RWops* src = SDL_RWFromFile(file, "rb");
  if (src == nullptr) return nullptr;
  std::vector<Uint8> bytes;
  const bool read = ReadAll(src, bytes);
  SDL_RWclose(src);
  if (!read || bytes.size() < 4) {
    SDL_SetError("Couldn't read %s", file);
    return nullptr;
  }
  if (std::memcmp(bytes.data(), "OggS", 4) != 0 && std::memcmp(bytes.data(), "RIFF", 4) != 0) {
    SDL_SetError("Unrecognized music format");
    return nullptr;
  }
  auto* music = new _Mix_Music{NextId++};
  if (Audible) vxpage_music_define(music->id, bytes.data(), static_cast<int>(bytes.size()));
  return music;
}

void Mix_FreeMusic(Mix_Music* music) {
  if (music == nullptr) return;
  if (music == Playing) Mix_HaltMusic();
  if (Audible) vxpage_music_forget(music->id);
  delete music;
}

int Mix_PlayMusic(Mix_Music* music, int loops) {
  if (music == nullptr || !Open) {
    SDL_SetError(music == nullptr ? "music parameter was NULL" : "Audio device hasn't been opened");
    return -1;
  }
  Playing = music;
  if (Audible) vxpage_music_play(music->id, loops, MusicVolume / double(MIX_MAX_VOLUME));
  return 0;
}

int Mix_HaltMusic(void) {
  if (Playing != nullptr && Audible) vxpage_music_stop();
  Playing = nullptr;
  return 0;
}

int Mix_VolumeMusic(int volume) {
  const int before = MusicVolume;
  if (volume >= 0) {
    MusicVolume = volume > MIX_MAX_VOLUME ? MIX_MAX_VOLUME : volume;
    if (Audible) vxpage_music_gain(MusicVolume / double(MIX_MAX_VOLUME));
  }
  return before;
}

int Mix_PlayingMusic(void) { return Playing != nullptr ? 1 : 0; }

}  // extern "C"
