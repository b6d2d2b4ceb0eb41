#include "audio/MP3Info.h"

#include "audio/InputFile.h"
#include "platform/TextCoding.h"

#include <cstring>
#include <vector>

namespace {

// Frame header search: a header at most this many bytes behind where a search
// starts is found.
constexpr int kMaxSearchSteps = 10000;

// Bitrates in kbit/s for index 1..14 (index 0 and 15 are handled apart).
constexpr int kMpeg1Layer1[14] = {32,  64,  96,  128, 160, 192, 224,
                                  256, 288, 320, 352, 384, 416, 448};
constexpr int kMpeg1Layer2[14] = {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr int kMpeg1Layer3[14] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int kMpeg2Layer1[14] = {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
constexpr int kMpeg2Layer23[14] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

// Buffered reads for the byte-by-byte header search and the tag walk over an
// untrusted file.
class ByteWindow
{
public:
    static constexpr size_t kSize = 64 * 1024;

    explicit ByteWindow(const CInputFile& file) : m_file(file), m_buffer(kSize) {}

    // The count (at most kSize) bytes at pos; null when fewer remain.
    const uint8_t* At(uint64_t pos, size_t count)
    {
        if (pos < m_start || pos + count > m_start + m_length) {
            if (pos >= m_file.Size())
                return nullptr;
            m_start = pos;
            m_length = m_file.ReadAt(pos, m_buffer.data(), m_buffer.size());
            if (m_length < count)
                return nullptr;
        }
        return m_buffer.data() + (pos - m_start);
    }

    // The 4 bytes at pos as a big-endian word; false when fewer remain.
    bool WordAt(uint64_t pos, uint32_t& word)
    {
        const uint8_t* b = At(pos, 4);
        if (!b)
            return false;
        word = uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
        return true;
    }

private:
    const CInputFile& m_file;
    std::vector<uint8_t> m_buffer;
    uint64_t m_start = 0;
    size_t m_length = 0;
};

// The bytes of the ID3v2 tags at the file's start, 0 when there is none.
// Taggers may put one tag right behind another: every one in a row is
// skipped, however many, up to the file's end. Each step moves on by at
// least a tag header, so the walk is linear in the file's size.
uint64_t LeadingId3v2Size(const CInputFile& file, ByteWindow& window)
{
    uint64_t pos = 0;
    while (pos < file.Size()) {
        const uint8_t* h = window.At(pos, 10);
        if (!h || std::memcmp(h, "ID3", 3) != 0 || h[3] == 0xFF || h[4] == 0xFF ||
            ((h[6] | h[7] | h[8] | h[9]) & 0x80) != 0)
            break;
        const uint64_t body =
            uint64_t{h[6]} << 21 | uint64_t{h[7]} << 14 | uint64_t{h[8]} << 7 | h[9];
        const bool footer = h[3] >= 4 && (h[5] & 0x10) != 0;
        pos += 10 + body + (footer ? 10 : 0);
    }
    return pos;
}

// A C text from a fixed field of the ID3v1 tag: up to the first NUL.
QString FieldText(const uint8_t* field, size_t size)
{
    const void* nul = std::memchr(field, 0, size);
    const size_t length =
        nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - field) : size;
    return GbkToQString(QByteArrayView(field, static_cast<qsizetype>(length)));
}

} // namespace

CMP3Info::CMP3Info(const QString& path)
{
    if (!path.isEmpty())
        Open(path);
}

void CMP3Info::Reset()
{
    *this = CMP3Info();
}

int CMP3Info::BitrateOf(int version, int layer, int index)
{
    if (index <= 0)
        return 0;
    if (index >= 15)
        return -1;
    const int* table = nullptr;
    if (version == kMpeg1) {
        table = layer == 3 ? kMpeg1Layer3 : layer == 2 ? kMpeg1Layer2 : kMpeg1Layer1;
    } else {
        table = layer == 1 ? kMpeg2Layer1 : kMpeg2Layer23;
    }
    return layer == 0 ? 0 : table[index - 1];
}

int64_t CMP3Info::FrameLength(int version, int layer, int bitrate, int rate, int padding)
{
    if (rate <= 0)
        return 0;
    if (layer == 1)
        return (12000 * int64_t{bitrate} / rate + padding) * 4;
    // Layer III frames of MPEG-2 and 2.5 hold 576 samples, half of MPEG-1's.
    const int64_t factor = layer == 3 && version != kMpeg1 ? 72000 : 144000;
    return factor * bitrate / rate + padding;
}

int CMP3Info::Open(const QString& path)
{
    Reset();
    CInputFile file;
    if (!file.Open(path))
        return 0;

    ByteWindow window(file);
    uint64_t pos = LeadingId3v2Size(file, window);
    int64_t remaining = 0;
    int64_t bitrateSum = 0;
    int bitrate = 0;
    double seconds = 0.0;
    bool first = true;
    for (;;) {
        if (remaining > 0)
            pos += static_cast<uint64_t>(remaining);
        uint32_t header = 0;
        bool found = false;
        for (int step = 0; step <= kMaxSearchSteps; ++step, ++pos) {
            if (!window.WordAt(pos, header))
                break;
            if (header > 0xFFDFFFFFu) {
                found = true;
                break;
            }
        }
        if (!found)
            break;

        if (first) {
            static constexpr int kVersions[4] = {kMpeg25, kReservedVersion, kMpeg2, kMpeg1};
            static constexpr int kLayers[4] = {0, 3, 2, 1};
            m_version = kVersions[(header >> 19) & 3];
            m_layer = kLayers[(header >> 17) & 3];
            m_protection = (header >> 16) & 1;
            first = false;
        }
        if (m_layer != 0)
            bitrate = BitrateOf(m_version, m_layer, (header >> 12) & 15);
        if (bitrate > 0)
            bitrateSum += bitrate;

        const int rateIndex = (header >> 10) & 3;
        if (rateIndex != 3) {
            static constexpr int kRates[4][3] = {
                {0, 0, 0}, {11025, 12000, 8000}, {22050, 24000, 16000}, {44100, 48000, 32000}};
            m_sampleRate = kRates[m_version][rateIndex];
        }
        if (m_sampleRate == 0)
            break;

        m_channelMode = (header >> 6) & 3;
        m_copyright = (header >> 3) & 1;
        m_original = (header >> 2) & 1;
        m_emphasis = header & 3;

        const int padding = (header >> 9) & 1;
        const int64_t length = FrameLength(m_version, m_layer, bitrate, m_sampleRate, padding);
        pos += 4;
        remaining = length - 4;
        ++m_frameCount;
        // A bad bitrate index (-1) gives no frame length to time.
        if (bitrate > 0)
            seconds += static_cast<double>(length) * 8.0 / (bitrate * 1000.0);
    }
    if (m_frameCount > 0) {
        m_flags |= kHasFrames;
        m_bitrate = static_cast<int32_t>(bitrateSum / m_frameCount);
        m_duration = static_cast<int64_t>(seconds);
    }

    ReadId3v1(file);
    m_path = path;
    return 1;
}

void CMP3Info::ReadId3v1(const CInputFile& file)
{
    uint8_t tag[128];
    if (file.Size() < sizeof tag || !file.ReadExactly(file.Size() - sizeof tag, tag, sizeof tag) ||
        std::memcmp(tag, "TAG", 3) != 0)
        return;
    m_title = FieldText(tag + 3, 30);
    m_artist = FieldText(tag + 33, 30);
    m_album = FieldText(tag + 63, 30);
    m_year = FieldText(tag + 93, 4);
    if (tag[125] != 0) {
        m_comment = FieldText(tag + 97, 30);
    } else {
        m_comment = FieldText(tag + 97, 28);
        m_track = tag[126];
        m_genre = tag[127];
    }
    m_flags |= kHasId3v1;
}
