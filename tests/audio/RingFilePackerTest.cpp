#include "audio/AudioFileType.h"
#include "audio/RingFilePacker.h"
#include "tests/audio/EncodedFixtures.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstring>

using namespace EncodedFixtures;

namespace {

QByteArray Md5(const QString& path)
{
    QByteArray out;
    RunTool("md5sum", {path}, &out);
    return out.left(32);
}

TEST(RingFilePacker, NewHeaderHoldsTheDefaults)
{
    RingFileHeader header;
    std::memset(&header, 0x5A, sizeof header);
    CRingFilePacker::InitHeader(header);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&header);
    for (size_t i = 0; i < 268; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(header.key, 0x6E);
    EXPECT_EQ(bytes[268], 0x6E);
    for (size_t i = 269; i < 274; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(header.marker), 8), Marker());
}

TEST(RingFilePacker, PayloadIsUnpackedWithTheContainersKey)
{
    const QString wav = MakeWav("payload.wav", 8000, 1, 0.2);
    ASSERT_FALSE(wav.isEmpty());
    const QByteArray payload = ReadAll(wav);
    for (uint8_t packed : {uint8_t{1}, uint8_t{0}}) {
        const QString container = PathOf(QString("ring%1.bin").arg(packed));
        ASSERT_TRUE(WriteAll(container, RingContainer(payload, 0xA5, packed)));

        RingFileHeader header;
        CRingFilePacker::InitHeader(header);
        EXPECT_EQ(CRingFilePacker::FindRingFileHeader(container, header), 282);
        EXPECT_STREQ(header.text1, "ring title");
        EXPECT_STREQ(header.text2, "ring artist");
        EXPECT_EQ(header.key, 0xA5);
        EXPECT_EQ(header.packed, packed);

        char info[kAudioFileInfoSize] = {};
        EXPECT_EQ(IdentifyAudioFile(container, info), kAudioRingContainer);

        const QString target = PathOf("~VAZOZEDU.TMP");
        ASSERT_TRUE(WriteAll(target, QByteArray(100000, 'x'))) << "an old working file";
        ASSERT_EQ(CRingFilePacker::UnpackRingFile(container, target), 1);
        EXPECT_EQ(Md5(target), Md5(wav)) << "packed flag " << int(packed);
        EXPECT_EQ(IdentifyAudioFile(target, info), kAudioWave);
    }
}

TEST(RingFilePacker, MarkerPositionDecidesWhatTheHeaderTakes)
{
    // Marker at 256: only the texts come from the file; the packed flag stays
    // 0 and the key at its default, so the payload starts at 264 + 3.
    QByteArray early(256, 'T');
    early += Marker();
    early += QByteArray("\x01\x02\x03", 3);
    const QByteArray payload("payload bytes");
    early += Xor(payload, 0x6E);
    const QString path = PathOf("early.bin");
    ASSERT_TRUE(WriteAll(path, early));
    RingFileHeader header;
    CRingFilePacker::InitHeader(header);
    EXPECT_EQ(CRingFilePacker::FindRingFileHeader(path, header), 264);
    EXPECT_EQ(header.text1[127], 'T');
    EXPECT_EQ(header.key, 0x6E);
    EXPECT_EQ(header.packed, 0);
    ASSERT_EQ(CRingFilePacker::UnpackRingFile(path, PathOf("out")), 1);
    EXPECT_EQ(ReadAll(PathOf("out")), payload);

    struct Case
    {
        const char* name;
        QByteArray bytes;
        int64_t offset;
    };
    const Case cases[] = {
        {"empty", QByteArray(), 0},
        {"263 bytes", QByteArray(255, 'a') + Marker(), 0},
        {"264 bytes, marker at 256", QByteArray(256, 'a') + Marker(), 264},
        {"marker at 255", QByteArray(255, 'a') + Marker() + QByteArray(30, 'b'), 0},
        {"marker at 275", QByteArray(275, 'a') + Marker() + QByteArray(30, 'b'), 0},
        {"marker at 270", QByteArray(270, 'a') + Marker() + QByteArray(30, 'b'), 278},
        {"almost the marker", QByteArray::fromHex("00010203040506ff").repeated(60), 0},
        {"marker repeated", QByteArray::fromHex("0001020304050607ff").repeated(60), 269},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteAll(path, c.bytes));
        CRingFilePacker::InitHeader(header);
        EXPECT_EQ(CRingFilePacker::FindRingFileHeader(path, header), c.offset) << c.name;
    }
}

TEST(RingFilePacker, BrokenContainersAndTargetsFailClearly)
{
    const QString target = PathOf("target");
    struct Case
    {
        const char* name;
        QByteArray bytes;
    };
    QByteArray headerOnly = RingContainer(QByteArray(), 0x6E, 1);
    QByteArray unpackedHeaderOnly = RingContainer(QByteArray(), 0x6E, 0);
    const Case cases[] = {
        {"no container", QByteArray(1000, 'z')},
        {"header only, packed", headerOnly},
        {"header only, not packed", unpackedHeaderOnly},
        {"not packed, payload cut", unpackedHeaderOnly.left(284)},
    };
    for (const Case& c : cases) {
        const QString source = PathOf("broken.bin");
        ASSERT_TRUE(WriteAll(source, c.bytes));
        QFile::remove(target);
        EXPECT_EQ(CRingFilePacker::UnpackRingFile(source, target), 0) << c.name;
    }

    // Missing source, FIFO source (refused without waiting for a writer),
    // folder source.
    EXPECT_EQ(CRingFilePacker::UnpackRingFile(PathOf("missing.bin"), target), 0);
    ASSERT_TRUE(MakeFifo(PathOf("fifo.bin")));
    RingFileHeader header;
    EXPECT_EQ(CRingFilePacker::FindRingFileHeader(PathOf("fifo.bin"), header), 0);
    EXPECT_EQ(CRingFilePacker::UnpackRingFile(PathOf("fifo.bin"), target), 0);
    EXPECT_EQ(CRingFilePacker::UnpackRingFile(PathOf(""), target), 0);

    // A target that cannot be created, and one whose writes fail (a link to
    // the always-full device): the failure is reported.
    const QString good = PathOf("good.bin");
    ASSERT_TRUE(WriteAll(good, RingContainer(QByteArray(10000, 'p'), 0x42, 1)));
    EXPECT_EQ(CRingFilePacker::UnpackRingFile(good, PathOf("no/such/folder/out")), 0);
    const QString full = PathOf("full.out");
    ASSERT_TRUE(QFile::link("/dev/full", full));
    EXPECT_EQ(CRingFilePacker::UnpackRingFile(good, full), 0);
    EXPECT_TRUE(QFile::exists("/dev/full"));
    EXPECT_EQ(CRingFilePacker::UnpackRingFile(good, target), 1);
    EXPECT_EQ(ReadAll(target), QByteArray(10000, 'p'));
}

} // namespace
