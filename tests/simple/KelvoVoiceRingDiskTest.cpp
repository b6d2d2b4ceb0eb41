// A voice-only ring made in Kelvo without loading any song: the voice is
// recorded over the six minutes of silence the editor starts with, through
// the sound library's disk driver (SDL_DISKAUDIOFILEIN, read in real time),
// and uploaded to the stand-in service, where ffmpeg decodes what it kept.
// The driver is chosen when the process first uses audio, hence this
// executable of its own.
#include "tests/simple/KelvoFixture.h"

#include "platform/DlgCtrlId.h"
#include "publish/LoginDialog.h"
#include "publish/MonthOrderDialog.h"
#include "publish/RingContentSaveToDialog.h"
#include "publish/ServiceProtocol.h"
#include "simple/RingContentDialog.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"
#include "tests/support/DecodedSamples.h"
#include "tests/support/TestEnvironment.h"
#include "voice/Brevanta.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <cmath>
#include <iostream>

namespace {

// What the voice says: 4 s of a 1 kHz tone, then the driver reads silence.
constexpr int kVoiceSeconds = 4;
constexpr int kToneHz = 1000;

QString InputFile()
{
    return TestEnvironment::ProcessFolder() + "/voice-in.raw";
}

using TestEnvironment::RunTool;

// The level of the voice's tone in what ffmpeg decodes from path, per
// quarter second (numpy's FFT).
QList<double> ToneLevels(const QString& path)
{
    QByteArray pcm;
    if (!RunTool("ffmpeg",
                 {"-v", "error", "-i", path, "-f", "s16le", "-ac", "1", "-ar", "16000", "-"},
                 &pcm))
        return {};
    QProcess python;
    python.start("/usr/bin/python3",
                 {"-c", QStringLiteral("import sys, json, numpy as np\n"
                                       "s = np.frombuffer(sys.stdin.buffer.read(), "
                                       "dtype='<i2').astype(float)\n"
                                       "n = 4000\n"
                                       "b = %1 * n // 16000\n"
                                       "print(json.dumps([float((np.abs(np.fft.rfft("
                                       "s[i*n:(i+1)*n])) * 2 / n)[b-2:b+3].max()) "
                                       "for i in range(len(s) // n)]))\n")
                            .arg(kToneHz)});
    python.write(pcm);
    python.closeWriteChannel();
    if (!python.waitForFinished(60000) || python.exitCode() != 0)
        return {};
    QList<double> levels;
    for (const QJsonValue& v : QJsonDocument::fromJson(python.readAllStandardOutput()).array())
        levels << v.toDouble();
    return levels;
}

struct KelvoVoiceRing : KelvoFixture
{
    static void SetUpTestSuite()
    {
        // The recording format: 22050 Hz, stereo, 16 bits.
        QByteArray frames(kVoiceSeconds * 22050 * 4, '\0');
        auto* samples = reinterpret_cast<int16_t*>(frames.data());
        for (int i = 0; i < kVoiceSeconds * 22050; ++i) {
            const auto value =
                static_cast<int16_t>(9000 * std::sin(2 * M_PI * kToneHz * i / 22050));
            samples[2 * i] = value;
            samples[2 * i + 1] = value;
        }
        QFile input(InputFile());
        ASSERT_TRUE(input.open(QIODevice::WriteOnly));
        ASSERT_EQ(input.write(frames), frames.size());
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILEIN", QFile::encodeName(InputFile()));
        qputenv("SDL_DISKAUDIOFILE",
                QFile::encodeName(TestEnvironment::ProcessFolder() + "/voice-out.raw"));
    }

    void SetUp() override
    {
        ASSERT_TRUE(service.IsRunning()) << service.StartError().toStdString();
        ASSERT_EQ(Start(), CKelvoApp::Start::Run);
        dlg = Dlg();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
        editor = dlg->Editor();
        dlg->SetDialogRunner([this](QDialog& dialog) { return Answer(dialog); });
    }
    void TearDown() override
    {
        if (dlg)
            dlg->WaitForRingJob();
    }

    bool Answer(QDialog& dialog)
    {
        if (auto* login = qobject_cast<CLoginDialog*>(&dialog)) {
            const bool ok = LogInThroughDialog(*login, service, QStringLiteral("13800138000"));
            messages.messages.removeAll(QString::fromUtf8(ServiceText::kValCodeSent));
            return ok;
        }
        if (auto* offer = qobject_cast<CMonthOrderDialog*>(&dialog)) {
            offer->findChild<QRadioButton*>("perUseRadio")->setChecked(true);
            offer->accept();
            return offer->result() == QDialog::Accepted;
        }
        if (auto* named = qobject_cast<Kelvo::CRingContentDialog*>(&dialog)) {
            named->NameEdit()->setText(QStringLiteral("语音 问候"));
            // 录音数据: the voice alone.
            for (QRadioButton* radio : named->findChildren<QRadioButton*>())
                if (GetDlgCtrlID(radio) == 1043)
                    radio->setChecked(true);
            named->AddToLibraryBox()->setChecked(false);
            named->accept();
            return named->result() == QDialog::Accepted;
        }
        return false;
    }
    void Click(int id)
    {
        auto* button = qobject_cast<QPushButton*>(dlg->Control(id));
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }

    RingServiceFixture service;
    ScopedServiceHost host{service.HostPort()};
    CKelvoDlg* dlg = nullptr;
    CBrevanta* editor = nullptr;
};

TEST_F(KelvoVoiceRing, AVoiceOverTheGeneratedSilenceIsUploadedAlone)
{
    ASSERT_TRUE(editor->GetMusic().IsSilentDefault());
    ASSERT_TRUE(dlg->LoadedMusicPath().isEmpty());

    // 录音 and, half a second after the voice has ended, 录音 again. The
    // window stays live meanwhile, as it does for the user.
    Click(102);
    ASSERT_TRUE(editor->IsRecording()) << messages.messages.join('|').toStdString();
    QTest::qWait(kVoiceSeconds * 1000 + 500);
    Click(102);
    ASSERT_FALSE(editor->IsRecording());
    QCoreApplication::processEvents();
    ASSERT_TRUE(editor->GetVoice().HasData());

    // Ten seconds from the start of the silence, as a drag would select them.
    editor->SetSelectionStart(editor->MsToX(0));
    editor->SetSelectionEnd(editor->MsToX(10000));
    dlg->UpdateTimeEdits();
    uint32_t offset = 0;
    uint32_t length = 0;
    editor->GetVoiceRange(&offset, &length);
    const double voiceSeconds = length / 88200.0;
    ASSERT_GT(voiceSeconds, 3.0);

    Click(1019); // 上传铃音
    dlg->WaitForRingJob();
    EXPECT_EQ(messages.messages, QStringList{QStringLiteral("彩铃上传成功！")});

    const QList<QJsonObject> uploads = service.RequestsTo("/zuvo/person/add_ringLibZuvo.me");
    ASSERT_EQ(uploads.size(), 1);
    PrintRequests(uploads);
    const QString ring = service.SavedPart("/zuvo/person/add_ringLibZuvo.me", "upload");
    const QString vox = service.SavedPart("/zuvo/person/add_ringLibZuvo.me", "vox");
    QByteArray probe;
    ASSERT_TRUE(RunTool("ffprobe",
                        {"-v", "error", "-show_entries",
                         "format=format_name,duration:stream=codec_name,sample_rate,channels",
                         "-of", "compact", ring},
                        &probe));
    std::cout << "[ ffprobe ] " << probe.toStdString();
    const double ringSeconds = DecodedSamples(ring) / 22050.0; // the voice's rate, mono
    std::cout << "[ ffprobe ] decoded " << ringSeconds << " s; voice in the selection "
              << voiceSeconds << " s\n";
    EXPECT_NEAR(ringSeconds, voiceSeconds, 2048.0 / 22050 + 0.01);

    // What the service keeps is the voice: its tone from the start, nothing
    // of the (silent) music mixed in after it; the ring format file too.
    const QList<double> levels = ToneLevels(ring);
    std::cout << "[ ffmpeg ] tone level per quarter second:";
    for (double level : levels)
        std::cout << ' ' << int(level);
    std::cout << '\n';
    ASSERT_GE(levels.size(), 12);
    for (int i = 1; i < 12; ++i)
        EXPECT_GT(levels[i], 3000) << "quarter " << i;
    QByteArray decodedVox;
    ASSERT_TRUE(RunTool("sox",
                        {"-t", "vox", "-r", "8000", "-c", "1", vox, "-t", "raw", "-e",
                         "signed-integer", "-b", "16", "-"},
                        &decodedVox));
    EXPECT_NEAR(decodedVox.size() / 2 / 8000.0, voiceSeconds, 0.01);
    // The voice is in an uploaded ring: closing does not ask.
    EXPECT_TRUE(dlg->QueryClose());
}

} // namespace
