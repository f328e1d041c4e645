// Sound effects on the eight mixing channels and the one looping music track.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

#include "engine/engine_state.h"
#include "engine/game.h"
#include "resources/datafile.h"
#include "resources/startup.h"

namespace game {

using namespace state;

namespace {

// Half of SDL_mixer's maximum of 128.
constexpr int MusicVolume = 64;
constexpr int LoopForever = -1;
constexpr int FirstFreeChannel = -1;
constexpr int NoTimeLimit = -1;

TSoundObserver SoundObserver = nullptr;

}  // namespace

uint16_t LoadSound(const std::string& name) {
  if (SoundBank.Full()) return 0;  // another id would wrap to 0
  const std::string file = resources::ResourceFile("Sounds/", name, ".wav");
  Mix_Chunk* chunk = Mix_LoadWAV_RW(SDL_RWFromFile(file.c_str(), "rb"), 1);
  if (chunk == nullptr) return 0;
  auto* sound = new CSound;
  sound->Chunk = chunk;
  return SoundBank.Add(sound);
}

uint16_t SoundCount() { return SoundBank.GetWidth(); }

void SetSoundObserver(TSoundObserver observer) { SoundObserver = observer; }

void PlaySound(uint16_t id) {
  if (SoundObserver != nullptr) SoundObserver(id);
  const CSound* sound = SoundBank.Get(id);
  if (sound == nullptr || sound->Chunk == nullptr) return;
  // When all eight channels are busy the sound is simply not heard.
  Mix_PlayChannelTimed(FirstFreeChannel, sound->Chunk, 0, NoTimeLimit);
}

int PlayingChannels() { return AudioOpen() ? Mix_Playing(-1) : 0; }

bool PlayMusic(const std::string& name) {
  StopMusic();
  if (resources::DevelopMode) {
    Music = Mix_LoadMUS((resources::ProgramDir + "Music/" + name + ".ogg").c_str());
  } else {
    resources::UnpackDataFile(resources::ProgramDir + "Music/" + name + ".dat");
    // The music streams from its file while it plays; moved out of the
    // scratch file, it is not disturbed when later loads reuse that.
    std::rename(resources::ScratchFilePath().c_str(), resources::MusicFilePath().c_str());
    Music = Mix_LoadMUS(resources::MusicFilePath().c_str());
  }
  const bool started = Music != nullptr;
  if (started) {
    Mix_VolumeMusic(MusicVolume);
    Mix_PlayMusic(Music, LoopForever);
  }
  return started;
}

void StopMusic() {
  if (Music == nullptr) return;
  Mix_HaltMusic();
  Mix_FreeMusic(Music);
  Music = nullptr;
}

bool MusicPlaying() { return Music != nullptr && Mix_PlayingMusic() != 0; }

}  // namespace game
