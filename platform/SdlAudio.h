#pragma once

// Brings up SDL's audio for this process, as AudioOutput and AudioCapture
// need it, without SDL's own SIGINT and SIGTERM handlers: those only queue a
// quit event nobody reads, so a session logout or kill would no longer end
// the program. False when SDL has no audio. Pair with SDL_QuitSubSystem.
bool InitSdlAudio();
