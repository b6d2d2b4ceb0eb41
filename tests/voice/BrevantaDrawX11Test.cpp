// The editor drawn on a real X server with Kelvo's theme: a loaded song shows
// its waveform in the fixed pen, the ruler and the theme's colours.
#include "platform/ColorRef.h"
#include "tests/audio/EncodedFixtures.h"
#include "tests/support/ImagePixels.h"
#include "voice/Brevanta.h"

#include <QDir>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

using namespace EncodedFixtures;

namespace {

TEST(BrevantaDrawX11, SongIsDrawnWithTheTheme)
{
    // A tone that swells and fades, as an MP3.
    ASSERT_TRUE(
        RunTool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", PathOf("tone.wav"), "synth",
                        "4", "sine", "180", "tremolo", "0.6", "100", "vol", "0.45"}));
    const QString mp3 = PathOf("song.mp3");
    ASSERT_TRUE(RunTool("lame", {"--quiet", "-b", "64", PathOf("tone.wav"), mp3}));
    std::atomic<bool> busy{false};
    CBrevanta editor(nullptr, nullptr, &busy, nullptr, nullptr);
    editor.resize(640, 180);
    editor.LoadSkin(QStringLiteral(KELVO_THEME));
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    editor.OpenFileAsync(mp3);
    editor.WaitForOpen();
    ASSERT_FALSE(editor.GetMusic().IsSilentDefault());
    editor.ClearSelection();
    QTest::mousePress(&editor, Qt::LeftButton, {}, QPoint(120, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(300, 100), editor.mapToGlobal(QPointF(300, 100)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&editor, &move);
    QTest::mouseRelease(&editor, Qt::LeftButton, {}, QPoint(300, 100));
    editor.repaint();
    const QImage shot = editor.grab().toImage();
    const QString folder = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        shot.save(QDir(folder).filePath("voice-editor-waveform.png"));

    const QRect wave(1, 27, 638, 180 - 21 - 27);
    // The waveform pen (dark red) over a good part of the width.
    EXPECT_GT(CountColour(shot, wave, ColorRefToQColor(0x000080).rgb()), 300);
    // The theme's ruler band and background.
    EXPECT_GT(CountColour(shot, QRect(1, 1, 600, 15), qRgb(245, 247, 249)), 1000);
    EXPECT_GT(CountColour(shot, QRect(400, 45, 200, 20), qRgb(255, 255, 255)), 100);
    // The selection band in the theme's colour.
    EXPECT_GT(CountColour(shot, QRect(130, 50, 150, 80), qRgb(212, 236, 238)), 300);
}

} // namespace
