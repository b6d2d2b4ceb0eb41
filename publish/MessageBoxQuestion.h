#pragma once

#include "platform/IQuestionBox.h"

#include <QPointer>
#include <QWidget>

// Asks in a modal message box with the program's title as caption and the
// buttons labelled in Chinese. GUI thread only; workers reach it through a
// blocking queued call.
class MessageBoxQuestion : public IQuestionBox
{
public:
    explicit MessageBoxQuestion(QString caption, QWidget* parent = nullptr);
    bool Ask(const QString& text, Buttons buttons = Buttons::OkCancel) override;
    Answer AskYesNoCancel(const QString& text) override;

private:
    QString m_caption;
    QPointer<QWidget> m_parent;
};
