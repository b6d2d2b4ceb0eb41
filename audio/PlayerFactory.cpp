#include "audio/PlayerFactory.h"

#include "audio/DirectSoundPlayer.h"
#include "platform/AudioOutput.h"

PlayerFactory DefaultPlayerFactory()
{
    return [] { return std::make_unique<CDirectSoundPlayer>(AudioOutput::Shared()); };
}
