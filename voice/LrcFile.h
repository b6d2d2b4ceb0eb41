#pragma once

#include "voice/LyricsParagraph.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

// Reads LRC lyrics: lines of one or more "[mm:ss.cc]" time tags followed by
// the text. Lines end at CR, LF or CR LF. The text is UTF-8 when the whole
// file is valid UTF-8 (a byte-order mark is skipped), GBK otherwise. Lines
// starting "[ti:", "[ar:", "[al:", "[by:" or "[offset:" give nothing (the
// offset is not applied); other lines without '[' at the start are ignored.
// Widths are left 0 for the display to measure. Any thread.
class CLrcFile
{
public:
    // Files longer than this are refused (bytes).
    static constexpr int64_t kMaxBytes = 1 << 20;

    // The paragraphs of the bytes, sorted by start (among equal starts the
    // line later in the file first), with their durations.
    static std::vector<CLyricsParagraph> Parse(const QByteArray& bytes);
    // Parse of the file at path; false, out emptied, when it is not a readable
    // regular file, is empty or is longer than kMaxBytes.
    static bool Read(const QString& path, std::vector<CLyricsParagraph>* out);
};
