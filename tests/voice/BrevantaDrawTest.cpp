// Drawing in the corners the geometry cannot handle by itself: tracks shorter
// than the area, music of 0 ms and windows too narrow for a waveform.
#include "voice/Brevanta.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

int DarkRedColumns(const QImage& image)
{
    int columns = 0;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if ((image.pixel(x, y) & 0xFFFFFF) == 0x800000) {
                ++columns;
                break;
            }
        }
    }
    return columns;
}

TEST(BrevantaDraw, ShortTracksGetOneColumnPerFrame)
{
    struct Case
    {
        uint32_t frames;
        int columns; // at most
    };
    for (const Case c : {Case{0, 0}, Case{1, 2}, Case{10, 11}, Case{599, 600}, Case{5000, 600}}) {
        WaveData track;
        track.SetFormat(MakePcmFormat(1, 8000, 16));
        auto buffer = std::make_unique<WaveBuffer>(c.frames * 2);
        for (uint32_t i = 0; i < c.frames; ++i)
            buffer->data[2 * i + 1] = i % 2 ? 0x40 : 0xC0; // +-16384
        track.SetBuffer(std::move(buffer));
        QImage image(600, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        EXPECT_TRUE(CBrevanta::DrawWave(painter, image.rect(), track, 0, QColor(0x80, 0, 0)));
        painter.end();
        EXPECT_LE(DarkRedColumns(image), c.columns) << c.frames;
        if (c.frames > 1) {
            EXPECT_GE(DarkRedColumns(image), std::min<int>(c.frames, 590)) << c.frames;
        }
    }
    WaveData empty;
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    EXPECT_FALSE(CBrevanta::DrawWave(painter, image.rect(), empty, 0, Qt::black));
}

TEST(BrevantaDraw, NoMusicAndNarrowWindowsPaint)
{
    auto zero = std::make_unique<WaveData>();
    zero->SetFormat(MakePcmFormat(1, 8000, 8));
    zero->SetBuffer(std::make_unique<WaveBuffer>(0));
    CBrevanta editor(nullptr, nullptr, nullptr, nullptr, nullptr);
    editor.SetMusic(std::move(zero));
    EXPECT_EQ(editor.GetMusicLength(), 0u);
    for (const QSize size : {QSize(600, 200), QSize(2, 200), QSize(1, 1), QSize(3, 30)}) {
        editor.resize(size);
        EXPECT_FALSE(editor.grab().isNull());
        EXPECT_EQ(editor.MsToX(5000), 1);
        EXPECT_EQ(editor.XToMs(400), 0);
        EXPECT_EQ(editor.GetPlayX(), 2);
    }
}

TEST(BrevantaDraw, EditCursorBlinks)
{
    CBrevanta editor(nullptr, nullptr, nullptr, nullptr, nullptr);
    editor.EnumWmaFormats(); // starts the timers
    const int phase = editor.GetBlinkPhase();
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor.GetBlinkPhase() != phase; }, 1500));
}

} // namespace
