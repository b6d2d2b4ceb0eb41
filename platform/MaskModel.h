#pragma once

#include <QString>

// The rules of a masked edit field, without a widget: each position of the
// mask says which characters may stand there, the literal supplies the fixed
// characters and the blanks ("_"), and typing overwrites instead of inserting.
// Widgets hand every change (typing, backspace, paste, input-method text) to
// the model and show its text and caret afterwards.
//
// Mask characters: "0" a digit within the date or time range rules, "8" a
// digit, "9" a digit or space, "#" a digit, space, "k" or "m", "&" any
// printable character, "?" a letter or space, "A" a letter or digit, "a" a
// letter, digit or space, "L" a letter; anything else accepts nothing.
class MaskModel
{
public:
    // An empty mask switches the rules off. A literal whose length differs
    // from the mask's is dropped. validChars are accepted at any position.
    void SetMask(const QString& mask, const QString& literal = QString(),
                 const QString& validChars = QString());
    bool IsOn() const { return m_on; }
    const QString& Mask() const { return m_mask; }
    const QString& Literal() const { return m_literal; }

    void SetDateMode(bool date) { m_dateMode = date; }
    // Per position the character backspace puts back; empty: the literal's.
    void SetPrompt(const QString& prompt) { m_prompt = prompt; }
    // Whether a digit out of the range rules is refused audibly (silently by default).
    void SetRangeRefusalBeeps(bool beeps) { m_rangeBeeps = beeps; }
    void SetHourLimit(int hours);
    void SetMinuteLimit(int minutes);

    void SetText(const QString& text);
    const QString& Text() const { return m_text; }
    const QString& LastTextSet() const { return m_lastTextSet; }

    // The selection as character positions; the caret is its end.
    void SetSelection(int start, int end);
    int SelectionStart() const { return m_selStart; }
    int Caret() const { return m_selEnd; }

    // Each returns false when the input was refused; beep is set when the
    // refusal should be heard (a digit out of range is refused silently).
    bool TypeChar(QChar c, bool* beep = nullptr);
    bool Backspace(bool* beep = nullptr);
    // Types the text character by character; a fixed character of the literal
    // that stands (or was just typed) at the caret is stepped over, so a pasted
    // "01:02:03:04" fills the fields. Stops at the first refusal.
    bool Paste(const QString& text, bool* beep = nullptr);

private:
    enum class Check { Accept, Refuse, RefuseSilently };

    Check CheckChar(QChar c);
    Check CheckRange(QChar digit, int position) const;
    // Overwrites the character at the caret and moves the caret past it.
    void Overwrite(QChar c);
    bool HasFixedCharAt(int position) const;

    bool m_on = false;
    bool m_dateMode = false;
    QString m_mask;
    QString m_literal;
    QString m_validChars;
    QString m_prompt;
    bool m_rangeBeeps = false;
    QString m_hourLimit = QStringLiteral("47");
    QString m_minuteLimit = QStringLiteral("59");
    QString m_text;
    QString m_lastTextSet;
    int m_selStart = 0;
    int m_selEnd = 0;
};
