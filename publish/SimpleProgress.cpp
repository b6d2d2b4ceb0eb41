#include "publish/SimpleProgress.h"

#include "publish/ProgressPicture.h"

#include <QLabel>
#include <QProgressBar>

CSimpleProgress::CSimpleProgress(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_label(new QLabel),
      m_bar(new QProgressBar)
{
    m_label->setTextFormat(Qt::PlainText);
    m_label->setMinimumWidth(240);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_bar->setFixedHeight(16);
    LayOutProgressPanel(this, m_label, m_bar);
}

void CSimpleProgress::SetText(const QString& text)
{
    m_text = text;
    m_label->setText(text);
}

void CSimpleProgress::SetPos(int pos)
{
    m_bar->setValue(pos);
}

int CSimpleProgress::Pos() const
{
    return m_bar->value();
}
