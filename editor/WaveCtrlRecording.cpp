// Recording into a new track while the other tracks play: the sound input
// feeds a CWaveRecorder, whose worker reports each stored buffer; the GUI
// thread turns those reports into notices and, at the stop, reads the file
// into the clip.
#include "editor/WaveCtrl.h"

#include "audio/EditHistory.h"
#include "audio/RecordEdit.h"
#include "audio/WaveRecorder.h"
#include "platform/AudioCapture.h"
#include "platform/IMessageSink.h"
#include "platform/WorkingFolder.h"

const char* const CWaveCtrl::kRecordFileName = "~TMPREC.WAV";

namespace {

const QString kWriteFailedMessage = QStringLiteral("写入录音文件失败，录音已停止！");

} // namespace

int CWaveCtrl::StartRecording()
{
    // A recording adds a track, which must wait while a worker reads them.
    if (IsBusy())
        return 0;
    if (m_playing)
        StopPlayback();

    auto recorder = std::make_unique<CWaveRecorder>(
        m_captureFactory ? m_captureFactory() : std::make_unique<AudioCapture>());
    const QString path = WorkingFolder::FilePath(QString::fromLatin1(kRecordFileName));
    if (path.isEmpty() || !recorder->Open(kProjectFormat, path))
        return 0;

    CAudioTrack* track = AddNewTrack();
    if (m_history) {
        auto record = std::make_unique<CRecordEdit>(track);
        record->SetOwner(this);
        m_history->Add(std::move(record));
    }
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetRecordedClip(true);
    clip->SetRecording(true);
    clip->SetFormat(kProjectFormat);
    CWaveDoc* raw = clip.get();
    track->AddClip(std::move(clip));
    m_recordingClip = raw;
    m_recording = true;
    raw->SetStart(m_editCursor);
    m_recordPath = path;
    m_recorder = std::move(recorder);

    // The worker only posts; everything it reports happens on this thread.
    // Posts to this window are dropped with it, and it outlives the worker.
    const uint32_t serial = ++m_recordingSerial;
    CWaveRecorder::Notices notices;
    notices.bufferDone = [this] {
        QMetaObject::invokeMethod(
            this, [this] { emit recordBufferDone(); }, Qt::QueuedConnection);
    };
    notices.stopNeeded = [this, serial] {
        QMetaObject::invokeMethod(
            this,
            [this, serial] {
                if (m_recording && serial == m_recordingSerial)
                    StopPlayback();
            },
            Qt::QueuedConnection);
    };
    m_recorder->Start(raw, std::move(notices));
    Play();
    return 1;
}

void CWaveCtrl::StopRecording()
{
    if (m_recording && EndRecording(true))
        ReportRecordWriteFailure();
}

bool CWaveCtrl::EndRecording(bool readClip)
{
    m_recording = false;
    emit recordingStopped();
    const CWaveRecorder::Result result =
        m_recorder ? m_recorder->Stop() : CWaveRecorder::Result::Stored;
    m_recorder.reset();
    if (m_recordingClip) {
        if (readClip)
            m_recordingClip->ReadWaveFile(m_recordPath, m_messages);
        m_recordingClip->SetRecording(false);
    }
    m_recordingClip = nullptr;
    Invalidate();
    return result == CWaveRecorder::Result::WriteFailed;
}

void CWaveCtrl::ReportRecordWriteFailure()
{
    if (m_messages)
        m_messages->ShowMessage(kWriteFailedMessage);
}
