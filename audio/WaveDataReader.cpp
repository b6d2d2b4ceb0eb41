#include "audio/WaveDataReader.h"

#include "audio/G711.h"
#include "audio/WaveHeader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

// Codes expanded at a time.
constexpr uint64_t kCodeBlock = 64 * 1024;

bool IsG711(uint16_t tag)
{
    return tag == kWaveFormatAlaw || tag == kWaveFormatMulaw;
}

// The format the readers keep for a record: PCM as it is, G.711 expanded.
bool Normalised(const WaveFormat& format, WaveFormat& samples)
{
    if (format.formatTag == kWaveFormatPcm) {
        samples = format;
        return true;
    }
    return IsG711(format.formatTag) && ExpandedG711Format(format, samples);
}

} // namespace

WaveDataReader::~WaveDataReader()
{
    Close();
}

void WaveDataReader::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

WaveWalkStatus WaveDataReader::Open(const QString& path, uint64_t maxBytes)
{
    Close();
    m_hasFormat = false;
    m_size = 0;
    const auto onData = [&](const WaveFormat& format, int fd, uint64_t offset, uint32_t size) {
        WaveFormat samples;
        if (!Normalised(format, samples))
            return false;
        const uint64_t bytes = uint64_t{size} * (IsG711(format.formatTag) ? 2 : 1);
        if (bytes > maxBytes)
            return false;
        // The walk's file stays open with this reader: a file replaced after
        // the walk is never read in its place.
        const int kept = fcntl(fd, F_DUPFD_CLOEXEC, 0);
        if (kept < 0)
            return false;
        Close();
        m_fd = kept;
        m_format = samples;
        m_hasFormat = true;
        m_tag = format.formatTag;
        m_offset = offset;
        m_size = bytes;
        return true;
    };
    std::optional<WaveFormat> formatOnly;
    const WaveWalkStatus status = WalkWaveFile(path, onData, &formatOnly);
    if (status != WaveWalkStatus::kOk) {
        Close();
        m_hasFormat = false;
        m_size = 0;
        return status;
    }
    if (formatOnly) {
        if (!Normalised(*formatOnly, m_format))
            return WaveWalkStatus::kRefused;
        m_hasFormat = true;
    }
    return status;
}

bool WaveDataReader::ReadAt(uint64_t offset, void* buffer, uint64_t length) const
{
    if (m_fd < 0 || offset > m_size || length > m_size - offset)
        return false;
    if (length == 0)
        return true;
    if (!IsG711(m_tag))
        return ReadAllAt(m_fd, m_offset + offset, buffer, length);
    if (offset % 2 != 0 || length % 2 != 0)
        return false;
    std::vector<uint8_t> codes(static_cast<size_t>(std::min(kCodeBlock, length / 2)));
    auto* samples = static_cast<uint8_t*>(buffer);
    for (uint64_t done = 0; done < length / 2;) {
        const uint64_t count = std::min<uint64_t>(codes.size(), length / 2 - done);
        if (!ReadAllAt(m_fd, m_offset + offset / 2 + done, codes.data(), count))
            return false;
        ExpandG711(m_tag, codes.data(), count, samples + done * 2);
        done += count;
    }
    return true;
}
