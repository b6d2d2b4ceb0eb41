#include "editor/MP3CustDialog.h"

#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QPushButton* Button(QWidget& dialog, const char* text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == QString::fromUtf8(text))
            return button;
    return nullptr;
}

// The combo boxes in the order they sit: genre, bitrate, mode, frequency.
QComboBox* Combo(QWidget& dialog, int n)
{
    return dialog.findChildren<QComboBox*>().value(n);
}

TEST(Mp3EncoderOptions, EachListEntryGivesItsOption)
{
    const QStringList bitrates = Mp3BitrateEntries();
    const QStringList frequencies = Mp3FrequencyEntries();
    const QStringList modes = Mp3ModeEntries();
    ASSERT_EQ(bitrates.size(), 18);
    ASSERT_EQ(frequencies.size(), 10);
    ASSERT_EQ(modes.size(), 5);

    const int kbps[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 128, 144, 160, 192, 224, 256, 320};
    for (int i = 1; i < 18; ++i) {
        EXPECT_EQ(bitrates[i], QStringLiteral("%1 Kbps").arg(kbps[i - 1]));
        EXPECT_EQ(Mp3EncoderOptions(i, 0, 0), QStringLiteral(" -b %1").arg(kbps[i - 1]));
    }
    const char* khz[] = {"8", "11.025", "12", "16", "22.05", "24", "32", "44.1", "48"};
    for (int i = 1; i < 10; ++i) {
        EXPECT_EQ(frequencies[i], QStringLiteral("%1 kHz").arg(khz[i - 1]));
        EXPECT_EQ(Mp3EncoderOptions(0, i, 0), QStringLiteral(" --resample %1").arg(khz[i - 1]));
    }
    const std::pair<const char*, const char*> modeTable[] = {{"立体声", " -m s"},
                                                             {"混合立体声", " -m j"},
                                                             {"MS混合立体声", " -m f"},
                                                             {"单声道", " -m m"}};
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(modes[i], QString::fromUtf8(modeTable[i - 1].first));
        EXPECT_EQ(Mp3EncoderOptions(0, 0, i), QString::fromUtf8(modeTable[i - 1].second));
    }

    const std::tuple<int, int, int, const char*> joined[] = {
        {0, 0, 0, ""},
        {11, 5, 4, " -b 128 --resample 22.05 -m m"},
        {17, 9, 1, " -b 320 --resample 48 -m s"},
        // Outside a list (typed text, -1) counts as "默认".
        {-1, 18, 5, ""},
        {18, -1, 2, " -m j"},
    };
    for (const auto& [bitrate, frequency, mode, options] : joined)
        EXPECT_EQ(Mp3EncoderOptions(bitrate, frequency, mode), QString::fromUtf8(options))
            << bitrate << ' ' << frequency << ' ' << mode;
    for (const QStringList& list : {bitrates, frequencies, modes})
        EXPECT_EQ(list[0], QStringLiteral("默认"));
}

bool RunTool(const QString& program, const QStringList& args, QByteArray* out = nullptr)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000) || !process.waitForFinished(60000))
        return false;
    if (out)
        *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The options mean to the Debian encoder what the lists say: its MP3 comes
// out at the chosen rate, bitrate and channel count, as ffprobe reads it.
TEST(Mp3EncoderOptions, TheEncoderDoesWhatTheListsSay)
{
    const QString home = TestEnvironment::Home();
    const QString wav = home + QStringLiteral("/in.wav");
    ASSERT_TRUE(RunTool(
        "sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "0.5", "sine", "440"}));
    struct Row
    {
        int bitrate, frequency, mode;
        int rate, channels, bitsPerSecond;
    };
    const Row table[] = {
        {11, 5, 4, 22050, 1, 128000}, // 128 Kbps, 22.05 kHz, 单声道
        {4, 1, 1, 8000, 2, 32000},    // 32 Kbps, 8 kHz, 立体声
        {14, 8, 3, 44100, 2, 192000}, // 192 Kbps, 44.1 kHz, MS混合立体声
        {17, 9, 2, 48000, 2, 320000}, // 320 Kbps, 48 kHz, 混合立体声
    };
    for (const Row& row : table) {
        const QString options = Mp3EncoderOptions(row.bitrate, row.frequency, row.mode);
        const QString mp3 = home + QStringLiteral("/out.mp3");
        QFile::remove(mp3);
        QStringList args = options.split(u' ', Qt::SkipEmptyParts);
        args << QStringLiteral("--quiet") << wav << mp3;
        ASSERT_TRUE(RunTool("lame", args)) << options;

        QByteArray json;
        ASSERT_TRUE(RunTool("ffprobe",
                            {"-v", "error", "-select_streams", "a:0", "-show_entries",
                             "stream=sample_rate,channels,bit_rate", "-of", "json", mp3},
                            &json));
        const QJsonObject stream =
            QJsonDocument::fromJson(json).object()["streams"].toArray().at(0).toObject();
        EXPECT_EQ(stream["sample_rate"].toString().toInt(), row.rate) << options;
        EXPECT_EQ(stream["channels"].toInt(), row.channels) << options;
        EXPECT_EQ(stream["bit_rate"].toString().toInt(), row.bitsPerSecond) << options;
    }
}

TEST(MP3CustDialog, StartsWithTagsOnAndEveryListAtDefault)
{
    CMP3CustDialog dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("设置MP3文件选项"));
    EXPECT_TRUE(dialog.findChild<QCheckBox*>()->isChecked());
    QComboBox* genre = Combo(dialog, 0);
    EXPECT_EQ(genre->count(), 148);
    EXPECT_EQ(genre->currentText(), QString());
    EXPECT_EQ(genre->itemText(0), QStringLiteral("Acapella"));
    EXPECT_EQ(genre->itemText(147), QStringLiteral("Vocal"));
    EXPECT_EQ(CMP3CustDialog::Genres().size(), 148);
    EXPECT_EQ(CMP3CustDialog::Genres().indexOf(QStringLiteral("Synthpop")), 147);
    EXPECT_EQ(CMP3CustDialog::Genres().indexOf(QStringLiteral("Pop")), 13);
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(Combo(dialog, n)->currentText(), QStringLiteral("默认"));
    bool described = false;
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
        described |=
            edit->isReadOnly() && edit->text() == QStringLiteral("比特率越高，文件尺寸越大");
    EXPECT_TRUE(described);

    QTest::mouseClick(Button(dialog, "确定"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.SaveTags(), 1);
    EXPECT_EQ(dialog.EncoderOptions(), QString());
    EXPECT_EQ(dialog.Genre(), QString());
}

TEST(MP3CustDialog, TagBoxEnablesTheTagFieldsAndOkReadsEverything)
{
    CMP3CustDialog dialog;
    dialog.show();
    auto* saveTags = dialog.findChild<QCheckBox*>();
    auto* comment = dialog.findChild<QPlainTextEdit*>();

    saveTags->click();
    EXPECT_FALSE(comment->isEnabled());
    EXPECT_FALSE(Combo(dialog, 0)->isEnabled());
    EXPECT_TRUE(Combo(dialog, 1)->isEnabled()) << "the encoder lists stay";
    saveTags->click();
    EXPECT_TRUE(comment->isEnabled());
    EXPECT_TRUE(Combo(dialog, 0)->isEnabled());

    // Fields by their labels.
    auto field = [&](const char* label) {
        for (QLabel* l : dialog.findChildren<QLabel*>())
            if (l->text() == QString::fromUtf8(label))
                return l->buddy();
        return static_cast<QWidget*>(nullptr);
    };
    qobject_cast<QLineEdit*>(field("标  题:"))->setText(QStringLiteral("夜曲"));
    qobject_cast<QLineEdit*>(field("艺术家:"))->setText(QStringLiteral("某人"));
    qobject_cast<QLineEdit*>(field("专  辑:"))->setText(QStringLiteral("十一月"));
    auto* year = qobject_cast<QLineEdit*>(field("年  代:"));
    QTest::keyClicks(year, QStringLiteral("200567"));
    EXPECT_EQ(year->text(), QStringLiteral("2005")) << "at most 4 characters";
    qobject_cast<QLineEdit*>(field("版  权:"))->setText(QStringLiteral("(c) 2005"));
    comment->setPlainText(QStringLiteral("第一行\n第二行"));
    QComboBox* genre = Combo(dialog, 0);
    genre->setCurrentIndex(genre->findText(QStringLiteral("Pop")));
    Combo(dialog, 1)->setCurrentIndex(11); // 128 Kbps
    Combo(dialog, 2)->setCurrentIndex(4);  // 单声道
    Combo(dialog, 3)->setCurrentIndex(5);  // 22.05 kHz
    if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
        dialog.grab().save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") +
                           QStringLiteral("/mp3-options.png"));

    QTest::mouseClick(Button(dialog, "确定"), Qt::LeftButton);
    EXPECT_EQ(dialog.SaveTags(), 1);
    EXPECT_EQ(dialog.Title(), QStringLiteral("夜曲"));
    EXPECT_EQ(dialog.Artist(), QStringLiteral("某人"));
    EXPECT_EQ(dialog.Album(), QStringLiteral("十一月"));
    EXPECT_EQ(dialog.Year(), QStringLiteral("2005"));
    EXPECT_EQ(dialog.Copyright(), QStringLiteral("(c) 2005"));
    EXPECT_EQ(dialog.Comment(), QStringLiteral("第一行\n第二行"));
    EXPECT_EQ(dialog.Genre(), QStringLiteral("Pop"));
    EXPECT_EQ(dialog.EncoderOptions(), QStringLiteral(" -b 128 --resample 22.05 -m m"));
}

TEST(MP3CustDialog, TextTypedIntoAListCountsAsDefaultAndAGenreMayBeTyped)
{
    CMP3CustDialog dialog;
    dialog.show();
    Combo(dialog, 1)->setCurrentIndex(11);
    Combo(dialog, 1)->setEditText(QStringLiteral("100 Kbps"));
    Combo(dialog, 3)->setCurrentIndex(2);
    Combo(dialog, 0)->setEditText(QStringLiteral("古风"));
    dialog.findChild<QCheckBox*>()->click();
    dialog.accept();
    EXPECT_EQ(dialog.EncoderOptions(), QStringLiteral(" --resample 11.025"));
    EXPECT_EQ(dialog.Genre(), QStringLiteral("古风"));
    EXPECT_EQ(dialog.SaveTags(), 0);
}

} // namespace
