#include "voice/SongInfoShow.h"

#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"

#include <QPainter>
#include <QTimer>

namespace {

const QString kSection = QStringLiteral("SongInfoShow");
const QString kUnknown = QStringLiteral("未知");
const QString kTitleLabel = QStringLiteral("标题：");
const QString kArtistLabel = QStringLiteral("艺术家：");
const QString kAlbumLabel = QStringLiteral("专辑：");

// About the display's refresh rate; the lines move on elapsed time.
constexpr int kIntervalMs = 16;

QString Line(const QString& label, const QString& text)
{
    const QString trimmed = text.trimmed();
    return label + (trimmed.isEmpty() ? kUnknown : trimmed);
}

} // namespace

CSongInfoShow::CSongInfoShow(QWidget* parent, TickSource ticks)
    : QWidget(parent), m_ticks(std::move(ticks)), m_timer(new QTimer(this))
{
    m_font = QFont(QStringLiteral("新宋体"));
    m_font.setPixelSize(kFontHeight);
    m_font.setWeight(QFont::Light);
    ClearTags();
    m_timer->setInterval(kIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &CSongInfoShow::OnTimer);
}

CSongInfoShow::~CSongInfoShow() = default;

void CSongInfoShow::SetTitle(const QString& text)
{
    m_title = Line(kTitleLabel, text);
}

void CSongInfoShow::SetArtist(const QString& text)
{
    m_artist = Line(kArtistLabel, text);
}

void CSongInfoShow::SetFileName(const QString& text)
{
    m_fileName = Line(QStringLiteral("文件名："), text);
}

void CSongInfoShow::SetFormat(const QString& text)
{
    m_format = Line(QStringLiteral("格式："), text);
}

void CSongInfoShow::SetLength(const QString& text)
{
    m_length = Line(QStringLiteral("长度："), text);
}

void CSongInfoShow::ClearTags()
{
    m_title = kTitleLabel + kUnknown;
    m_artist = kArtistLabel + kUnknown;
    m_album = kAlbumLabel + kUnknown;
}

void CSongInfoShow::StartScroll()
{
    m_lines = {m_fileName, m_title, m_artist, m_album, m_length, m_format};
    m_currentLine = 0;
    m_tick = 0;
    m_startTick = m_ticks();
    if (!m_timer->isActive())
        m_timer->start();
    m_showing = true;
    update();
}

void CSongInfoShow::Reset()
{
    ClearTags();
    m_showing = false;
    m_timer->stop();
    update();
}

bool CSongInfoShow::IsTimerOn() const
{
    return m_timer->isActive();
}

int CSongInfoShow::LoadSkin(const QString& themePath)
{
    const CProfileFile theme = CProfileFile::Load(themePath);
    m_textColor = ReadProfileColor(theme, kSection, QStringLiteral("TextColor"), 0xFFFFFF);
    m_placement.Load(themePath, kSection);
    RefreshSkin();
    return 1;
}

void CSongInfoShow::RefreshSkin()
{
    m_placement.Apply(this);
    update();
}

void CSongInfoShow::OnTimer()
{
    if (!m_showing || m_lines.isEmpty())
        return;
    // Whole 10-ms ticks since the start: a line shows for ticks 0 to 400.
    const uint32_t ticks = (m_ticks() - m_startTick) / kTickMs;
    const int oldTop = LineTop();
    const int oldLine = m_currentLine;
    m_tick = int(ticks % kTicksPerLine);
    m_currentLine = int(ticks / kTicksPerLine % uint32_t(m_lines.size()));
    if (m_currentLine != oldLine || LineTop() != oldTop)
        update();
}

int CSongInfoShow::LineTop() const
{
    return height() - std::min(m_tick, RiseLimit());
}

void CSongInfoShow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(m_font);
    p.setPen(ColorRefToQColor(m_textColor));
    if (!m_showing) {
        p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("Dalmir彩铃Zuvo"));
        return;
    }
    if (m_currentLine < m_lines.size())
        p.drawText(QRect(5, LineTop(), width() - 5, kFontHeight * 2),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_lines[m_currentLine]);
}
