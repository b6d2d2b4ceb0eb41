#pragma once

#include <QDialog>
#include <QString>

class IMessageSink;
class QLineEdit;
class QVBoxLayout;

// Asks for the name under which the selection is saved as a ring in the ring
// library ("铃音保存设置"). OK trims the name and refuses an empty one, one
// longer than 64 GBK bytes, and one that is not a plain file name, with a
// message; the dialog then stays open. GUI thread only.
//
// The two upload dialogs derive from it: they add their boxes below the name
// and say an empty name in their own words.
class CRingContentSaveToDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CRingContentSaveToDialog(IMessageSink& messages, QWidget* parent = nullptr);

    // Before the dialog runs: the name shown. After OK: the trimmed name.
    void SetName(const QString& name);
    QString Name() const { return m_name; }
    QLineEdit* NameEdit() const { return m_nameEdit; }

    // OK and the Enter key.
    void accept() override;

protected:
    CRingContentSaveToDialog(IMessageSink& messages, const QString& caption,
                             const QString& emptyMessage, QWidget* parent);
    // Where a derived dialog adds its boxes, below the name.
    QVBoxLayout* OptionsLayout() const { return m_options; }
    // Reads the derived dialog's boxes into its members.
    virtual void ReadOptions() {}

private:
    IMessageSink& m_messages;
    const QString m_emptyMessage;
    QLineEdit* m_nameEdit;
    QVBoxLayout* m_options;
    QString m_name;
};
