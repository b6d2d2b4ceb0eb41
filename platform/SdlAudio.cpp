#include "platform/SdlAudio.h"

#include <SDL.h>

bool InitSdlAudio()
{
    // Read when SDL starts its event part, which audio brings along.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}
