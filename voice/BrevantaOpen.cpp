#include "audio/IAudioPlayer.h"
#include "audio/IProgress.h"
#include "audio/WmaToWavConverter.h"
#include "platform/ExternalTool.h"
#include "platform/IMessageSink.h"
#include "platform/TextCoding.h"
#include "platform/WorkingFolder.h"
#include "voice/Brevanta.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QMetaObject>

#include <cstring>

namespace {

const QString kWorkingWave = QStringLiteral("~VAZOZEDU.wav");

QString InfoText(const char (&info)[kAudioFileInfoSize], size_t offset)
{
    return GbkToQString(QByteArrayView(info + offset, strnlen(info + offset, 128)));
}

// Music whose samples pass the editor's memory budget: says so, with the
// longest music of that format the editor holds.
QString TooLongText(const WaveFormat& format)
{
    const uint64_t minutes =
        format.avgBytesPerSec == 0 ? 0 : WaveData::kMaxSampleBytes / format.avgBytesPerSec / 60;
    return QStringLiteral("音乐太长，编辑器无法打开！这种格式的音乐最长约%1分钟。").arg(minutes);
}

} // namespace

// What the worker hands back to the GUI thread.
struct CBrevanta::OpenResult
{
    std::unique_ptr<WaveData> music; // null on failure
    QString message;                 // for the user on failure
    QString title;
    QString artist;
};

void CBrevanta::OpenFileAsync(const QString& path)
{
    // The flag is claimed here, before the worker exists, so two quick
    // requests can never both start.
    if (m_ringJob.load())
        return;
    bool idle = false;
    if (m_busy && !m_busy->compare_exchange_strong(idle, true))
        return;
    if (m_worker.joinable())
        m_worker.join();
    if (m_playing)
        Stop();
    m_musicPath = path;
    if (m_progress) {
        m_progress->SetCeiling(100);
        m_progress->Show();
    }
    m_worker = std::thread(&CBrevanta::OpenFileWorker, this, path);
}

void CBrevanta::OpenFileWorker(const QString& path)
{
    auto result = std::make_shared<OpenResult>();
    if (m_progress)
        m_progress->StageAnalyse();
    char info[kAudioFileInfoSize] = {};
    const SniffedAudioType type = SniffAudioFile(path, info);
    if (m_progress)
        m_progress->StageConvert();

    QString wave;
    switch (type) {
    case kSniffCannotOpen:
        result->message = QStringLiteral("打开文件失败！");
        break;
    case kSniffWave:
        wave = path;
        break;
    case kSniffWindowsMedia:
    case kSniffMp3:
    case kSniffRing:
    case kSniffOgg: {
        const QString target = WorkingFolder::FilePath(kWorkingWave);
        if (target.isEmpty()) {
            result->message = QStringLiteral("读取音频数据失败！");
        } else if (type == kSniffOgg) {
            const ExternalTool::Result ran =
                ExternalTool(QStringLiteral("oggdec")).Run({path, "-o", target}, target);
            if (ran == ExternalTool::Result::CannotStart)
                result->message = QStringLiteral("创建转换进程失败!");
            else if (ran != ExternalTool::Result::Succeeded)
                result->message = QStringLiteral("读取音频数据失败！");
            else
                wave = target;
        } else {
            WmaToWavConverter converter;
            // Decoding stops once the music could no longer be held.
            const HRESULT converted = converter.Convert(path, target, WaveData::kMaxSampleBytes);
            if (converted == WmaToWavConverter::kTooLong)
                result->message = TooLongText(converter.GetPcmFormat());
            else if (converted < 0)
                result->message = QStringLiteral("读取音频数据失败！");
            else
                wave = target;
        }
        if (!wave.isEmpty()) {
            result->title = InfoText(info, kAudioInfoTitle);
            result->artist = InfoText(info, kAudioInfoArtist);
        }
        break;
    }
    default:
        result->message = QStringLiteral("不支持的文件类型！");
        break;
    }

    if (!wave.isEmpty()) {
        if (m_progress)
            m_progress->StageLoad();
        // Read into a track of its own: the shown music stays until this one
        // is known to be good.
        auto music = std::make_unique<WaveData>();
        std::optional<WaveFormat> tooLong;
        if (music->ReadWaveFile(wave, nullptr, &tooLong) == 1 && music->HasData())
            result->music = std::move(music);
        else if (tooLong)
            result->message = TooLongText(*tooLong);
        else
            result->message = QStringLiteral("读取音频数据失败！");
    }
    QMetaObject::invokeMethod(
        this, [this, result] { TakeOpenResult(result); }, Qt::QueuedConnection);
}

void CBrevanta::TakeOpenResult(const std::shared_ptr<OpenResult>& result)
{
    if (m_worker.joinable())
        m_worker.join();
    if (result->music) {
        m_songTitle = result->title;
        m_songArtist = result->artist;
        SetMusic(std::move(result->music));
    }
    if (m_progress)
        m_progress->StageDone();
    if (m_busy)
        m_busy->store(false);
    if (!result->message.isEmpty() && m_messages)
        m_messages->ShowMessage(result->message);
}

bool CBrevanta::SetMusic(std::unique_ptr<WaveData> music)
{
    if (!music || m_ringJob.load())
        return false;
    // Once stopped no player reads the old samples, and no recording keeps
    // the room the old music gave it.
    Stop();
    m_music.SetFormat(music->GetFormat());
    m_music.SetBuffer(music->TakeBuffer());
    m_musicLength = m_music.GetLengthMs();
    update();
    emit MUSIC_LOADED();
    return true;
}

void CBrevanta::WaitForOpen()
{
    // Sleeps between events: the worker's result arrives as one, and a busy
    // wait would take a core from the worker it waits for.
    while (m_worker.joinable())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
