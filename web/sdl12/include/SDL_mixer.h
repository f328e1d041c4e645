// The part of the SDL_mixer 1.2 interface the game uses, for the browser
// build (see SDL.h beside this file). Channels are counted here as
// SDL_mixer counts them; the sound itself is played by the page's Web
// Audio, which decodes the music. Browsers let a page make sound only after
// the player's first key press, so everything before that is silent.
#pragma once

#include "SDL.h"

#ifdef __cplusplus
extern "C" {
#endif

#define MIX_MAX_VOLUME 128
#define MIX_CHANNELS 8
#define MIX_DEFAULT_FREQUENCY 22050
#define MIX_DEFAULT_FORMAT AUDIO_S16LSB
#define MIX_DEFAULT_CHANNELS 2

typedef struct Mix_Chunk {
  int allocated;
  Uint8* abuf;
  Uint32 alen;
  Uint8 volume;
} Mix_Chunk;

typedef struct _Mix_Music Mix_Music;

// Opens the output: 0. Without a page (or with SDL_AUDIODRIVER "dummy")
// the channels are counted as usual and nothing is heard.
int Mix_OpenAudio(int frequency, Uint16 format, int channels, int chunksize);
// 1 with the opened format when open, 0 otherwise.
int Mix_QuerySpec(int* frequency, Uint16* format, int* channels);
void Mix_CloseAudio(void);
int Mix_AllocateChannels(int numchans);
// Sets a channel's volume (0 to 128; more counts as 128; -1 only asks) or,
// for channel -1, every channel's; returns the volume before.
int Mix_Volume(int channel, int volume);

// Loads a RIFF WAVE of 8- or 16-bit PCM. freesrc closes the stream. Null,
// with the reason in Mix_GetError, for anything else.
Mix_Chunk* Mix_LoadWAV_RW(SDL_RWops* src, int freesrc);
#define Mix_LoadWAV(file) Mix_LoadWAV_RW(SDL_RWFromFile(file, "rb"), 1)
void Mix_FreeChunk(Mix_Chunk* chunk);

// Plays on `channel`, or on the first free one for -1; -1 when all are
// busy. A channel is busy for as long as its sound lasts (loops included).
int Mix_PlayChannelTimed(int channel, Mix_Chunk* chunk, int loops, int ticks);
#define Mix_PlayChannel(channel, chunk, loops) Mix_PlayChannelTimed(channel, chunk, loops, -1)
int Mix_HaltChannel(int channel);
// Whether the channel plays; for -1 the number of channels playing.
int Mix_Playing(int channel);

// Loads an Ogg Vorbis (or WAV) file for the page to decode; null when the
// file cannot be read.
Mix_Music* Mix_LoadMUS(const char* file);
void Mix_FreeMusic(Mix_Music* music);
// loops -1: for ever. Starts once the page has decoded the track.
int Mix_PlayMusic(Mix_Music* music, int loops);
int Mix_HaltMusic(void);
int Mix_VolumeMusic(int volume);
int Mix_PlayingMusic(void);

#define Mix_GetError SDL_GetError
#define Mix_SetError SDL_SetError

#ifdef __cplusplus
}
#endif
