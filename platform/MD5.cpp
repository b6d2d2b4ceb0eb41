#include "platform/MD5.h"

#include <cstring>
#include <stdexcept>

namespace {

inline uint32_t Rotate(uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

inline uint32_t F(uint32_t x, uint32_t y, uint32_t z)
{
    return (x & y) | (~x & z);
}
inline uint32_t G(uint32_t x, uint32_t y, uint32_t z)
{
    return (x & z) | (y & ~z);
}
inline uint32_t H(uint32_t x, uint32_t y, uint32_t z)
{
    return x ^ y ^ z;
}
inline uint32_t I(uint32_t x, uint32_t y, uint32_t z)
{
    return y ^ (x | ~z);
}

// Shift amounts of the four rounds, four per round.
constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

// floor(abs(sin(i + 1)) * 2^32), the table of RFC 1321.
constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
    0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
    0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
    0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
    0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
    0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
    0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
    0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
    0xeb86d391};

void PutLittleEndian(uint32_t value, unsigned char* out)
{
    for (int i = 0; i < 4; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

} // namespace

CMD5::CMD5()
{
    Reset();
}

void CMD5::Reset()
{
    m_dataAdded = false;
    m_state[0] = 0x67452301;
    m_state[1] = 0xEFCDAB89;
    m_state[2] = 0x98BADCFE;
    m_state[3] = 0x10325476;
    m_count[0] = m_count[1] = 0;
    std::memset(m_block, 0, sizeof m_block);
}

void CMD5::AddData(const void* data, int32_t length)
{
    if (length < 0)
        throw std::runtime_error(
            "FileDigest ERROR: in CMD5::AddData(), Data Length should be >= 0!");
    m_dataAdded = true;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const uint32_t count = static_cast<uint32_t>(length);
    uint32_t index = (m_count[0] >> 3) & 0x3F;
    const uint32_t low = m_count[0] + (count << 3);
    if (low < m_count[0])
        ++m_count[1];
    m_count[0] = low;
    m_count[1] += count >> 29;

    uint32_t done = 0;
    if (index != 0) {
        const uint32_t room = 64 - index;
        if (count < room) {
            std::memcpy(m_block + index, bytes, count);
            return;
        }
        std::memcpy(m_block + index, bytes, room);
        Transform();
        done = room;
        index = 0;
    }
    for (; done + 64 <= count; done += 64) {
        std::memcpy(m_block, bytes + done, 64);
        Transform();
    }
    if (done < count)
        std::memcpy(m_block, bytes + done, count - done);
}

void CMD5::FinalDigest(unsigned char* output)
{
    if (!m_dataAdded)
        throw std::runtime_error(
            "FileDigest ERROR: in CMD5::FinalDigest(), No data Added before call!");
    uint32_t index = (m_count[0] >> 3) & 0x3F;
    m_block[index++] = 0x80;
    if (64 - index < 8) {
        std::memset(m_block + index, 0, 64 - index);
        Transform();
        index = 0;
    }
    std::memset(m_block + index, 0, 56 - index);
    PutLittleEndian(m_count[0], m_block + 56);
    PutLittleEndian(m_count[1], m_block + 60);
    Transform();
    for (int i = 0; i < 4; ++i)
        PutLittleEndian(m_state[i], output + 4 * i);
    Reset();
}

void CMD5::Transform()
{
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) {
        const unsigned char* p = m_block + 4 * i;
        x[i] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
    for (int i = 0; i < 64; ++i) {
        const int round = i / 16;
        uint32_t mixed = 0;
        int word = 0;
        switch (round) {
        case 0:
            mixed = F(b, c, d);
            word = i;
            break;
        case 1:
            mixed = G(b, c, d);
            word = (5 * i + 1) % 16;
            break;
        case 2:
            mixed = H(b, c, d);
            word = (3 * i + 5) % 16;
            break;
        default:
            mixed = I(b, c, d);
            word = (7 * i) % 16;
            break;
        }
        const uint32_t next = b + Rotate(a + mixed + kSine[i] + x[word], kShift[round][i % 4]);
        a = d;
        d = c;
        c = b;
        b = next;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}
