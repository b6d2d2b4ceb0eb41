#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"
#include "voice/Brevanta.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

const QString kSection = QStringLiteral("WaveEdit");
constexpr ColorRef kWavePen = 0x000080;
constexpr ColorRef kVoiceBlockColor = 0x0000FF; // the voice and the recording
constexpr int kRulerHeight = 26;

QColor C(ColorRef colour)
{
    return ColorRefToQColor(colour);
}

void Line(QPainter& p, ColorRef colour, int x1, int y1, int x2, int y2)
{
    p.setPen(C(colour));
    p.drawLine(x1, y1, x2, y2);
}

void Triangle(QPainter& p, ColorRef colour, QPoint a, QPoint b, QPoint c)
{
    const QPoint points[3] = {a, b, c};
    p.setPen(C(colour));
    p.setBrush(C(colour));
    p.drawPolygon(points, 3);
    p.setBrush(Qt::NoBrush);
}

} // namespace

int CBrevanta::LoadSkin(const QString& themePath)
{
    const CProfileFile theme = CProfileFile::Load(themePath);
    const ColorRef face = QColorToColorRef(palette().color(QPalette::Button));
    const auto read = [&](const char* key, ColorRef def) {
        return ReadProfileColor(theme, kSection, QString::fromLatin1(key), def);
    };
    m_backColor = read("BackGroundColor", face);
    m_rulerLineColor = read("MilimeterLineColor", face);
    m_borderColor = read("BorderColor", face);
    m_titleBarColor = read("TitleBarColor", face);
    m_recorderBackColor = read("RecoderBackColor", 0x7FA409);
    m_recorderForeColor = read("RecoderForeColor", 0xA3A3A3);
    m_indicatorColor = read("IndicatorColor", 0x00FFFF);
    m_indicatorSelectionColor = read("IndicatorSelectionColor", 0x800000);
    m_selectionColor = read("SelectionColor", 0xBEA18A);
    m_selectionLineColor = read("SelectionLineColor", 0x800000);
    m_textColor = read("TextColor", 0xFFFFFF);
    m_placement.Load(themePath, kSection);
    m_skinLoaded = true;
    update();
    return 1;
}

void CBrevanta::RefreshSkin()
{
    // Without a skin the placement reads -1 everywhere: the window stays.
    m_placement.Apply(this);
}

void CBrevanta::paintEvent(QPaintEvent*)
{
    QPixmap buffer(size());
    buffer.fill(C(m_backColor));
    {
        QPainter p(&buffer);
        p.setFont(m_font);
        DrawBorder(p);
        DrawRuler(p);
        DrawRecorderStrip(p);
        DrawSelection(p);
        DrawPlayCursor(p);
        DrawEditCursor(p);
        if (m_music.HasData())
            DrawWave(p, QRect(QPoint(1, 27), QPoint(width() - 2, height() - 22)), m_music, 0,
                     C(kWavePen));
        DrawSelectionLength(p);
    }
    QPainter(this).drawPixmap(0, 0, buffer);
}

void CBrevanta::DrawBorder(QPainter& p) const
{
    const int w = width();
    const int h = height();
    const ColorRef light = ScaleColorUp(m_borderColor, 1.2f);
    const ColorRef dark = ScaleColorDown(m_borderColor, 0.8f);
    Line(p, light, 0, 0, w - 1, 0);
    Line(p, light, 0, 0, 0, h - 1);
    Line(p, dark, w - 1, 0, w - 1, h - 1);
    Line(p, dark, 0, h - 1, w - 1, h - 1);
}

void CBrevanta::DrawRuler(QPainter& p) const
{
    const int w = width();
    p.fillRect(1, 1, w - 2, kRulerHeight, C(m_titleBarColor));
    Line(p, 0x000000, 1, 26, w - 2, 26);
    Line(p, m_rulerLineColor, 1, 22, w - 2, 22);
    for (int x = m_tickSpacing; x < w - 1; x += m_tickSpacing)
        Line(p, m_rulerLineColor, x, 22, x, 19);
    p.setPen(C(m_textColor));
    const uint32_t length = GetMusicLength();
    const QString end = QString::asprintf("%02u:%02u", length / 60000, length / 1000 % 60);
    p.drawText(3, 17, QStringLiteral("00:00"));
    // Five characters of the font as it draws them (digits are the widest),
    // or the whole text when a song of 100 minutes or more makes it longer:
    // the length always ends left of the border.
    const QFontMetrics metrics(m_font);
    const int textWidth =
        std::max(5 * metrics.horizontalAdvance(QLatin1Char('0')), metrics.horizontalAdvance(end));
    p.drawText(w - textWidth - 3, 17, end);
}

void CBrevanta::DrawRecorderStrip(QPainter& p) const
{
    const int w = width();
    const int h = height();
    p.fillRect(QRect(QPoint(1, h - 20), QPoint(w - 3, h - 3)), C(m_recorderBackColor));
    p.fillRect(QRect(QPoint(1, h - 16), QPoint(w - 3, h - 7)), C(m_recorderForeColor));
    if (m_voice.HasData() && !m_recording) {
        const int v = GetVoiceBlockWidth();
        if (v > 0)
            p.fillRect(QRect(QPoint(m_voiceBlockX, h - 16), QPoint(m_voiceBlockX + v - 1, h - 7)),
                       C(kVoiceBlockColor));
    }
}

void CBrevanta::DrawSelection(QPainter& p) const
{
    const int s = m_selStart;
    const int e = m_selEnd;
    const int h = height();
    if (s == 1 && e == 1)
        return;
    if (e == 0) {
        Triangle(p, m_indicatorColor, {1, 11}, {1, 4}, {8, 4});
        return;
    }
    p.setPen(C(m_selectionLineColor));
    p.setBrush(C(m_indicatorSelectionColor));
    p.drawRect(QRect(QPoint(s + 1, 3), QPoint(e - 1, 10)));
    p.setBrush(Qt::NoBrush);
    Triangle(p, m_indicatorColor, {s + 1, 10}, {s + 1, 3}, {s + 8, 3});
    Triangle(p, m_indicatorColor, {e - 1, 10}, {e - 1, 3}, {e - 8, 3});
    const QPoint edges[4] = {{s, h - 3}, {s, 3}, {e, 3}, {e, h - 3}};
    p.setPen(C(m_selectionLineColor));
    p.drawPolyline(edges, 4);
    if (m_selectionMarked)
        p.fillRect(QRect(QPoint(s, 26), QPoint(e, h - 21)), C(m_selectionColor));
}

void CBrevanta::DrawPlayCursor(QPainter& p) const
{
    if (!m_playing)
        return;
    const int x = GetPlayX();
    const int h = height();
    Line(p, 0x000000, x, h - 3, x, 26);
    if (m_recording && x > m_voiceBlockX)
        p.fillRect(QRect(QPoint(m_voiceBlockX, h - 16), QPoint(x, h - 7)), C(kVoiceBlockColor));
}

void CBrevanta::DrawEditCursor(QPainter& p) const
{
    const int x = m_editCursor;
    if (1 < x && x < width() - 1)
        Line(p, m_blinkColors[m_blinkPhase & 1], x, height() - 3, x, 26);
}

void CBrevanta::DrawSelectionLength(QPainter& p) const
{
    const int s = m_selStart;
    const int e = m_selEnd;
    const int w = width();
    const int d = XToMs(e) - XToMs(s);
    int from = s;
    int to = e;
    int textX = s + 5;
    if (e - s < 107) {
        if (e + 106 > w - 1) {
            from = s - 106;
            textX = s - 101;
        } else {
            to = e + 106;
            textX = e + 5;
        }
    }
    Line(p, m_selectionLineColor, from, 40, to, 40);
    Triangle(p, m_indicatorColor, {s, 40}, {s + 4, 36}, {s + 4, 44});
    Triangle(p, m_indicatorColor, {e, 40}, {e - 4, 36}, {e - 4, 44});
    p.setPen(C(m_indicatorColor));
    const QString text = QStringLiteral("截取长度:%1.%2秒")
                             .arg(d / 1000, 2, 10, QLatin1Char('0'))
                             .arg(d / 10 % 100, 2, 10, QLatin1Char('0'));
    p.drawText(textX + 2, 40 - 2, text);
}

bool CBrevanta::DrawWave(QPainter& painter, const QRect& area, const WaveData& track, int xOffset,
                         const QColor& pen)
{
    const WaveFormat& format = track.GetFormat();
    if (!track.HasData() || format.blockAlign == 0 || area.width() <= 0)
        return false;
    const int left = area.left();
    const int top = area.top();
    const int right = area.right() + 1;
    const int h = area.height();
    const uint64_t frames = track.GetSize() / format.blockAlign;
    // Fewer frames than columns: one column per frame.
    const uint64_t step = std::max<uint64_t>(frames / static_cast<uint64_t>(right - left), 1);
    const uint8_t* data = track.GetData();
    painter.setPen(pen);
    QPoint last(left + xOffset, top + h / 2);
    int x = left + xOffset + 1;
    for (uint64_t i = 0; i < frames && x <= right; i += step, ++x) {
        const uint8_t* frame = data + i * format.blockAlign;
        int y = h / 2;
        if (format.bitsPerSample == 16) {
            const int16_t sample = static_cast<int16_t>(frame[0] | (frame[1] << 8));
            y = static_cast<int>(h / 32767.0 * sample) + h / 2;
        } else if (format.bitsPerSample == 8) {
            y = static_cast<int>(h * (1 / 128.0) * (frame[0] - 128)) + h / 2;
        }
        const QPoint next(x, top + std::clamp(y, 0, h));
        painter.drawLine(last, next);
        last = next;
    }
    return true;
}

bool CBrevanta::ClearMusic()
{
    if (m_ringJob.load())
        return false;
    // The player's thread may be reading the samples about to be freed.
    Stop();
    m_music.MakeSilence();
    m_musicLength = m_music.GetLengthMs();
    // Nothing of the song is left to name.
    m_musicPath.clear();
    m_songTitle.clear();
    m_songArtist.clear();
    update();
    emit MUSIC_LOADED();
    return true;
}
