#pragma once

#include <QString>

#include <cstdint>

// The arithmetic of the main dialog's three selection fields (start, end and
// length, each "mm:ss:hh"), without any window: what each field's edit does
// to the three texts and to the selection, given the music's length T in ms.
//
// Every outcome keeps 0 <= start <= end <= T, whatever the fields hold: a
// field whose own edit has not been applied yet can hold any value, and a
// length longer than T is taken as T.
namespace SelectionFields {

// The longest selection the length field takes, in ms.
constexpr int64_t kLongestLengthMs = 50000;

// ms of a field's text: minutes, seconds and hundredths separated by ':'
// (at most three fields; each read as its leading digits, a missing or
// unreadable one counting 0). Never negative.
int64_t ParseMs(const QString& text);
// "mm:ss:hh" of ms (0 for a negative value).
QString FormatMs(int64_t ms);
// "mm:ss:hh" of hundredths of a second.
QString FormatHundredths(int64_t hundredths);

struct Texts
{
    QString start;
    QString end;
    QString length;
};

struct Outcome
{
    // What the three fields show afterwards.
    Texts texts;
    // The selection in ms; start only counts when setsStart is true.
    int64_t start = 0;
    int64_t end = 0;
    // The length field's edit moves only the selection's end.
    bool setsStart = true;
};

// The start field was edited: the selection keeps the typed length and is
// moved back to end at T when it would pass it.
Outcome StartEdited(const Texts& fields, int64_t total);
// The end field was edited: the selection keeps the typed length and ends
// there, moved to [T - l, T] past the music or to [0, l] before it.
Outcome EndEdited(const Texts& fields, int64_t total);
// The length field was edited: at most 50 s; the end follows it and stops at
// T, where the length shows T - start (counted in hundredths).
Outcome LengthEdited(const Texts& fields, int64_t total);

} // namespace SelectionFields
