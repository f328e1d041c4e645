// State the browser SDL's source files share.
#pragma once

#include "SDL.h"

namespace sdl12 {

// Whether frames and keys go to and come from a page (not under node, not
// with SDL_VIDEODRIVER "dummy").
bool PageVideo();
// Whether sound goes to the page (not with SDL_AUDIODRIVER "dummy").
bool PageAudio();

// Sets the error text SDL_GetError returns.
void SetErrorText(const char* text);

// Video: the screen opened by SDL_SetVideoMode, dropped by SDL_Quit.
void CloseVideo();

}  // namespace sdl12
