// The spectrum: magnitudes of tones, the bar table, and the display following
// a music track on its timer.
#include "voice/WaveShow.h"

#include "audio/WaveFormat.h"
#include "voice/WaveData.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace {

// Frames of a sine that completes `bin` periods every 1024 frames, one or two
// channels (the second silent), 16 bits.
std::vector<uint8_t> Tone16(int frames, int channels, int bin, double amplitude)
{
    std::vector<uint8_t> bytes(size_t(frames) * channels * 2);
    for (int f = 0; f < frames; ++f) {
        const auto s = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * M_PI * bin * f / CWaveShow::kFrames)));
        std::memcpy(&bytes[size_t(f) * channels * 2], &s, 2);
    }
    return bytes;
}

void Attach(WaveData& track, const WaveFormat& format, const std::vector<uint8_t>& bytes)
{
    track.SetFormat(format);
    auto buffer = std::make_unique<WaveBuffer>(uint32_t(bytes.size()));
    if (!bytes.empty())
        std::memcpy(buffer->data.get(), bytes.data(), bytes.size());
    track.SetBuffer(std::move(buffer));
}

TEST(WaveShow, ToneMagnitudesPeakAtTheirBin)
{
    struct Case
    {
        int channels;
        double amplitude;
        int expected; // at bin 64
    };
    // 400 x 1024 / 2 / 1024 = 200; the silent right channel halves it; a loud
    // tone is held at 255 instead of wrapping (15000 would wrap to 152).
    for (const Case c : {Case{1, 400, 200}, Case{2, 400, 100}, Case{1, 30000, 255}}) {
        SCOPED_TRACE(testing::Message() << c.channels << " ch, amplitude " << c.amplitude);
        const std::vector<uint8_t> bytes = Tone16(1024, c.channels, 64, c.amplitude);
        CWaveShow::Values values{};
        ASSERT_TRUE(CWaveShow::AnalyseSpectrum(bytes.data(), bytes.size(),
                                               MakePcmFormat(c.channels, 44100, 16), values));
        EXPECT_NEAR(values[64], c.expected, 1);
        for (int k = 1; k < CWaveShow::kBins; ++k) {
            if (k != 64) {
                EXPECT_LE(values[size_t(k)], 1) << "bin " << k;
            }
        }
    }
}

TEST(WaveShow, EightBitSilenceAndOtherFormats)
{
    CWaveShow::Values values;
    values.fill(9);
    std::vector<uint8_t> silence(2048, 128);
    ASSERT_TRUE(CWaveShow::AnalyseSpectrum(silence.data(), silence.size(),
                                           MakePcmFormat(2, 8000, 8), values));
    for (int k = 1; k < CWaveShow::kBins; ++k)
        EXPECT_EQ(values[size_t(k)], 0);

    values.fill(9);
    std::vector<uint8_t> bytes(6 * 1024, 0);
    EXPECT_FALSE(CWaveShow::AnalyseSpectrum(bytes.data(), bytes.size(), MakePcmFormat(3, 8000, 16),
                                            values));
    EXPECT_FALSE(
        CWaveShow::AnalyseSpectrum(bytes.data(), 1023 * 2, MakePcmFormat(1, 8000, 16), values));
    EXPECT_EQ(values[1], 9);
}

TEST(WaveShow, BarTable)
{
    struct Case
    {
        const char* name;
        std::function<int(int)> value; // of bin k
        int height;
        CWaveShow::Bars bars;
    };
    const Case cases[] = {
        // Full bins overshoot H - 5 a little: each bar sums one bin more than
        // its divisor counts.
        {"full",
         [](int) { return 255; },
         105,
         {100, 101, 103, 105, 107, 110, 112, 119, 119, 124, 132, 132}},
        {"ramp",
         [](int k) { return k % 256; },
         105,
         {83, 59, 46, 38, 33, 29, 26, 25, 22, 21, 21, 19}},
        // Bins 36..39 belong to the last bar; 39 is shared with the one before.
        {"lowest bins",
         [](int k) { return k >= 36 && k < 40 ? 200 : 0; },
         45,
         {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 10, 41}},
        {"silence", [](int) { return 0; }, 45, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        CWaveShow::Values values{};
        for (int k = 0; k < CWaveShow::kBins; ++k)
            values[size_t(k)] = c.value(k);
        EXPECT_EQ(CWaveShow::BarHeights(values, c.height), c.bars) << c.name;
    }
}

TEST(WaveShow, FollowsThePlayedPositionAndPeaksFall)
{
    WaveData track;
    const WaveFormat mono = MakePcmFormat(1, 44100, 16);
    // Silence, a loud tone at frames 4096..8191, silence again to frame 16383.
    std::vector<uint8_t> bytes(4096 * 2, 0);
    const std::vector<uint8_t> tone = Tone16(4096, 1, 37, 20000);
    bytes.insert(bytes.end(), tone.begin(), tone.end());
    bytes.resize(16384 * 2, 0);
    Attach(track, mono, bytes);

    CWaveShow show;
    show.resize(120, 45);
    show.Start();
    EXPECT_FALSE(show.IsRunning()) << "no track attached";
    show.SetTrack(&track);
    show.Start();
    EXPECT_TRUE(show.IsRunning());
    EXPECT_TRUE(show.IsTimerOn());

    // At 0 the analysed block (frames 2048..3071) is silent: bars of 1.
    show.OnTimer();
    ASSERT_TRUE(show.HasValues());
    EXPECT_EQ(show.GetBars(), CWaveShow::Bars({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    // At 2048 the block is all tone: bin 37 is in the last bar, 40 x 255 / 768.
    track.SetPlayedPosition(2048 * 2);
    show.OnTimer();
    EXPECT_EQ(show.GetBars()[11], 13);
    EXPECT_EQ(show.GetBars()[0], 1);
    EXPECT_EQ(show.GetPeaks()[11], 13);
    // Silence again: the bar drops, its peak falls a pixel per repaint.
    track.SetPlayedPosition(6144 * 2);
    show.OnTimer();
    EXPECT_EQ(show.GetBars()[11], 1);
    EXPECT_EQ(show.GetPeaks()[11], 12);
    show.OnTimer();
    EXPECT_EQ(show.GetPeaks()[11], 11);
    // Within 4096 frames of the end nothing new is analysed; the bars stay.
    track.SetPlayedPosition(uint32_t(bytes.size() - 4096 * 2));
    show.OnTimer();
    EXPECT_EQ(show.GetBars()[11], 1);
    EXPECT_EQ(show.GetPeaks()[11], 10);

    show.Stop();
    EXPECT_FALSE(show.IsTimerOn());
    show.OnTimer();
    EXPECT_EQ(show.GetPeaks()[11], 10) << "stopped: nothing moves";
}

TEST(WaveShow, ShortTracksShowNoBars)
{
    for (const uint32_t frames : {0u, 100u, 4095u, 4096u}) {
        WaveData track;
        Attach(track, MakePcmFormat(2, 44100, 16), Tone16(int(frames), 2, 40, 20000));
        CWaveShow show;
        show.resize(120, 45);
        show.SetTrack(&track);
        show.Start();
        for (const uint32_t played : {0u, frames * 4, 0xFFFFFFF0u}) {
            track.SetPlayedPosition(played);
            show.OnTimer();
        }
        EXPECT_FALSE(show.HasValues()) << frames << " frames";
    }
}

TEST(WaveShow, BarsAreWhiteWithoutASkin)
{
    WaveData track;
    Attach(track, MakePcmFormat(1, 44100, 16), Tone16(8192, 1, 37, 20000));
    QWidget parent;
    parent.setAutoFillBackground(true);
    parent.setPalette(QPalette(Qt::black));
    parent.resize(200, 100);
    CWaveShow show(&parent);
    show.setGeometry(10, 10, 120, 45);
    EXPECT_EQ(show.LoadSkin(QStringLiteral("/nonexistent/theme.ini")), 0);
    EXPECT_EQ(show.geometry(), QRect(10, 10, 120, 45));
    show.SetTrack(&track);
    show.Start();
    show.OnTimer();
    const QImage shot = parent.grab().toImage();
    const int bar = show.GetBars()[11];
    ASSERT_EQ(bar, 13);
    const int x = 10 + 1 + 11 * (120 / 12);
    const int bottom = 10 + 45 - 1;
    EXPECT_EQ(shot.pixel(x, bottom), qRgb(255, 255, 255));
    EXPECT_EQ(shot.pixel(x + 2, bottom - bar + 1), qRgb(255, 255, 255));
    EXPECT_EQ(shot.pixel(x + 3, bottom), qRgb(0, 0, 0)) << "3 px wide";
    EXPECT_EQ(shot.pixel(x, bottom - bar - 2), qRgb(0, 0, 0)) << "the dialog shows through";
}

} // namespace
