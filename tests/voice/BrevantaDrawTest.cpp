// Drawing in the corners the geometry cannot handle by itself: tracks shorter
// than the area, music of 0 ms and windows too narrow for a waveform; and the
// fixed colours and the ruler's texts, with pictures for ZUVO_SCREENSHOT_DIR.
#include "tests/support/ClipFixtures.h"
#include "tests/support/FakeCapture.h"
#include "tests/support/FakeTicks.h"
#include "tests/support/ImagePixels.h"
#include "voice/Brevanta.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Pixels of the area that are not the background colour.
int CountOther(const QImage& image, const QRect& area, QRgb background)
{
    return area.width() * area.height() - CountColour(image, area, background);
}

void SaveShot(const QImage& image, const char* name)
{
    const QString folder = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR");
    if (!folder.isEmpty() && QDir().mkpath(folder))
        image.save(QDir(folder).filePath(QLatin1String(name)));
}

// ms of 8000 Hz 16-bit mono music: a tone that swells and fades.
std::unique_ptr<WaveData> Song(uint32_t ms)
{
    auto music = std::make_unique<WaveData>();
    music->SetFormat(MakePcmFormat(1, 8000, 16));
    auto samples = std::make_unique<WaveBuffer>(ms * 16);
    for (uint32_t i = 0; i < ms * 8; ++i) {
        const double swell = 0.3 + 0.25 * std::sin(i / 8000.0 * 2.1);
        const auto v = static_cast<int16_t>(32767 * swell * std::sin(i * 0.14));
        std::memcpy(samples->data.get() + 2 * i, &v, 2);
    }
    music->SetBuffer(std::move(samples));
    return music;
}

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

TEST(BrevantaDraw, VoiceAndRecordingBlocksArePureRed)
{
    FakeTicks ticks;
    FakeCaptureState input;
    PlayerLog players;
    CBrevanta editor(nullptr, nullptr, nullptr, nullptr, RecordingPlayers(players),
                     ticks.Source());
    editor.resize(602, 160); // 600 px over 30 s: 50 ms a pixel
    editor.LoadSkin(QStringLiteral(KELVO_SKIN_DIR "/neostyle/theme.ini"));
    editor.SetCaptureFactory(FakeCaptures(input));
    ASSERT_TRUE(editor.SetMusic(Song(30000)));
    const int h = editor.height();
    const QRgb red = qRgb(255, 0, 0); // 0x0000FF as the theme's colours write it

    // 6 s of voice from 5 s on.
    editor.GetVoice().SetBuffer(std::make_unique<WaveBuffer>(6 * 88200));
    editor.SetVoiceBlockX(101);
    editor.SetSelectionStart(81);
    editor.SetSelectionEnd(281);
    const QImage voice = editor.grab().toImage();
    SaveShot(voice, "voice-editor-voice-block.png");
    const int v = editor.GetVoiceBlockWidth();
    ASSERT_GT(v, 100);
    const QRect block(QPoint(101, h - 16), QPoint(101 + v - 1, h - 7));
    EXPECT_EQ(CountColour(voice, block, red), block.width() * block.height());
    EXPECT_EQ(CountColour(voice, QRect(0, 0, 602, h), red), block.width() * block.height())
        << "red nowhere else";

    // Recording from 15 s, 3 s in: red from the block's start to the play
    // cursor (the edit cursor's line stays on the block's first column).
    QTest::mouseClick(&editor, Qt::LeftButton, {}, QPoint(301, 100));
    ASSERT_EQ(editor.StartRecord(), 1);
    ticks.now += 3000;
    ASSERT_EQ(editor.GetPlayX(), 361);
    const QImage recording = editor.grab().toImage();
    SaveShot(recording, "voice-editor-recording.png");
    const QRect recorded(QPoint(302, h - 16), QPoint(361, h - 7));
    EXPECT_EQ(CountColour(recording, recorded, red), recorded.width() * recorded.height());
    EXPECT_EQ(CountColour(recording, QRect(0, 0, 602, h), red),
              recorded.width() * recorded.height());
    editor.Stop();
}

TEST(BrevantaDraw, TheMusicLengthShowsWholeAtTheRulersEnd)
{
    // 1000 bytes a second: the music's bytes are its ms.
    const struct
    {
        uint32_t ms;
        const char* text;
    } cases[] = {{83000, "01:23"}, {101 * 60000 + 999, "101:00"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        CBrevanta editor(nullptr, nullptr, nullptr, nullptr, nullptr);
        editor.resize(602, 160);
        auto music = std::make_unique<WaveData>();
        music->SetFormat(MakePcmFormat(1, 1000, 8));
        music->SetBuffer(std::make_unique<WaveBuffer>(c.ms));
        ASSERT_TRUE(editor.SetMusic(std::move(music)));
        editor.ClearSelection();
        const QImage shot = editor.grab().toImage();
        const int w = editor.width();
        const QRgb band = shot.pixel(w - 2, 2);

        // The same text drawn alone with the editor's font.
        QImage alone(200, 30, QImage::Format_RGB32);
        alone.fill(band);
        QPainter painter(&alone);
        painter.setFont(editor.GetTextFont());
        painter.setPen(Qt::black);
        painter.drawText(20, 17, QString::fromLatin1(c.text));
        painter.end();
        const int whole = CountOther(alone, alone.rect(), band);
        ASSERT_GT(whole, 20);

        // Inside the border, above the ticks, every pixel of it is there.
        const QRect end(QPoint(w / 2, 1), QPoint(w - 2, 18));
        EXPECT_EQ(CountOther(shot, end, band), whole);
        int right = 0;
        for (int x = end.left(); x <= end.right(); ++x)
            if (CountOther(shot, QRect(x, 1, 1, 18), band) > 0)
                right = x;
        EXPECT_LT(right, w - 2);
        if (std::string(c.text) == "01:23")
            SaveShot(shot.copy(w - 160, 0, 160, 30).scaled(640, 120),
                     "voice-editor-ruler-end.png");
    }
}

} // namespace
