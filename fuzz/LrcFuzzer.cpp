// An LRC file read as Kelvo's lyrics display reads it, then shown: the file's
// paragraphs are checked for order and durations, handed to the display,
// which is started, stepped on a hand clock, stopped at times across the
// lyrics and painted.
#include "fuzz/FuzzInput.h"
#include "voice/LrcFile.h"
#include "voice/LyricsShow.h"

#include <QApplication>
#include <QImage>

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// Widgets need an application object for the whole run; it is never destroyed.
void MakeApp()
{
    static int argc = 1;
    static char name[] = "lrc_fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* app = nullptr;
    if (!app) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = new QApplication(argc, argv);
    }
}

void CheckParagraphs(const std::vector<CLyricsParagraph>& paragraphs)
{
    for (size_t i = 0; i < paragraphs.size(); ++i) {
        const CLyricsParagraph& p = paragraphs[i];
        FuzzInput::Check(p.text.endsWith(u' '), "text ends with a space");
        if (i + 1 == paragraphs.size()) {
            FuzzInput::Check(p.duration == 0, "the last line has no duration");
        } else {
            const int64_t gap = int64_t(paragraphs[i + 1].start) - p.start;
            FuzzInput::Check(gap >= 0, "lines in time order");
            FuzzInput::Check(p.duration == (gap > INT_MAX ? INT_MAX : gap), "duration");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MakeApp();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::vector<CLyricsParagraph> parsed = CLrcFile::Parse(bytes);
    CheckParagraphs(parsed);

    const QString path = FuzzInput::Write(data, size, QStringLiteral("input.lrc"));
    uint32_t now = 5000;
    CLyricsShow show(nullptr, [&now] { return now; });
    show.resize(160, 20);
    const bool loaded = show.LoadLrc(path);
    FuzzInput::Check(loaded == (size > 0), "a non-empty file under the cap loads");
    FuzzInput::Check(show.GetParagraphs().size() == parsed.size(), "the file as parsed");

    QImage paper(160, 20, QImage::Format_RGB32);
    const auto& paragraphs = show.GetParagraphs();
    const int first = paragraphs.empty() ? 0 : paragraphs.front().start;
    const int last = paragraphs.empty() ? 0 : paragraphs.back().start;
    show.Start(first);
    for (int step = 0; step < 8 && !paragraphs.empty(); ++step) {
        now += uint32_t(
            std::max<int64_t>(0, std::min<int64_t>(int64_t(last) - first, 1 << 24)) / 8 + 1);
        show.OnTimer();
        const int progress = show.Progress();
        FuzzInput::Check(progress >= 0 &&
                             progress <= paragraphs[size_t(show.GetCurrentLine())].width,
                         "progress inside the line");
    }
    for (const int t : {INT_MIN, -1, 0, first, (first / 2 + last / 2), last, INT_MAX}) {
        show.StopAt(t);
        FuzzInput::Check(
            show.GetCurrentLine() >= 0 &&
                (paragraphs.empty() || size_t(show.GetCurrentLine()) < paragraphs.size()),
            "current line inside the lyrics");
    }
    show.render(&paper);
    FuzzInput::Remove(QStringLiteral("input.lrc"));
    return 0;
}
