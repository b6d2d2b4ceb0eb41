#pragma once

#include "audio/IAudioPlayer.h"

#include <functional>
#include <memory>

// Makes the player a new clip embeds. Tests pass a recording fake; copies of a
// clip use the factory of the clip they came from.
using PlayerFactory = std::function<std::unique_ptr<IAudioPlayer>()>;

// The player the programs use.
PlayerFactory DefaultPlayerFactory();
