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

// Runs the external Ogg decoder into the WAV target. A stale target never
// counts: it is removed first, and success needs the tool's status 0 and a
// new file.
bool DecodeOgg(const QString& source, const QString& target, QStringList& messages)
{
    QFile::remove(target);
    const ExternalTool::Result result =
        ExternalTool(QStringLiteral("oggdec")).Run({source, QStringLiteral("-o"), target}, target);
    if (result == ExternalTool::Result::CannotStart)
        messages << kCannotStart;
    return result == ExternalTool::Result::Succeeded && QFile::exists(target);
}

// Decodes source through FFmpeg straight into the clip's store; the clip
// takes samples only when the whole stream decoded.
bool DecodeToClip(const QString& source, CWaveDoc& clip)
{
    WmaToWavConverter converter;
    return converter.ConvertToClip(source, clip) == S_OK;
}

// Reads a WAV file; one the reader's rules refuse (24-bit, float,
// extensible) still opens when FFmpeg decodes it, to 16-bit PCM. One that
// holds no samples (a format without a data chunk) gets the same chance;
// noSamples (may be null) then says so.
bool ReadWave(const QString& path, CWaveDoc& clip, bool* noSamples = nullptr)
{
    if (clip.ReadWaveFile(path, nullptr)) {
        if (clip.GetDataSize() > 0)
            return true;
        if (noSamples)
            *noSamples = true;
    }
    return DecodeToClip(path, clip);
}

// Opens a decoded or unpacked file of the given type into the clip.
bool Open(int type, const QString& path, const QString& decoded, CWaveDoc& clip,
          QStringList& messages)
{
    if (type == kAudioWave)
        return ReadWave(path, clip);
    if (type == kAudioOgg)
        return DecodeOgg(path, decoded, messages) && clip.TakeWaveFile(decoded);
    return DecodeToClip(path, clip);
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
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetStart(startMs);
    switch (type) {
    case kAudioWave: {
        if (progress)
            progress->StageLoad();
        bool noSamples = false;
        if (!ReadWave(source, *clip, &noSamples))
            // A WAV without samples is refused, never opened as an empty clip.
            return fail(noSamples ? kUnsupported : kReadFailed);
        break;
    }
    case kAudioRingContainer: {
        const QString payload = workFolder + QStringLiteral("/~VAZOZEDU.TMP");
        QFile::remove(payload);
        if (!CRingFilePacker::UnpackRingFile(source, payload))
            return fail(kReadFailed);
        char inner[kAudioFileInfoSize] = {};
        const AudioFileType innerType = IdentifyAudioFile(payload, inner);
        if (!Open(innerType, payload, decoded, *clip, result.messages))
            return fail(kReadFailed);
        break;
    }
    case kAudioWindowsMedia:
    case kAudioMp3:
    case kAudioOgg:
        if (!Open(type, source, decoded, *clip, result.messages))
            return fail(kReadFailed);
        break;
    case kAudioMp3Unreadable:
        return fail(kCannotOpen);
    default:
        return fail(kUnsupported);
    }
    if (progress && type != kAudioWave)
        progress->StageLoad();
    result.clip = std::move(clip);
    if (progress)
        progress->StageDone();
    return result;
}

} // namespace AudioFileLoader
