#include "publish/MessageBoxSink.h"

#include <QMessageBox>

MessageBoxSink::MessageBoxSink(QString caption, QWidget* parent)
    : m_caption(std::move(caption)), m_parent(parent)
{
}

void MessageBoxSink::ShowMessage(const QString& text)
{
    // Plain text: messages may carry file names and service text.
    QMessageBox box(QMessageBox::Warning, m_caption, text, QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
