#pragma once

#include "audio/WaveDoc.h"

#include <cstdint>
#include <memory>
#include <vector>

class CAudioTrack;
class IProgress;

// Mixes the clips of tracks into one new clip, for saving and for rings.
// What is not heard is not mixed: muted tracks and clips still being
// recorded are left out. progress may be null. Any thread, while nobody
// changes the tracks (or on taken clips, whatever happens to the tracks).
namespace Mixdown {

// Everything from 0 to projectLengthMs, in the format of the clip with the
// highest sample rate (the project format without clips); other clips are
// converted first. None when no store can be made.
std::unique_ptr<CWaveDoc> All(const std::vector<CAudioTrack*>& tracks, uint32_t projectLengthMs,
                              IProgress* progress);

// [startMs, endMs) in the project format.
std::unique_ptr<CWaveDoc> Selection(const std::vector<CAudioTrack*>& tracks, uint32_t startMs,
                                    uint32_t endMs, IProgress* progress);

// The clips a mix of tracks reads, taken on the GUI thread: each clip that
// would be mixed now, as a clip of its own sharing the samples (no copy).
// Mixing them later on any thread gives what mixing the tracks gave when they
// were taken, whatever happens to the tracks, their clips and mutes meanwhile.
using TakenClips = std::vector<std::unique_ptr<CWaveDoc>>;
TakenClips TakeClips(const std::vector<CAudioTrack*>& tracks);
// Selection, of taken clips.
std::unique_ptr<CWaveDoc> SelectionOf(const TakenClips& clips, uint32_t startMs, uint32_t endMs,
                                      IProgress* progress);

} // namespace Mixdown
