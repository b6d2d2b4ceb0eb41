// The ring road through the frame as the program builds it, against the
// stand-in service: the dialogs are answered by an injected runner, the
// uploaded parts are checked with ffprobe and sox, and the service's log
// shows what reached it.
#include "audio/IProgress.h"
#include "audio/RingFiles.h"
#include "audio/WmaFormatList.h"
#include "audio/WmaWriter.h"
#include "editor/BrevantaApp.h"
#include "editor/MainFrame.h"
#include "editor/ResourceView.h"
#include "editor/WaveCtrl.h"
#include "platform/WebEngineSwitches.h"
#include "platform/WorkingFolder.h"
#include "publish/BrowserDlg.h"
#include "publish/RingHtmlView.h"
#include "publish/ListMyRing.h"
#include "publish/LoginDialog.h"
#include "publish/MonthOrderDialog.h"
#include "publish/RingContentDialog.h"
#include "publish/RingJobGlobals.h"
#include "publish/RingUploadDialog.h"
#include "publish/ServiceProtocol.h"
#include "publish/SimpleProgress.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/LengthRing.h"
#include "tests/support/DecodedSamples.h"
#include "tests/support/QuietProgress.h"
#include "tests/support/ScriptedQuestions.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <QTest>
#include <QWebEnginePage>

#include <gtest/gtest.h>

#include <cmath>
#include <condition_variable>
#include <functional>
#include <iostream>
#include <mutex>

#include <csignal>
#include <sys/types.h>
#include <unistd.h>
#include <optional>
#include <utility>
#include <vector>

namespace {

using Command = CMainFrame::Command;

const QString kRangeMessage =
    QStringLiteral("彩铃的长度必须控制在 5 - 55秒之内，请重新选择铃音范围。");
const QString kDone = QStringLiteral("彩铃上传成功！");
const QString kUploadFailed = QString::fromUtf8(ServiceText::kUploadFailed);

// The whole screen as NAME.png in ZUVO_SCREENSHOT_DIR when that is set (under
// a real X server: the frame and its windows together).
void KeepScreen(const QString& name)
{
    if (!qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
        return;
    QTest::qWait(500);
    QGuiApplication::primaryScreen()->grabWindow(0).save(
        qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") + u'/' + name + ".png");
}

using TestEnvironment::RunTool;

struct Probe
{
    QString format;
    QString codec;
    double duration = -1; // s, decoded
    int rate = 0;
};

// How far a ring file's decoded length may pass the selection's: the silence
// that fills its last codec frame (2048 samples).
double OneCodecFrame(const Probe& ring)
{
    return ring.rate > 0 ? 2048.0 / ring.rate : 0;
}

Probe ProbeRing(const QString& path)
{
    QByteArray out;
    Probe probe;
    if (!RunTool("ffprobe",
                 {"-v", "error", "-show_entries",
                  "format=format_name:stream=codec_name,sample_rate", "-of", "json", path},
                 &out))
        return probe;
    const QJsonObject root = QJsonDocument::fromJson(out).object();
    probe.format = root["format"].toObject()["format_name"].toString();
    const QJsonObject stream = root["streams"].toArray().at(0).toObject();
    probe.codec = stream["codec_name"].toString();
    probe.rate = stream["sample_rate"].toString().toInt();
    // What a player hears, not the container's figure (which also counts the
    // frame the decoder leaves out).
    if (probe.rate > 0)
        probe.duration = double(DecodedSamples(path)) / probe.rate;
    return probe;
}

// A ring file of frames samples of a tone at rate, made by our ring-file
// writer in its listed format of that rate, as a library ring.
bool WriteOurRing(const QString& path, uint32_t rate, qint64 frames)
{
    CWmaFormatList formats;
    formats.Build(CWmaWriter::OfferedFormats());
    std::vector<int16_t> pcm(static_cast<size_t>(frames));
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440.0 * double(i) / rate));
    return RingFiles::WriteRingFile(
               path, MakePcmFormat(1, rate, 16), reinterpret_cast<const uint8_t*>(pcm.data()),
               static_cast<uint32_t>(2 * pcm.size()), formats.FindByRate(rate)) == S_OK;
}

// A ring file of the given length made by ffmpeg, as a library ring.
bool MakeRing(const QString& path, int seconds)
{
    return RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                              QStringLiteral("sine=frequency=440:duration=%1").arg(seconds), "-ac",
                              "1", "-c:a", "wmav2", "-f", "asf", path});
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a player hears of a ring: the md5 of its decoded samples and its
// mean level (ffmpeg's volumedetect, dB).
struct Heard
{
    QByteArray md5;
    double meanDb = 0;
};

Heard Hear(const QString& path)
{
    Heard heard;
    QByteArray pcm;
    if (!RunTool("ffmpeg", {"-v", "error", "-i", path, "-f", "s16le", "-"}, &pcm) || pcm.isEmpty())
        return heard;
    heard.md5 = QCryptographicHash::hash(pcm, QCryptographicHash::Md5).toHex();
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start("ffmpeg", {"-hide_banner", "-i", path, "-af", "volumedetect", "-f", "null", "-"});
    ffmpeg.waitForFinished(60000);
    static const QRegularExpression mean("mean_volume: (-?[0-9.]+) dB");
    const QRegularExpressionMatch match = mean.match(QString::fromUtf8(ffmpeg.readAll()));
    heard.meanDb = match.hasMatch() ? match.captured(1).toDouble() : 0;
    return heard;
}

// The ring worker's steps as it reports them. At the step named by fillAt the
// disk fills up (the process's file size limit drops under every file the
// job makes from then on) until Refill.
struct RingSteps : QuietProgress
{
    void StageDone() override
    {
        std::lock_guard<std::mutex> lock(mutex);
        completed = true;
    }
    void SetText(const QString& text) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (text.isEmpty())
            return;
        texts << text;
        if (text == fillAt)
            full.emplace(16 * 1024);
    }
    // Back to an empty disk and a fresh record; fills up at step next time.
    void Refill(const QString& step = QString())
    {
        std::lock_guard<std::mutex> lock(mutex);
        full.reset();
        fillAt = step;
        texts.clear();
        completed = false;
    }

    std::mutex mutex;
    QString fillAt;
    std::optional<FileSizeLimit> full;
    QStringList texts;
    bool completed = false;
};

// Holds the ring worker at the step it reports as at, until LetGo.
struct HeldAtStep : QuietProgress
{
    explicit HeldAtStep(QString step) : at(std::move(step)) {}
    void SetText(const QString& text) override
    {
        if (text != at)
            return;
        std::unique_lock<std::mutex> lock(mutex);
        held = true;
        released.wait(lock, [this] { return letGo; });
    }
    bool IsHeld()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return held;
    }
    void LetGo()
    {
        std::lock_guard<std::mutex> lock(mutex);
        letGo = true;
        released.notify_all();
    }

    const QString at;
    std::mutex mutex;
    std::condition_variable released;
    bool held = false;
    bool letGo = false;
};

struct FrameRing : testing::Test
{
    FrameRing()
    {
        QDir().mkpath(TestEnvironment::DataHome() + "/VazoZedu/MyRing");
        frame.SetMessageSink(&sink);
        ctrl->SetMessageSink(&sink);
        frame.SetQuestionBox(&questions);
        frame.SetUrlOpener(&urls);
        frame.SetDialogRunner([this](QDialog& dialog) { return Answer(dialog); });
        frame.ResourceView()->LoadRingLibrary();
        frame.resize(1000, 700);
        frame.show();
        // Ten seconds selected out of twelve.
        ctrl->AddNewTrack()->AddClip(IndexedClip(44100 * 12));
        ctrl->RebuildPlayList();
        ctrl->SetSelection(1000, 11000);
        frame.UpdateCommands();
    }
    ~FrameRing() override { frame.WaitForRingJob(); }

    bool Answer(QDialog& dialog)
    {
        dialogs << QString::fromLatin1(dialog.metaObject()->className());
        if (auto* login = qobject_cast<CLoginDialog*>(&dialog))
            return LogIn(*login);
        if (auto* offer = qobject_cast<CMonthOrderDialog*>(&dialog)) {
            // Pay per ring, asked again next time: goes on without an answer.
            offer->show();
            offer->findChild<QRadioButton*>("perUseRadio")->setChecked(true);
            offer->accept();
            return offer->result() == QDialog::Accepted;
        }
        if (auto* named = qobject_cast<CRingContentSaveToDialog*>(&dialog)) {
            if (duringNameDialog)
                std::exchange(duringNameDialog, nullptr)();
            shownName = named->NameEdit()->text();
            named->NameEdit()->setText(ringName);
            if (auto* upload = qobject_cast<CRingContentDialog*>(&dialog)) {
                if (!dialogShot.isEmpty()) {
                    upload->show();
                    KeepScreen(std::exchange(dialogShot, QString()));
                }
                upload->AddToLibraryBox()->setChecked(addToLibrary);
            }
            named->accept();
            return named->result() == QDialog::Accepted;
        }
        return false;
    }
    // Types number and the code the stand-in issued, as the user would.
    bool LogIn(CLoginDialog& login)
    {
        if (cancelLogin)
            return false;
        const bool ok = LogInThroughDialog(login, service, QStringLiteral("13800138000"));
        sink.messages.removeAll(QString::fromUtf8(ServiceText::kValCodeSent));
        return ok;
    }
    QString RingPath(const QString& name) const
    {
        return TestEnvironment::DataHome() + "/VazoZedu/MyRing/" + name + ".kox";
    }
    QList<QJsonObject> Uploads() const
    {
        return service.RequestsTo("/zuvo/person/add_ringLibZuvo.me");
    }
    // The saved file of the last upload's part ("upload" or "vox").
    QString SavedPart(const QString& part) const
    {
        return service.SavedPart("/zuvo/person/add_ringLibZuvo.me", part);
    }
    bool Run(void (CMainFrame::*command)())
    {
        (frame.*command)();
        frame.WaitForRingJob();
        return !frame.IsRingJobRunning() && !ctrl->IsBusy();
    }
    void ReplyToUploads(const QJsonObject& rule)
    {
        QJsonObject upload = rule;
        upload["path"] = "person/add_ringLibZuvo.me";
        ASSERT_TRUE(service.Script(QJsonArray{upload}));
    }
    CListMyRing* List() const { return frame.ResourceView()->RingList(); }

    RingServiceFixture service;
    ScopedServiceHost host{service.HostPort()};
    RecordingMessageSink sink;
    RecordingUrlOpener urls;
    ScriptedQuestions questions;
    CMainFrame frame;
    CWaveCtrl* ctrl = frame.WaveCtrl();
    QStringList dialogs;
    QString ringName = QStringLiteral("我的 铃声");
    QString shownName;
    bool addToLibrary = false;
    bool cancelLogin = false;
    std::function<void()> duringNameDialog; // once, while the name dialog is up
    QString dialogShot;                     // the screenshot the next upload dialog is kept as
};

TEST_F(FrameRing, SelectionMustBeFiveToFiftyFiveSeconds)
{
    ctrl->GetTrack(0)->AddClip(IndexedClip(44100 * 60, nullptr, 12000));
    const struct
    {
        uint32_t start, end;
        QString message; // empty: accepted
    } cases[] = {
        {3000, 3000, QStringLiteral("请用鼠标选择一段需要作为彩铃的音乐。")},
        {0, 4999, kRangeMessage},
        {0, 5000, QString()},
        {0, 55000, QString()},
        {0, 55001, kRangeMessage},
    };
    for (const auto& c : cases) {
        sink.messages.clear();
        ctrl->SetSelection(c.start, c.end);
        EXPECT_EQ(frame.CheckRingSelection(), c.message.isEmpty()) << c.end - c.start;
        EXPECT_EQ(sink.messages, c.message.isEmpty() ? QStringList() : QStringList{c.message});
    }
    // A refused selection opens no dialog.
    ctrl->SetSelection(0, 4999);
    frame.OnRingUpload();
    frame.OnSaveAsRing();
    EXPECT_TRUE(dialogs.isEmpty());
}

TEST_F(FrameRing, UploadsTheSelectionWithoutKeepingIt)
{
    ASSERT_TRUE(service.IsRunning()) << service.StartError().toStdString();
    auto* upload = frame.UploadProgress();
    int shown = 0;
    struct ShowCounter : QObject
    {
        int* count;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Show)
                ++*count;
            return false;
        }
    } counter;
    counter.count = &shown;
    upload->installEventFilter(&counter);

    ASSERT_TRUE(Run(&CMainFrame::OnRingUpload));
    EXPECT_EQ(sink.messages, QStringList{kDone});
    EXPECT_EQ(dialogs, (QStringList{"CRingContentDialog", "CLoginDialog", "CMonthOrderDialog"}));
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(upload->isVisible());
    EXPECT_EQ(upload->Text(), QStringLiteral("请稍候，程序正在上传彩铃..."));

    const QJsonObject request = service.LastRequest("/zuvo/person/add_ringLibZuvo.me");
    ASSERT_EQ(request["status"].toInt(), 200);
    const QByteArray utf8 = ringName.toUtf8();
    QMap<QString, QJsonObject> parts;
    for (const QJsonValue& part : request["parts"].toArray())
        parts[part["name"].toString()] = part.toObject();
    EXPECT_EQ(parts["ringLibZuvo.name"]["value"].toString().toLatin1(), utf8);
    EXPECT_EQ(parts["ringLibZuvo.intro"]["value"].toString().toLatin1(), utf8);
    EXPECT_EQ(parts["ringLibZuvo.isshare"]["value"].toString(), "true");
    EXPECT_EQ(parts["upload"]["filename"].toString(), "~URING.kox");
    EXPECT_EQ(parts["vox"]["filename"].toString(), "~URING.vox");

    const Probe ring = ProbeRing(SavedPart("upload"));
    EXPECT_EQ(ring.format, "asf");
    EXPECT_EQ(ring.codec, "wmav2");
    EXPECT_NEAR(ring.duration, 10.0, OneCodecFrame(ring)) << ring.rate;
    const QString vox = SavedPart("vox");
    EXPECT_NEAR(QFileInfo(vox).size(), 40000, 1);
    EXPECT_TRUE(RunTool("sox", {"-t", "vox", "-r", "8000", vox, "-n", "stat"}));
    EXPECT_EQ(List()->count(), 0);
    EXPECT_FALSE(QFileInfo::exists(RingPath(ringName)));

    // Logged in once for the life of the frame.
    dialogs.clear();
    sink.messages.clear();
    ASSERT_TRUE(Run(&CMainFrame::OnRingUpload));
    EXPECT_FALSE(dialogs.contains("CLoginDialog"));
    EXPECT_EQ(sink.messages, QStringList{kDone});
}

TEST_F(FrameRing, UploadKeptInTheLibraryReplacesTheOldRing)
{
    const QString path = RingPath(ringName);
    ASSERT_TRUE(MakeRing(path, 20));
    frame.ResourceView()->LoadRingLibrary();
    ASSERT_EQ(List()->count(), 1);
    addToLibrary = true;
    questions.okAnswers = {true};

    ASSERT_TRUE(Run(&CMainFrame::OnRingUpload));
    EXPECT_EQ(questions.asked,
              QStringList{QStringLiteral("『%1』已经存在，\r\n要替换它吗？").arg(ringName)});
    EXPECT_EQ(sink.messages, QStringList{kDone});
    const Probe kept = ProbeRing(path);
    EXPECT_NEAR(kept.duration, 10.0, OneCodecFrame(kept)) << kept.rate;
    EXPECT_EQ(List()->count(), 1);
    EXPECT_EQ(ReadAll(SavedPart("upload")), ReadAll(path));
    EXPECT_TRUE(QFileInfo(path).permissions().testFlag(QFileDevice::ReadOther))
        << "a library ring is as readable as the user's other files";
    // Only the ring is left in the library folder.
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    // Keeping the old ring ends the command.
    questions.okAnswers = {false};
    const int uploads = Uploads().size();
    ASSERT_TRUE(Run(&CMainFrame::OnRingUpload));
    EXPECT_EQ(Uploads().size(), uploads);
}

TEST_F(FrameRing, SaveAsRingStaysOffTheService)
{
    ASSERT_TRUE(Run(&CMainFrame::OnSaveAsRing));
    EXPECT_EQ(dialogs, QStringList{"CRingContentSaveToDialog"});
    EXPECT_TRUE(sink.messages.isEmpty()) << sink.messages.join('|').toStdString();
    EXPECT_TRUE(service.Log().isEmpty());
    const Probe ring = ProbeRing(RingPath(ringName));
    EXPECT_EQ(ring.codec, "wmav2");
    EXPECT_NEAR(ring.duration, 10.0, OneCodecFrame(ring)) << ring.rate;
    ASSERT_EQ(List()->count(), 1);
    EXPECT_EQ(List()->RingName(0), ringName);
}

TEST_F(FrameRing, UploadsALibraryRingOfTheRightLength)
{
    const QString wrongLength =
        QStringLiteral("彩铃的长度必须控制在 5 - 55秒之内，该铃音文件格式不正确。");
    const struct
    {
        int seconds; // 0: not a ring file at all; for our own rings only the name
        QString message;
        bool uploaded;
        uint32_t rate = 0; // set: made by our writer, frames samples long
        qint64 frames = 0;
    } cases[] = {
        {10, kDone, true},
        {60, wrongLength, false},
        {0, QStringLiteral("读取音频数据失败！"), false},
        // Our own rings of the shortest and longest selections at the lowest
        // rate, whose codec frame is the longest (64 ms); past them by more
        // than the silence of one frame, or short of 5 s, they are refused.
        {1, kDone, true, 8000, 40000},
        {2, kDone, true, 8000, 440000},
        {3, wrongLength, false, 44100, 2425500 + 2 * 2048},
        {4, wrongLength, false, 44100, 218000},
    };
    for (const auto& c : cases) {
        const QString path = RingPath(QStringLiteral("铃%1").arg(c.seconds));
        if (c.rate) {
            ASSERT_TRUE(WriteOurRing(path, c.rate, c.frames));
        } else if (c.seconds) {
            ASSERT_TRUE(MakeRing(path, c.seconds));
        } else {
            QFile garbage(path);
            ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
            garbage.write(QByteArray(5000, 'x'));
        }
        sink.messages.clear();
        dialogs.clear();
        ringName = QStringLiteral("上传的铃");
        const int uploads = Uploads().size();
        frame.UploadRingFile(QStringLiteral("铃%1").arg(c.seconds), path);
        frame.WaitForRingJob();
        EXPECT_EQ(sink.messages, QStringList{c.message}) << c.seconds;
        EXPECT_EQ(shownName, QStringLiteral("铃%1").arg(c.seconds));
        EXPECT_EQ(Uploads().size(), uploads + (c.uploaded ? 1 : 0)) << c.seconds;
        EXPECT_FALSE(frame.IsRingJobRunning());
        if (!c.uploaded)
            continue;
        // The decoded ring went into the ring format (or stayed in it) as
        // reading it into a clip and converting that clip makes it: the VOX
        // file is the same.
        CWaveDoc read;
        ASSERT_EQ(read.ReadWaveFile(WorkingFolder::FilePath("~VAZOZEDU.wav"), nullptr), 1);
        std::unique_ptr<CWaveDoc> converted =
            read.GetFormat() == kRingFormat ? read.Clone() : read.ConvertFormat(kRingFormat);
        ASSERT_NE(converted, nullptr);
        const QString expected = TestEnvironment::Home() + "/expected.vox";
        ASSERT_TRUE(ctrl->WriteVoxFile(expected, converted.get()));
        EXPECT_EQ(ReadAll(SavedPart("vox")), ReadAll(expected)) << c.seconds;
    }
    // The upload carried the library file under its own name.
    const QJsonObject request = service.LastRequest("/zuvo/person/add_ringLibZuvo.me");
    EXPECT_EQ(ReadAll(SavedPart("upload")), ReadAll(RingPath("铃2")));
    EXPECT_TRUE(request["saved"].toArray().at(0).toString().contains(".kox"));
}

// Rings of about 55 s from the library at every rate the codec offers, each
// uploaded through the ring list's 上传 as the user would.
struct FrameLibraryRing : FrameRing, testing::WithParamInterface<int>
{
    void UploadFromList(const QString& name)
    {
        frame.ResourceView()->LoadRingLibrary();
        auto* tabs = frame.ResourceView()->findChild<QTabWidget*>();
        ASSERT_NE(tabs, nullptr);
        tabs->setCurrentIndex(tabs->count() - 1);
        QCoreApplication::processEvents();
        for (int row = 0; row < List()->count(); ++row) {
            if (List()->RingName(row) != name)
                continue;
            ASSERT_TRUE(
                List()->PrepareContextMenu(List()->visualItemRect(List()->item(row)).center()));
            List()->MenuAction(CListMyRing::Command::Upload)->trigger();
            frame.WaitForRingJob();
            return;
        }
        FAIL() << "no row " << name.toStdString();
    }
};

TEST_P(FrameLibraryRing, UploadsRingsOfUpToFiftyFiveSeconds)
{
    const QString wrongLength =
        QStringLiteral("彩铃的长度必须控制在 5 - 55秒之内，该铃音文件格式不正确。");
    const int rate = GetParam();
    const QList<LengthRing> rings =
        LengthRing::MakeAll(TestEnvironment::DataHome() + "/VazoZedu/MyRing", rate);
    ASSERT_EQ(rings.size(), 4);
    for (const LengthRing& ring : rings) {
        SCOPED_TRACE(ring.name.toStdString());
        std::cout << "[ ffprobe ] " << ring.Describe() << '\n';
        sink.messages.clear();
        ringName = ring.name;
        const int uploads = Uploads().size();
        UploadFromList(ring.name);
        EXPECT_EQ(shownName, ring.name);
        EXPECT_EQ(sink.messages, QStringList{ring.accepted ? kDone : wrongLength});
        ASSERT_EQ(Uploads().size(), uploads + (ring.accepted ? 1 : 0));
        if (!ring.accepted)
            continue;
        EXPECT_EQ(ReadAll(SavedPart("upload")), ReadAll(ring.path));
        // 4000 bytes a second of what ffprobe decodes, give or take the codec
        // frame one decoder leaves out (at most 2048 samples).
        EXPECT_NEAR(QFileInfo(SavedPart("vox")).size(), ring.decodedSamples * 4000.0 / rate,
                    2048.0 * 4000 / rate + 1);
    }
    PrintRequests(Uploads());
}

INSTANTIATE_TEST_SUITE_P(Rates, FrameLibraryRing,
                         testing::Values(8000, 11025, 16000, 22050, 44100));

TEST_F(FrameRing, RingsSavedFromTheShortestAndLongestSelectionsUploadAgain)
{
    ctrl->GetTrack(0)->AddClip(IndexedClip(44100 * 60, nullptr, 12000));
    for (const uint32_t length : {5000u, 55000u}) {
        SCOPED_TRACE(length);
        ringName = QStringLiteral("边界 %1").arg(length);
        ctrl->SetSelection(13000, 13000 + length);
        ASSERT_TRUE(Run(&CMainFrame::OnSaveAsRing));
        // The saved ring holds the whole selection, and at most the silence
        // of one codec frame (2048 samples at 44.1 kHz) more.
        const qint64 selected = qint64{length} * 441 / 10;
        const qint64 decoded = DecodedSamples(RingPath(ringName));
        std::cout << "[ ffprobe ] selection " << length << " ms: ring decodes to " << decoded
                  << " samples, " << double(decoded) / 44100 << " s\n";
        EXPECT_GE(decoded, selected);
        EXPECT_LT(decoded, selected + 2048);

        sink.messages.clear();
        const int uploads = Uploads().size();
        frame.UploadRingFile(ringName, RingPath(ringName));
        frame.WaitForRingJob();
        EXPECT_EQ(sink.messages, QStringList{kDone});
        ASSERT_EQ(Uploads().size(), uploads + 1);
        EXPECT_EQ(ReadAll(SavedPart("upload")), ReadAll(RingPath(ringName)));
    }
    PrintRequests(Uploads());
}

TEST_F(FrameRing, EveryUploadReplyIsShown)
{
    const struct
    {
        QJsonObject rule;
        QString message;
    } cases[] = {
        {QJsonObject{{"body", "OK"}}, kDone},
        {QJsonObject{{"body", "铃音名称重复"}}, QStringLiteral("铃音名称重复")},
        {QJsonObject{{"body", ""}}, QString()},
        {QJsonObject{{"status", 500}, {"body", "oops"}}, kUploadFailed},
        {QJsonObject{{"body", "OK and more"}, {"cut", true}}, kUploadFailed},
    };
    for (const auto& c : cases) {
        ReplyToUploads(c.rule);
        sink.messages.clear();
        ASSERT_TRUE(Run(&CMainFrame::OnRingUpload));
        // The empty reply too is shown: one box for every upload.
        EXPECT_EQ(sink.messages, QStringList{c.message}) << c.message.toStdString();
        EXPECT_FALSE(frame.UploadProgress()->isVisible());
    }
}

TEST_F(FrameRing, TheUploadWindowShowsWhileTheUploadRuns)
{
    ReplyToUploads(QJsonObject{{"body", "OK"}, {"delay", 1.5}});
    dialogShot = "ring-dialog";
    frame.OnRingUpload();
    CSimpleProgress* window = frame.UploadProgress();
    ASSERT_TRUE(QTest::qWaitFor([window] { return window->isVisible(); }, 30000));
    EXPECT_EQ(window->Text(), QStringLiteral("请稍候，程序正在上传彩铃..."));
    // The parts went out while the reply is still awaited.
    EXPECT_TRUE(QTest::qWaitFor([window] { return window->Pos() > 90; }, 10000)) << window->Pos();
    EXPECT_TRUE(sink.messages.isEmpty());
    KeepScreen("frame-upload");
    frame.WaitForRingJob();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(sink.messages, QStringList{kDone});
}

TEST_F(FrameRing, BusyIsClaimedBeforeTheWorkerAndHeldUntilItEnds)
{
    frame.OnSaveAsRing();
    // The worker has not been waited for: whatever it did, the flags stand.
    EXPECT_EQ(g_bRingJobBusy.load(), 1);
    EXPECT_TRUE(ctrl->IsBusy());
    EXPECT_FALSE(frame.Action(Command::Cut)->isEnabled());
    EXPECT_FALSE(frame.Action(Command::Delete)->isEnabled());
    frame.OnSaveAsRing();
    frame.OnRingUpload();
    frame.UploadRingFile("x", RingPath("x"));
    EXPECT_EQ(dialogs, QStringList{"CRingContentSaveToDialog"});
    frame.WaitForRingJob();
    EXPECT_EQ(g_bRingJobBusy.load(), 0);
    EXPECT_FALSE(ctrl->IsBusy());
    EXPECT_TRUE(frame.Action(Command::Cut)->isEnabled());

    // Closing while a job runs waits for the ring to be in place.
    QFile::remove(RingPath(ringName));
    questions.okAnswers = {true};
    frame.OnSaveAsRing();
    frame.close();
    EXPECT_TRUE(frame.isVisible());
    frame.WaitForRingJob();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !frame.isVisible(); }, 5000));
    EXPECT_EQ(ProbeRing(RingPath(ringName)).codec, "wmav2");
}

TEST_F(FrameRing, ASelectionDraggedWhileTheJobRunsLeavesTheRingAsCommanded)
{
    HeldAtStep held(QStringLiteral("分析铃音数据..."));
    ctrl->SetWorkerProgress(&held);
    frame.OnSaveAsRing();
    // While the worker is held before its mix, the GUI thread moves the
    // selection (drags are not refused during a job) and paints.
    EXPECT_TRUE(QTest::qWaitFor([&] { return held.IsHeld(); }, 30000));
    ctrl->SetSelection(2000, 8000);
    QTest::qWait(50);
    held.LetGo();
    frame.WaitForRingJob();
    ctrl->SetWorkerProgress(nullptr);

    EXPECT_TRUE(sink.messages.isEmpty()) << sink.messages.join('|').toStdString();
    EXPECT_EQ(ctrl->GetSelectionLength(), 6000u);
    // The ring holds the 10 s selected at the command, not the 6 s of now.
    const Probe ring = ProbeRing(RingPath(ringName));
    EXPECT_GE(ring.duration, 10.0);
    EXPECT_LT(ring.duration, 10.0 + OneCodecFrame(ring));
}

// What a ring holds is fixed where its check passes: muting, adding a track
// and moving the selection while the name dialog is up, while the fee reply
// is late, or while the worker is held before its mix leave it as checked.
TEST_F(FrameRing, TheRingIsWhatTheCheckPassedWhateverChangesAfter)
{
    // The content as checked, saved without interference.
    ringName = QStringLiteral("参照");
    ASSERT_TRUE(Run(&CMainFrame::OnSaveAsRing));
    const Heard checked = Hear(RingPath(ringName));
    ASSERT_FALSE(checked.md5.isEmpty());
    std::cout << "[ level ] as checked: " << checked.meanDb << " dB\n";
    ASSERT_TRUE(frame.EnsureLoggedIn());

    const QString song = TestEnvironment::Home() + "/loud.wav";
    ASSERT_TRUE(RunTool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", song, "synth", "12",
                                "sine", "1000", "vol", "0.9"}));
    // The track muted as its pad does, a loud track added by hand and one by
    // opening a file (a drop, the file browser, a second start), and the
    // selection moved to 2 s.
    const auto change = [&] {
        ctrl->MuteTrack(ctrl->GetTrack(0));
        ctrl->AddNewTrack()->AddClip(IndexedClip(44100 * 12));
        frame.OpenFileInEditor(song);
        ctrl->SetSelection(2000, 4000);
    };
    const auto restore = [&] {
        // The opened file lands on a track of its own.
        ASSERT_TRUE(QTest::qWaitFor([&] { return ctrl->GetTrackCount() == 3; }, 30000));
        while (ctrl->GetTrackCount() > 1)
            ctrl->RemoveTrack(ctrl->GetTrack(ctrl->GetTrackCount() - 1));
        ctrl->UnmuteTrack(ctrl->GetTrack(0));
        ctrl->SetSelection(1000, 11000);
    };
    enum When { NameDialog, LateFee, HeldWorker };
    const struct
    {
        const char* what;
        When when;
        bool upload;
    } cases[] = {
        {"save, name dialog", NameDialog, false},  {"upload, name dialog", NameDialog, true},
        {"upload, late fee reply", LateFee, true}, {"save, worker held", HeldWorker, false},
        {"upload, worker held", HeldWorker, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ringName = QString::fromUtf8(c.what);
        addToLibrary = !c.upload;
        sink.messages.clear();
        HeldAtStep held(QStringLiteral("分析铃音数据..."));
        if (c.when == NameDialog)
            duringNameDialog = change;
        if (c.when == LateFee) {
            ASSERT_TRUE(
                service.Script(QJsonArray{QJsonObject{{"path", "person/fee_ringLibZuvo.me"},
                                                      {"delay", 3},
                                                      {"body", "NOFEEPROMPT"},
                                                      {"times", 1}}}));
            QTimer::singleShot(500, &frame, change);
        }
        if (c.when == HeldWorker)
            ctrl->SetWorkerProgress(&held);
        (frame.*(c.upload ? &CMainFrame::OnRingUpload : &CMainFrame::OnSaveAsRing))();
        if (c.when == HeldWorker) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return held.IsHeld(); }, 30000));
            change();
            QTest::qWait(300);
            held.LetGo();
        }
        frame.WaitForRingJob();
        ctrl->SetWorkerProgress(nullptr);
        const QString ring = c.upload ? SavedPart("upload") : RingPath(ringName);
        EXPECT_EQ(sink.messages, c.upload ? QStringList{kDone} : QStringList{});
        const Heard heard = Hear(ring);
        const Probe probe = ProbeRing(ring);
        QByteArray container;
        RunTool("ffprobe",
                {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", ring},
                &container);
        std::cout << "[ ring ] " << c.what << ": ffprobe " << container.trimmed().toStdString()
                  << " s, decoded " << probe.duration << " s, " << heard.meanDb << " dB\n";
        EXPECT_EQ(heard.md5, checked.md5);
        EXPECT_GE(probe.duration, 10.0);
        EXPECT_LT(probe.duration, 10.0 + OneCodecFrame(probe));
        EXPECT_EQ(ctrl->GetSelectionLength(), 2000u) << "the change itself went through";
        restore();
    }
}

TEST_F(FrameRing, StaleWorkingFilesAreNeverUploaded)
{
    const QString folder = TestEnvironment::Home() + "/work/";
    ASSERT_TRUE(QDir().mkpath(folder));
    frame.SetRingWorkFolder(folder);
    for (const QString name : {"~URING.vox", "~URING.kox", "~VAZOZEDU.wav"}) {
        QFile stale(folder + name);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
    }
    // A library ring that does not decode: the job ends before writing.
    QFile broken(RingPath("broken"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(5000, 'x'));
    broken.close();
    frame.UploadRingFile("broken", RingPath("broken"));
    frame.WaitForRingJob();
    EXPECT_EQ(sink.messages, QStringList{QStringLiteral("读取音频数据失败！")});
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(folder + "~URING.vox"));
    EXPECT_TRUE(Uploads().isEmpty());
}

TEST_F(FrameRing, FailedWritesLeaveTheOldRingAndUploadNothing)
{
    const QString path = RingPath(ringName);
    ASSERT_TRUE(MakeRing(path, 20));
    const QByteArray old = ReadAll(path);
    frame.ResourceView()->LoadRingLibrary();
    addToLibrary = true;

    struct Fault
    {
        const char* what;
        std::function<void()> run;
        QString message;
        QString fullAt; // the step at which the disk fills up; empty: it does not
    };
    // The job reports its steps here, so the disk can fill up at one of them.
    RingSteps steps;
    ctrl->SetWorkerProgress(&steps);
    const auto replacing = [&] {
        questions.okAnswers = {true};
        frame.OnRingUpload();
        frame.WaitForRingJob();
    };
    // A name of its own: the list would get a row if the ring were kept.
    const auto naming = [&] {
        ringName = QStringLiteral("新 铃");
        frame.OnRingUpload();
        frame.WaitForRingJob();
        EXPECT_FALSE(QFileInfo::exists(RingPath(ringName)));
        ringName = QStringLiteral("我的 铃声");
    };
    const QString writingRing = QStringLiteral("生成试听文件...");
    const QString converting = QStringLiteral("正在转换铃音格式...");
    const QString writingVox = QStringLiteral("正在生成铃音文件...");
    // Working files under a plain file cannot be made.
    const QString blocked = TestEnvironment::Home() + "/plain-file/";
    QFile(TestEnvironment::Home() + "/plain-file").open(QIODevice::WriteOnly);
    const Fault faults[] = {
        {"ring file not written",
         [&] {
             addToLibrary = false;
             frame.SetRingWorkFolder(blocked);
             frame.OnRingUpload();
             frame.WaitForRingJob();
             frame.SetRingWorkFolder(QString());
             addToLibrary = true;
         },
         CMainFrame::kRingWriteFailed},
        {"vox not written",
         [&] {
             questions.okAnswers = {true};
             frame.SetRingWorkFolder(blocked);
             frame.OnRingUpload();
             frame.WaitForRingJob();
             frame.SetRingWorkFolder(QString());
         },
         CMainFrame::kVoxWriteFailed},
        {"service down",
         [&] {
             questions.okAnswers = {true};
             {
                 ScopedServiceHost down("127.0.0.1:1");
                 frame.OnRingUpload();
                 frame.WaitForRingJob();
             }
             qputenv("ZUVO_SERVICE_HOST", QByteArray::fromStdString(service.HostPort()));
         },
         QString::fromUtf8(ServiceText::kFeeSendFailed)},
        {"ring file writer, disk full", replacing, CMainFrame::kRingWriteFailed, writingRing},
        {"ring file writer, disk full, new name", naming, CMainFrame::kRingWriteFailed,
         writingRing},
        {"conversion, disk full", replacing, QStringLiteral("生成铃音格式文件时失败"), converting},
        {"vox writer, disk full", replacing, CMainFrame::kVoxWriteFailed, writingVox},
        {"vox writer, disk full, new name", naming, CMainFrame::kVoxWriteFailed, writingVox},
    };
    for (const Fault& fault : faults) {
        sink.messages.clear();
        steps.Refill(fault.fullAt);
        fault.run();
        const bool filled = steps.full && steps.full->IsSet();
        const QStringList texts = steps.texts;
        const bool completed = steps.completed;
        steps.Refill();
        EXPECT_EQ(sink.messages, QStringList{fault.message}) << fault.what;
        if (!fault.fullAt.isEmpty()) {
            EXPECT_TRUE(filled) << fault.what;
            // The job ended at the step the disk filled up at, its progress done.
            EXPECT_EQ(texts.isEmpty() ? QString() : texts.last(), fault.fullAt) << fault.what;
            EXPECT_TRUE(completed) << fault.what;
        }
        EXPECT_TRUE(Uploads().isEmpty()) << fault.what;
        EXPECT_EQ(ReadAll(path), old) << fault.what;
        EXPECT_EQ(List()->count(), 1) << fault.what;
        EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
            << fault.what;
        EXPECT_EQ(g_bRingJobBusy.load(), 0) << fault.what;
        EXPECT_FALSE(ctrl->IsBusy()) << fault.what;
    }
    // A job after the faults runs.
    sink.messages.clear();
    questions.okAnswers = {true};
    ASSERT_TRUE(Run(&CMainFrame::OnRingUpload));
    EXPECT_EQ(sink.messages, QStringList{kDone});
    EXPECT_NE(ReadAll(path), old);
    ctrl->SetWorkerProgress(nullptr);
}

TEST_F(FrameRing, RingManagementOpensTheLibraryPageLoggedIn)
{
    frame.Action(Command::RingLibrary)->trigger();
    EXPECT_EQ(dialogs, QStringList{"CLoginDialog"});
    ASSERT_TRUE(frame.Browser()->isVisible());
    const auto pageRequests = [this] {
        QList<QJsonObject> pages;
        for (const QJsonObject& entry : service.Log())
            if (entry["path"].toString() == "/zuvo/person/client.me")
                pages << entry;
        return pages;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pageRequests().isEmpty(); }, 60000));
    // The very first request of the page carried the login's session.
    EXPECT_EQ(pageRequests().first()["session_user"].toString(), "13800138000");
    frame.Browser()->close();
}

TEST_F(FrameRing, TheRingListUploadsThroughTheFrame)
{
    const QString path = RingPath(QStringLiteral("列表 铃"));
    ASSERT_TRUE(MakeRing(path, 8));
    frame.ResourceView()->LoadRingLibrary();
    ASSERT_EQ(List()->count(), 1);
    auto* tabs = frame.ResourceView()->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    tabs->setCurrentIndex(tabs->count() - 1);
    QCoreApplication::processEvents();
    ASSERT_TRUE(List()->PrepareContextMenu(List()->visualItemRect(List()->item(0)).center()));
    List()->MenuAction(CListMyRing::Command::Upload)->trigger();
    frame.WaitForRingJob();
    EXPECT_EQ(shownName, QStringLiteral("列表 铃"));
    EXPECT_EQ(sink.messages, QStringList{kDone});
    EXPECT_EQ(Uploads().size(), 1);
}

// The service forgot the login (it restarted, or the session ran out): its
// refusal is shown in its own words, the login is offered at once, and the
// command goes on with the name and choices it had; cancelling the login
// ends it.
TEST_F(FrameRing, ALostLoginIsOfferedAtOnceAndTheCommandGoesOn)
{
    addToLibrary = true;
    ASSERT_TRUE(Run(&CMainFrame::OnRingUpload));
    ASSERT_EQ(sink.messages, QStringList{kDone});
    ASSERT_TRUE(frame.IsLoggedIn());

    for (const LostLoginCase& c : LostLoginCases()) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(PrepareLostLogin(service, c));
        cancelLogin = c.cancelLogin;
        ringName = QString::fromUtf8(c.what);
        const int before = Uploads().size();
        const qsizetype logged = service.Log().size();
        dialogs.clear();
        sink.messages.clear();
        ASSERT_TRUE(Run(&CMainFrame::OnRingUpload));
        EXPECT_EQ(dialogs, QStringList{"CRingContentDialog"} + c.dialogs);
        EXPECT_EQ(sink.messages, c.messages);
        EXPECT_FALSE(frame.UploadProgress()->isVisible());
        for (const QJsonObject& entry : service.Log().mid(logged))
            std::cout << "[ service ] " << c.what << ": " << entry["path"].toString().toStdString()
                      << ' ' << entry["status"].toVariant().toString().toStdString() << '\n';
        ASSERT_EQ(Uploads().size(), before + c.uploads);
        if (c.cancelLogin) {
            EXPECT_FALSE(frame.IsLoggedIn());
            EXPECT_FALSE(QFileInfo::exists(RingPath(ringName)));
            continue;
        }
        // The name and the choices of the command went up, once logged in.
        ExpectUploadedAs(Uploads().last(), QStringLiteral("13800138000"), ringName);
        EXPECT_EQ(ReadAll(SavedPart("upload")), ReadAll(RingPath(ringName)));
        EXPECT_TRUE(frame.IsLoggedIn());
    }
    cancelLogin = false;
}

// A reply that drips one byte a second would hold the upload for ten minutes.
TEST_F(FrameRing, AnUploadAnsweredByteByByteEndsWithTheUploadMessage)
{
    CHTTPFormClient::Timeouts quick;
    quick.uploadBaseMs = 2000;
    quick.uploadFloorBytesPerSecond = 1000000;
    const ScopedTimeouts timeouts(quick);
    ReplyToUploads(QJsonObject{{"body", QString(600, 'O')}, {"slow", 1.0}});
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(Run(&CMainFrame::OnRingUpload));
    EXPECT_LT(timer.elapsed(), 60000);
    EXPECT_EQ(sink.messages, QStringList{kUploadFailed});
    EXPECT_FALSE(frame.UploadProgress()->isVisible());
    EXPECT_EQ(Uploads().size(), 1);
}

// A web view that cannot start, or whose page process dies, is told of; the
// program and its project go on.
TEST_F(FrameRing, TheLibraryPageFailingLeavesTheProgramRunning)
{
    {
        const QByteArray saved = qgetenv("QTWEBENGINEPROCESS_PATH");
        qputenv("QTWEBENGINEPROCESS_PATH", "/nonexistent/QtWebEngineProcess");
        frame.Action(Command::RingLibrary)->trigger();
        if (saved.isNull())
            qunsetenv("QTWEBENGINEPROCESS_PATH");
        else
            qputenv("QTWEBENGINEPROCESS_PATH", saved);
    }
    EXPECT_EQ(sink.messages, QStringList{CBrowserDlg::kEngineMissing});
    EXPECT_FALSE(frame.Browser()->isVisible());
    EXPECT_EQ(frame.Browser()->View(), nullptr);

    sink.messages.clear();
    frame.Action(Command::RingLibrary)->trigger();
    ASSERT_TRUE(frame.Browser()->isVisible());
    QWebEngineView* view = frame.Browser()->View();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->page()->renderProcessPid() > 0; }, 60000));
    ::kill(static_cast<pid_t>(view->page()->renderProcessPid()), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sink.messages.isEmpty(); }, 30000));
    EXPECT_EQ(sink.messages, QStringList{CBrowserDlg::kPageFailed});
    EXPECT_FALSE(frame.Browser()->isVisible());
    EXPECT_EQ(ctrl->GetTrackCount(), 1);

    // The next command opens the page again.
    sink.messages.clear();
    const int pages = service.Log().size();
    frame.Action(Command::RingLibrary)->trigger();
    EXPECT_TRUE(frame.Browser()->isVisible());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return !service.LastRequest("/zuvo/person/client.me").isEmpty() &&
                   service.Log().size() > pages;
        },
        60000));
    EXPECT_TRUE(sink.messages.isEmpty());
    frame.Browser()->close();
}

// Brevanta started as root as main() starts it, without the sandbox switch in
// its environment (ctest runs each test in a process of its own, so the web
// engine starts here), opens the ring library page logged in and goes on
// with its work. The engine keeps off the GPU, which the offscreen platform
// has not: that switch stays.
TEST(BrevantaStartedAsRoot, OpensTheRingLibraryPageAndGoesOn)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root needs the switch";
    qputenv(WebEngineSwitches::kVariable, "--disable-gpu");
    RingServiceFixture service;
    ASSERT_TRUE(service.IsRunning()) << service.StartError().toStdString();
    const ScopedServiceHost host(service.HostPort());
    const QString song = TestEnvironment::Home() + "/song.wav";
    ASSERT_TRUE(IndexedClip(44100)->WriteWaveFile(song));
    RecordingMessageSink sink;
    CBrevantaApp app(sink);
    ASSERT_EQ(app.InitInstance({song}), CBrevantaApp::Start::Run);
    EXPECT_EQ(qgetenv(WebEngineSwitches::kVariable), QByteArray("--disable-gpu --no-sandbox"));
    CMainFrame* frame = app.MainFrame();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return frame->WaveCtrl()->GetTrackCount() == 1; }));

    const QString mobile = QStringLiteral("13800138000");
    frame->SetDialogRunner([&](QDialog& dialog) {
        auto* login = qobject_cast<CLoginDialog*>(&dialog);
        return login && LogInThroughDialog(*login, service, mobile);
    });
    frame->Action(Command::RingLibrary)->trigger();
    EXPECT_EQ(sink.messages, QStringList{QString::fromUtf8(ServiceText::kValCodeSent)});
    CBrowserDlg* browser = frame->Browser();
    ASSERT_TRUE(browser->isVisible());
    ASSERT_NE(browser->View(), nullptr);
    bool loaded = false;
    QObject::connect(browser->View(), &QWebEngineView::loadFinished,
                     [&](bool ok) { loaded = loaded || ok; });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return loaded && browser->View()->title() == QStringLiteral("Zuvo彩铃库"); },
        60000));
    EXPECT_EQ(service.LastRequest("/zuvo/person/client.me")["session_user"].toString(), mobile);
    QTest::qWait(500);
    KeepScreenshot(*browser, "root-ring-library-offscreen");
    // Still running, the project as it was.
    EXPECT_TRUE(browser->isVisible());
    EXPECT_EQ(frame->WaveCtrl()->GetTrackCount(), 1);
    EXPECT_EQ(sink.messages.size(), 1);
    browser->close();
    EXPECT_EQ(app.ExitInstance(0), 0);
}

} // namespace
