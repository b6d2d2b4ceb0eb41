#include "editor/MP3CustDialog.h"
#include "editor/WaveSaveDialog.h"

#include "platform/IMessageSink.h"
#include "tests/support/ScriptedQuestions.h"
#include "tests/support/TestEnvironment.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class RecordingSink : public IMessageSink
{
public:
    void ShowMessage(const QString& text) override { messages << text; }
    QStringList messages;
};

QPushButton* Button(QWidget& dialog, const char* text)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == QString::fromUtf8(text))
            return button;
    return nullptr;
}

struct SaveDialog : testing::Test
{
    SaveDialog() : dialog(nullptr, &sink, &questions)
    {
        dialog.setDirectory(TestEnvironment::Home());
        dialog.SetTotalLength(70000);
    }

    QCheckBox* SelectedPart() { return dialog.findChild<QCheckBox*>(); }
    QComboBox* Templates()
    {
        for (QComboBox* combo : dialog.findChildren<QComboBox*>())
            if (combo->isEditable())
                return combo;
        return nullptr;
    }
    QPushButton* Customize() { return Button(dialog, "定制"); }
    QLineEdit* Name() { return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }
    // Picks a file type the way the user does, so the dialog hears of it.
    void PickType(int key)
    {
        auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        types->setFocus();
        QTest::keyClick(types, Qt::Key(key));
    }
    // Types a name into the focused field, as the user does, and confirms it.
    void Confirm(const QString& name)
    {
        QApplication::setActiveWindow(&dialog);
        Name()->setFocus();
        Name()->setText(name);
        dialog.accept();
    }

    RecordingSink sink;
    ScriptedQuestions questions;
    CWaveSaveDialog dialog;
};

TEST_F(SaveDialog, WithoutASelectionTheWholeMixIsSavedAsWav)
{
    dialog.open();
    ASSERT_NE(Name(), nullptr);
    EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("Wave Audio (*.wav)"));
    EXPECT_FALSE(SelectedPart()->isEnabled());
    EXPECT_FALSE(SelectedPart()->isChecked());
    EXPECT_EQ(Templates()->currentText(), QStringLiteral("默认"));
    EXPECT_FALSE(Customize()->isVisible());

    Confirm(QStringLiteral("混音"));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Options().saveType, SaveOptions::kWav);
    EXPECT_EQ(dialog.Options().selectedPart, 0);
    EXPECT_EQ(dialog.Options().outputPath, TestEnvironment::Home() + QStringLiteral("/混音.wav"));
    EXPECT_EQ(dialog.Options().writeTag, 0);
    EXPECT_EQ(dialog.Options().encoderOptions, QString());
    EXPECT_TRUE(sink.messages.isEmpty());
}

TEST_F(SaveDialog, Mp3ShowsCustomiseAndItsOptionsReachTheSaveOptions)
{
    dialog.SetSelectionLength(12000);
    dialog.open();
    EXPECT_TRUE(SelectedPart()->isEnabled());
    EXPECT_TRUE(SelectedPart()->isChecked());

    PickType(Qt::Key_Up);
    EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("MP3 Audio (*.mp3)"));
    EXPECT_TRUE(Customize()->isVisible());
    EXPECT_EQ(Templates()->count(), 1);
    Name()->setText(QStringLiteral("夜曲.mp3"));
    if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
        dialog.grab().save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") +
                           QStringLiteral("/save-dialog.png"));

    // Cancelled options change nothing.
    QTest::mouseClick(Customize(), Qt::LeftButton);
    auto* custom = dialog.findChild<CMP3CustDialog*>();
    ASSERT_NE(custom, nullptr);
    EXPECT_TRUE(custom->isModal());
    custom->reject();
    EXPECT_EQ(dialog.Options().writeTag, 0);

    QTest::mouseClick(Customize(), Qt::LeftButton);
    TestEnvironment::WaitFor([&] { return dialog.findChildren<CMP3CustDialog*>().size() == 1; });
    custom = dialog.findChild<CMP3CustDialog*>();
    ASSERT_NE(custom, nullptr);
    QList<QComboBox*> lists = custom->findChildren<QComboBox*>();
    lists[0]->setEditText(QStringLiteral("Pop"));
    lists[1]->setCurrentIndex(11); // 128 Kbps
    lists[2]->setCurrentIndex(4);  // 单声道
    lists[3]->setCurrentIndex(5);  // 22.05 kHz
    for (QLabel* label : custom->findChildren<QLabel*>())
        if (label->text() == QStringLiteral("标  题:"))
            qobject_cast<QLineEdit*>(label->buddy())->setText(QStringLiteral("夜曲"));
    QTest::mouseClick(Button(*custom, "确定"), Qt::LeftButton);

    const SaveOptions& options = dialog.Options();
    EXPECT_EQ(options.writeTag, 1);
    EXPECT_EQ(options.title, QStringLiteral("夜曲"));
    EXPECT_EQ(options.genre, QStringLiteral("Pop"));
    EXPECT_EQ(options.artist, QString());
    EXPECT_EQ(options.encoderOptions, QStringLiteral(" -b 128 --resample 22.05 -m m"));
    EXPECT_TRUE(dialog.isVisible()) << "customising does not close the save dialog";

    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(options.saveType, SaveOptions::kMp3);
    EXPECT_EQ(options.selectedPart, 1);
    EXPECT_EQ(options.outputPath, TestEnvironment::Home() + QStringLiteral("/夜曲.mp3"));

    // Back to WAV, the button goes again.
    dialog.open();
    PickType(Qt::Key_Down);
    EXPECT_FALSE(Customize()->isVisible());
    EXPECT_EQ(Templates()->currentIndex(), 0);
}

TEST_F(SaveDialog, RingFormatWavIsLimitedTo55Seconds)
{
    dialog.SetSelectionLength(56500);
    dialog.open();
    ASSERT_EQ(Templates()->count(), 2);
    Templates()->setCurrentIndex(1);

    Confirm(QStringLiteral("ring.wav"));
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(
        sink.messages[0],
        QStringLiteral("选择彩铃格式时，音频的长度不能超过55秒，当前选择区的音频长度为:56秒"));

    SelectedPart()->setChecked(false); // the whole mix is 70 s
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(sink.messages.size(), 2);
    EXPECT_EQ(sink.messages[1],
              QStringLiteral("选择彩铃格式时，音频的长度不能超过55秒，当前总的音频长度为:70秒"));

    dialog.SetTotalLength(55000);
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Options().saveType, SaveOptions::kRingWav);
    EXPECT_EQ(dialog.Options().selectedPart, 0);

    // Typed template text is not a list entry: a plain WAV, no limit.
    dialog.SetTotalLength(900000);
    dialog.open();
    Templates()->setEditText(QStringLiteral("彩铃"));
    Confirm(QStringLiteral("long.wav"));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Options().saveType, SaveOptions::kWav);
}

TEST_F(SaveDialog, TypedPathsAreTakenAsFileDialogsTakeThem)
{
    const QString home = TestEnvironment::Home();
    ASSERT_TRUE(QDir(home).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(QDir(home).mkdir(QStringLiteral("out")));
    dialog.open();
    // Only the last name is checked.
    for (const char* bad : {"a\"b.wav", "a\tb.wav", "out/a\\b"}) {
        Confirm(QString::fromUtf8(bad));
        EXPECT_TRUE(dialog.isVisible()) << bad;
    }
    ASSERT_EQ(sink.messages.size(), 3);
    EXPECT_TRUE(sink.messages.value(2).startsWith(QStringLiteral("文件名无效")));
    Confirm(QStringLiteral("nowhere/mix"));
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(sink.messages.size(), 4);
    EXPECT_EQ(sink.messages[3],
              home + QStringLiteral("/nowhere\n路径不存在。\n请检查路径是否正确，然后再试一次。"));
    EXPECT_EQ(dialog.Options().outputPath, QString());

    // Folders are entered instead of saved into, as in any file dialog.
    Confirm(QStringLiteral("sub"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.directory().absolutePath(), home + QStringLiteral("/sub"));
    Confirm(QStringLiteral(".."));
    EXPECT_EQ(dialog.directory().absolutePath(), home);
    EXPECT_EQ(sink.messages.size(), 4);

    // Relative to the dialog's folder or absolute; the file is the one written.
    const struct
    {
        const char* typed;
        const char* written;
    } paths[] = {{"../mix", "/mix.wav"},
                 {"~/out/./take", "/out/take.wav"},
                 {"~nobody", "/sub/~nobody.wav"},
                 {"in.wav", "/sub/in.wav"}};
    for (const auto& path : paths) {
        dialog.setDirectory(home + QStringLiteral("/sub"));
        dialog.open();
        Confirm(QString::fromUtf8(path.typed));
        EXPECT_FALSE(dialog.isVisible()) << path.typed;
        EXPECT_EQ(dialog.Options().outputPath, home + QString::fromUtf8(path.written));
        EXPECT_EQ(dialog.selectedFiles().value(0), dialog.Options().outputPath);
    }
    dialog.open();
    Confirm(home + QStringLiteral("/out/mix"));
    EXPECT_EQ(dialog.Options().outputPath, home + QStringLiteral("/out/mix.wav"));
    EXPECT_TRUE(questions.asked.isEmpty());
}

TEST_F(SaveDialog, TheOverwriteQuestionIsAboutTheFileWritten)
{
    const QString home = TestEnvironment::Home();
    for (const char* name : {"mix.wav", "take", "song.mp3"}) {
        QFile file(home + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const struct
    {
        const char* typed;
        bool mp3;
        const char* written; // asked about when it exists
    } cases[] = {{"mix", false, "mix.wav"},
                 {"take", false, "take.wav"},
                 {"song", true, "song.mp3"},
                 {"mix.wav", true, "mix.wav.mp3"}};
    for (const auto& c : cases) {
        const QString written = QString::fromUtf8(c.written);
        const bool exists = QFile::exists(home + "/" + written);
        questions.asked.clear();
        questions.yes = false;
        dialog.setDirectory(home);
        dialog.open();
        PickType(c.mp3 ? Qt::Key_Up : Qt::Key_Down);
        Confirm(QString::fromUtf8(c.typed));
        if (exists) {
            EXPECT_EQ(questions.asked,
                      QStringList{written + QStringLiteral(" 已存在。\n要替换它吗？")})
                << c.typed;
            EXPECT_TRUE(dialog.isVisible()) << "no keeps the dialog open";
            questions.yes = true;
            dialog.accept();
        } else {
            EXPECT_TRUE(questions.asked.isEmpty()) << c.typed;
        }
        EXPECT_FALSE(dialog.isVisible()) << c.typed;
        EXPECT_EQ(dialog.Options().outputPath, home + "/" + written);
    }
}

} // namespace
