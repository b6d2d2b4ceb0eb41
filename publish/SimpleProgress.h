#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;

// The waiting window the frame shows during a ring upload: the progress
// picture, a text and a bar (0-100), no caption bar. GUI thread only.
class CSimpleProgress : public QDialog
{
    Q_OBJECT
public:
    explicit CSimpleProgress(QWidget* parent = nullptr);

    // Shown at once.
    void SetText(const QString& text);
    void SetPos(int pos);

    QString Text() const { return m_text; }
    int Pos() const;

private:
    QString m_text;
    QLabel* m_label;
    QProgressBar* m_bar;
};
