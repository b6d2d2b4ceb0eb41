// The four displays of Kelvo's main dialog on a real X server in the neostyle
// theme, following a song that plays through the sound driver with its
// lyrics. ZUVO_SCREENSHOT_DIR keeps a picture.
#include "audio/IAudioPlayer.h"
#include "audio/PlayerFactory.h"
#include "tests/audio/EncodedFixtures.h"
#include "voice/LyricsShow.h"
#include "voice/SongInfoShow.h"
#include "voice/TimerShow.h"
#include "voice/WaveData.h"
#include "voice/WaveShow.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

using namespace EncodedFixtures;

namespace {

const QString kTheme = QStringLiteral(KELVO_SKIN_DIR "/neostyle/theme.ini");

TEST(DisplaysX11, FollowASongInTheNeostyleTheme)
{
    // A rising sweep (exponential, as sox makes it) through the bars' range,
    // 1.5 to 12 kHz: the tall bars move from right to left.
    const QString wav = PathOf("song.wav");
    ASSERT_TRUE(RunTool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "6",
                                "sine", "1500-12000", "vol", "0.5"}));
    const QString lrc = PathOf("song.lrc");
    {
        QFile file(lrc);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("[ti:扫频]\r\n[00:00.00]从低到高\r\n[00:00.60]一路上扬的"
                                  "正弦波\r\n[00:01.20]听它慢慢变尖\r\n[00:02.00]最后一句\r\n")
                       .toUtf8());
    }
    WaveData music;
    ASSERT_EQ(music.ReadWaveFile(wav), 1);

    QWidget dialog;
    dialog.resize(360, 150);
    QPalette palette;
    palette.setBrush(QPalette::Window, QBrush(QPixmap(KELVO_SKIN_DIR "/neostyle/dialog.png")));
    dialog.setPalette(palette);
    dialog.setAutoFillBackground(true);

    CWaveShow spectrum(&dialog);
    spectrum.setGeometry(12, 12, 120, 48);
    CTimerShow clock(&dialog);
    clock.setGeometry(150, 12, 100, 30);
    CSongInfoShow info(&dialog);
    info.setGeometry(150, 50, 200, 30);
    CLyricsShow lyrics(&dialog);
    lyrics.setGeometry(12, 100, 336, 24);
    ASSERT_EQ(spectrum.LoadSkin(kTheme), 1);
    ASSERT_EQ(clock.LoadSkin(kTheme), 1);
    info.LoadSkin(kTheme);
    lyrics.LoadSkin(kTheme);
    ASSERT_TRUE(lyrics.LoadLrc(lrc));
    info.SetFileName(QStringLiteral("song.wav"));
    info.SetLength(QStringLiteral("00:06"));
    info.SetFormat(QStringLiteral("44100 Hz 16 位 立体声"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    const std::unique_ptr<IAudioPlayer> player = DefaultPlayerFactory()();
    player->SetClip(&music);
    ASSERT_EQ(player->Create(false), 1);
    ASSERT_EQ(player->Play(), 1);
    spectrum.SetTrack(&music);
    spectrum.Start();
    clock.Start(0);
    info.StartScroll();
    lyrics.Start(0);
    QTest::qWait(1500);
    const QImage shot = dialog.grab().toImage();
    player->Stop();
    spectrum.Stop();
    clock.Stop();
    spectrum.SetTrack(nullptr);
    if (const QString folder = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR"); !folder.isEmpty())
        shot.save(QDir(folder).filePath("kelvo-displays.png"));

    EXPECT_GT(music.GetPlayedPosition(), 0u);
    ASSERT_TRUE(spectrum.HasValues());
    EXPECT_GT(*std::max_element(spectrum.GetBars().begin(), spectrum.GetBars().end()), 5);
    // A loaded machine may oversleep: the clock and the lyrics agree with the
    // time that passed, whatever it was.
    EXPECT_GE(clock.GetTime(), 1500u - CTimerShow::kIntervalMs);
    EXPECT_EQ(clock.GetText(), CTimerShow::FormatTime(clock.GetTime()));
    const int elapsed = lyrics.GetElapsed();
    EXPECT_GE(elapsed, 1200);
    EXPECT_EQ(lyrics.GetCurrentLine(), elapsed < 2000 ? 2 : 3);
    lyrics.StopAt(elapsed);
    EXPECT_FALSE(lyrics.IsTimerOn());
    EXPECT_EQ(info.GetCurrentLine(), 0);
    // The theme's dialog background shows through around the bars.
    EXPECT_EQ(shot.pixel(14, 14),
              QPixmap(KELVO_SKIN_DIR "/neostyle/dialog.png").toImage().pixel(2, 2));
}

} // namespace
