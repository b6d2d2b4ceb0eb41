#include "publish/PromptDialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
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

TEST(PromptDialog, ShowsTitlePromptAndValueAndReturnsTheEditOnOk)
{
    const QString savedName = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Varenth彩铃Zuvo高级版"));
    CPromptDialog dialog;
    QGuiApplication::setApplicationDisplayName(savedName);
    EXPECT_EQ(dialog.Title(), QStringLiteral("Varenth彩铃Zuvo高级版"));
    EXPECT_EQ(dialog.Prompt(), QStringLiteral("提示信息："));
    EXPECT_EQ(dialog.Value(), QString());

    dialog.SetPrompt(QStringLiteral("请输入新的文件名称："));
    dialog.SetValue(QStringLiteral("老歌"));
    dialog.open();
    auto* edit = dialog.findChild<QLineEdit*>();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Varenth彩铃Zuvo高级版"));
    EXPECT_EQ(dialog.findChild<QLabel*>()->text(), QStringLiteral("请输入新的文件名称："));
    EXPECT_EQ(edit->text(), QStringLiteral("老歌"));

    // The old name is selected, so what is typed replaces it.
    EXPECT_EQ(edit->selectedText(), QStringLiteral("老歌"));
    edit->insert(QStringLiteral("新歌 <b>2</b>"));
    if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
        dialog.grab().save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") +
                           QStringLiteral("/prompt-dialog.png"));
    EXPECT_EQ(dialog.Value(), QStringLiteral("老歌")) << "the value changes on OK only";
    QTest::mouseClick(Button(dialog, "确定"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Value(), QStringLiteral("新歌 <b>2</b>"));
}

TEST(PromptDialog, CancelKeepsTheValue)
{
    CPromptDialog dialog;
    dialog.SetTitle(QStringLiteral("重命名"));
    dialog.SetValue(QStringLiteral("铃声"));
    dialog.open();
    QTest::keyClicks(dialog.findChild<QLineEdit*>(), QStringLiteral("other"));
    QTest::mouseClick(Button(dialog, "取消"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.Value(), QStringLiteral("铃声"));

    // Shown again, the window starts from the members once more.
    dialog.open();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("重命名"));
    EXPECT_EQ(dialog.findChild<QLineEdit*>()->text(), QStringLiteral("铃声"));
}

} // namespace
