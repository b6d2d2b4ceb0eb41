#include "publish/ProgressDialog.h"

#include "publish/ProgressPicture.h"

#include <QLabel>
#include <QProgressBar>
#include <QShowEvent>
#include <QThread>

#include <algorithm>

namespace {

constexpr int kTickMs = 100;
constexpr int kAdvanceLimit = 90; // Advance never passes it; the last stages do

} // namespace

CProgressDialog::CProgressDialog(QWidget* parent, Edition edition)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_edition(edition),
      m_label(new QLabel), m_bar(new QProgressBar)
{
    m_label->setTextFormat(Qt::PlainText);
    m_label->setMinimumWidth(240);
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    m_bar->setFixedHeight(16);
    LayOutProgressPanel(this, m_label, m_bar);

    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &CProgressDialog::OnTimer);
}

void CProgressDialog::SetPercent(int percent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_percent = percent;
}

void CProgressDialog::SetCeiling(int ceiling)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ceiling = ceiling;
}

void CProgressDialog::SetAutoAdvance(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_autoAdvance = on;
}

void CProgressDialog::SetText(const QString& text)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_text = text;
}

void CProgressDialog::SetStage(const QString& text, int percent, int ceiling)
{
    // One lock, so a tick never sees the text of one stage with the numbers
    // of another.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_text = text;
    m_percent = percent;
    if (ceiling >= 0)
        m_ceiling = ceiling;
}

void CProgressDialog::StageAnalyse()
{
    if (m_edition == Edition::Kelvo)
        SetStage(QStringLiteral("正在分析文件..."), 0, 20);
    else
        SetStage(QStringLiteral("正在分析文件..."), 20);
}

void CProgressDialog::StageConvert()
{
    if (m_edition == Edition::Kelvo)
        SetStage(QStringLiteral("正在转换音乐格式..."), 20, 90);
    else
        SetStage(QStringLiteral("正在转换音乐格式..."), 30);
}

void CProgressDialog::StageLoad()
{
    if (m_edition == Edition::Kelvo)
        SetStage(QStringLiteral("正在加载转换后的数据..."), 90, 100);
    else
        SetStage(QStringLiteral("正在加载转换后的数据..."), 90);
}

void CProgressDialog::StageSave()
{
    SetStage(QStringLiteral("正在保存音频数据..."), 90);
}

void CProgressDialog::StageMix()
{
    SetStage(QStringLiteral("正在进行音频合成..."), 30);
}

void CProgressDialog::Advance(int n)
{
    // Read and write under one lock: a tick climbing at the same moment must
    // not lose either step.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_percent = static_cast<int>(
        std::min<long long>(static_cast<long long>(m_percent) + n, kAdvanceLimit));
}

void CProgressDialog::StageDone()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_percent = 100;
    if (m_edition == Edition::Kelvo)
        m_text.clear();
}

int CProgressDialog::Percent() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_percent;
}

int CProgressDialog::Ceiling() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ceiling;
}

bool CProgressDialog::AutoAdvance() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_autoAdvance;
}

QString CProgressDialog::Text() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_text;
}

void CProgressDialog::OnTimer()
{
    Q_ASSERT(QThread::currentThread() == thread());
    QString text;
    int percent = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_autoAdvance && m_percent < m_ceiling)
            ++m_percent;
        text = m_text;
        percent = m_percent;
    }
    if (m_label->text() != text)
        m_label->setText(text);
    // A percent set above the ceiling stays, and the bar shows it as well.
    const int shown = std::clamp(percent, 0, 100);
    if (m_bar->value() != shown)
        m_bar->setValue(shown);
    // Past 100 counts as done too: such a window would otherwise never go.
    if (percent >= 100) {
        m_timer.stop();
        hide();
    }
}

void CProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_percent = 0;
    }
    m_bar->setValue(0);
    m_timer.start();
}

void CProgressDialog::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        m_timer.stop();
}
