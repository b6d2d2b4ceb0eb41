#include "audio/AudioFileLoader.h"

#include "audio/AudioFileType.h"
#include "audio/IProgress.h"
#include "audio/RingFilePacker.h"
#include "audio/WmaToWavConverter.h"
#include "platform/ExternalTool.h"

#include <QFile>

namespace AudioFileLoader {

namespace {

const QString kUnsupported = QStringLiteral("不支持的文件类型！");
const QString kCannotOpen = QStringLiteral("打开文件失败！");
const QString kReadFailed = QStringLiteral("读取音频数据失败！");
const QString kCannotStart = QStringLiteral("创建转换进程失败!");

// Decodes source into the WAV target. Ogg goes through the external decoder,
// everything else through FFmpeg. A stale target never counts: it is removed
// first, and success needs the tool's status 0 and a new file.
bool Decode(int type, const QString& source, const QString& target, QStringList& messages)
{
    QFile::remove(target);
    if (type == kAudioOgg) {
        const ExternalTool::Result result =
            ExternalTool(QStringLiteral("oggdec"))
                .Run({source, QStringLiteral("-o"), target}, target);
        if (result == ExternalTool::Result::CannotStart)
            messages << kCannotStart;
        return result == ExternalTool::Result::Succeeded && QFile::exists(target);
    }
    WmaToWavConverter converter;
    return converter.Convert(source, target) == S_OK;
}

} // namespace

Result Load(const QString& source, const QString& workFolder, uint32_t startMs,
            IProgress* progress)
{
    Result result;
    const auto fail = [&](const QString& message) {
        if (progress)
            progress->StageDone();
        if (!message.isEmpty())
            result.messages << message;
        return std::move(result);
    };

    if (progress)
        progress->StageAnalyse();
    char info[kAudioFileInfoSize] = {};
    const AudioFileType type = IdentifyAudioFile(source, info);
    if (progress)
        progress->StageConvert();
    const QString decoded = workFolder + QStringLiteral("/~VAZOZEDU.wav");
    QString wavPath;
    switch (type) {
    case kAudioWave:
        wavPath = source;
        break;
    case kAudioRingContainer: {
        const QString payload = workFolder + QStringLiteral("/~VAZOZEDU.TMP");
        QFile::remove(payload);
        if (!CRingFilePacker::UnpackRingFile(source, payload))
            return fail(kReadFailed);
        char inner[kAudioFileInfoSize] = {};
        const AudioFileType innerType = IdentifyAudioFile(payload, inner);
        if (innerType == kAudioWave) {
            wavPath = payload;
        } else {
            if (!Decode(innerType, payload, decoded, result.messages))
                return fail(kReadFailed);
            wavPath = decoded;
        }
        break;
    }
    case kAudioWindowsMedia:
    case kAudioMp3:
    case kAudioOgg:
        if (!Decode(type, source, decoded, result.messages))
            return fail(kReadFailed);
        wavPath = decoded;
        break;
    case kAudioMp3Unreadable:
        return fail(kCannotOpen);
    default:
        return fail(kUnsupported);
    }

    if (progress)
        progress->StageLoad();
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetStart(startMs);
    if (!clip->ReadWaveFile(wavPath, nullptr)) {
        // A WAV the reader's rules refuse (24-bit, float, extensible) still
        // opens when FFmpeg decodes it: to 16-bit PCM, which the reader takes.
        if (wavPath == decoded || !Decode(kAudioWave, wavPath, decoded, result.messages) ||
            !clip->ReadWaveFile(decoded, nullptr))
            return fail(kReadFailed);
    }
    result.clip = std::move(clip);
    if (progress)
        progress->StageDone();
    return result;
}

} // namespace AudioFileLoader
