#include "audio/WmaWriter.h"
#include "editor/EditorView.h"
#include "editor/WaveCtrl.h"
#include "publish/ProgressDialog.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

WaveFormatEx Offer(uint32_t rate, uint32_t bytesPerSecond)
{
    WaveFormatEx format;
    format.formatTag = CWmaWriter::kWmaFormatTag;
    format.channels = 1;
    format.samplesPerSec = rate;
    format.avgBytesPerSec = bytesPerSecond;
    format.bitsPerSample = 16;
    return format;
}

std::unique_ptr<CWaveDoc> SilentClip(const WaveFormat& format, uint32_t bytes)
{
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetFormat(format);
    clip->CreateStore(bytes);
    return clip;
}

// The timeline as the editor pane builds and initialises it.
struct Ring : testing::Test
{
    Ring()
    {
        view.resize(800, 400);
        view.InitEditor();
        view.show();
        ctrl = view.WaveCtrl();
    }
    // One track holding a 1-s 44.1 kHz stereo clip.
    void AddSong() { ctrl->AddNewTrack()->AddClip(IndexedClip(44100)); }

    // Runs work on a thread of its own while the GUI thread keeps going.
    void OnWorker(const std::function<void()>& work)
    {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            work();
            done = true;
        });
        EXPECT_TRUE(TestEnvironment::WaitFor([&] { return done.load(); }, 30000));
        worker.join();
    }

    CEditorView view;
    CWaveCtrl* ctrl = nullptr;
};

QJsonObject Probe(const QString& path)
{
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries",
                            "format=format_name:stream=codec_name,sample_rate,channels", "-of",
                            "json", path});
    probe.waitForFinished(30000);
    return QJsonDocument::fromJson(probe.readAllStandardOutput()).object();
}

} // namespace

TEST_F(Ring, FormatListIsBuiltAtInitialisation)
{
    std::vector<uint32_t> rates;
    for (const WaveFormatEx& entry : ctrl->WmaFormats().Entries())
        rates.push_back(entry.samplesPerSec);
    EXPECT_EQ(rates, (std::vector<uint32_t>{8000, 11025, 16000, 22050, 32000, 44100}));

    const struct
    {
        uint32_t rate;
        uint32_t bytesPerSecond; // 0: none
    } cases[] = {{44100, 12000}, {8000, 4000}, {12345, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        const auto clip = SilentClip(MakePcmFormat(1, c.rate, 16), 2);
        const WaveFormatEx* entry = ctrl->FindFormatByRate(clip.get());
        if (c.bytesPerSecond == 0) {
            EXPECT_EQ(entry, nullptr);
        } else {
            ASSERT_TRUE(entry);
            EXPECT_EQ(entry->avgBytesPerSec, c.bytesPerSecond);
        }
    }
    EXPECT_EQ(ctrl->FindFormatByRate(nullptr), nullptr);
    ASSERT_TRUE(ctrl->GetHighestRateFormat());
    EXPECT_EQ(ctrl->GetHighestRateFormat()->samplesPerSec, 44100u);

    ctrl->BuildWmaFormatList({});
    EXPECT_EQ(ctrl->GetHighestRateFormat(), nullptr);
}

TEST_F(Ring, MixdownForUploadIsMonoAtAListedRate)
{
    AddSong();
    ctrl->SetSelection(100, 600);
    EXPECT_EQ(ctrl->GetSelectionLength(), 500u);

    const struct
    {
        const char* name;
        std::vector<WaveFormatEx> offered;
        uint32_t rate; // 0: no clip
    } cases[] = {
        {"the project rate is offered",
         {Offer(8000, 4000), Offer(16000, 6000), Offer(44100, 8000)},
         44100},
        {"else the highest rate", {Offer(8000, 4000), Offer(16000, 6000)}, 16000},
        {"no formats", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ctrl->BuildWmaFormatList(c.offered);
        const auto mix = ctrl->MixdownForUpload(100, 600);
        if (c.rate == 0) {
            EXPECT_EQ(mix, nullptr);
            continue;
        }
        ASSERT_TRUE(mix);
        EXPECT_EQ(mix->GetFormat(), MakePcmFormat(1, c.rate, 16));
        EXPECT_NEAR(mix->GetDuration(), 500, 2);
    }
    ctrl->BuildWmaFormatList(CWmaWriter::OfferedFormats());
    EXPECT_EQ(ctrl->MixdownForUpload(300, 300), nullptr) << "nothing selected";
}

TEST_F(Ring, ProgressIsDrivenFromTheWorker)
{
    CProgressDialog* progress = ctrl->ProgressDialog();
    progress->SetText("left over");
    ctrl->ShowProgress();
    EXPECT_TRUE(progress->isVisible());
    EXPECT_EQ(progress->Ceiling(), 0);
    EXPECT_EQ(progress->Text(), QString());

    OnWorker([&] {
        ctrl->SetProgressText(QStringLiteral("生成铃音文件..."));
        ctrl->SetProgressPos(40);
        ctrl->SetProgressLimit(60);
    });
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return progress->Percent() == 60; }, 10000))
        << "the window's timer climbs to the ceiling";
    EXPECT_EQ(progress->Text(), QStringLiteral("生成铃音文件..."));

    OnWorker([&] { ctrl->CompleteProgress(); });
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return !progress->isVisible(); }));
}

TEST_F(Ring, RingFilesAreWrittenOnAWorker)
{
    AddSong();
    ctrl->SetSelection(0, 1000);
    const QString kox = TestEnvironment::Home() + "/ring.kox";
    const QString vox = TestEnvironment::Home() + "/ring.vox";
    int koxWritten = 0, voxWritten = 0;
    uint32_t ringBytes = 0;
    OnWorker([&] {
        const auto mix = ctrl->MixdownForUpload(0, 1000);
        if (!mix)
            return;
        koxWritten = ctrl->WriteWmaFile(kox, mix.get());
        const auto ring = mix->ConvertFormat(kRingFormat);
        ringBytes = ring ? ring->GetDataSize() : 0;
        voxWritten = ctrl->WriteVoxFile(vox, ring.get());
    });
    EXPECT_EQ(koxWritten, 1);
    const QJsonObject probe = Probe(kox);
    EXPECT_EQ(probe["format"].toObject()["format_name"].toString(), "asf");
    const QJsonObject stream = probe["streams"].toArray().at(0).toObject();
    EXPECT_EQ(stream["codec_name"].toString(), "wmav2");
    EXPECT_EQ(stream["sample_rate"].toString(), "44100");
    EXPECT_EQ(stream["channels"].toInt(), 1);

    EXPECT_EQ(voxWritten, 1);
    EXPECT_GT(ringBytes, 0u);
    EXPECT_EQ(QFile(vox).size(), ringBytes / 4) << "two 16-bit samples a byte";
}

TEST_F(Ring, WritesThatCannotWorkFailWithoutAFile)
{
    const auto odd = SilentClip(MakePcmFormat(1, 12345, 16), 24690);
    const auto song = SilentClip(MakePcmFormat(1, 44100, 16), 88200);
    const QString target = TestEnvironment::Home() + "/ring.kox";
    const QString missing = TestEnvironment::Home() + "/missing/ring.kox";
    EXPECT_EQ(ctrl->WriteWmaFile(target, odd.get()), 0) << "no listed format";
    EXPECT_EQ(ctrl->WriteWmaFile(target, nullptr), 0);
    EXPECT_EQ(ctrl->WriteVoxFile(target, nullptr), 0);
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_EQ(ctrl->WriteWmaFile(missing, song.get()), 0);
    EXPECT_EQ(ctrl->WriteVoxFile(missing, song.get()), 0);
    EXPECT_FALSE(QFile::exists(missing));
}
