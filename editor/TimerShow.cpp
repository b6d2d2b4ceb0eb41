#include "editor/TimerShow.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kTickMs = 10;

CTimerShow::Clock SteadyClock()
{
    return [] {
        static QElapsedTimer clock = [] {
            QElapsedTimer started;
            started.start();
            return started;
        }();
        return clock.elapsed();
    };
}

} // namespace

CTimerShow::CTimerShow(QWidget* parent, Clock clock)
    : QWidget(parent), m_clock(clock ? std::move(clock) : SteadyClock()),
      m_colors(SystemColors::FromApplication()), m_font(QStringLiteral("新宋体")),
      m_timer(new QTimer(this))
{
    m_font.setPixelSize(20);
    m_font.setWeight(QFont::Bold);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, &CTimerShow::OnTimer);
}

void CTimerShow::SetTime(uint32_t ms)
{
    m_shownMs = ms;
    update();
}

void CTimerShow::Start(uint32_t ms)
{
    m_baseMs = ms;
    m_startTick = m_clock();
    if (!m_timer->isActive())
        m_timer->start();
    m_counting = true;
}

void CTimerShow::Stop()
{
    m_counting = false;
    m_timer->stop();
}

bool CTimerShow::IsTimerRunning() const
{
    return m_timer->isActive();
}

void CTimerShow::OnTimer()
{
    if (!m_counting)
        return;
    const int64_t elapsed = std::max<int64_t>(0, m_clock() - m_startTick);
    m_shownMs = static_cast<uint32_t>(std::min<int64_t>(elapsed + m_baseMs, UINT32_MAX));
    update();
}

QString CTimerShow::FormatTime(uint32_t ms)
{
    return QString::asprintf("%02u:%02u:%02u:%02u", ms / 3600000, ms / 60000 % 60, ms / 1000 % 60,
                             ms % 1000 / 10);
}

void CTimerShow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_colors.face);
    Draw3dRect(painter, rect(), m_colors.highlight, m_colors.shadow);
    painter.setFont(m_font);
    painter.setPen(Qt::black);
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, FormatTime(m_shownMs));
}
