#include "voice/TimerShow.h"

#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"

#include <QPainter>
#include <QTimer>

namespace {

const QString kSection = QStringLiteral("ClockDigitalNumber");

} // namespace

CTimerShow::CTimerShow(QWidget* parent, TickSource ticks)
    : QWidget(parent), m_ticks(std::move(ticks)), m_timer(new QTimer(this))
{
    m_timer->setInterval(kIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &CTimerShow::OnTimer);
}

CTimerShow::~CTimerShow() = default;

void CTimerShow::SetTime(uint32_t ms)
{
    m_shownMs = ms;
    update();
}

void CTimerShow::Start(uint32_t ms)
{
    m_baseMs = ms;
    m_startTick = m_ticks();
    if (!m_timer->isActive())
        m_timer->start();
    m_running = true;
}

void CTimerShow::Stop()
{
    m_running = false;
    m_timer->stop();
}

bool CTimerShow::IsTimerOn() const
{
    return m_timer->isActive();
}

int CTimerShow::LoadSkin(const QString& themePath)
{
    if (!LoadThemeImage(m_digits, kSection, QStringLiteral("NumberImage"), themePath) ||
        !m_digits.IsLoaded()) {
        // An image that was dropped for an unreadable one leaves the plain look.
        m_skinLoaded = m_skinLoaded && m_digits.IsLoaded();
        update();
        return 0;
    }
    const CProfileFile theme = CProfileFile::Load(themePath);
    m_transparent = theme.GetInt(kSection, QStringLiteral("Trans"), 0) != 0;
    m_transColor = ReadProfileColor(theme, kSection, QStringLiteral("TransColor"), 0xFF00FF);
    m_placement.Load(themePath, kSection);
    m_digitHeight = m_digits.GetHeight();
    m_cellWidth = m_digits.GetWidth() / kCells;
    m_skinLoaded = true;
    RefreshSkin();
    return 1;
}

void CTimerShow::RefreshSkin()
{
    m_placement.Apply(this);
    update();
}

void CTimerShow::OnTimer()
{
    if (!m_running)
        return;
    // Unsigned: a tick count that wrapped still gives the elapsed time.
    m_shownMs = m_ticks() - m_startTick + m_baseMs;
    if (FormatTime(m_shownMs) != m_text)
        update();
}

QString CTimerShow::FormatTime(uint32_t ms)
{
    return QString::asprintf("%02u:%02u", ms / 60000, ms / 1000 % 60);
}

int CTimerShow::CellOf(QChar c)
{
    return c >= u'0' && c <= u'9' ? c.unicode() - u'0' : 10;
}

void CTimerShow::paintEvent(QPaintEvent*)
{
    m_text = FormatTime(m_shownMs);
    QPainter p(this);
    if (!m_skinLoaded) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_text);
        return;
    }
    int x = (width() - int(m_text.size()) * m_cellWidth) / 2;
    const int y = (height() - m_digitHeight) / 2;
    for (const QChar c : m_text) {
        const QRect cell(CellOf(c) * m_cellWidth, 0, m_cellWidth, m_digitHeight);
        m_digits.DrawTrans(&p, x, y, cell, m_transColor, m_transparent);
        x += m_cellWidth;
    }
}
