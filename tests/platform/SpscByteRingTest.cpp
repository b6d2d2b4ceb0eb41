#include "platform/SpscByteRing.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(SpscByteRing, AllOrNothingAcrossTheWrap)
{
    SpscByteRing ring(10);
    const char in[] = "abcdefghij";
    char out[11] = {};
    ASSERT_TRUE(ring.Write(in, 7));
    EXPECT_FALSE(ring.Write(in, 4)) << "four do not fit beside seven";
    EXPECT_EQ(ring.Available(), 7u);
    ASSERT_TRUE(ring.Read(out, 5));
    EXPECT_EQ(std::string(out, 5), "abcde");
    ASSERT_TRUE(ring.Write(in, 8)); // 2 left + 8 = full, wrapping at the end
    EXPECT_EQ(ring.Available(), 10u);
    EXPECT_FALSE(ring.Read(out, 11));
    ASSERT_TRUE(ring.Read(out, 10));
    EXPECT_EQ(std::string(out, 10), "fgabcdefgh");
    EXPECT_EQ(ring.Available(), 0u);
    EXPECT_FALSE(ring.Read(out, 1));
}

// One thread writes a counting sequence in uneven pieces while another reads
// it in other pieces: every byte arrives once, in order.
TEST(SpscByteRing, TwoThreadsPassASequenceInOrder)
{
    constexpr size_t kTotal = 1 << 20;
    SpscByteRing ring(1000);
    std::thread writer([&ring] {
        std::vector<uint8_t> piece;
        size_t next = 0;
        while (next < kTotal) {
            const size_t count = std::min<size_t>(1 + next % 97, kTotal - next);
            piece.resize(count);
            for (size_t i = 0; i < count; ++i)
                piece[i] = static_cast<uint8_t>((next + i) * 7);
            if (ring.Write(piece.data(), count))
                next += count;
            else
                std::this_thread::yield();
        }
    });
    size_t got = 0;
    bool inOrder = true;
    uint8_t piece[61];
    while (got < kTotal) {
        const size_t count = std::min<size_t>(sizeof piece, kTotal - got);
        if (!ring.Read(piece, count)) {
            std::this_thread::yield();
            continue;
        }
        for (size_t i = 0; i < count; ++i)
            inOrder = inOrder && piece[i] == static_cast<uint8_t>((got + i) * 7);
        got += count;
    }
    writer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(ring.Available(), 0u);
}

} // namespace
