#pragma once

#include "platform/IQuestionBox.h"

#include <QPointer>
#include <QWidget>

// Asks in a modal message box with the program's name as caption. GUI thread
// only; a worker reaches it through a blocking queued call.
class MessageQuestionBox : public IQuestionBox
{
public:
    explicit MessageQuestionBox(QWidget* parent = nullptr) : m_parent(parent) {}
    bool Ask(const QString& text, Buttons buttons = Buttons::OkCancel) override;

private:
    QPointer<QWidget> m_parent;
};
