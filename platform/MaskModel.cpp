#include "platform/MaskModel.h"

#include <algorithm>

namespace {

bool IsAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

void SetBeep(bool* beep, bool value)
{
    if (beep)
        *beep = value;
}

} // namespace

void MaskModel::SetMask(const QString& mask, const QString& literal, const QString& validChars)
{
    m_on = false;
    if (mask.isEmpty())
        return;
    m_mask = mask;
    m_literal = literal.size() == mask.size() ? literal : QString();
    m_validChars = validChars;
    m_on = true;
}

void MaskModel::SetHourLimit(int hours)
{
    m_hourLimit = QString::number(hours);
}

void MaskModel::SetMinuteLimit(int minutes)
{
    m_minuteLimit = QString::number(minutes);
}

void MaskModel::SetText(const QString& text)
{
    m_text = text;
    m_lastTextSet = text;
    m_selStart = m_selEnd = std::min(m_selEnd, static_cast<int>(text.size()));
}

void MaskModel::SetSelection(int start, int end)
{
    const int length = static_cast<int>(m_text.size());
    start = std::clamp(start, 0, length);
    end = std::clamp(end, 0, length);
    m_selStart = std::min(start, end);
    m_selEnd = std::max(start, end);
}

bool MaskModel::HasFixedCharAt(int position) const
{
    return !m_literal.isEmpty() && position >= 0 && position < m_literal.size() &&
           m_literal[position] != u'_';
}

void MaskModel::Overwrite(QChar c)
{
    const int at = m_selEnd;
    if (at < m_text.size())
        m_text[at] = c;
    else
        m_text.append(c);
    m_selStart = m_selEnd = at + 1;
}

MaskModel::Check MaskModel::CheckRange(QChar digit, int position) const
{
    const auto at = [this](int i) { return i < m_text.size() ? m_text[i] : QChar(); };
    const auto limit = [](const QString& text, int i) {
        return i < text.size() ? text[i] : QChar(u'9');
    };
    bool refused = false;
    if (m_dateMode) {
        switch (position) {
        case 0:
            refused = digit > u'3';
            break;
        case 1:
            refused = at(0) == u'3' && digit >= u'2';
            break;
        case 3:
            refused = digit >= u'2';
            break;
        case 4:
            refused = at(3) == u'1' && digit > u'2';
            break;
        default:
            break;
        }
    } else {
        switch (position) {
        case 0:
            refused = digit > limit(m_hourLimit, 0);
            break;
        case 1:
            refused = at(0) == limit(m_hourLimit, 0) && digit > limit(m_hourLimit, 1);
            break;
        case 3:
            refused = digit > limit(m_minuteLimit, 0);
            break;
        case 4:
            refused = at(3) == limit(m_minuteLimit, 0) && digit > limit(m_minuteLimit, 1);
            break;
        default:
            break;
        }
    }
    if (!refused)
        return Check::Accept;
    return m_rangeBeeps ? Check::Refuse : Check::RefuseSilently;
}

MaskModel::Check MaskModel::CheckChar(QChar c)
{
    // Typing never replaces a selection: it collapses to its start.
    m_selEnd = m_selStart;
    if (m_selEnd >= m_mask.size())
        return Check::Refuse;
    if (HasFixedCharAt(m_selEnd))
        Overwrite(m_literal[m_selEnd]);
    if (m_validChars.contains(c))
        return Check::Accept;
    if (m_selEnd >= m_mask.size())
        return Check::Refuse;

    bool accepted = false;
    switch (m_mask[m_selEnd].unicode()) {
    case u'0':
        if (!IsAsciiDigit(c))
            return Check::Refuse;
        return CheckRange(c, m_selEnd);
    case u'8':
        accepted = IsAsciiDigit(c);
        break;
    case u'9':
        accepted = IsAsciiDigit(c) || c == u' ';
        break;
    case u'#':
        accepted = IsAsciiDigit(c) || c == u' ' || c == u'k' || c == u'm';
        break;
    case u'&':
        accepted = c.isPrint();
        break;
    case u'?':
        accepted = IsAsciiLetter(c) || c == u' ';
        break;
    case u'A':
        accepted = IsAsciiLetter(c) || IsAsciiDigit(c);
        break;
    case u'a':
        accepted = IsAsciiLetter(c) || IsAsciiDigit(c) || c == u' ';
        break;
    case u'L':
        accepted = IsAsciiLetter(c);
        break;
    default:
        break;
    }
    return accepted ? Check::Accept : Check::Refuse;
}

bool MaskModel::TypeChar(QChar c, bool* beep)
{
    SetBeep(beep, false);
    if (!m_on || !c.isPrint()) {
        if (m_on)
            return true; // control characters are not the mask's business
        m_text.replace(m_selStart, m_selEnd - m_selStart, QString(c));
        m_selStart = m_selEnd = m_selStart + 1;
        return true;
    }
    const Check check = CheckChar(c);
    if (check != Check::Accept) {
        SetBeep(beep, check == Check::Refuse);
        return false;
    }
    Overwrite(c);
    // Fixed characters follow at once, so "12" becomes "12:".
    if (HasFixedCharAt(m_selEnd))
        Overwrite(m_literal[m_selEnd]);
    return true;
}

bool MaskModel::Backspace(bool* beep)
{
    SetBeep(beep, false);
    if (!m_on) {
        if (m_selStart != m_selEnd) {
            m_text.remove(m_selStart, m_selEnd - m_selStart);
        } else if (m_selStart > 0) {
            m_text.remove(--m_selStart, 1);
        }
        m_selEnd = m_selStart;
        return true;
    }
    const int caret = m_selEnd;
    if (m_selStart != caret || caret <= 0 || m_text.size() < caret) {
        SetBeep(beep, true);
        return false;
    }
    // The position reverts to its prompt, or else its blank or fixed
    // character; without either the caret only steps back.
    if (caret - 1 < m_prompt.size())
        m_text[caret - 1] = m_prompt[caret - 1];
    else if (!m_literal.isEmpty())
        m_text[caret - 1] = m_literal[caret - 1];
    m_selStart = m_selEnd = caret - 1;
    return true;
}

bool MaskModel::Paste(const QString& text, bool* beep)
{
    SetBeep(beep, false);
    for (QChar c : text) {
        m_selEnd = m_selStart;
        if (m_on && HasFixedCharAt(m_selEnd) && m_literal[m_selEnd] == c) {
            Overwrite(c);
            continue;
        }
        // Typing the previous character already put this fixed one in place.
        if (m_on && HasFixedCharAt(m_selEnd - 1) && m_literal[m_selEnd - 1] == c)
            continue;
        if (!TypeChar(c, beep))
            return false;
    }
    return true;
}
