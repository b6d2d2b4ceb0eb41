#include "audio/AudioSaver.h"

#include "audio/DataFolders.h"
#include "audio/IProgress.h"
#include "audio/Id3TagInfo.h"
#include "audio/MP3Info.h"
#include "platform/ExternalTool.h"

#include <QFile>
#include <QSaveFile>

namespace AudioSaver {

namespace {

const QString kSaveFailed = QStringLiteral("保存文件失败！");
const QString kMp3Failed = QStringLiteral("转换MP3时失败！");
const QString kCannotStart = QStringLiteral("创建转换进程失败!");
const QString kTagFailed = QStringLiteral("写入MP3标签失败！");

// Copies a finished file over the user's one through a temporary name, so a
// failure leaves the old file as it was.
bool Publish(const QString& from, const QString& to)
{
    QFile source(from);
    QSaveFile target(to);
    if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::WriteOnly))
        return false;
    char buffer[1 << 16];
    for (;;) {
        const qint64 got = source.read(buffer, sizeof buffer);
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (target.write(buffer, got) != got)
            return false;
    }
    return target.commit();
}

bool WriteTags(const QString& path, const SaveOptions& options)
{
    Id3TagInfo tag;
    if (!tag.Read(path))
        return false;
    tag.SetArtist(options.artist);
    tag.SetAlbum(options.album);
    tag.SetTitle(options.title);
    tag.SetComment(options.comment);
    tag.SetCopyright(options.copyright);
    tag.SetGenre(options.genre);
    tag.SetYear(options.year);
    return tag.Update() != 0;
}

} // namespace

QString OutputPath(const SaveOptions& options)
{
    const QString wanted = options.saveType == SaveOptions::kMp3 ? QStringLiteral(".mp3")
                                                                 : QStringLiteral(".wav");
    const QString path = options.outputPath;
    return GetPathExtension(path).toLower() == wanted ? path : path + wanted;
}

Result Save(const CWaveDoc& mix, const SaveOptions& options, const QString& workFolder,
            IProgress* progress)
{
    Result result;
    result.path = OutputPath(options);
    const auto done = [&]() {
        if (progress)
            progress->StageDone();
        return std::move(result);
    };

    if (options.saveType != SaveOptions::kMp3) {
        std::unique_ptr<CWaveDoc> ring;
        const CWaveDoc* out = &mix;
        if (options.saveType == SaveOptions::kRingWav) {
            ring = mix.ConvertFormat(kRingFormat);
            if (!ring) {
                result.messages << kSaveFailed;
                return done();
            }
            out = ring.get();
        }
        if (progress)
            progress->StageSave();
        result.saved = out->WriteWaveFile(result.path) == 1;
        if (!result.saved)
            result.messages << kSaveFailed;
        return done();
    }

    if (progress)
        progress->StageSave();
    const QString temp = workFolder + QStringLiteral("/~Temp.wav");
    const QString encoded = workFolder + QStringLiteral("/~Temp.mp3");
    if (!mix.WriteWaveFile(temp)) {
        result.messages << kSaveFailed;
        return done();
    }
    QStringList args = options.encoderOptions.split(u' ', Qt::SkipEmptyParts);
    args << temp << encoded;
    const ExternalTool::Result run = ExternalTool(QStringLiteral("lame")).Run(args, encoded);
    CMP3Info check;
    if (run == ExternalTool::Result::CannotStart)
        result.messages << kCannotStart;
    if (run != ExternalTool::Result::Succeeded || !check.Open(encoded) ||
        check.GetFrameCount() <= 0) {
        result.messages << kMp3Failed;
        return done();
    }
    if (options.writeTag && !WriteTags(encoded, options))
        result.messages << kTagFailed;
    result.saved = Publish(encoded, result.path);
    if (!result.saved)
        result.messages << kSaveFailed;
    QFile::remove(encoded);
    return done();
}

} // namespace AudioSaver
