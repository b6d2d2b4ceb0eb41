// Plays clips through the real sound library with its disk driver, which
// writes the device's stream (44100 Hz, 16-bit stereo) to a file in real time.
// The device is opened once per process and then keeps writing, so each test
// reads only what was appended after it started.
#include "audio/WaveDoc.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// In a folder that lives as long as the device.
QString StreamPath()
{
    return TestEnvironment::ProcessFolder() + QStringLiteral("/stream.raw");
}

class PlayerDisk : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static bool ready = false;
        if (!ready) {
            ready = true;
            qputenv("SDL_AUDIODRIVER", "disk");
            qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(StreamPath()));
        }
    }

    void SetUp() override { m_start = QFileInfo(StreamPath()).size(); }

    // Runs sox with args in the test's home; true on exit status 0.
    static bool Sox(const QStringList& args, QByteArray* output = nullptr)
    {
        QProcess sox;
        sox.setWorkingDirectory(TestEnvironment::Home());
        sox.setProcessChannelMode(QProcess::MergedChannels);
        sox.start(QStandardPaths::findExecutable("sox"), args);
        const bool ok = sox.waitForFinished(30000) && sox.exitStatus() == QProcess::NormalExit &&
                        sox.exitCode() == 0;
        if (output)
            *output = sox.readAll();
        return ok;
    }

    static std::unique_ptr<CWaveDoc> Clip(const WaveFormat& format, const QByteArray& bytes)
    {
        auto clip = std::make_unique<CWaveDoc>();
        clip->SetFormat(format);
        if (!clip->CreateStore(static_cast<uint32_t>(bytes.size())))
            return nullptr;
        std::memcpy(clip->GetStore()->MapView(0, bytes.size()).data(), bytes.constData(),
                    bytes.size());
        return clip;
    }

    static QByteArray ReadFile(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Waits for the clips to stop by themselves, lets the driver write some
    // silence behind them and returns the stream's frames since the test began.
    std::vector<int16_t> HeardAfter(const std::vector<CWaveDoc*>& clips)
    {
        EXPECT_TRUE(TestEnvironment::WaitFor(
            [&] {
                return std::none_of(clips.begin(), clips.end(),
                                    [](CWaveDoc* clip) { return clip->IsPlaying(); });
            },
            10000));
        QThread::msleep(300);
        QFile file(StreamPath());
        if (!file.open(QIODevice::ReadOnly) || !file.seek(m_start))
            return {};
        const QByteArray bytes = file.readAll();
        std::vector<int16_t> samples(bytes.size() / 4 * 2);
        std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
        return samples;
    }

    qint64 m_start = 0;
};

bool AllSilent(std::vector<int16_t>::const_iterator from, std::vector<int16_t>::const_iterator to)
{
    return std::all_of(from, to, [](int16_t s) { return s == 0; });
}

TEST_F(PlayerDisk, ProjectFormatPlaysSampleExact)
{
    ASSERT_TRUE(Sox({"-n", "-r", "44100", "-c", "2", "-b", "16", "-e", "signed-integer", "-t",
                     "raw", "tone.raw", "synth", "0.3", "sine", "440", "sine", "660"}));
    const QByteArray tone = ReadFile(TestEnvironment::Home() + "/tone.raw");
    ASSERT_EQ(tone.size(), 52920);
    auto clip = Clip(kProjectFormat, tone);
    ASSERT_NE(clip, nullptr);
    clip->Play();
    ASSERT_TRUE(clip->IsPlaying());

    const std::vector<int16_t> heard = HeardAfter({clip.get()});
    std::vector<int16_t> expected(tone.size() / 2);
    std::memcpy(expected.data(), tone.constData(), tone.size());
    // The tone starts on a zero sample: look for it from its first non-zero one.
    const auto firstSound =
        std::find_if(expected.begin(), expected.end(), [](int16_t s) { return s != 0; });
    const auto found = std::search(heard.begin(), heard.end(), firstSound, expected.end());
    ASSERT_NE(found, heard.end()) << "the stream holds the tone unchanged";
    EXPECT_TRUE(AllSilent(heard.begin(), found));
    EXPECT_TRUE(AllSilent(found + (expected.end() - firstSound), heard.end())) << "played once";
}

TEST_F(PlayerDisk, Mono8BitAt8000IsConvertedInPitchAndLevel)
{
    ASSERT_TRUE(Sox({"-n", "-r", "8000", "-c", "1", "-b", "8", "-e", "unsigned-integer", "-t",
                     "raw", "tone8k.raw", "synth", "0.4", "sine", "500", "vol", "0.5"}));
    const QByteArray tone = ReadFile(TestEnvironment::Home() + "/tone8k.raw");
    ASSERT_EQ(tone.size(), 3200);
    auto clip = Clip(MakePcmFormat(1, 8000, 8), tone);
    ASSERT_NE(clip, nullptr);
    clip->Play();

    const std::vector<int16_t> heard = HeardAfter({clip.get()});
    auto first = std::find_if(heard.begin(), heard.end(), [](int16_t s) { return s != 0; });
    auto last = std::find_if(heard.rbegin(), heard.rend(), [](int16_t s) { return s != 0; });
    ASSERT_NE(first, heard.end());
    first -= (first - heard.begin()) % 2;
    const size_t frames = (heard.rend() - last + 1) / 2 - (first - heard.begin()) / 2;
    EXPECT_NEAR(frames, 0.4 * 44100, 44100 / 8000 + 2) << "as long as the source";
    std::vector<int16_t> played(first, first + frames * 2);
    for (size_t i = 0; i < frames; ++i)
        ASSERT_EQ(played[2 * i], played[2 * i + 1]) << "mono goes to both channels";

    QFile out(TestEnvironment::Home() + "/played.raw");
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(reinterpret_cast<const char*>(played.data()), played.size() * 2);
    out.close();
    QByteArray stat;
    ASSERT_TRUE(Sox({"-t", "raw", "-r", "44100", "-c", "2", "-b", "16", "-e", "signed-integer",
                     "played.raw", "-n", "remix", "1", "stat"},
                    &stat));
    const QString text = QString::fromUtf8(stat);
    const auto number = [&](const char* label) {
        const QRegularExpression line(QLatin1String(label) + ":\\s*([-0-9.]+)");
        return line.match(text).captured(1).toDouble();
    };
    EXPECT_NEAR(number("Rough\\s+frequency"), 500, 10) << text;
    EXPECT_NEAR(number("Maximum amplitude"), 0.5, 0.02) << text;
}

TEST_F(PlayerDisk, TwoPlayersAreMixed)
{
    const uint32_t frames = 13230; // 0.3 s
    std::vector<int16_t> left, right;
    for (uint32_t i = 0; i < frames; ++i) {
        left.insert(left.end(), {1000, 0});
        right.insert(right.end(), {0, 2000});
    }
    auto first = Clip(kProjectFormat,
                      QByteArray(reinterpret_cast<const char*>(left.data()), left.size() * 2));
    auto second = Clip(kProjectFormat,
                       QByteArray(reinterpret_cast<const char*>(right.data()), right.size() * 2));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    first->Play();
    second->Play();

    const std::vector<int16_t> heard = HeardAfter({first.get(), second.get()});
    uint32_t withLeft = 0, withRight = 0, withBoth = 0;
    for (size_t i = 0; i + 1 < heard.size(); i += 2) {
        const int16_t l = heard[i], r = heard[i + 1];
        ASSERT_TRUE((l == 0 || l == 1000) && (r == 0 || r == 2000)) << l << " " << r;
        withLeft += l == 1000;
        withRight += r == 2000;
        withBoth += l == 1000 && r == 2000;
    }
    EXPECT_EQ(withLeft, frames);
    EXPECT_EQ(withRight, frames);
    EXPECT_GT(withBoth, frames / 2) << "the two played at the same time";
}

TEST_F(PlayerDisk, VolumeScalesSamplesAndMuteSilences)
{
    // Every sample non-zero, so the played stretch is exactly the clip.
    const uint32_t frames = 8820; // 0.2 s
    std::vector<int16_t> samples;
    for (uint32_t i = 0; i < frames; ++i) {
        const int16_t left = static_cast<int16_t>(20000 - int(i % 200) * 50);
        samples.insert(samples.end(), {left, static_cast<int16_t>(-left / 2)});
    }
    const QByteArray bytes(reinterpret_cast<const char*>(samples.data()), samples.size() * 2);

    struct Case
    {
        int volume; // hundredths of a dB
        bool muted;
        double gain;
    };
    const Case cases[] = {
        {-600, false, 0.501187}, {-2000, false, 0.1}, {-10000, false, 0.0}, {-600, true, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << " muted " << c.muted);
        m_start = QFileInfo(StreamPath()).size();
        auto clip = Clip(kProjectFormat, bytes);
        ASSERT_NE(clip, nullptr);
        clip->SetVolume(c.volume);
        clip->Mute(c.muted);
        clip->Play();
        ASSERT_TRUE(clip->IsPlaying()) << "a silent player still plays to the end";

        const std::vector<int16_t> heard = HeardAfter({clip.get()});
        const auto first =
            std::find_if(heard.begin(), heard.end(), [](int16_t s) { return s != 0; });
        if (c.gain == 0.0) {
            EXPECT_EQ(first, heard.end()) << "silence only";
            continue;
        }
        ASSERT_GE(heard.end() - first, static_cast<ptrdiff_t>(samples.size()));
        for (size_t i = 0; i < samples.size(); ++i)
            ASSERT_NEAR(first[i], samples[i] * c.gain, 1.5) << "sample " << i;
        EXPECT_TRUE(AllSilent(first + samples.size(), heard.end())) << "played once";
    }
}

} // namespace
