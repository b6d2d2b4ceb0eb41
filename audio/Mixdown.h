#pragma once

#include "audio/WaveDoc.h"

#include <cstdint>
#include <memory>
#include <vector>

class CAudioTrack;
class IProgress;

// Mixes the clips of tracks into one new clip, for saving and for rings.
// What is not heard is not mixed: muted tracks and clips still being
// recorded are left out. progress may be null. Any thread,
// while nobody changes the tracks.
namespace Mixdown {

// Everything from 0 to projectLengthMs, in the format of the clip with the
// highest sample rate (the project format without clips); other clips are
// converted first. None when no store can be made.
std::unique_ptr<CWaveDoc> All(const std::vector<CAudioTrack*>& tracks, uint32_t projectLengthMs,
                              IProgress* progress);

// [startMs, endMs) in the project format.
std::unique_ptr<CWaveDoc> Selection(const std::vector<CAudioTrack*>& tracks, uint32_t startMs,
                                    uint32_t endMs, IProgress* progress);

} // namespace Mixdown
