#pragma once

#include "audio/WaveFormat.h"
#include "voice/WaveData.h"

#include <cstdint>
#include <memory>
#include <optional>

// Everything a ring of the editor's selection is made from, taken on the GUI
// thread at the ring command (CBrevanta::TakeRingSnapshot) and then owned by
// the thread that builds the ring (CBrevanta::BuildRing(const RingSnapshot&)).
// It holds copies of the selected bytes and the figures the window's width
// gave when it was taken, so the editor may be resized, its selection dragged
// or its tracks replaced while the ring is built: the ring stays what the
// user had when giving the command. Move-only; at most the selection's bytes
// of each track.
struct RingSnapshot
{
    int content = -1; // CBrevanta::RingContent; any other value builds nothing

    // The selection, ms of the music.
    int selectionStartMs = 0;
    int selectionEndMs = 0;

    WaveFormat musicFormat;
    // The music is the generated silence of an editor without a song.
    bool musicIsSilence = false;
    // Music bytes of the selection (music and mix); null when none.
    std::unique_ptr<WaveBuffer> music;

    WaveFormat voiceFormat;
    // Voice bytes inside the selection (voice and mix); null when none.
    std::unique_ptr<WaveBuffer> voice;
    // Where the voice starts in the music copy, bytes of the music format
    // (mix): 0 when the voice began before the selection.
    uint32_t voiceOffset = 0;

    // The ring file format chosen for the source, from the editor's list;
    // none when the list is empty.
    std::optional<WaveFormatEx> ringFileFormat;
};
