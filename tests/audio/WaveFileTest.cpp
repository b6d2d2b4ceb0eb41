#include "audio/MappedTempFile.h"
#include "audio/WaveDoc.h"
#include "platform/IMessageSink.h"
#include "tests/support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtEndian>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class RecordingSink : public IMessageSink
{
public:
    void ShowMessage(const QString& text) override { messages << text; }
    QStringList messages;
};

QString TestFile(const QString& name)
{
    return TestEnvironment::Home() + u'/' + name;
}

// Runs a tool with an argument list; its standard output on exit status 0.
bool RunTool(const QString& program, const QStringList& args, QByteArray* output = nullptr)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        ADD_FAILURE() << program << ' ' << args.join(u' ') << ": "
                      << process.readAllStandardError().toStdString();
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return true;
}

QByteArray StoreBytes(const CWaveDoc& clip)
{
    if (!clip.GetStore() || clip.GetDataSize() == 0)
        return {};
    const CMappedView view = clip.GetStore()->MapView(0, clip.GetDataSize());
    return QByteArray(reinterpret_cast<const char*>(view.data()),
                      static_cast<qsizetype>(view.size()));
}

void FillStore(CWaveDoc& clip, const QByteArray& bytes)
{
    ASSERT_TRUE(clip.CreateStore(static_cast<uint32_t>(bytes.size())));
    if (!bytes.isEmpty())
        std::memcpy(clip.GetStore()->MapView(0, bytes.size()).data(), bytes.constData(),
                    bytes.size());
}

QByteArray Md5(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray U16(uint16_t v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray U32(uint32_t v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// One chunk; declaredSize stands in for the payload's length when given.
QByteArray Chunk(const char* id, const QByteArray& payload, int64_t declaredSize = -1)
{
    const uint32_t size = declaredSize < 0 ? static_cast<uint32_t>(payload.size())
                                           : static_cast<uint32_t>(declaredSize);
    return QByteArray(id, 4) + U32(size) + payload;
}

QByteArray FmtRecord(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t byteRate,
                     uint16_t align, uint16_t bits)
{
    return U16(tag) + U16(channels) + U32(rate) + U32(byteRate) + U16(align) + U16(bits);
}

QByteArray Pcm16Mono8k()
{
    return FmtRecord(1, 1, 8000, 16000, 2, 16);
}

QByteArray Riff(const QByteArray& body)
{
    return "RIFF" + U32(static_cast<uint32_t>(body.size() + 4)) + "WAVE" + body;
}

struct WriteCase
{
    const char* name;
    WaveFormat format;
    const char* codec; // as ffprobe names it
};

class WrittenWave : public testing::TestWithParam<WriteCase>
{
};

TEST_P(WrittenWave, ToolsReadBackFormatAndSamples)
{
    const WriteCase& c = GetParam();
    CWaveDoc clip;
    clip.SetFormat(c.format);
    // Several 4096-byte blocks and a short last one.
    QByteArray samples(c.format.blockAlign * 3001, '\0');
    std::mt19937 random(7);
    for (char& byte : samples)
        byte = static_cast<char>(random());
    FillStore(clip, samples);

    const QString path = TestFile(QStringLiteral("out.wav"));
    ASSERT_EQ(clip.WriteWaveFile(path), 1);
    EXPECT_EQ(QFileInfo(path).size(), 44 + samples.size());

    QByteArray probe;
    ASSERT_TRUE(RunTool("ffprobe",
                        {"-v", "error", "-show_entries",
                         "stream=codec_name,sample_rate,channels,bits_per_sample", "-of",
                         "default=noprint_wrappers=1", path},
                        &probe));
    EXPECT_TRUE(probe.contains("codec_name=" + QByteArray(c.codec))) << probe.toStdString();
    EXPECT_TRUE(probe.contains("sample_rate=" + QByteArray::number(c.format.samplesPerSec)));
    EXPECT_TRUE(probe.contains("channels=" + QByteArray::number(c.format.channels)));
    EXPECT_TRUE(probe.contains("bits_per_sample=" + QByteArray::number(c.format.bitsPerSample)));

    QByteArray raw;
    ASSERT_TRUE(RunTool("sox", {path, "-t", "raw", "-"}, &raw));
    EXPECT_EQ(Md5(raw), Md5(samples));

    CWaveDoc back;
    ASSERT_EQ(back.ReadWaveFile(path, nullptr), 1);
    EXPECT_EQ(back.GetFormat(), c.format);
    EXPECT_EQ(StoreBytes(back), samples);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, WrittenWave,
    testing::Values(WriteCase{"U8Mono", MakePcmFormat(1, 8000, 8), "pcm_u8"},
                    WriteCase{"S16Stereo", MakePcmFormat(2, 44100, 16), "pcm_s16le"},
                    WriteCase{"S16Mono", MakePcmFormat(1, 22050, 16), "pcm_s16le"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return info.param.name; });

TEST(WaveFile, HeaderOfATinyClip)
{
    CWaveDoc clip;
    clip.SetFormat(MakePcmFormat(1, 8000, 8));
    const QString path = TestFile(QStringLiteral("tiny.wav"));
    EXPECT_EQ(clip.WriteWaveFile(path), 0) << "no store";
    FillStore(clip, QByteArray());
    EXPECT_EQ(clip.WriteWaveFile(path), 0) << "an empty store";
    EXPECT_FALSE(QFileInfo::exists(path));

    FillStore(clip, QByteArray("0123456789"));
    ASSERT_EQ(clip.WriteWaveFile(path), 1);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 54);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(bytes.constData() + 4), 46u);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(bytes.constData() + 40), 10u);
    EXPECT_EQ(bytes.left(4), "RIFF");
    EXPECT_EQ(bytes.mid(8, 36),
              "WAVE" + Chunk("fmt ", FmtRecord(1, 1, 8000, 8000, 1, 8)) + Chunk("data", {}, 10));
    EXPECT_EQ(bytes.mid(44), "0123456789");
}

TEST(WaveFile, FailedWritesReportAndKeepTheOldFile)
{
    CWaveDoc clip;
    clip.SetFormat(kProjectFormat);
    FillStore(clip, QByteArray(40000, 'x'));

    EXPECT_EQ(clip.WriteWaveFile(TestFile(QStringLiteral("missing/out.wav"))), 0);
    EXPECT_EQ(clip.WriteWaveFile(TestEnvironment::Home()), 0) << "a folder";

    // A file-size limit makes the writes fail part-way, as a full disk does.
    const QString path = TestFile(QStringLiteral("old.wav"));
    ASSERT_TRUE(WriteFile(path, "old contents"));
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 10000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int result = clip.WriteWaveFile(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, 0);
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old contents");
    EXPECT_EQ(QDir(TestEnvironment::Home()).entryList(QDir::Files), QStringList{"old.wav"})
        << "no temporary file is left behind";
}

struct SoxCase
{
    const char* name;
    QStringList encoding; // sox output options
    uint16_t channels;
    uint16_t bits;         // after reading
    const char* rawFormat; // ffmpeg's raw format of the decoded samples
};

class SoxWave : public testing::TestWithParam<SoxCase>
{
};

TEST_P(SoxWave, ReadAsToolsDecodeIt)
{
    const SoxCase& c = GetParam();
    const QString path = TestFile(QStringLiteral("sox.wav"));
    QStringList args{"-n", "-r", "8000", "-c", QString::number(c.channels)};
    args << c.encoding << path << "synth"
         << "0.05"
         << "sine"
         << "440"
         << "sine"
         << "700";
    ASSERT_TRUE(RunTool("sox", args));
    QByteArray decoded;
    ASSERT_TRUE(RunTool("ffmpeg", {"-v", "error", "-i", path, "-f", c.rawFormat, "-"}, &decoded));

    RecordingSink sink;
    CWaveDoc clip;
    ASSERT_EQ(clip.ReadWaveFile(path, &sink), 1);
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_EQ(clip.GetFormat(), MakePcmFormat(c.channels, 8000, c.bits));
    EXPECT_EQ(clip.GetPlaybackFormat().extraSize, 18);
    EXPECT_EQ(clip.GetDataSize(), 400u * c.channels * c.bits / 8);
    EXPECT_EQ(Md5(StoreBytes(clip)), Md5(decoded));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, SoxWave,
    testing::Values(SoxCase{"U8Mono", {"-b", "8", "-e", "unsigned-integer"}, 1, 8, "u8"},
                    SoxCase{"S16Stereo", {"-b", "16", "-e", "signed-integer"}, 2, 16, "s16le"},
                    SoxCase{"AlawMono", {"-b", "8", "-e", "a-law"}, 1, 16, "s16le"},
                    SoxCase{"MulawStereo", {"-b", "8", "-e", "mu-law"}, 2, 16, "s16le"}),
    [](const testing::TestParamInfo<SoxCase>& info) { return info.param.name; });

TEST(WaveFile, EveryG711CodeExpandsAsFfmpegDoes)
{
    QByteArray codes(256, '\0');
    for (int i = 0; i < 256; ++i)
        codes[i] = static_cast<char>(i);
    for (const uint16_t tag : {kWaveFormatAlaw, kWaveFormatMulaw}) {
        SCOPED_TRACE(tag);
        const QString path = TestFile(QStringLiteral("codes%1.wav").arg(tag));
        ASSERT_TRUE(WriteFile(path, Riff(Chunk("fmt ", FmtRecord(tag, 1, 8000, 8000, 1, 8)) +
                                         Chunk("data", codes))));
        QByteArray decoded;
        ASSERT_TRUE(RunTool("ffmpeg", {"-v", "error", "-i", path, "-f", "s16le", "-"}, &decoded));
        ASSERT_EQ(decoded.size(), 512);

        CWaveDoc clip;
        ASSERT_EQ(clip.ReadWaveFile(path, nullptr), 1);
        const QByteArray ours = StoreBytes(clip);
        ASSERT_EQ(ours.size(), 512) << "n code bytes become 2n sample bytes";
        for (int code = 0; code < 256; ++code)
            EXPECT_EQ(qFromLittleEndian<int16_t>(ours.constData() + 2 * code),
                      qFromLittleEndian<int16_t>(decoded.constData() + 2 * code))
                << "code " << code;
        const auto at = [&](int code) {
            return qFromLittleEndian<int16_t>(ours.constData() + 2 * code);
        };
        if (tag == kWaveFormatAlaw) {
            EXPECT_EQ(at(0x00), -5504);
            EXPECT_EQ(at(0x80), 5504);
        } else {
            EXPECT_EQ(at(0x00), -32124);
            EXPECT_EQ(at(0xFF), 0);
        }
    }
}

TEST(WaveFile, ChunkWalk)
{
    const QString path = TestFile(QStringLiteral("walk.wav"));
    CWaveDoc clip;

    // An odd-length LIST chunk is skipped by its declared length, no padding;
    // a data chunk before any "fmt " chunk is skipped.
    ASSERT_TRUE(WriteFile(path, Riff(Chunk("data", "zz") + Chunk("fmt ", Pcm16Mono8k()) +
                                     Chunk("LIST", "abc") + Chunk("data", "\x01\x02\x03\x04"))));
    ASSERT_EQ(clip.ReadWaveFile(path, nullptr), 1);
    EXPECT_EQ(StoreBytes(clip), QByteArray("\x01\x02\x03\x04"));

    // Of two pairs the second wins; an extended "fmt " chunk is skipped whole.
    ASSERT_TRUE(WriteFile(path, Riff(Chunk("fmt ", Pcm16Mono8k()) + Chunk("data", "ab") +
                                     Chunk("fmt ", FmtRecord(1, 1, 11025, 11025, 1, 8) + U16(0)) +
                                     Chunk("data", "xyz"))));
    ASSERT_EQ(clip.ReadWaveFile(path, nullptr), 1);
    EXPECT_EQ(clip.GetFormat(), MakePcmFormat(1, 11025, 8));
    EXPECT_EQ(StoreBytes(clip), QByteArray("xyz"));
    EXPECT_EQ(clip.GetReadPosition(), 0u);

    // A format without data: read, with a format and no store.
    CWaveDoc noData;
    ASSERT_TRUE(WriteFile(path, Riff(Chunk("fmt ", Pcm16Mono8k()))));
    EXPECT_EQ(noData.ReadWaveFile(path, nullptr), 1);
    EXPECT_EQ(noData.GetFormat(), MakePcmFormat(1, 8000, 16));
    EXPECT_FALSE(noData.HasData());

    // Unsupported tags are refused silently when their data arrives.
    RecordingSink sink;
    ASSERT_TRUE(WriteFile(
        path, Riff(Chunk("fmt ", FmtRecord(3, 1, 8000, 32000, 4, 32)) + Chunk("data", "abcd"))));
    EXPECT_EQ(clip.ReadWaveFile(path, &sink), 0);
    EXPECT_FALSE(clip.HasData()) << "the store read before the failure is gone";
    EXPECT_TRUE(sink.messages.isEmpty());
}

// Samples before their format record are read with it when no data chunk
// follows; a run of zero bytes is a chain of empty chunks without a name,
// stepped over 8 bytes at a time however many windows of the file it spans.
TEST(WaveFile, SamplesBeforeTheirFormatAndRunsOfZeros)
{
    const QString path = TestFile(QStringLiteral("order.wav"));
    CWaveDoc clip;
    ASSERT_TRUE(WriteFile(path, Riff(Chunk("data", "\x01\x02\x03\x04") + Chunk("LIST", "abc") +
                                     Chunk("fmt ", Pcm16Mono8k()))));
    ASSERT_EQ(clip.ReadWaveFile(path, nullptr), 1);
    EXPECT_EQ(clip.GetFormat(), MakePcmFormat(1, 8000, 16));
    EXPECT_EQ(StoreBytes(clip), QByteArray("\x01\x02\x03\x04"));

    const QByteArray first = Chunk("fmt ", Pcm16Mono8k()) + Chunk("data", "ab");
    const QByteArray second =
        Chunk("fmt ", FmtRecord(1, 1, 11025, 11025, 1, 8)) + Chunk("data", "xyz");
    const struct
    {
        const char* name;
        QByteArray body;
        QByteArray samples;
    } cases[] = {
        {"a pair behind 1 MiB of zeros", first + QByteArray(1 << 20, '\0') + second, "xyz"},
        {"a tail of zeros of odd length", first + QByteArray(100001, '\0'), "ab"},
        // The walk's header then takes 4 zeros and "fmt " as its size.
        {"a pair 4 bytes off the step", first + QByteArray((1 << 20) + 4, '\0') + second, "ab"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFile(path, Riff(c.body)));
        ASSERT_EQ(clip.ReadWaveFile(path, nullptr), 1) << c.name;
        EXPECT_EQ(StoreBytes(clip), c.samples) << c.name;
    }
}

// Holes of sparse files read as the zeros they are: samples around a hole in
// the data chunk come through, and a pair behind a hole of 64 MiB is found.
TEST(WaveFile, SparseFilesReadAsTheirBytes)
{
    const QString path = TestFile(QStringLiteral("sparse.wav"));
    constexpr qint64 kData = 12 * 1024 * 1024 + 6;
    QByteArray head = Riff(Chunk("fmt ", Pcm16Mono8k())) + "data" + U32(uint32_t(kData));
    ASSERT_TRUE(WriteFile(path, head + "start"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(head.size() + kData));
    ASSERT_TRUE(file.seek(head.size() + 9 * 1024 * 1024 + 1));
    ASSERT_EQ(file.write("middle"), 6);
    ASSERT_TRUE(file.seek(head.size() + kData - 3));
    ASSERT_EQ(file.write("end"), 3);
    file.close();
    CWaveDoc clip;
    ASSERT_EQ(clip.ReadWaveFile(path, nullptr), 1);
    QFile read(path);
    ASSERT_TRUE(read.open(QIODevice::ReadOnly));
    EXPECT_EQ(Md5(StoreBytes(clip)), Md5(read.readAll().mid(head.size())));

    const QByteArray first = Chunk("fmt ", Pcm16Mono8k()) + Chunk("data", "ab");
    const QByteArray second =
        Chunk("fmt ", FmtRecord(1, 1, 11025, 11025, 1, 8)) + Chunk("data", "xyz");
    ASSERT_TRUE(WriteFile(path, Riff(first)));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() + 64 * 1024 * 1024));
    ASSERT_TRUE(file.seek(file.size()));
    ASSERT_EQ(file.write(second), second.size());
    file.close();
    ASSERT_EQ(clip.ReadWaveFile(path, nullptr), 1);
    EXPECT_EQ(StoreBytes(clip), QByteArray("xyz"));
}

// A decoder's output taken as the clip's store: PCM where it lies, the rest
// copied. The file sits beside the store folder, so the move can happen.
TEST(WaveFile, TakenFilesBecomeTheStoreOrAreCopied)
{
    const QByteArray samples("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    const QByteArray alaw = FmtRecord(6, 1, 8000, 8000, 1, 8);
    struct Case
    {
        const char* name;
        QByteArray file;
        bool moved;
        QByteArray expected;
    };
    const Case cases[] = {
        {"PCM", Riff(Chunk("fmt ", Pcm16Mono8k()) + Chunk("data", samples)), true, samples},
        {"PCM, chunks after the data",
         Riff(Chunk("fmt ", Pcm16Mono8k()) + Chunk("data", samples) + Chunk("LIST", "abcd")), true,
         samples},
        {"data cut short", Riff(Chunk("fmt ", Pcm16Mono8k()) + Chunk("data", samples, 1000)), true,
         samples},
        {"A-law is expanded", Riff(Chunk("fmt ", alaw) + Chunk("data", QByteArray(2, '\xD5'))),
         false, QByteArray("\x08\x00\x08\x00", 4)},
        {"a format without data", Riff(Chunk("fmt ", Pcm16Mono8k())), false, QByteArray()},
    };
    const QString folder = QFileInfo(CMappedTempFile::StoreFolder()).path();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = folder + "/zuvo-taken-test.wav";
        ASSERT_TRUE(WriteFile(path, c.file));
        QString storePath;
        {
            CWaveDoc clip;
            ASSERT_EQ(clip.TakeWaveFile(path), 1);
            EXPECT_EQ(StoreBytes(clip), c.expected);
            EXPECT_EQ(clip.GetFormat().formatTag, 1);
            EXPECT_EQ(QFile::exists(path), !c.moved);
            if (clip.GetStore()) {
                storePath = clip.GetStore()->GetPath();
                EXPECT_TRUE(storePath.startsWith(CMappedTempFile::StoreFolder()));
                // Reading and writing address the samples, not the header.
                char byte = 0;
                ASSERT_TRUE(clip.GetStore()->ReadAt(1, &byte, 1));
                EXPECT_EQ(byte, c.expected.at(1));
                ASSERT_TRUE(clip.GetStore()->WriteAt(0, "\x7F", 1));
                EXPECT_EQ(StoreBytes(clip).at(0), '\x7F');
                // Grown, it reads zeros past the samples, never what followed them.
                const uint32_t size = clip.GetStore()->GetSize();
                ASSERT_TRUE(clip.GetStore()->Resize(size + 8));
                QByteArray grown(8, '\x55');
                ASSERT_TRUE(clip.GetStore()->ReadAt(size, grown.data(), 8));
                EXPECT_EQ(grown, QByteArray(8, '\0'));
            }
        }
        if (!storePath.isEmpty()) {
            EXPECT_FALSE(QFile::exists(storePath)) << "deleted with the clip";
        }
        QFile::remove(path);
    }
}

TEST(WaveFile, ALaterFormatNeverRelabelsSamplesReadBefore)
{
    const QString path = TestFile(QStringLiteral("relabel.wav"));
    const QByteArray pair =
        Chunk("fmt ", FmtRecord(1, 1, 11025, 11025, 1, 8)) + Chunk("data", "\x80\x81\x82\x83");
    // Trailing "fmt " chunks without data: none may become the clip's format.
    const QByteArray trailing[] = {
        FmtRecord(0xFFFE, 2, 44100, 176400, 4, 16) + U16(22) + QByteArray(22, '\0'),
        FmtRecord(3, 0, 96000, 0, 0, 32),
        FmtRecord(1, 2, 8000, 32000, 4, 16),
        FmtRecord(7, 1, 8000, 8000, 1, 8),
    };
    for (const QByteArray& record : trailing) {
        ASSERT_TRUE(WriteFile(path, Riff(pair + Chunk("fmt ", record))));
        CWaveDoc clip;
        ASSERT_EQ(clip.ReadWaveFile(path, nullptr), 1);
        EXPECT_EQ(clip.GetFormat(), MakePcmFormat(1, 11025, 8)) << record.toHex().toStdString();
        EXPECT_EQ(StoreBytes(clip), QByteArray("\x80\x81\x82\x83"));
    }

    // Without any data, a format the clip cannot hold is refused, not kept.
    CWaveDoc clip;
    ASSERT_TRUE(WriteFile(path, Riff(Chunk("fmt ", trailing[0]))));
    EXPECT_EQ(clip.ReadWaveFile(path, nullptr), 0);
    ASSERT_TRUE(WriteFile(path, Riff(Chunk("fmt ", trailing[3]))));
    EXPECT_EQ(clip.ReadWaveFile(path, nullptr), 1);
    EXPECT_EQ(clip.GetFormat(), MakePcmFormat(1, 8000, 16)) << "mu-law is held as 16-bit PCM";
    EXPECT_FALSE(clip.HasData());
}

// A broken or hostile input and what reading it must give.
struct BadCase
{
    const char* name;
    QByteArray bytes;  // the file's contents
    int result;        // 1 or 0
    int messages;      // "this file is not wave file!" shown this often
    int64_t storeSize; // -1: no store
};

QByteArray RandomBytes(int count, unsigned seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(count, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

const QByteArray kPcm = Chunk("fmt ", Pcm16Mono8k());

std::vector<BadCase> BadCases()
{
    return {
        {"Empty", {}, 0, 1, -1},
        {"ShortMagic", "RI", 0, 1, -1},
        {"NotRiff", "RIFX" + U32(4) + "WAVE", 0, 1, -1},
        {"RandomBytes", "R" + RandomBytes(3000, 1), 0, 1, -1},
        {"NotWave", "RIFF" + U32(4) + "AVI ", 0, 0, -1},
        {"TruncatedHeader", "RIFF" + U32(4) + "WA", 0, 0, -1},
        {"HeaderOnly", Riff({}), 1, 0, -1},
        {"TrailingPartialChunkHeader", Riff("fmt"), 1, 0, -1},
        {"ZeroChannels",
         Riff(Chunk("fmt ", FmtRecord(1, 0, 8000, 0, 0, 16)) + Chunk("data", "ab")), 0, 0, -1},
        {"ZeroRate", Riff(Chunk("fmt ", FmtRecord(1, 1, 0, 0, 2, 16)) + Chunk("data", "ab")), 0, 0,
         -1},
        {"TwelveBits",
         Riff(Chunk("fmt ", FmtRecord(1, 1, 8000, 16000, 2, 12)) + Chunk("data", "ab")), 0, 0, -1},
        {"AlignmentMismatch",
         Riff(Chunk("fmt ", FmtRecord(1, 2, 8000, 32000, 2, 16)) + Chunk("data", "ab")), 0, 0, -1},
        {"ByteRateMismatch",
         Riff(Chunk("fmt ", FmtRecord(1, 1, 8000, 8000, 2, 16)) + Chunk("data", "ab")), 0, 0, -1},
        {"Alaw16Bits",
         Riff(Chunk("fmt ", FmtRecord(6, 1, 8000, 16000, 2, 16)) + Chunk("data", "ab")), 0, 0, -1},
        {"ShortFmtChunk", Riff(Chunk("fmt ", Pcm16Mono8k().left(14)) + Chunk("data", "abcd")), 0,
         0, -1},
        {"TruncatedFmtRecord", Riff(Chunk("fmt ", Pcm16Mono8k().left(10), 16)), 0, 0, -1},
        {"DataLongerThanFile", Riff(kPcm + Chunk("data", "abcd", 1000)), 1, 0, 4},
        {"DataSizeAllOnes", Riff(kPcm + Chunk("data", "abcdef", 0xFFFFFFFF)), 1, 0, 6},
        {"DataHeaderAtEnd", Riff(kPcm + Chunk("data", {}, 0x7FFFFFFF)), 1, 0, 0},
        {"ChunkSizeAllOnes", Riff(Chunk("JUNK", "x", 0xFFFFFFFF) + kPcm + Chunk("data", "ab")), 1,
         0, -1},
        // 12 + 8 + 0xFFFFFFF4 wraps to 12 in 32 bits: a walk that wraps never ends.
        {"ChunkSizeWrapsToStart", Riff(Chunk("JUNK", {}, 0xFFFFFFF4) + kPcm + Chunk("data", "ab")),
         1, 0, -1},
        {"FmtSizeWraps", Riff(Chunk("fmt ", Pcm16Mono8k(), 0xFFFFFFF8) + Chunk("data", "ab")), 1,
         0, -1},
        {"InnerChunkSizeWraps", Riff(kPcm + Chunk("LIST", {}, 0xFFFFFFE0) + Chunk("data", "ab")),
         1, 0, -1},
        {"RandomChunks", Riff(RandomBytes(4000, 2)), 1, 0, -2},
        {"RandomAfterFormat", Riff(kPcm + RandomBytes(4000, 3)), 1, 0, -2},
    };
}

class BadWave : public testing::TestWithParam<BadCase>
{
};

TEST_P(BadWave, FailsClearlyOrReadsOnlyWhatIsThere)
{
    const BadCase& c = GetParam();
    const QString path = TestFile(QStringLiteral("bad.wav"));
    ASSERT_TRUE(WriteFile(path, c.bytes));
    RecordingSink sink;
    CWaveDoc clip;
    const int result = clip.ReadWaveFile(path, &sink);
    if (c.storeSize == -2) {
        // Random chunk walks may or may not find something; they end, and
        // whatever they read lies inside the file.
        EXPECT_LE(int64_t{clip.GetDataSize()}, 2 * c.bytes.size());
        return;
    }
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(sink.messages.size(), c.messages);
    if (c.messages > 0) {
        EXPECT_EQ(sink.messages.first(), "this file is not wave file!");
    }
    if (c.storeSize < 0) {
        EXPECT_FALSE(clip.HasData());
    } else {
        EXPECT_EQ(int64_t{clip.GetDataSize()}, c.storeSize);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, BadWave, testing::ValuesIn(BadCases()),
                         [](const testing::TestParamInfo<BadCase>& info) {
                             return info.param.name;
                         });

TEST(WaveFile, OnlyRegularFilesAreRead)
{
    const QString fifo = TestFile(QStringLiteral("fifo.wav"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = TestFile(QStringLiteral("link.wav"));
    const QString target = TestFile(QStringLiteral("target.wav"));
    ASSERT_TRUE(WriteFile(target, Riff(kPcm + Chunk("data", "ab"))));
    ASSERT_TRUE(QFile::link(target, link));

    // Had any of these been read, the message would show (their first bytes
    // are not "RIFF") or the FIFO would wait for a writer for ever.
    for (const QString& path : {fifo, TestEnvironment::Home(), QStringLiteral("/dev/zero"),
                                TestFile(QStringLiteral("missing.wav"))}) {
        RecordingSink sink;
        CWaveDoc clip;
        EXPECT_EQ(clip.ReadWaveFile(path, &sink), 0) << path;
        EXPECT_TRUE(sink.messages.isEmpty()) << path;
    }
    CWaveDoc clip;
    EXPECT_EQ(clip.ReadWaveFile(link, nullptr), 1) << "a link to a regular file is fine";
    EXPECT_EQ(StoreBytes(clip), "ab");

    // No sink: nothing is shown and nothing breaks.
    ASSERT_TRUE(WriteFile(target, "not a wave"));
    EXPECT_EQ(clip.ReadWaveFile(target, nullptr), 0);
    EXPECT_FALSE(clip.HasData()) << "a failed read leaves no samples";
}

} // namespace
