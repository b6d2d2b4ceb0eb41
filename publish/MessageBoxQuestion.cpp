#include "publish/MessageBoxQuestion.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

// Labels the standard buttons itself: Qt's own texts need not be Chinese.
void Label(QMessageBox& box, QMessageBox::StandardButton button, const QString& text)
{
    if (QAbstractButton* shown = box.button(button))
        shown->setText(text);
}

} // namespace

MessageBoxQuestion::MessageBoxQuestion(QString caption, QWidget* parent)
    : m_caption(std::move(caption)), m_parent(parent)
{
}

bool MessageBoxQuestion::Ask(const QString& text, Buttons buttons)
{
    const bool yesNo = buttons == Buttons::YesNo;
    const QMessageBox::StandardButton go = yesNo ? QMessageBox::Yes : QMessageBox::Ok;
    const QMessageBox::StandardButton stop = yesNo ? QMessageBox::No : QMessageBox::Cancel;
    QMessageBox box(QMessageBox::Question, m_caption, text, go | stop, m_parent);
    box.setTextFormat(Qt::PlainText);
    Label(box, go, yesNo ? QStringLiteral("是(&Y)") : QStringLiteral("确定"));
    Label(box, stop, yesNo ? QStringLiteral("否(&N)") : QStringLiteral("取消"));
    box.setDefaultButton(go);
    return box.exec() == go;
}

IQuestionBox::Answer MessageBoxQuestion::AskYesNoCancel(const QString& text)
{
    QMessageBox box(QMessageBox::Question, m_caption, text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
    box.setTextFormat(Qt::PlainText);
    Label(box, QMessageBox::Yes, QStringLiteral("是(&Y)"));
    Label(box, QMessageBox::No, QStringLiteral("否(&N)"));
    Label(box, QMessageBox::Cancel, QStringLiteral("取消"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}
