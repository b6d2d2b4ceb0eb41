#pragma once

#include "audio/HResult.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QSaveFile;

// Writes PCM as a headerless 4-bit ADPCM (VOX) file: two samples a byte, the
// first in the high nibble. The producer feeds 8000 Hz mono; neither is
// stored. The encoder state carries over every Write to one file.
//
// The file is written under a temporary name beside the target and renamed
// onto it by Close, and only when every byte went in: a failed write, or a
// writer destroyed before Close, leaves nothing at the target (and an old
// file there as it was).
// One writer writes one file at a time, on the thread that calls it.
class VoxWriter
{
public:
    VoxWriter();
    ~VoxWriter(); // drops a file not closed: only Close finishes one
    VoxWriter(const VoxWriter&) = delete;
    VoxWriter& operator=(const VoxWriter&) = delete;

    int SetFileName(const QString& path);
    // Starts a new file and resets the encoder (predicted 0, index 0). A file
    // still open is dropped unwritten. E_FAIL when it cannot be created.
    HRESULT Open();
    // Encodes byteCount bytes of samples: 16-bit signed when bitsPerSample is
    // 16, else 8-bit unsigned. An odd last sample of the call is not
    // encoded. E_FAIL when not open, out of memory or the bytes did not all
    // reach the file (the file then stays unwritten).
    HRESULT Write(int bitsPerSample, const void* samples, uint32_t byteCount);
    // Finishes the file: S_OK when it is complete at the target, E_FAIL when
    // a write, the close or the rename failed (nothing is left at the target
    // then). S_OK when nothing was open.
    HRESULT Close();

    // The encoder state, as the decoder tracks it.
    int GetPredicted() const { return m_predicted; }
    int GetStepIndex() const { return m_stepIndex; }

    // Encodes one sample of the 12-bit range into its 4-bit code and moves
    // the state on, as Write does for each sample.
    uint8_t EncodeSample(int sample);

private:
    QString m_path;
    std::unique_ptr<QSaveFile> m_file; // while open
    bool m_failed = false;             // a write of this file failed
    int16_t m_predicted = 0;           // 12-bit range, -2048..2048
    int16_t m_stepIndex = 0;           // 0..48
    std::vector<uint8_t> m_output;     // the encoded bytes of one Write
};
