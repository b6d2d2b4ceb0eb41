#include "audio/BlockResampler.h"

#include <libresample.h>

#include <algorithm>
#include <climits>

namespace {

// Output taken per call.
constexpr int kScratchFrames = 16384;
// Input already handed over is dropped from the pending buffer once this much
// has gathered, so the buffer stays a few blocks long.
constexpr size_t kCompactAt = 1 << 16;

} // namespace

BlockResampler::BlockResampler(double factor, int64_t capacity)
    : m_factor(factor), m_capacity(capacity), m_scratch(kScratchFrames)
{
    m_handle = resample_open(1, factor, factor);
    if (!m_handle)
        return;
    // The work buffer's size as libresample sets it from the filter's reach;
    // more than that pending makes every fill a whole one.
    const size_t reach = static_cast<size_t>(resample_get_filter_width(m_handle));
    m_lookahead = std::max<size_t>(2 * reach + 10, 4096) + 1;
}

BlockResampler::~BlockResampler()
{
    if (m_handle)
        resample_close(m_handle);
}

void BlockResampler::Keep(const float* values, int count, std::vector<float>& out)
{
    const int64_t take = std::min<int64_t>(count, m_capacity - m_produced);
    if (take > 0) {
        out.insert(out.end(), values, values + take);
        m_produced += take;
    }
}

bool BlockResampler::FillOnce()
{
    // No room for output: libresample fills its buffer, filters it (at
    // least one output frame) and stops with the output held inside.
    const int available = static_cast<int>(m_pending.size() - m_used);
    int consumed = 0;
    const int got = resample_process(m_handle, m_factor, m_pending.data() + m_used, available, 0,
                                     &consumed, m_scratch.data(), 0);
    if (got < 0 || consumed <= 0 || consumed >= available)
        return false;
    m_used += static_cast<size_t>(consumed);
    return true;
}

bool BlockResampler::Drain(std::vector<float>& out)
{
    // Without input and before the end libresample only hands over what it
    // holds: what is left in its buffer is too short to filter.
    for (;;) {
        int consumed = 0;
        const int got = resample_process(m_handle, m_factor, m_scratch.data(), 0, 0, &consumed,
                                         m_scratch.data(), kScratchFrames);
        if (got < 0)
            return false;
        Keep(m_scratch.data(), got, out);
        if (got < kScratchFrames)
            return true;
    }
}

bool BlockResampler::Push(const float* values, size_t count, std::vector<float>& out)
{
    if (!m_handle)
        return false;
    if (m_produced >= m_capacity)
        return true; // the rest would be dropped
    if (m_used >= kCompactAt) {
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<ptrdiff_t>(m_used));
        m_used = 0;
    }
    if (m_pending.size() - m_used + count > static_cast<size_t>(INT_MAX))
        return false;
    m_pending.insert(m_pending.end(), values, values + count);
    while (m_pending.size() - m_used > m_lookahead && m_produced < m_capacity) {
        if (!FillOnce() || !Drain(out))
            return false;
    }
    return true;
}

bool BlockResampler::Finish(std::vector<float>& out)
{
    if (!m_handle)
        return false;
    // The whole rest in one go, marked as the end, as one call over all
    // input would give it; the loop is that call's.
    float* input = m_pending.data() + m_used;
    const int count = static_cast<int>(m_pending.size() - m_used);
    int used = 0;
    while (m_produced < m_capacity) {
        int consumed = 0;
        const int got = resample_process(m_handle, m_factor, input + used, count - used, 1,
                                         &consumed, m_scratch.data(), kScratchFrames);
        if (got < 0)
            break;
        used += consumed;
        Keep(m_scratch.data(), got, out);
        if (got == 0 && (used >= count || consumed == 0))
            break;
    }
    m_pending.clear();
    m_used = 0;
    return true;
}
