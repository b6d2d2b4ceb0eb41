#include "audio/WaveDoc.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A clip of silence (0, or 128 for 8 bits).
std::unique_ptr<CWaveDoc> SilentClip(const WaveFormat& format, uint32_t frames)
{
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetFormat(format);
    if (!clip->CreateStore(frames * format.blockAlign))
        return nullptr;
    if (format.bitsPerSample == 8)
        std::memset(clip->GetStore()->MapView(0, clip->GetDataSize()).data(), 128,
                    clip->GetDataSize());
    return clip;
}

void Poke16(CWaveDoc& clip, uint32_t byteOffset, int16_t value)
{
    std::memcpy(clip.GetStore()->MapView(byteOffset, 2).data(), &value, 2);
}

// Sets every 16-bit sample of frames [fromFrame, toFrame) to value(frame).
template <typename Value>
void Fill16(CWaveDoc& clip, uint32_t fromFrame, uint32_t toFrame, Value value)
{
    const uint32_t align = clip.GetFormat().blockAlign;
    const CMappedView view = clip.GetStore()->MapView(0, clip.GetDataSize());
    for (uint32_t i = fromFrame; i < toFrame; ++i) {
        const int16_t sample = value(i);
        for (uint32_t c = 0; c < align; c += 2)
            std::memcpy(view.data() + i * align + c, &sample, 2);
    }
}

TEST(WavePeaks, CoarseZoomReadsSixteenSpreadSamples)
{
    // 500 ms per pixel at 44100 Hz: 16 samples per column, 1378 frames apart.
    auto clip = SilentClip(MakePcmFormat(1, 44100, 16), 44100);
    Poke16(*clip, 1378 * 2, 20000);
    Poke16(*clip, 1377 * 2, -30000); // between two samples read: not seen
    Poke16(*clip, 15 * 1378 * 2, -1000);
    Poke16(*clip, 16 * 1378 * 2, -2000); // a 17th sample: not read
    Poke16(*clip, 22050 * 2, 300);       // column 1 starts at 500 ms
    auto peaks = clip->BuildPeaks(0, 2, 500);
    EXPECT_FALSE(peaks->IsOneSample());
    EXPECT_EQ(peaks->GetMax(0, 0), 20000);
    EXPECT_EQ(peaks->GetMin(0, 0), -1000);
    EXPECT_EQ(peaks->GetMax(0, 1), 300);
    EXPECT_EQ(peaks->GetMin(0, 1), 0);
    EXPECT_EQ(peaks->GetScaleReference(), 20000);
}

TEST(WavePeaks, FineZoomReadsConsecutiveFramesOfBothChannels)
{
    // 1 ms per pixel at 8000 Hz: 8 consecutive frames per column.
    auto clip = SilentClip(MakePcmFormat(2, 8000, 16), 80);
    Poke16(*clip, 7 * 4, 1500);      // channel 0, last frame of column 0
    Poke16(*clip, 8 * 4 + 2, -2500); // channel 1, first frame of column 1
    auto peaks = clip->BuildPeaks(0, 3, 1);
    EXPECT_EQ(peaks->GetMax(0, 0), 1500);
    EXPECT_EQ(peaks->GetMin(1, 0), 0);
    EXPECT_EQ(peaks->GetMin(1, 1), -2500);
    EXPECT_EQ(peaks->GetMax(0, 1), 0);
    EXPECT_EQ(peaks->GetScaleReference(), 2500);

    // First column 1 starts at the same place.
    auto shifted = clip->BuildPeaks(1, 2, 1);
    EXPECT_EQ(shifted->GetMin(1, 0), -2500);
}

TEST(WavePeaks, OneSampleModeScaleFloorsAndStoreEnd)
{
    // 1000 Hz at 1 ms per pixel: one sample per column.
    auto clip = SilentClip(MakePcmFormat(2, 1000, 16), 4);
    Poke16(*clip, 0, 100);
    Poke16(*clip, 2, -7);
    Poke16(*clip, 4, -90);
    auto peaks = clip->BuildPeaks(0, 6, 1);
    ASSERT_TRUE(peaks->IsOneSample());
    EXPECT_EQ(peaks->GetMax(0, 0), 100);
    EXPECT_EQ(peaks->GetMax(1, 0), -7);
    EXPECT_EQ(peaks->GetMax(0, 1), -90);
    EXPECT_EQ(peaks->GetMin(0, 1), 0);
    EXPECT_EQ(peaks->GetMax(0, 5), 0) << "past the store's end";
    EXPECT_EQ(peaks->GetScaleReference(), 512) << "a quiet clip scales as if it reached 512";

    auto eightBit = SilentClip(MakePcmFormat(1, 8000, 8), 100);
    EXPECT_EQ(eightBit->BuildPeaks(0, 10, 1)->GetScaleReference(), 32);
    std::memset(eightBit->GetStore()->MapView(10, 1).data(), 0, 1); // -128
    auto loud = eightBit->BuildPeaks(0, 10, 1);
    EXPECT_EQ(loud->GetMin(0, 1), -128);
    EXPECT_EQ(loud->GetScaleReference(), 128);
}

TEST(WavePeaks, PartOfAFrameAtTheEndIsNotRead)
{
    // Stereo 16-bit with a trailing half frame that holds a loud channel 0.
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetFormat(MakePcmFormat(2, 8000, 16));
    ASSERT_TRUE(clip->CreateStore(8 * 4 + 2));
    Poke16(*clip, 8 * 4, 30000);
    auto peaks = clip->BuildPeaks(0, 2, 1);
    EXPECT_EQ(peaks->GetMax(0, 1), 0);
    EXPECT_EQ(peaks->GetScaleReference(), 512);
}

constexpr ColorRef kGreen = MakeColorRef(0, 128, 0);
const QColor kFill(0, 128, 0);
const QColor kLight(0, 192, 0); // the colour scaled up by 1.5
const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);

QImage Render(CWaveDoc& clip, int scroll = 0, int msPerPixel = 10)
{
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QColor(1, 2, 3));
    clip.DrawWave(painter, QRect(0, 0, 200, 60), scroll, msPerPixel, kGreen);
    EXPECT_EQ(painter.pen().color(), QColor(1, 2, 3)) << "the painter's pen is restored";
    painter.end();
    return image;
}

// One second at 8000 Hz, mono: loud for the first half, silent after.
std::unique_ptr<CWaveDoc> HalfLoudClip()
{
    auto clip = SilentClip(MakePcmFormat(1, 8000, 16), 8000);
    Fill16(*clip, 0, 4000, [](uint32_t i) { return int16_t(i % 2 ? 20000 : -20000); });
    return clip;
}

TEST(WaveDraw, WaveformInsideAFilledFrame)
{
    auto clip = HalfLoudClip(); // 100 px at 10 ms per pixel
    const QImage image = Render(*clip);
    // Mono: one area over the whole row (2..58), middle 30.
    EXPECT_EQ(image.pixelColor(20, 4), kLight) << "a loud column reaches the area's top";
    EXPECT_EQ(image.pixelColor(20, 56), kLight);
    EXPECT_EQ(image.pixelColor(80, 4), kFill) << "a silent column leaves the fill";
    EXPECT_EQ(image.pixelColor(80, 29), kLight) << "the line above the middle";
    EXPECT_EQ(image.pixelColor(150, 30), QColor(Qt::white)) << "right of the clip";
    EXPECT_EQ(image.pixelColor(0, 1), QColor(Qt::white)) << "a cut corner";

    clip->SetSelected(true);
    const QImage selected = Render(*clip);
    EXPECT_EQ(selected.pixelColor(80, 4), kNavy);
    EXPECT_EQ(selected.pixelColor(20, 4), kFill) << "selected clips draw in the colour itself";
}

TEST(WaveDraw, FrameMasksWhatIsUnderIt)
{
    auto clip = HalfLoudClip();
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(QColor(255, 0, 255));
    QPainter painter(&image);
    clip->DrawWave(painter, QRect(0, 0, 200, 60), 0, 10, kGreen);
    painter.end();
    EXPECT_EQ(image.pixelColor(80, 4), QColor(0, 0, 0)) << "magenta AND green";
}

TEST(WaveDraw, RecordedClipsShowCentreLines)
{
    auto clip = SilentClip(MakePcmFormat(2, 8000, 16), 8000);
    clip->SetRecordedClip(true);
    clip->SetStart(200); // 20 px in
    const QImage image = Render(*clip);
    // Stereo areas: 2..28 (middle 15) and 32..58 (middle 45); row middle 30.
    EXPECT_EQ(image.pixelColor(60, 15), kRed);
    EXPECT_EQ(image.pixelColor(60, 45), kRed);
    EXPECT_EQ(image.pixelColor(60, 30), kFill);
    EXPECT_EQ(image.pixelColor(60, 10), QColor(Qt::white)) << "outline only";
    EXPECT_EQ(image.pixelColor(20, 20), kLight) << "the outline's left edge";
    EXPECT_EQ(image.pixelColor(10, 30), QColor(Qt::white));
    EXPECT_EQ(clip->GetPeaks(), nullptr) << "no samples are read";

    clip->SetSelected(true);
    EXPECT_EQ(Render(*clip).pixelColor(60, 10), kNavy) << "a selected one is filled";
}

TEST(WaveDraw, PeakCacheFollowsZoomAndScroll)
{
    auto clip = HalfLoudClip();
    Render(*clip, 30);
    const CWavePeaks* peaks = clip->GetPeaks();
    ASSERT_NE(peaks, nullptr);
    EXPECT_EQ(peaks->GetFirstColumn(), 30) << "columns scrolled off the left are not built";
    EXPECT_EQ(peaks->GetColumnCount(), 70);

    // The same zoom and scroll read no samples: silence the clip behind the
    // cache's back and the waveform is still drawn from it.
    Fill16(*clip, 0, 8000, [](uint32_t) { return int16_t(0); });
    EXPECT_EQ(Render(*clip, 30).pixelColor(0, 4), kLight);
    EXPECT_EQ(clip->GetPeaks(), peaks);
    // A new scroll rebuilds the cache from the samples.
    EXPECT_EQ(Render(*clip, 31).pixelColor(0, 4), kFill);
    EXPECT_EQ(clip->GetPeaks()->GetFirstColumn(), 31);

    // Changing the samples drops the cache.
    auto loud = HalfLoudClip();
    ASSERT_EQ(clip->MixFrom(*loud, 0, 0, loud->GetDataSize()), 1);
    EXPECT_EQ(clip->GetPeaks(), nullptr);
    EXPECT_EQ(Render(*clip, 31).pixelColor(0, 4), kLight);
}

TEST(WaveDraw, NothingToDraw)
{
    CWaveDoc empty;
    empty.SetFormat(kProjectFormat);
    EXPECT_EQ(Render(empty), [] {
        QImage white(200, 60, QImage::Format_RGB32);
        white.fill(Qt::white);
        return white;
    }());

    auto clip = HalfLoudClip();
    const QImage zeroZoom = Render(*clip, 0, 0);
    EXPECT_EQ(zeroZoom.pixelColor(20, 30), QColor(Qt::white));
    const QImage scrolledAway = Render(*clip, 500);
    EXPECT_EQ(scrolledAway.pixelColor(20, 30), QColor(Qt::white));
    EXPECT_EQ(clip->GetPeaks(), nullptr);
}

TEST(WaveDraw, ScaleColorUp)
{
    EXPECT_EQ(CWaveDoc::ScaleColorUp(MakeColorRef(100, 170, 169), 1.5),
              MakeColorRef(150, 255, 253));
    EXPECT_EQ(CWaveDoc::ScaleColorUp(MakeColorRef(100, 170, 200), 0.5),
              MakeColorRef(100, 170, 200));
    EXPECT_EQ(CWaveDoc::ScaleColorUp(MakeColorRef(1, 2, 3), 1000), MakeColorRef(255, 255, 255));
    EXPECT_EQ(ColorRefToQColor(MakeColorRef(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_EQ(QColorToColorRef(QColor(1, 2, 3)), 0x030201u);
}

} // namespace
