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

// The decoder's update tabled by step index and magnitude bits: what the
// prediction moves by, and the next step index.
struct StepTables
{
    int16_t delta[49][8];
    uint8_t next[49][8];
};

constexpr StepTables MakeStepTables()
{
    StepTables tables{};
    for (int index = 0; index < 49; ++index) {
        const int step = kSteps[index];
        for (int magnitude = 0; magnitude < 8; ++magnitude) {
            int delta = step / 8;
            if (magnitude & 1)
                delta += step / 4;
            if (magnitude & 2)
                delta += step / 2;
            if (magnitude & 4)
                delta += step;
            tables.delta[index][magnitude] = static_cast<int16_t>(delta);
            tables.next[index][magnitude] =
                static_cast<uint8_t>(std::clamp(index + kIndexAdjust[magnitude], 0, 48));
        }
    }
    return tables;
}

constexpr StepTables kTables = MakeStepTables();

// The encoder state while samples are encoded: locals, kept in registers
// across a block, written back to the writer once.
struct State
{
    int predicted;
    int index;
};

// One sample of the 12-bit range into its 4-bit code. Without branches on
// the bits: noise would mispredict about half of them.
inline int EncodeOne(int sample, State& state)
{
    const int step = kSteps[state.index]; // positive, so shifts divide
    const int diff = sample - state.predicted;
    const int negative = diff < 0;
    int rest = negative ? -diff : diff;
    const int bit2 = rest >= step;
    rest -= step & -bit2;
    const int bit1 = rest >= step >> 1;
    rest -= (step >> 1) & -bit1;
    const int bit0 = rest >= step >> 2;
    const int magnitude = bit2 << 2 | bit1 << 1 | bit0;
    const int delta = kTables.delta[state.index][magnitude];
    state.predicted =
        std::clamp(negative ? state.predicted - delta : state.predicted + delta, -2048, 2048);
    state.index = kTables.next[state.index][magnitude];
    return negative << 3 | magnitude;
}

// Into the 12-bit range: 16-bit / 16 toward zero, 8-bit (b - 128) * 16.
template <bool Wide> inline int Scaled(const uint8_t* bytes, uint32_t i)
{
    if constexpr (Wide) {
        int16_t value;
        std::memcpy(&value, bytes + 2 * i, 2);
        return value / 16;
    } else {
        return (bytes[i] - 128) * 16;
    }
}

// Encodes 2 * pairs samples into pairs bytes, the first of each pair in the
// high nibble.
template <bool Wide>
void EncodeBlock(const uint8_t* bytes, uint32_t pairs, uint8_t* out, State& state)
{
    State local = state;
    for (uint32_t k = 0; k < pairs; ++k) {
        const int high = EncodeOne(Scaled<Wide>(bytes, 2 * k), local);
        const int low = EncodeOne(Scaled<Wide>(bytes, 2 * k + 1), local);
        out[k] = static_cast<uint8_t>(high << 4 | low);
    }
    state = local;
}

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
    State state{m_predicted, m_stepIndex};
    const int code = EncodeOne(sample, state);
    m_predicted = static_cast<int16_t>(state.predicted);
    m_stepIndex = static_cast<int16_t>(state.index);
    return static_cast<uint8_t>(code);
}

HRESULT VoxWriter::Write(int bitsPerSample, const void* samples, uint32_t byteCount)
{
    if (!m_file || m_failed)
        return E_FAIL;
    const bool wide = bitsPerSample == 16;
    const uint32_t sampleCount = wide ? byteCount / 2 : byteCount;
    const uint32_t outputCount = sampleCount / 2;
    if (outputCount == 0)
        return S_OK;
    try {
        if (m_output.size() < outputCount)
            m_output.resize(outputCount);
    } catch (const std::bad_alloc&) {
        return E_FAIL;
    }
    const auto* bytes = static_cast<const uint8_t*>(samples);
    State state{m_predicted, m_stepIndex};
    if (wide)
        EncodeBlock<true>(bytes, outputCount, m_output.data(), state);
    else
        EncodeBlock<false>(bytes, outputCount, m_output.data(), state);
    m_predicted = static_cast<int16_t>(state.predicted);
    m_stepIndex = static_cast<int16_t>(state.index);
    if (m_file->write(reinterpret_cast<const char*>(m_output.data()), outputCount) !=
        static_cast<qint64>(outputCount)) {
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
