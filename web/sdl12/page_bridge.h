// What the browser SDL asks of the page (page_bridge.js): the canvas, the
// keyboard and Web Audio. Only called where there is a page; under node
// nothing here runs.
#pragma once

#include <stdint.h>

extern "C" {

// 1 when the program runs in a page with a canvas to draw on.
int vxpage_has_page(void);

// Sizes the canvas to width x height and starts listening to the keyboard.
void vxpage_open_video(int width, int height);
// Stops listening to the keyboard; the canvas keeps its last picture.
void vxpage_close_video(void);
// Puts width x height RGBA pixels on the canvas.
void vxpage_show(const uint8_t* rgba, int width, int height);
void vxpage_set_title(const char* title);
// The oldest key change not yet taken: 0 when none, otherwise the key
// symbol plus 0x10000 for a press or 0x20000 for a release.
int vxpage_next_key(void);

// The gamepads the page sees now: their number; one's name (as much as
// fits in `size` bytes), axes and buttons; and its state, axes scaled to
// -32767..32767 and buttons 0 or 1. vxpage_pad_read returns 0 once the
// pad is gone.
int vxpage_pad_count(void);
void vxpage_pad_name(int index, char* name, int size);
int vxpage_pad_axes(int index);
int vxpage_pad_buttons(int index);
int vxpage_pad_read(int index, int16_t* axes, int axisCount, uint8_t* buttons, int buttonCount);

// Makes the audio context (running from the first key press on); 1 when
// the page can play sound.
int vxpage_open_audio(void);
void vxpage_close_audio(void);
// A sound effect: frames of interleaved float samples at `rate`.
void vxpage_sound_define(int id, const float* samples, int frames, int channels, int rate);
void vxpage_sound_forget(int id);
// Plays sound `id` on `channel` (stopping what played there) at gain,
// repeated `loops` more times.
void vxpage_sound_play(int channel, int id, double gain, int loops);
void vxpage_sound_stop(int channel);
// A music file's bytes, for the page to decode.
void vxpage_music_define(int id, const uint8_t* bytes, int length);
void vxpage_music_forget(int id);
// Plays track `id` (once decoded) looping for ever when loops is -1.
void vxpage_music_play(int id, int loops, double gain);
void vxpage_music_stop(void);
void vxpage_music_gain(double gain);
}
