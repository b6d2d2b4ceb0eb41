// Kelvo's ring road through the dialog as the program builds it, against the
// stand-in service: the ring dialogs are answered by an injected runner, the
// voice is recorded through a hand-driven sound input, the ring files are
// checked with ffprobe, ffmpeg, numpy and sox, and the service's log shows
// what reached it.
#include "tests/simple/KelvoFixture.h"

#include "audio/IProgress.h"
#include "platform/DlgCtrlId.h"
#include "platform/WorkingFolder.h"
#include "publish/HTTPFormClient.h"
#include "publish/ListMyRing.h"
#include "publish/LoginDialog.h"
#include "publish/MonthOrderDialog.h"
#include "publish/RingContentSaveToDialog.h"
#include "publish/RingPublisher.h"
#include "publish/RingUploadDialog.h"
#include "simple/RingContentDialog.h"
#include "publish/ServiceProtocol.h"
#include "publish/SimpleProgress.h"
#include "skin/SkinMaskEdit.h"
#include "skin/SkinWin.h"
#include "skin/TabCtrl.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"
#include "tests/support/DecodedSamples.h"
#include "tests/support/FakeCapture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/LengthRing.h"
#include "tests/support/QuietProgress.h"
#include "tests/support/TestEnvironment.h"
#include "voice/Brevanta.h"
#include "voice/WaveData.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <condition_variable>
#include <functional>
#include <cstring>
#include <iostream>
#include <mutex>
#include <optional>

#include <unistd.h>

namespace {

const QString kDone = QStringLiteral("彩铃上传成功！");
const QString kUploadFailed = QString::fromUtf8(ServiceText::kUploadFailed);
const QString kRange = QStringLiteral("彩铃的长度必须控制在 5 - 50秒之内，请重新选择铃音范围。");
const QString kFileRange =
    QStringLiteral("彩铃的长度必须控制在 5 - 55秒之内，该铃音文件格式不正确。");
const QString kReadFailed = QStringLiteral("读取音频数据失败！");
const QString kFormatFailed = QStringLiteral("生成铃音格式文件时失败");

using TestEnvironment::RunTool;

QByteArray Md5(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Md5).toHex();
}

struct Probe
{
    QString format;
    QString codec;
    int channels = 0;
    int rate = 0;
    double seconds = -1; // decoded
};

Probe ProbeRing(const QString& path)
{
    Probe probe;
    QByteArray out;
    if (!RunTool("ffprobe",
                 {"-v", "error", "-show_entries",
                  "format=format_name:stream=codec_name,channels,sample_rate", "-of", "json",
                  path},
                 &out))
        return probe;
    const QJsonObject root = QJsonDocument::fromJson(out).object();
    probe.format = root["format"].toObject()["format_name"].toString();
    const QJsonObject stream = root["streams"].toArray().at(0).toObject();
    probe.codec = stream["codec_name"].toString();
    probe.channels = stream["channels"].toInt();
    probe.rate = stream["sample_rate"].toString().toInt();
    if (probe.rate > 0)
        probe.seconds = double(DecodedSamples(path)) / probe.rate;
    return probe;
}

// The silence that fills a ring file's last codec frame.
double OneFrame(const Probe& probe)
{
    return probe.rate > 0 ? 2048.0 / probe.rate : 0.1;
}

// What numpy hears in a ring decoded by ffmpeg, per quarter second: how
// strong the music's 440 Hz tone and the voice's 2 kHz burst are.
struct Heard
{
    QList<double> tone;
    QList<double> burst;
    // Quarter seconds [from, to) of the ring.
    bool ToneIn(int from, int to) const { return Over(tone, from, to, true); }
    bool NoToneIn(int from, int to) const { return Over(tone, from, to, false); }
    bool BurstIn(int from, int to) const { return Over(burst, from, to, true); }
    bool NoBurstIn(int from, int to) const { return Over(burst, from, to, false); }
    static bool Over(const QList<double>& level, int from, int to, bool loud)
    {
        if (to > level.size() || from >= to)
            return false;
        for (int i = from; i < to; ++i)
            if ((level[i] > 1000) != loud)
                return false;
        return true;
    }
};

Heard Listen(const QString& path)
{
    Heard heard;
    QByteArray pcm;
    if (!RunTool("ffmpeg",
                 {"-v", "error", "-i", path, "-f", "s16le", "-ac", "1", "-ar", "16000", "-"},
                 &pcm))
        return heard;
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c", "import sys, json, numpy as np\n"
                        "s = np.frombuffer(sys.stdin.buffer.read(), dtype='<i2').astype(float)\n"
                        "n = 4000\n"
                        "out = {'tone': [], 'burst': []}\n"
                        "for i in range(len(s) // n):\n"
                        "    f = np.abs(np.fft.rfft(s[i*n:(i+1)*n])) * 2 / n\n"
                        "    out['tone'].append(float(f[108:113].max()))\n"
                        "    out['burst'].append(float(f[498:503].max()))\n"
                        "print(json.dumps(out))\n"});
    python.write(pcm);
    python.closeWriteChannel();
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return heard;
    const QJsonObject levels = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    for (const QJsonValue& v : levels["tone"].toArray())
        heard.tone << v.toDouble();
    for (const QJsonValue& v : levels["burst"].toArray())
        heard.burst << v.toDouble();
    return heard;
}

// The ring worker's steps as it reports them. At the step fillAt the disk
// fills up (the file size limit drops under every file written from then)
// until Refill.
struct RingSteps : QuietProgress
{
    void SetText(const QString& text) override
    {
        std::unique_lock<std::mutex> lock(mutex);
        texts << text;
        if (text == fillAt)
            full.emplace(4096);
        if (text == holdAt) {
            held = true;
            changed.notify_all();
            changed.wait(lock, [this] { return !held; });
        }
    }
    void Refill(const QString& step = QString())
    {
        std::lock_guard<std::mutex> lock(mutex);
        full.reset();
        fillAt = step;
        texts.clear();
    }
    bool IsHeld()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return held;
    }
    void LetGo()
    {
        std::lock_guard<std::mutex> lock(mutex);
        held = false;
        holdAt.clear();
        changed.notify_all();
    }

    std::mutex mutex;
    std::condition_variable changed;
    QString fillAt;
    QString holdAt;
    bool held = false;
    std::optional<FileSizeLimit> full;
    QStringList texts;
};

struct KelvoRing : KelvoFixture
{
    void SetUp() override
    {
        ASSERT_TRUE(service.IsRunning()) << service.StartError().toStdString();
        QDir().mkpath(MyRing());
        ASSERT_EQ(Start(), CKelvoApp::Start::Run);
        dlg = Dlg();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
        editor = dlg->Editor();
        editor->SetCaptureFactory(FakeCaptures(input));
        dlg->SetDialogRunner([this](QDialog& dialog) { return Answer(dialog); });
        dlg->SetRingStepObserver(&steps);
    }
    void TearDown() override
    {
        if (dlg)
            dlg->WaitForRingJob();
    }

    static QString MyRing() { return TestEnvironment::DataHome() + "/VazoZedu/MyRing/"; }
    static QString RingPath(const QString& name) { return MyRing() + name + ".kox"; }
    // The library folder's files, hidden ones too.
    static QStringList LibraryFiles()
    {
        return QDir(MyRing()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    // A sox tone of seconds at 44.1 kHz mono, loaded as the music.
    void LoadTone(int seconds)
    {
        const QString path = TestEnvironment::Home() + QStringLiteral("/tone%1.wav").arg(seconds);
        ASSERT_TRUE(RunTool("sox", {"-n", "-r", "44100", "-c", "1", "-b", "16", path, "synth",
                                    QString::number(seconds), "sine", "440", "vol", "0.3"}));
        bool loaded = false;
        QObject guard;
        QObject::connect(editor, &CBrevanta::MUSIC_LOADED, &guard, [&] { loaded = true; });
        dlg->LoadMusicFile(path);
        ASSERT_TRUE(QTest::qWaitFor([&] { return loaded && !editor->IsOpening(); }, 30000));
        QCoreApplication::processEvents();
    }
    // The voice recorded from the start of the music: seconds of silence with
    // one second of a 2 kHz burst from burstAt on (22.05 kHz stereo frames).
    void RecordBurst(int seconds, int burstAt)
    {
        editor->MoveCursorToStart();
        ASSERT_EQ(editor->StartRecord(), 1);
        QByteArray frames(seconds * 22050 * 4, '\0');
        auto* samples = reinterpret_cast<int16_t*>(frames.data());
        for (int i = burstAt * 22050; i < (burstAt + 1) * 22050; ++i) {
            const auto value =
                static_cast<int16_t>(9000 * std::sin(2 * M_PI * 2000.0 * i / 22050));
            samples[2 * i] = value;
            samples[2 * i + 1] = value;
        }
        ASSERT_TRUE(Deliver(input, frames));
        editor->Stop();
        QCoreApplication::processEvents();
        ASSERT_TRUE(editor->GetVoice().HasData());
    }
    // The editor's selection in ms, the fields following it.
    void Select(int fromMs, int toMs)
    {
        editor->SetSelectionStart(editor->MsToX(fromMs));
        editor->SetSelectionEnd(editor->MsToX(toMs));
        editor->update();
        dlg->UpdateTimeEdits();
    }
    void SetLengthField(const QString& text)
    {
        auto* edit = qobject_cast<QLineEdit*>(dlg->Control(1030));
        ASSERT_NE(edit, nullptr);
        edit->findChild<CSkinMaskEdit*>()->SetMaskedText(text);
    }
    void Click(int id)
    {
        auto* button = qobject_cast<QPushButton*>(dlg->Control(id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }
    // Runs a command to the end of its job.
    void Run(int id)
    {
        Click(id);
        dlg->WaitForRingJob();
        EXPECT_FALSE(dlg->BusyFlag().load());
    }
    void UploadFromList(const QString& name)
    {
        CListMyRing* list = dlg->RingLibrary();
        list->LoadRingFolder();
        for (int row = 0; row < list->count(); ++row) {
            if (list->RingName(row) != name)
                continue;
            dlg->Tab()->SetCurSel(1);
            dlg->OnTcnSelchangeTab();
            ASSERT_TRUE(list->PrepareContextMenu(list->visualItemRect(list->item(row)).center()));
            list->MenuAction(CListMyRing::Command::Upload)->trigger();
            dlg->WaitForRingJob();
            return;
        }
        FAIL() << "no row " << name.toStdString();
    }

    bool Answer(QDialog& dialog)
    {
        dialogs << QString::fromLatin1(dialog.metaObject()->className());
        if (cancelDialogs)
            return false;
        if (auto* login = qobject_cast<CLoginDialog*>(&dialog))
            return LogIn(*login);
        if (auto* offer = qobject_cast<CMonthOrderDialog*>(&dialog)) {
            skinned << (CSkinWin::Of(offer) != nullptr);
            offer->show();
            offer->findChild<QRadioButton*>("perUseRadio")->setChecked(true);
            offer->accept();
            return offer->result() == QDialog::Accepted;
        }
        if (auto* named = qobject_cast<CRingContentSaveToDialog*>(&dialog)) {
            if (duringNameDialog)
                std::exchange(duringNameDialog, nullptr)();
            skinned << (CSkinWin::Of(named) != nullptr);
            shownName = named->NameEdit()->text();
            named->NameEdit()->setText(ringName);
            // The content choice, by its control ids 1042, 1043, 1044.
            for (QRadioButton* radio : named->findChildren<QRadioButton*>())
                if (GetDlgCtrlID(radio) == 1042 + content)
                    radio->setChecked(true);
            if (auto* upload = qobject_cast<Kelvo::CRingContentDialog*>(&dialog))
                upload->AddToLibraryBox()->setChecked(addToLibrary);
            named->accept();
            return named->result() == QDialog::Accepted;
        }
        return false;
    }
    bool LogIn(CLoginDialog& login)
    {
        if (cancelLogin)
            return false;
        const bool ok = LogInThroughDialog(login, service, QStringLiteral("13800138000"));
        messages.messages.removeAll(QString::fromUtf8(ServiceText::kValCodeSent));
        return ok;
    }

    // What the ring road asked of the service: the update check that every
    // start runs beside it is not the road's.
    QList<QJsonObject> RingRequests() const
    {
        QList<QJsonObject> requests;
        for (const QJsonObject& entry : service.Log())
            if (!entry["path"].toString().startsWith("/update/"))
                requests << entry;
        return requests;
    }
    QList<QJsonObject> Uploads() const
    {
        return service.RequestsTo("/zuvo/person/add_ringLibZuvo.me");
    }
    QString SavedPart(const QString& part) const
    {
        return service.SavedPart("/zuvo/person/add_ringLibZuvo.me", part);
    }
    void ReplyToUploads(const QJsonObject& rule)
    {
        QJsonObject upload = rule;
        upload["path"] = "person/add_ringLibZuvo.me";
        ASSERT_TRUE(service.Script(QJsonArray{upload}));
    }

    RingServiceFixture service;
    ScopedServiceHost host{service.HostPort()};
    FakeCaptureState input;
    RingSteps steps;
    CKelvoDlg* dlg = nullptr;
    CBrevanta* editor = nullptr;
    QStringList dialogs;
    QString ringName = QStringLiteral("我的 铃声");
    QString shownName;
    bool addToLibrary = false;
    QList<bool> skinned; // each dialog wore the dialog skin
    bool cancelDialogs = false;
    bool cancelLogin = false;
    std::function<void()> duringNameDialog; // once, while the name dialog is up
    int content = CBrevanta::kRingMix;
};

TEST_F(KelvoRing, TheSelectionCheckGuardsTheDialogs)
{
    // A music track without any data, not even the generated silence:
    // nothing but the message.
    ASSERT_TRUE(editor->SetMusic(std::make_unique<WaveData>()));
    ASSERT_FALSE(editor->IsMusicLoaded());
    Click(114);
    Click(1019);
    EXPECT_EQ(messages.messages, (QStringList{QStringLiteral("未加载彩铃音乐。"),
                                              QStringLiteral("未加载彩铃音乐。")}));
    EXPECT_TRUE(dialogs.isEmpty());

    LoadTone(12);
    cancelDialogs = true;
    // The length field is read at its hundredths: 4990 and 50010 ms are the
    // nearest it holds to either side of the range.
    const struct
    {
        const char* field;
        QString message; // empty: the dialog opens
    } cases[] = {
        {"00:00:00", QStringLiteral("请用鼠标选择一段需要作为彩铃的音乐。")},
        {"00:04:99", kRange},
        {"00:05:00", QString()},
        {"00:50:00", QString()},
        {"00:50:01", kRange},
    };
    for (const auto& c : cases) {
        for (const int id : {114, 119, 1019}) {
            messages.messages.clear();
            dialogs.clear();
            SetLengthField(QString::fromLatin1(c.field));
            Click(id);
            EXPECT_EQ(messages.messages.value(0), c.message) << c.field << ' ' << id;
            EXPECT_EQ(dialogs.size(), c.message.isEmpty() ? 1 : 0) << c.field << ' ' << id;
        }
    }
    EXPECT_FALSE(dlg->BusyFlag().load());

    // While a file opens, every ring command does nothing.
    SetLengthField("00:10:00");
    messages.messages.clear();
    dialogs.clear();
    const QString ring = RingPath("列表 铃");
    ASSERT_TRUE(RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=duration=8", "-ac",
                                   "1", "-c:a", "wmav2", "-f", "asf", ring}));
    dlg->RingLibrary()->LoadRingFolder();
    dlg->LoadMusicFile(TestEnvironment::Home() + "/tone12.wav");
    ASSERT_TRUE(editor->IsOpening());
    Click(114);
    Click(119);
    Click(1019);
    dlg->UploadRingFile("列表 铃", ring);
    EXPECT_TRUE(dialogs.isEmpty());
    EXPECT_TRUE(messages.messages.isEmpty());
    editor->WaitForOpen();
}

TEST_F(KelvoRing, SavingAgainAsksBeforeReplacing)
{
    LoadTone(12);
    Select(1000, 11000);
    Run(114);
    EXPECT_EQ(dialogs, QStringList{"Kelvo::CRingContentSaveToDialog"});
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('|').toStdString();
    const Probe ring = ProbeRing(RingPath(ringName));
    EXPECT_EQ(ring.format, "asf");
    EXPECT_EQ(ring.codec, "wmav2");
    EXPECT_EQ(ring.channels, 1);
    EXPECT_NEAR(ring.seconds, 10.0, OneFrame(ring) + 0.03);
    EXPECT_EQ(dlg->RingLibrary()->count(), 1);
    EXPECT_TRUE(RingRequests().isEmpty());
    EXPECT_EQ(steps.texts, (QStringList{"开始生成铃音数据...", "保存文件..."}));

    // Cancel keeps the old ring; OK replaces it and the list keeps one row.
    const QByteArray old = Md5(RingPath(ringName));
    Select(1000, 7000);
    questions.okAnswers = {false};
    Run(114);
    EXPECT_EQ(questions.asked,
              QStringList{QStringLiteral("『%1』已经存在，\r\n要替换它吗？").arg(ringName)});
    EXPECT_EQ(Md5(RingPath(ringName)), old);
    questions.okAnswers = {true};
    Run(114);
    EXPECT_NE(Md5(RingPath(ringName)), old);
    EXPECT_NEAR(ProbeRing(RingPath(ringName)).seconds, 6.0, OneFrame(ring) + 0.03);
    EXPECT_EQ(dlg->RingLibrary()->count(), 1);
    EXPECT_EQ(LibraryFiles(), QStringList{ringName + ".kox"});
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('|').toStdString();
}

TEST_F(KelvoRing, SavesTheChosenContent)
{
    LoadTone(12);
    RecordBurst(12, 4);
    Select(1000, 11000);
    // Quarter seconds 12..16 of the ring hold the burst (4 s into the music).
    for (const int chosen : {0, 1, 2}) {
        SCOPED_TRACE(chosen);
        content = chosen;
        ringName = QStringLiteral("内容 %1").arg(chosen);
        Run(114);
        EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('|').toStdString();
        const Probe ring = ProbeRing(RingPath(ringName));
        EXPECT_EQ(ring.format, "asf");
        EXPECT_EQ(ring.codec, "wmav2");
        EXPECT_EQ(ring.channels, 1);
        EXPECT_NEAR(ring.seconds, 10.0, OneFrame(ring) + 0.03);
        const Heard heard = Listen(RingPath(ringName));
        if (chosen == CBrevanta::kRingVoice)
            EXPECT_TRUE(heard.NoToneIn(0, 40));
        else
            EXPECT_TRUE(heard.ToneIn(0, 40));
        if (chosen == CBrevanta::kRingMusic) {
            EXPECT_TRUE(heard.NoBurstIn(0, 40));
        } else {
            EXPECT_TRUE(heard.BurstIn(12, 16));
            EXPECT_TRUE(heard.NoBurstIn(0, 11));
            EXPECT_TRUE(heard.NoBurstIn(17, 40));
        }
    }
    EXPECT_EQ(dlg->RingLibrary()->count(), 3);
    EXPECT_TRUE(RingRequests().isEmpty());
}

TEST_F(KelvoRing, UploadsTheSelectionEndToEnd)
{
    LoadTone(12);
    RecordBurst(12, 4);
    Select(1000, 11000);
    Run(119);
    EXPECT_EQ(messages.messages, QStringList{kDone});
    EXPECT_EQ(dialogs,
              (QStringList{"Kelvo::CRingContentDialog", "CLoginDialog", "CMonthOrderDialog"}));
    EXPECT_EQ(skinned, (QList<bool>{true, true}));
    EXPECT_EQ(steps.texts, (QStringList{"分析铃音数据...", "生成试听文件...",
                                        "正在转换铃音格式...", "正在生成铃音文件..."}));
    EXPECT_FALSE(dlg->BusyPanel()->isVisible());
    EXPECT_EQ(dlg->BusyPanel()->Text(), QStringLiteral("请稍候，程序正在上传彩铃..."));

    const QJsonObject request = service.LastRequest("/zuvo/person/add_ringLibZuvo.me");
    ASSERT_EQ(request["status"].toInt(), 200);
    QMap<QString, QJsonObject> parts;
    for (const QJsonValue& part : request["parts"].toArray())
        parts[part["name"].toString()] = part.toObject();
    const QByteArray utf8 = ringName.toUtf8();
    EXPECT_EQ(parts["ringLibZuvo.name"]["value"].toString().toLatin1(), utf8);
    EXPECT_EQ(parts["ringLibZuvo.intro"]["value"].toString().toLatin1(), utf8);
    EXPECT_EQ(parts["ringLibZuvo.isshare"]["value"].toString(), "true");
    EXPECT_EQ(parts["client"]["value"].toString(), "true");
    EXPECT_EQ(parts["upload"]["filename"].toString(), "~URING.kox");
    EXPECT_EQ(parts["vox"]["filename"].toString(), "~URING.vox");

    // The selection as the editor holds it: whole pixels of the music.
    const int selectedMs =
        editor->XToMs(editor->GetSelectionEnd()) - editor->XToMs(editor->GetSelectionStart());
    EXPECT_NEAR(selectedMs, 10000, 20);
    const Probe ring = ProbeRing(SavedPart("upload"));
    EXPECT_EQ(ring.format, "asf");
    EXPECT_EQ(ring.codec, "wmav2");
    EXPECT_EQ(ring.channels, 1);
    EXPECT_NEAR(ring.seconds, selectedMs / 1000.0, OneFrame(ring) + 0.03);
    const QString vox = SavedPart("vox");
    EXPECT_NEAR(QFileInfo(vox).size(), selectedMs * 4, 1); // 4000 bytes a second
    QByteArray decoded;
    ASSERT_TRUE(RunTool("sox",
                        {"-t", "vox", "-r", "8000", "-c", "1", vox, "-t", "raw", "-e",
                         "signed-integer", "-b", "16", "-"},
                        &decoded));
    EXPECT_NEAR(decoded.size() / 2 / 8000.0, selectedMs / 1000.0, 0.001);
    // The mix went up: the tone throughout, the burst 3 s into the ring.
    const Heard heard = Listen(SavedPart("upload"));
    EXPECT_TRUE(heard.ToneIn(0, 40));
    EXPECT_TRUE(heard.BurstIn(12, 16)) << heard.burst.mid(10, 8).size();
    EXPECT_TRUE(heard.NoBurstIn(0, 11));
    EXPECT_TRUE(heard.NoBurstIn(17, 40));
    // Not kept: the library is as it was.
    EXPECT_TRUE(LibraryFiles().isEmpty());
    EXPECT_EQ(dlg->RingLibrary()->count(), 0);
    EXPECT_TRUE(dlg->QueryClose()) << "the recorded voice went up in a ring";
}

TEST_F(KelvoRing, UploadsALibraryRingOfTheRightLength)
{
    const struct
    {
        const char* name;
        int seconds; // 0: not audio
        QString message;
    } cases[] = {
        {"五十四", 54, kDone},
        {"五十六", 56, kFileRange},
        {"不是音频", 0, kReadFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = RingPath(QString::fromUtf8(c.name));
        if (c.seconds) {
            // 16 kHz mono decodes to whole bytes per ms.
            ASSERT_TRUE(
                RunTool("ffmpeg", {"-v", "error", "-f", "lavfi", "-i",
                                   QStringLiteral("sine=duration=%1").arg(c.seconds), "-ar",
                                   "16000", "-ac", "1", "-c:a", "wmav2", "-f", "asf", path}));
        } else {
            QFile garbage(path);
            ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
            garbage.write(QByteArray(5000, 'x'));
        }
        messages.messages.clear();
        dialogs.clear();
        ringName = QStringLiteral("上传的铃");
        const int uploads = Uploads().size();
        UploadFromList(QString::fromUtf8(c.name));
        EXPECT_EQ(shownName, QString::fromUtf8(c.name));
        EXPECT_EQ(messages.messages, QStringList{c.message});
        EXPECT_EQ(Uploads().size(), uploads + (c.message == kDone ? 1 : 0));
        if (c.message == kDone) {
            // 4000 bytes a second of what ffprobe decodes, give or take the
            // codec frame one decoder leaves out (2048 samples).
            const double seconds = DecodedSamples(path) / 16000.0;
            const qint64 vox = QFileInfo(SavedPart("vox")).size();
            std::cout << "[ vox ] " << seconds << " s decoded, " << vox << " bytes\n";
            EXPECT_NEAR(vox, seconds * 4000, 2048 / 4 + 1);
            EXPECT_EQ(Md5(SavedPart("upload")), Md5(path));
            // The decoded ring went into the ring format as reading it into
            // a track and converting that track makes it: the same VOX file.
            WaveData read;
            ASSERT_EQ(read.ReadWaveFile(WorkingFolder::FilePath("~VAZOZEDU.wav")), 1);
            ASSERT_FALSE(read.IsSameFormat(editor->GetRingFormat()));
            ASSERT_EQ(editor->ConvertToRingFormat(&read), 1);
            const QString expected = TestEnvironment::Home() + "/expected.vox";
            ASSERT_EQ(editor->SaveVox(expected, &read), 1);
            EXPECT_EQ(Md5(SavedPart("vox")), Md5(expected));
        }
    }
    EXPECT_EQ(steps.texts.last(), QStringLiteral("分析铃音数据..."));
}

// Rings of about 55 s from the library at every rate the codec offers: the
// length is counted from the decoded bytes exactly (88.2 bytes a ms at
// 44.1 kHz mono, not 88), and the padding of the last codec frame passes.
struct KelvoLibraryRing : KelvoRing, testing::WithParamInterface<int>
{
};

TEST_P(KelvoLibraryRing, UploadsRingsOfUpToFiftyFiveSeconds)
{
    const int rate = GetParam();
    const QList<LengthRing> rings = LengthRing::MakeAll(MyRing(), rate);
    ASSERT_EQ(rings.size(), 4);
    for (const LengthRing& ring : rings) {
        SCOPED_TRACE(ring.name.toStdString());
        std::cout << "[ ffprobe ] " << ring.Describe() << '\n';
        messages.messages.clear();
        ringName = ring.name;
        const int uploads = Uploads().size();
        UploadFromList(ring.name);
        EXPECT_EQ(messages.messages, QStringList{ring.accepted ? kDone : kFileRange});
        ASSERT_EQ(Uploads().size(), uploads + (ring.accepted ? 1 : 0));
        if (!ring.accepted)
            continue;
        EXPECT_EQ(Md5(SavedPart("upload")), Md5(ring.path));
        // 4000 bytes a second of what ffprobe decodes, give or take the codec
        // frame one decoder leaves out (at most 2048 samples).
        EXPECT_NEAR(QFileInfo(SavedPart("vox")).size(), ring.decodedSamples * 4000.0 / rate,
                    2048.0 * 4000 / rate + 1);
    }
    PrintRequests(Uploads());
}

INSTANTIATE_TEST_SUITE_P(Rates, KelvoLibraryRing,
                         testing::Values(8000, 11025, 16000, 22050, 44100));

TEST_F(KelvoRing, EveryUploadReplyIsShown)
{
    LoadTone(12);
    Select(1000, 11000);
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
        messages.messages.clear();
        Run(1019);
        EXPECT_EQ(messages.messages, QStringList{c.message}) << c.message.toStdString();
        EXPECT_FALSE(dlg->BusyPanel()->isVisible());
    }
    EXPECT_EQ(Uploads().size(), 5);
}

TEST_F(KelvoRing, FailedWritesKeepTheOldRingAndUploadNothing)
{
    LoadTone(12);
    Select(1000, 11000);
    Run(114);
    const QString path = RingPath(ringName);
    const QByteArray old = Md5(path);
    ASSERT_FALSE(old.isEmpty());
    Select(1000, 9000);
    const QString writing = QStringLiteral("保存文件...");
    const QString preview = QStringLiteral("生成试听文件...");
    const QString writingVox = QStringLiteral("正在生成铃音文件...");
    const struct
    {
        const char* what;
        int command;
        bool keep; // the upload keeps the ring in the library
        QString fillAt;
        QString message;
    } faults[] = {
        {"saved ring, disk full", 114, true, writing, CRingPublisher::kRingWriteFailed},
        {"uploaded ring, disk full", 119, true, preview, CRingPublisher::kRingWriteFailed},
        {"working ring, disk full", 119, false, preview, CRingPublisher::kRingWriteFailed},
        {"vox, disk full", 119, true, writingVox, kFormatFailed},
        {"library read-only", 114, true, QString(), CRingPublisher::kRingWriteFailed},
    };
    for (const auto& f : faults) {
        SCOPED_TRACE(f.what);
        const bool readOnly = f.fillAt.isEmpty();
        if (readOnly) {
            if (::geteuid() == 0) {
                std::cout << "[ skipped ] " << f.what << ": root writes anyway\n";
                continue;
            }
            ASSERT_TRUE(
                QFile::setPermissions(MyRing(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        messages.messages.clear();
        questions.okAnswers = {true};
        addToLibrary = f.keep;
        steps.Refill(f.fillAt);
        Run(f.command);
        const bool filled = steps.full && steps.full->IsSet();
        const QStringList texts = steps.texts;
        steps.Refill();
        if (readOnly)
            QFile::setPermissions(MyRing(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
        EXPECT_EQ(messages.messages, QStringList{f.message});
        if (!readOnly) {
            EXPECT_TRUE(filled);
            EXPECT_EQ(texts.value(texts.size() - 1), f.fillAt);
        }
        EXPECT_EQ(Md5(path), old);
        EXPECT_EQ(LibraryFiles(), QStringList{ringName + ".kox"});
        EXPECT_EQ(dlg->RingLibrary()->count(), 1);
        EXPECT_TRUE(Uploads().isEmpty());
        EXPECT_FALSE(dlg->BusyFlag().load());
    }
    // The next job runs.
    messages.messages.clear();
    questions.okAnswers = {true};
    addToLibrary = true;
    Run(119);
    EXPECT_EQ(messages.messages, QStringList{kDone});
    EXPECT_NE(Md5(path), old);
    EXPECT_EQ(Md5(SavedPart("upload")), Md5(path));
    EXPECT_EQ(dlg->RingLibrary()->count(), 1);
}

TEST_F(KelvoRing, StaleWorkingFilesAreNeverUploaded)
{
    const QString folder = TestEnvironment::Home() + "/work/";
    ASSERT_TRUE(QDir().mkpath(folder));
    dlg->SetRingWorkFolder(folder);
    for (const QString name : {"~URING.vox", "~URING.kox", "~VAZOZEDU.wav"}) {
        QFile stale(folder + name);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("stale");
    }
    const QString broken = RingPath("broken");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(5000, 'x'));
    file.close();
    dlg->UploadRingFile("broken", broken);
    dlg->WaitForRingJob();
    EXPECT_EQ(messages.messages, QStringList{kReadFailed});
    EXPECT_TRUE(QDir(folder).isEmpty());
    EXPECT_TRUE(Uploads().isEmpty());
}

TEST_F(KelvoRing, CommandsThatChangeTheTracksWaitForTheJob)
{
    LoadTone(12);
    RecordBurst(12, 4);
    Select(1000, 11000);
    const std::unique_ptr<WaveData> atCommand = editor->BuildRing(CBrevanta::kRingMix);
    ASSERT_TRUE(atCommand);
    steps.holdAt = QStringLiteral("开始生成铃音数据...");
    Click(114);
    // Claimed before the worker runs a line.
    EXPECT_TRUE(dlg->BusyFlag().load());
    ASSERT_TRUE(QTest::qWaitFor([&] { return steps.IsHeld(); }, 30000));
    // The GUI thread goes on while the worker is held: every command that
    // would change what the ring is made of is refused, another job too.
    const uint32_t voiceBytes = editor->GetVoice().GetSize();
    EXPECT_EQ(editor->StartRecord(), 0);
    EXPECT_FALSE(editor->DeleteRecording());
    EXPECT_FALSE(editor->ClearMusic());
    dlg->LoadMusicFile(TestEnvironment::Home() + "/tone12.wav");
    EXPECT_FALSE(editor->IsOpening());
    Select(2000, 8000);
    dialogs.clear();
    Click(114);
    Click(119);
    dlg->UploadRingFile(ringName, RingPath(ringName));
    EXPECT_TRUE(dialogs.isEmpty());
    QTest::qWait(50);
    steps.LetGo();
    dlg->WaitForRingJob();
    EXPECT_FALSE(dlg->BusyFlag().load());
    EXPECT_EQ(editor->GetVoice().GetSize(), voiceBytes);
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('|').toStdString();

    // The ring is the 10 s of the command, the burst 3 s in.
    const Probe ring = ProbeRing(RingPath(ringName));
    EXPECT_NEAR(ring.seconds, 10.0, OneFrame(ring) + 0.03);
    const Heard heard = Listen(RingPath(ringName));
    EXPECT_TRUE(heard.BurstIn(12, 16));
    EXPECT_TRUE(heard.NoBurstIn(0, 11));
    EXPECT_TRUE(dlg->QueryClose()) << "the voice is in a saved ring";
    // And the commands work again.
    EXPECT_TRUE(editor->DeleteRecording());
}

// What a ring holds is fixed where its check passes. While the name dialog
// is up or the fee reply is late, a file handed over (D-Bus, a page) waits
// for the command, a drop or the open dialog, a recording and 删除音乐 are
// refused, and a selection moved meanwhile is checked again.
TEST_F(KelvoRing, TheRingIsWhatTheCheckPassedWhateverChangesAfter)
{
    ASSERT_TRUE(dlg->EnsureLoggedIn());
    const QString song = TestEnvironment::Home() + "/long.wav";
    ASSERT_TRUE(RunTool("sox", {"-n", "-r", "44100", "-c", "1", "-b", "16", song, "synth", "60",
                                "sine", "1000", "vol", "0.9"}));

    enum When { NameDialog, LateFee };
    const struct
    {
        const char* what;
        int command;
        When when;
        bool moveSelection; // to 3 s
    } cases[] = {
        {"save, name dialog", 114, NameDialog, false},
        {"upload, name dialog", 119, NameDialog, false},
        {"upload, late fee reply", 119, LateFee, false},
        {"upload, late fee reply, selection moved", 119, LateFee, true},
        {"save, name dialog, selection moved", 114, NameDialog, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoadTone(20);
        Select(1000, 11000);
        ringName = QString::fromUtf8(c.what);
        messages.messages.clear();
        const int uploads = Uploads().size();
        bool refused = false;
        const auto change = [&] {
            app->OpenFile(song);
            dlg->LoadMusicFile(song);
            refused = !editor->IsOpening() && editor->StartRecord() == 0 && !editor->ClearMusic();
            if (c.moveSelection)
                Select(1000, 4000);
        };
        if (c.when == NameDialog)
            duringNameDialog = change;
        else {
            ASSERT_TRUE(
                service.Script(QJsonArray{QJsonObject{{"path", "person/fee_ringLibZuvo.me"},
                                                      {"delay", 3},
                                                      {"body", "NOFEEPROMPT"},
                                                      {"times", 1}}}));
            QTimer::singleShot(500, dlg, change);
        }
        Run(c.command);
        EXPECT_TRUE(refused);
        const bool upload = c.command == 119;
        if (c.moveSelection) {
            EXPECT_EQ(messages.messages, QStringList{kRange});
            EXPECT_FALSE(QFileInfo::exists(RingPath(ringName)));
            EXPECT_EQ(Uploads().size(), uploads);
        } else {
            EXPECT_EQ(messages.messages, upload ? QStringList{kDone} : QStringList{});
            const QString ring = upload ? SavedPart("upload") : RingPath(ringName);
            const Probe probe = ProbeRing(ring);
            QByteArray container;
            RunTool("ffprobe",
                    {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", ring},
                    &container);
            std::cout << "[ ring ] " << c.what << ": ffprobe " << container.trimmed().toStdString()
                      << " s, decoded " << probe.seconds << " s\n";
            EXPECT_NEAR(probe.seconds, 10.0, OneFrame(probe) + 0.03);
            // The 440 Hz tone checked, not the 1 kHz song handed over.
            EXPECT_TRUE(Listen(ring).ToneIn(0, 40));
        }
        // The file handed over opens once the command is over.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !editor->IsOpening() && editor->GetMusicLength() >= 59000; }, 30000));
        EXPECT_EQ(editor->GetMusicPath(), song);
    }
}

// The service forgot the login (a restart, or its session store cleared):
// its refusal is shown, the login offered at once, and the command goes on
// with the name and choices it had; cancelling the login ends it.
TEST_F(KelvoRing, ALostLoginIsOfferedAtOnceAndTheCommandGoesOn)
{
    LoadTone(12);
    Select(1000, 11000);
    Run(119);
    ASSERT_EQ(messages.messages, QStringList{kDone});
    for (const LostLoginCase& c : LostLoginCases()) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(PrepareLostLogin(service, c));
        cancelLogin = c.cancelLogin;
        ringName = QString::fromUtf8(c.what);
        const int before = Uploads().size();
        const qsizetype logged = service.Log().size();
        dialogs.clear();
        messages.messages.clear();
        Run(119);
        EXPECT_EQ(dialogs, QStringList{"Kelvo::CRingContentDialog"} + c.dialogs);
        EXPECT_EQ(messages.messages, c.messages);
        EXPECT_FALSE(dlg->BusyPanel()->isVisible());
        for (const QJsonObject& entry : service.Log().mid(logged))
            std::cout << "[ service ] " << c.what << ": " << entry["path"].toString().toStdString()
                      << ' ' << entry["status"].toVariant().toString().toStdString() << '\n';
        ASSERT_EQ(Uploads().size(), before + c.uploads);
        EXPECT_EQ(dlg->IsLoggedIn(), !c.cancelLogin);
        if (c.cancelLogin)
            continue;
        ExpectUploadedAs(Uploads().last(), QStringLiteral("13800138000"), ringName);
    }
    cancelLogin = false;
}

TEST_F(KelvoRing, ClosingDuringASlowUploadEndsCleanly)
{
    LoadTone(12);
    Select(1000, 11000);
    ReplyToUploads(QJsonObject{{"body", "OK"}, {"delay", 30}});
    addToLibrary = true;
    Click(119);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->BusyPanel()->isVisible(); }, 30000));
    // The panel shows while the upload runs.
    if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR")) {
        QTest::qWait(1000);
        QGuiApplication::primaryScreen()->grabWindow(0).save(
            qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") + "/kelvo-busy-panel.png");
    }
    QElapsedTimer timer;
    timer.start();
    dlg->done(0);
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_TRUE(dlg->IsClosed());
    EXPECT_FALSE(dlg->IsRingJobRunning());
    EXPECT_FALSE(dlg->BusyPanel()->isVisible());
    // The library ring was in place before the upload began; nothing else is
    // left beside it.
    EXPECT_EQ(LibraryFiles(), QStringList{ringName + ".kox"});
    EXPECT_EQ(ProbeRing(RingPath(ringName)).codec, "wmav2");
    EXPECT_TRUE(messages.messages.isEmpty()) << messages.messages.join('|').toStdString();
}

} // namespace
