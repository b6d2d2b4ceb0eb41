#include "publish/RingJobRunner.h"

#include "audio/WmaToWavConverter.h"
#include "platform/FileReplace.h"
#include "publish/IRingMaker.h"
#include "publish/RingJob.h"
#include "publish/RingPublisher.h"

#include <QFile>

namespace {

const QString kReadFailed = QStringLiteral("读取音频数据失败！");
const QString kRingFormatFailed = QStringLiteral("生成铃音格式文件时失败");
const QString kNoRingData = QStringLiteral("没有铃音数据！");
const QString kAnalyse = QStringLiteral("分析铃音数据...");

} // namespace

CRingJobRunner::CRingJobRunner(CRingPublisher& publisher, Wording wording, Files files)
    : m_publisher(publisher), m_wording(std::move(wording)), m_files(std::move(files))
{
}

CRingJobRunner::Outcome CRingJobRunner::Run(const CRingJob& job, IRingMaker& maker) const
{
    Outcome outcome;
    bool upload = false;
    QString written; // a library ring under its temporary name, not yet in place
    const auto tell = [this](const QString& text) { m_publisher.TellFromWorker(text); };

    // Makes the ring the ring format and writes it as the VOX file.
    const auto writeVox = [&] {
        maker.Step(QStringLiteral("正在转换铃音格式..."), 60, 85);
        if (!maker.ConvertToRingFormat()) {
            tell(kRingFormatFailed);
            return false;
        }
        maker.Step(QStringLiteral("正在生成铃音文件..."), 85, 100);
        if (!maker.WriteVox(m_files.vox)) {
            tell(m_wording.voxWriteFailed);
            return false;
        }
        return true;
    };

    [&] {
        if (m_files.vox.isEmpty() || !FileReplace::RemoveStale(m_files.vox) ||
            !FileReplace::RemoveStale(m_files.decoded) ||
            !FileReplace::RemoveStale(m_files.ring)) {
            tell(CRingPublisher::kRingWriteFailed);
            return;
        }
        if (job.m_mode == CRingJob::UploadFile) {
            maker.Step(kAnalyse, -1, 40);
            if (WmaToWavConverter().Convert(job.m_path, m_files.decoded) != S_OK ||
                !maker.ReadRing(m_files.decoded)) {
                tell(kReadFailed);
                return;
            }
            const QString outOfRange = CRingPublisher::RingFileLengthProblem(maker.RingLengthMs());
            if (!outOfRange.isEmpty()) {
                tell(outOfRange);
                return;
            }
            upload = writeVox();
            return;
        }

        const bool save = job.m_mode == CRingJob::SaveToLibrary;
        if (save)
            maker.Step(m_wording.saveBuildStep, -1, m_wording.saveBuildTo);
        else
            maker.Step(kAnalyse, -1, 40);
        if (!maker.BuildRing()) {
            tell(kNoRingData);
            return;
        }
        if (save)
            maker.Step(m_wording.saveWriteStep, m_wording.saveWriteFrom, m_wording.saveWriteTo);
        else
            maker.Step(QStringLiteral("生成试听文件..."), 40, 60);
        written = job.m_addToLibrary ? FileReplace::TemporaryBeside(job.m_path) : job.m_path;
        if (written.isEmpty() || !maker.WriteRingFile(written)) {
            tell(CRingPublisher::kRingWriteFailed);
            return;
        }
        if (!save && !writeVox())
            return;
        if (job.m_addToLibrary) {
            if (!FileReplace::RenameOver(written, job.m_path)) {
                tell(CRingPublisher::kRingWriteFailed);
                return;
            }
            written.clear();
            outcome.kept = true;
            if (!job.m_replacedExisting) {
                const QString name = job.m_name;
                m_publisher.RunOnGui([&maker, name] { maker.AddToList(name); });
            }
        }
        upload = !save;
    }();

    if (job.m_addToLibrary && !written.isEmpty())
        QFile::remove(written);
    maker.FinishProgress();
    if (upload && !m_publisher.IsClosing())
        outcome.uploaded =
            m_publisher.UploadRing(job.m_name, job.m_path, m_files.vox, job.m_share != 0);
    return outcome;
}
