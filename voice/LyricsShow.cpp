#include "voice/LyricsShow.h"

#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"
#include "voice/LrcFile.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("LyricsShow");

// About the display's refresh rate; the lines follow elapsed time.
constexpr int kIntervalMs = 16;

} // namespace

CLyricsShow::CLyricsShow(QWidget* parent, TickSource ticks)
    : QWidget(parent), m_ticks(std::move(ticks)), m_timer(new QTimer(this))
{
    m_font = QFont(QStringLiteral("新宋体"));
    m_font.setPixelSize(12);
    m_font.setWeight(QFont::Light);
    m_timer->setInterval(kIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &CLyricsShow::OnTimer);
}

CLyricsShow::~CLyricsShow() = default;

bool CLyricsShow::LoadLrc(const QString& path)
{
    Clear();
    std::vector<CLyricsParagraph> paragraphs;
    if (!CLrcFile::Read(path, &paragraphs))
        return false;
    SetParagraphs(std::move(paragraphs));
    return true;
}

void CLyricsShow::SetParagraphs(std::vector<CLyricsParagraph> paragraphs)
{
    const QFontMetrics metrics(m_font);
    for (CLyricsParagraph& p : paragraphs)
        p.width = metrics.horizontalAdvance(p.text);
    m_paragraphs = std::move(paragraphs);
    m_currentLine = 0;
    m_loaded = true;
    LayoutLine();
    update();
}

void CLyricsShow::Clear()
{
    m_timer->stop();
    m_playing = false;
    m_loaded = false;
    m_elapsed = 0;
    m_startTick = 0;
    m_currentLine = 0;
    m_paragraphs.clear();
    LayoutLine();
    update();
}

int CLyricsShow::LineFor(int t) const
{
    for (size_t i = m_paragraphs.size(); i-- > 0;)
        if (m_paragraphs[i].start <= t)
            return int(i);
    return m_currentLine;
}

void CLyricsShow::Start(int t)
{
    if (m_paragraphs.empty())
        return;
    m_currentLine = LineFor(t);
    m_elapsed = t;
    LayoutLine();
    m_startTick = m_ticks() - uint32_t(t);
    if (!m_timer->isActive())
        m_timer->start();
    m_playing = true;
    update();
}

void CLyricsShow::StopAt(int t)
{
    m_timer->stop();
    m_playing = false;
    if (m_paragraphs.empty())
        return;
    m_currentLine = LineFor(t);
    m_elapsed = t;
    LayoutLine();
    update();
}

bool CLyricsShow::IsTimerOn() const
{
    return m_timer->isActive();
}

int CLyricsShow::LoadSkin(const QString& themePath)
{
    const CProfileFile theme = CProfileFile::Load(themePath);
    m_inactiveColor = ReadProfileColor(theme, kSection, QStringLiteral("InactiveColor"), 0xFFB080);
    m_activeColor = ReadProfileColor(theme, kSection, QStringLiteral("ActiveColor"), 0xFFFFFF);
    m_placement.Load(themePath, kSection);
    RefreshSkin();
    return 1;
}

void CLyricsShow::RefreshSkin()
{
    m_placement.Apply(this);
    update();
}

void CLyricsShow::OnTimer()
{
    if (!m_playing || m_paragraphs.empty())
        return;
    m_elapsed = static_cast<int>(m_ticks() - m_startTick);
    const CLyricsParagraph& p = m_paragraphs[size_t(m_currentLine)];
    if (int64_t(p.start) + p.duration < m_elapsed &&
        size_t(m_currentLine) + 1 < m_paragraphs.size()) {
        ++m_currentLine;
        LayoutLine();
    }
    update();
}

void CLyricsShow::LayoutLine()
{
    m_previousText.clear();
    m_currentText.clear();
    m_nextText.clear();
    m_previousWidth = m_currentWidth = m_nextWidth = 0;
    if (m_paragraphs.empty())
        return;
    const int w = width();
    const int c = std::clamp(m_currentLine, 0, int(m_paragraphs.size()) - 1);
    for (int i = c - 1; i >= 0 && m_previousWidth < w; --i) {
        m_previousText.prepend(m_paragraphs[size_t(i)].text);
        m_previousWidth += m_paragraphs[size_t(i)].width;
    }
    m_currentText = m_paragraphs[size_t(c)].text;
    m_currentWidth = m_paragraphs[size_t(c)].width;
    for (size_t i = size_t(c) + 1; i < m_paragraphs.size() && m_nextWidth < w; ++i) {
        m_nextText += m_paragraphs[i].text;
        m_nextWidth += m_paragraphs[i].width;
    }
}

int CLyricsShow::Progress() const
{
    if (m_paragraphs.empty())
        return 0;
    const CLyricsParagraph& p = m_paragraphs[size_t(m_currentLine)];
    if (m_elapsed < p.start || p.duration <= 0)
        return 0;
    const int64_t progress = (int64_t(m_elapsed) - p.start) * p.width / p.duration;
    return static_cast<int>(std::min<int64_t>(progress, p.width));
}

void CLyricsShow::resizeEvent(QResizeEvent*)
{
    // The neighbouring lines fill the new width.
    LayoutLine();
}

void CLyricsShow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(m_font);
    if (!m_loaded || m_paragraphs.empty()) {
        p.setPen(ColorRefToQColor(m_activeColor));
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("未加载歌词"));
        return;
    }
    const QFontMetrics metrics(m_font);
    const int x0 = width() / 2 - m_previousWidth - Progress();
    const int baseline = (height() - metrics.height()) / 2 + metrics.ascent();
    p.setPen(ColorRefToQColor(m_inactiveColor));
    p.drawText(x0, baseline, m_previousText);
    p.setPen(ColorRefToQColor(m_activeColor));
    p.drawText(x0 + m_previousWidth, baseline, m_currentText);
    p.setPen(ColorRefToQColor(m_inactiveColor));
    p.drawText(x0 + m_previousWidth + m_currentWidth, baseline, m_nextText);
}
