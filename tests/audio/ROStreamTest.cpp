#include "audio/ROStream.h"
#include "tests/audio/EncodedFixtures.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace EncodedFixtures;

namespace {

TEST(ROStream, OpensRegularFilesOnly)
{
    CROStream stream;
    EXPECT_EQ(stream.Open(QString()), E_INVALIDARG);
    EXPECT_EQ(stream.Open(PathOf("missing.mp3")), HResultFromErrno(ENOENT));

    ASSERT_TRUE(QDir(PathOf("")).mkdir("folder.mp3"));
    ASSERT_TRUE(MakeFifo(PathOf("pipe.mp3")));
    // A FIFO without a writer must neither block the open nor be read.
    for (const QString& path : {PathOf("folder.mp3"), PathOf("pipe.mp3"), QString("/dev/zero")}) {
        EXPECT_EQ(stream.Open(path), E_FAIL) << path;
        EXPECT_FALSE(stream.IsOpen()) << path;
    }

    ASSERT_TRUE(WriteAll(PathOf("plain.mp3"), "abc"));
    EXPECT_EQ(stream.Open(PathOf("plain.mp3")), S_OK);
    EXPECT_EQ(stream.Size(), 3u);
}

TEST(ROStream, ReadsAndSeeksInsideTheFile)
{
    ASSERT_TRUE(WriteAll(PathOf("digits"), "0123456789"));
    CROStream stream;
    ASSERT_EQ(stream.Open(PathOf("digits")), S_OK);

    char buffer[16] = {};
    uint32_t read = 99;
    ASSERT_EQ(stream.Read(buffer, 4, &read), S_OK);
    EXPECT_EQ(QByteArray(buffer, read), "0123");

    uint64_t position = 0;
    ASSERT_EQ(stream.Seek(2, CROStream::SeekCurrent, &position), S_OK);
    EXPECT_EQ(position, 6u);
    ASSERT_EQ(stream.Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(QByteArray(buffer, read), "6789") << "a read stops at the end";
    ASSERT_EQ(stream.Read(buffer, sizeof buffer, &read), S_OK);
    EXPECT_EQ(read, 0u);

    ASSERT_EQ(stream.Seek(-3, CROStream::SeekEnd, &position), S_OK);
    EXPECT_EQ(position, 7u);
    EXPECT_EQ(stream.Seek(-8, CROStream::SeekCurrent, &position), E_INVALIDARG);
    EXPECT_EQ(stream.Seek(0, 3, &position), E_INVALIDARG);
    ASSERT_EQ(stream.Read(buffer, 1, &read), S_OK);
    EXPECT_EQ(QByteArray(buffer, read), "7") << "a refused seek leaves the position";

    // Past the end is a position, where reads give nothing.
    ASSERT_EQ(stream.Seek(100, CROStream::SeekBegin, &position), S_OK);
    EXPECT_EQ(position, 100u);
    ASSERT_EQ(stream.Read(buffer, 4, &read), S_OK);
    EXPECT_EQ(read, 0u);
}

TEST(ROStream, ReachesPositionsPastFourGigabytes)
{
    // A sparse file: 5 GiB long, a marker just past 4 GiB.
    const QString path = PathOf("sparse.bin");
    const uint64_t marker = (uint64_t{1} << 32) + 16;
    {
        const int fd = open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        const bool written = ftruncate(fd, off_t{5} << 30) == 0 &&
                             pwrite(fd, "ABCD", 4, static_cast<off_t>(marker)) == 4;
        close(fd);
        ASSERT_TRUE(written);
    }
    CROStream stream;
    ASSERT_EQ(stream.Open(path), S_OK);
    EXPECT_EQ(stream.Size(), uint64_t{5} << 30);

    uint64_t position = 0;
    ASSERT_EQ(stream.Seek(static_cast<int64_t>(marker), CROStream::SeekBegin, &position), S_OK);
    EXPECT_EQ(position, marker);
    char buffer[4] = {};
    uint32_t read = 0;
    ASSERT_EQ(stream.Read(buffer, 4, &read), S_OK);
    EXPECT_EQ(QByteArray(buffer, read), "ABCD");
}

} // namespace
