#include "audio/Mixdown.h"

#include "audio/AudioTrack.h"
#include "audio/IProgress.h"

#include <algorithm>
#include <cstring>

namespace Mixdown {

namespace {

std::vector<const CWaveDoc*> MixableClips(const std::vector<CAudioTrack*>& tracks)
{
    std::vector<const CWaveDoc*> clips;
    for (const CAudioTrack* track : tracks) {
        if (track->IsMuted())
            continue;
        for (int i = 0; i < track->GetClipCount(); ++i) {
            const CWaveDoc* clip = track->GetClip(i);
            if (!clip->IsRecording() && clip->GetStore())
                clips.push_back(clip);
        }
    }
    return clips;
}

// A silent clip of the given length. 8-bit silence is 128, not 0.
std::unique_ptr<CWaveDoc> SilentMix(const WaveFormat& format, uint32_t lengthMs)
{
    auto mix = std::make_unique<CWaveDoc>();
    mix->SetFormat(format);
    if (!mix->CreateStore(mix->MsToBytes(lengthMs)))
        return nullptr;
    if (format.bitsPerSample == 8 && mix->GetDataSize() > 0) {
        CMappedView view = mix->GetStore()->MapView(0, mix->GetDataSize());
        if (!view)
            return nullptr;
        std::memset(view.data(), 0x80, view.size());
    }
    return mix;
}

// Adds the clip's samples from clipOffsetMs (relative to its start) onto the
// mix at mixOffsetMs, converting the clip to the mix's format when needed.
void AddClip(CWaveDoc& mix, const CWaveDoc& clip, uint32_t clipOffsetMs, uint32_t mixOffsetMs)
{
    std::unique_ptr<CWaveDoc> converted;
    const CWaveDoc* source = &clip;
    if (!clip.IsSameFormat(mix.GetFormat())) {
        converted = clip.ConvertFormat(mix.GetFormat());
        if (!converted)
            return;
        source = converted.get();
    }
    const uint32_t from = source->MsToBytes(clipOffsetMs);
    if (from >= source->GetDataSize())
        return;
    mix.MixFrom(*source, mix.MsToBytes(mixOffsetMs), from, source->GetDataSize() - from);
}

} // namespace

std::unique_ptr<CWaveDoc> All(const std::vector<CAudioTrack*>& tracks, uint32_t projectLengthMs,
                              IProgress* progress)
{
    if (progress)
        progress->StageAnalyse();
    const std::vector<const CWaveDoc*> clips = MixableClips(tracks);
    WaveFormat format = kProjectFormat;
    uint32_t highestRate = 0;
    for (const CWaveDoc* clip : clips) {
        if (clip->GetFormat().samplesPerSec > highestRate) {
            highestRate = clip->GetFormat().samplesPerSec;
            format = clip->GetFormat();
        }
    }
    std::unique_ptr<CWaveDoc> mix = SilentMix(format, projectLengthMs);
    if (!mix)
        return nullptr;
    const int step = clips.empty() ? 1 : std::max<int>(1, 60 / static_cast<int>(clips.size()));
    if (progress)
        progress->StageMix();
    for (const CWaveDoc* clip : clips) {
        AddClip(*mix, *clip, 0, clip->GetStart());
        if (progress)
            progress->Advance(step);
    }
    return mix;
}

namespace {

std::unique_ptr<CWaveDoc> MixSelection(const std::vector<const CWaveDoc*>& clips, uint32_t startMs,
                                       uint32_t endMs, IProgress* progress)
{
    if (progress)
        progress->StageAnalyse();
    if (endMs < startMs)
        std::swap(startMs, endMs);
    std::unique_ptr<CWaveDoc> mix = SilentMix(kProjectFormat, endMs - startMs);
    if (!mix)
        return nullptr;
    if (progress)
        progress->StageMix();
    for (const CWaveDoc* clip : clips) {
        if (!clip->Overlaps(startMs, endMs))
            continue;
        const uint32_t from = std::max(startMs, clip->GetStart());
        AddClip(*mix, *clip, from - clip->GetStart(), from - startMs);
        if (progress)
            progress->Advance(1);
    }
    return mix;
}

} // namespace

std::unique_ptr<CWaveDoc> Selection(const std::vector<CAudioTrack*>& tracks, uint32_t startMs,
                                    uint32_t endMs, IProgress* progress)
{
    return MixSelection(MixableClips(tracks), startMs, endMs, progress);
}

TakenClips TakeClips(const std::vector<CAudioTrack*>& tracks)
{
    TakenClips taken;
    for (const CWaveDoc* clip : MixableClips(tracks))
        taken.push_back(clip->ShareSamples());
    return taken;
}

std::unique_ptr<CWaveDoc> SelectionOf(const TakenClips& clips, uint32_t startMs, uint32_t endMs,
                                      IProgress* progress)
{
    std::vector<const CWaveDoc*> mixed;
    for (const auto& clip : clips)
        mixed.push_back(clip.get());
    return MixSelection(mixed, startMs, endMs, progress);
}

} // namespace Mixdown
