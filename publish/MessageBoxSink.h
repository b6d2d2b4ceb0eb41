#pragma once

#include "platform/IMessageSink.h"

#include <QPointer>
#include <QWidget>

// Shows messages in a modal message box with the program's title as caption.
// GUI thread only; workers reach it through a blocking queued call.
class MessageBoxSink : public IMessageSink
{
public:
    explicit MessageBoxSink(QString caption, QWidget* parent = nullptr);
    void SetParent(QWidget* parent) { m_parent = parent; }
    void ShowMessage(const QString& text) override;

private:
    QString m_caption;
    QPointer<QWidget> m_parent;
};
