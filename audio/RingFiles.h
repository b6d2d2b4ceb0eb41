#pragma once

#include "audio/HResult.h"
#include "audio/WaveDoc.h"
#include "audio/WmaWriter.h"

#include <QString>

#include <memory>

class CWmaFormatList;

// The two files a ring is published as, made from a clip: the VOX file the
// service plays on the phone and the Windows Media ring file. The clip's
// store is read in bounded blocks. Any thread; no widget is touched.
namespace RingFiles {

// A mix in the PCM format of the list's entry for its sample rate, else of
// the entry with the highest rate: the mix itself when it has that format
// already, else a converted copy (the mix is then deleted). None without a
// mix or samples in it, with an empty list or when the conversion fails.
std::unique_ptr<CWaveDoc> ToRingFileFormat(std::unique_ptr<CWaveDoc> mix,
                                           const CWmaFormatList& formats);

// Writes the clip's samples as a VOX file with the clip's bits per sample.
// 1 when every byte reached the file and it is complete at path; 0 when the
// clip has no samples or anything failed (nothing is left at path then).
int WriteVox(const QString& path, const CWaveDoc& clip);
// The same for samples in memory, size bytes of bitsPerSample each.
int WriteVox(const QString& path, int bitsPerSample, const uint8_t* data, uint32_t size);

// Writes the clip as a ring file in the given Windows Media format, in
// chunks of one second of PCM timed 0, 10 000 000, ... (100-ns units), the
// last chunk shorter. The clip must be PCM with the format's rate, channels
// and bits. E_FAIL without a format or samples or for another clip format;
// otherwise the writer's first failure. Nothing is left at path on failure.
// observer (may be empty) is told of every chunk written.
HRESULT WriteRingFile(const QString& path, const CWaveDoc& clip, const WaveFormatEx* format,
                      CWmaWriter::SampleObserver observer = {});
// The same for size bytes of samples in memory in the PCM format pcm.
HRESULT WriteRingFile(const QString& path, const WaveFormat& pcm, const uint8_t* data,
                      uint32_t size, const WaveFormatEx* format,
                      CWmaWriter::SampleObserver observer = {});

} // namespace RingFiles
