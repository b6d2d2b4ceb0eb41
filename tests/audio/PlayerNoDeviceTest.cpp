// A machine whose sound library cannot open any device. The driver is chosen
// when the process first opens the device, so this runs in its own executable.
#include "audio/DirectSoundPlayer.h"
#include "audio/WaveDoc.h"
#include "platform/AppPaths.h"
#include "platform/AudioOutput.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

TEST(PlayerNoDevice, CreateLogsAndPlaysNothing)
{
    qputenv("SDL_AUDIODRIVER", "zuvo-no-such-driver");
    QDir().mkpath(AppPaths::DataFolder());

    CWaveDoc clip;
    clip.SetFormat(kProjectFormat);
    ASSERT_TRUE(clip.CreateStore(17640));
    clip.Play();
    EXPECT_FALSE(clip.IsPlaying());
    EXPECT_EQ(clip.Player().Create(false), 0) << "tried again, still no device";
    EXPECT_EQ(clip.Player().Play(), 0);
    EXPECT_EQ(clip.Player().Stop(), 0);

    QFile log(AppPaths::DataFolder() + "DirectSoundPlayer.txt");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_EQ(text.count("]\n创建m_pDirectSound失败\n"), 2) << text;
}
