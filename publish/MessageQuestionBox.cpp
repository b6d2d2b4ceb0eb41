#include "publish/MessageQuestionBox.h"

#include <QGuiApplication>
#include <QMessageBox>

bool MessageQuestionBox::Ask(const QString& text, Buttons buttons)
{
    const bool okCancel = buttons == Buttons::OkCancel;
    QMessageBox box(QMessageBox::Question, QGuiApplication::applicationDisplayName(), text,
                    okCancel ? QMessageBox::Ok | QMessageBox::Cancel
                             : QMessageBox::Yes | QMessageBox::No,
                    m_parent);
    box.setTextFormat(Qt::PlainText);
    const int answer = box.exec();
    return answer == QMessageBox::Ok || answer == QMessageBox::Yes;
}
