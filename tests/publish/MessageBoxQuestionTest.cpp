#include "publish/MessageBoxQuestion.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Runs ask() while a timer answers the box it shows by clicking the button
// labelled `choice` (or pressing Escape when choice is empty); keeps what the
// box showed.
template <typename Ask> auto Answered(const QString& choice, QStringList* shown, Ask ask)
{
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        QStringList buttons;
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        buttons.sort();
        *shown = QStringList{box->windowTitle(), box->text()} + buttons;
        if (box->textFormat() != Qt::PlainText)
            *shown << QStringLiteral("rich text");
        if (choice.isEmpty()) {
            box->reject();
            return;
        }
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == choice)
                button->click();
        }
    });
    poll.start();
    return ask();
}

TEST(MessageBoxQuestion, ChineseButtonsAndTheirAnswers)
{
    MessageBoxQuestion questions(QStringLiteral("标题"));
    const QString text = QStringLiteral("<b>保存</b>？");
    const auto threeWay = [&] { return questions.AskYesNoCancel(text); };
    using Answer = IQuestionBox::Answer;
    QStringList shown;
    EXPECT_EQ(Answered(QStringLiteral("是(&Y)"), &shown, threeWay), Answer::Yes);
    QStringList buttons{QStringLiteral("是(&Y)"), QStringLiteral("否(&N)"),
                        QStringLiteral("取消")};
    buttons.sort();
    EXPECT_EQ(shown, QStringList({QStringLiteral("标题"), text}) + buttons);
    EXPECT_EQ(Answered(QStringLiteral("否(&N)"), &shown, threeWay), Answer::No);
    EXPECT_EQ(Answered(QString(), &shown, threeWay), Answer::Cancel) << "closing cancels";

    const auto okCancel = [&] { return questions.Ask(text); };
    EXPECT_TRUE(Answered(QStringLiteral("确定"), &shown, okCancel));
    EXPECT_FALSE(Answered(QString(), &shown, okCancel));
    const auto yesNo = [&] { return questions.Ask(text, IQuestionBox::Buttons::YesNo); };
    EXPECT_FALSE(Answered(QStringLiteral("否(&N)"), &shown, yesNo));
    EXPECT_TRUE(Answered(QStringLiteral("是(&Y)"), &shown, yesNo));
}

} // namespace
