#pragma once

#include <QDialog>

class QPlainTextEdit;

// "程序更新声明": a banner over the update's declaration (plain text, read
// only, scrolling), with "确定" to update and "取消". GUI thread.
class CDeclareDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CDeclareDialog(QWidget* parent = nullptr);

    // Before exec(); line breaks are "\n".
    void SetDeclareText(const QString& text);
    QPlainTextEdit* TextEdit() const { return m_text; }

private:
    QPlainTextEdit* m_text;
};
