#include "audio/VoxWriter.h"

#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

// The Dialogic step sizes, except that entry 47 is 1408, not the usual
// 1411: our encoder has always used 1408.
constexpr int16_t kSteps[49] = {
    16,  17,  19,  21,  23,  25,  28,  31,  34,  37,  41,   45,   50,   55,   60,  66,  73,
    80,  88,  97,  107, 118, 130, 143, 157, 173, 190, 209,  230,  253,  279,  307, 337, 371,
    408, 449, 494, 544, 598, 658, 724, 796, 876, 963, 1060, 1166, 1282, 1408, 1552};

// Index change by the magnitude bits 0..7.
constexpr int8_t kIndexAdjust[8] = {-1, -1, -1, -1, 2, 4, 6, 8};

} // namespace

VoxWriter::VoxWriter() = default;

VoxWriter::~VoxWriter()
{
    // Only Close finishes a file: one still open here was given up midway
    // (its caller failed), so it is dropped, never put at the target.
    m_file.reset();
}

int VoxWriter::SetFileName(const QString& path)
{
    m_path = path;
    return 0;
}

HRESULT VoxWriter::Open()
{
    m_file.reset(); // an unfinished earlier file is dropped, never committed
    m_failed = false;
    m_predicted = 0;
    m_stepIndex = 0;
    if (m_path.isEmpty())
        return E_FAIL;
    // Unbuffered, so a failing write is seen by the Write that made it.
    auto file = std::make_unique<QSaveFile>(m_path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return E_FAIL;
    m_file = std::move(file);
    return S_OK;
}

uint8_t VoxWriter::EncodeSample(int sample)
{
    const int step = kSteps[m_stepIndex];
    const int diff = sample - m_predicted;
    int magnitude = diff < 0 ? -diff : diff;
    uint8_t code = 0;
    if (magnitude >= step) {
        code |= 4;
        magnitude -= step;
    }
    if (magnitude >= step / 2) {
        code |= 2;
        magnitude -= step / 2;
    }
    if (magnitude >= step / 4)
        code |= 1;
    if (diff < 0)
        code |= 8;

    int delta = step / 8;
    if (code & 1)
        delta += step / 4;
    if (code & 2)
        delta += step / 2;
    if (code & 4)
        delta += step;
    const int predicted = (code & 8) ? m_predicted - delta : m_predicted + delta;
    m_predicted = static_cast<int16_t>(std::clamp(predicted, -2048, 2048));
    m_stepIndex = static_cast<int16_t>(std::clamp(m_stepIndex + kIndexAdjust[code & 7], 0, 48));
    return code;
}

HRESULT VoxWriter::Write(int bitsPerSample, const void* samples, uint32_t byteCount)
{
    if (!m_file || m_failed)
        return E_FAIL;
    const bool wide = bitsPerSample == 16;
    const uint32_t sampleCount = wide ? byteCount / 2 : byteCount;
    const uint32_t outputCount = sampleCount / 2;
    std::vector<uint8_t> output;
    try {
        output.resize(outputCount);
    } catch (const std::bad_alloc&) {
        return E_FAIL;
    }
    const auto* bytes = static_cast<const uint8_t*>(samples);
    // Into the 12-bit range: 16-bit / 16 toward zero, 8-bit (b - 128) * 16.
    const auto scaled = [&](uint32_t i) {
        if (!wide)
            return (bytes[i] - 128) * 16;
        int16_t value;
        std::memcpy(&value, bytes + 2 * i, 2);
        return value / 16;
    };
    for (uint32_t k = 0; k < outputCount; ++k) {
        const uint8_t high = EncodeSample(scaled(2 * k));
        const uint8_t low = EncodeSample(scaled(2 * k + 1));
        output[k] = static_cast<uint8_t>(high << 4 | low);
    }
    if (outputCount > 0 && m_file->write(reinterpret_cast<const char*>(output.data()),
                                         outputCount) != static_cast<qint64>(outputCount)) {
        m_failed = true;
        return E_FAIL;
    }
    return S_OK;
}

HRESULT VoxWriter::Close()
{
    if (!m_file)
        return S_OK;
    std::unique_ptr<QSaveFile> file = std::move(m_file);
    // Going without a commit removes the temporary file.
    if (m_failed)
        return E_FAIL;
    return file->commit() ? S_OK : E_FAIL;
}
