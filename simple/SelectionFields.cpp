#include "simple/SelectionFields.h"

#include <QStringList>

#include <algorithm>

namespace SelectionFields {

namespace {

// Far beyond any music; keeps the sums below from overflowing.
constexpr int64_t kFieldLimit = 1000000000;

// The field's leading number as atoi reads it: white space, a sign, digits.
int64_t LeadingNumber(const QString& field)
{
    int i = 0;
    while (i < field.size() && field[i].isSpace())
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == u'-' || field[i] == u'+')) {
        negative = field[i] == u'-';
        ++i;
    }
    int64_t value = 0;
    for (; i < field.size() && field[i] >= u'0' && field[i] <= u'9'; ++i)
        value = std::min(kFieldLimit, value * 10 + (field[i].unicode() - u'0'));
    return negative ? -value : value;
}

} // namespace

int64_t ParseMs(const QString& text)
{
    const QStringList fields = text.split(u':');
    const int64_t scale[3] = {60000, 1000, 10};
    int64_t ms = 0;
    for (int i = 0; i < 3 && i < fields.size(); ++i)
        ms += LeadingNumber(fields[i]) * scale[i];
    return std::max<int64_t>(0, ms);
}

QString FormatMs(int64_t ms)
{
    ms = std::max<int64_t>(0, ms);
    return QString::asprintf("%02lld:%02lld:%02lld", static_cast<long long>(ms / 60000),
                             static_cast<long long>(ms / 1000 % 60),
                             static_cast<long long>(ms % 1000 / 10));
}

QString FormatHundredths(int64_t hundredths)
{
    hundredths = std::max<int64_t>(0, hundredths);
    return QString::asprintf("%02lld:%02lld:%02lld", static_cast<long long>(hundredths / 6000),
                             static_cast<long long>(hundredths / 100 % 60),
                             static_cast<long long>(hundredths % 100));
}

Outcome StartEdited(const Texts& fields, int64_t total)
{
    const int64_t t = std::max<int64_t>(0, total);
    const int64_t typed = ParseMs(fields.length);
    const int64_t length = std::min(typed, t);
    Outcome outcome;
    outcome.texts = fields;
    int64_t start = ParseMs(fields.start);
    if (start + length > t) {
        start = t - length;
        outcome.texts.start = FormatMs(start);
        outcome.end = t;
    } else {
        outcome.end = start + length;
    }
    outcome.start = start;
    outcome.texts.end = FormatMs(outcome.end);
    if (length != typed)
        outcome.texts.length = FormatMs(length);
    return outcome;
}

Outcome EndEdited(const Texts& fields, int64_t total)
{
    const int64_t t = std::max<int64_t>(0, total);
    const int64_t typed = ParseMs(fields.length);
    const int64_t length = std::min(typed, t);
    const int64_t end = ParseMs(fields.end);
    Outcome outcome;
    outcome.texts = fields;
    if (end > t) {
        outcome.start = t - length;
        outcome.end = t;
    } else if (end < length) {
        outcome.start = 0;
        outcome.end = length;
    } else {
        outcome.start = end - length;
        outcome.end = end;
    }
    outcome.texts.start = FormatMs(outcome.start);
    outcome.texts.end = FormatMs(outcome.end);
    if (length != typed)
        outcome.texts.length = FormatMs(length);
    return outcome;
}

Outcome LengthEdited(const Texts& fields, int64_t total)
{
    const int64_t t = std::max<int64_t>(0, total);
    Outcome outcome;
    outcome.texts = fields;
    outcome.setsStart = false;
    int64_t length = ParseMs(fields.length);
    if (length > kLongestLengthMs) {
        length = kLongestLengthMs;
        outcome.texts.length = FormatMs(length);
    }
    int64_t start = ParseMs(fields.start);
    if (start > t) {
        // A start past the music that was never applied: the selection
        // starts at the end instead.
        start = t;
        outcome.texts.start = FormatMs(start);
        outcome.setsStart = true;
    }
    int64_t end = start + length;
    if (end > t) {
        end = t;
        outcome.texts.length = FormatHundredths(t / 10 - start / 10);
    }
    outcome.texts.end = FormatMs(end);
    outcome.start = start;
    outcome.end = end;
    return outcome;
}

} // namespace SelectionFields
