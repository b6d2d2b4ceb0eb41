#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

// Asks for one line of text (for example a ring's new name). The caller sets
// title, prompt and value, runs the dialog and on OK reads the value. The text
// is returned as typed: checking it is the caller's business. GUI thread only.
class CPromptDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CPromptDialog(QWidget* parent = nullptr);

    // Default: the application's display name.
    void SetTitle(const QString& title) { m_title = title; }
    // Default: "提示信息：".
    void SetPrompt(const QString& prompt) { m_prompt = prompt; }
    void SetValue(const QString& value) { m_value = value; }
    QString Title() const { return m_title; }
    QString Prompt() const { return m_prompt; }
    QString Value() const { return m_value; }

    // OK: the value becomes the edit's text.
    void accept() override;

protected:
    // Puts title, prompt and value into the window.
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* m_edit;
    QLabel* m_static;
    QString m_title;
    QString m_prompt;
    QString m_value;
};
