// The ring of the selection: a 1 kHz tone for music and a noise burst for
// the voice at a known place, cut, mixed, converted and written, with the
// files checked by ffprobe, ffmpeg and sox.
#include "audio/IProgress.h"
#include "tests/audio/EncodedFixtures.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/FakeCapture.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/QuietProgress.h"
#include "voice/Brevanta.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

using EncodedFixtures::MakeWav;
using EncodedFixtures::PathOf;
using EncodedFixtures::RunTool;

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<int16_t> SamplesOf(const WaveData& track)
{
    std::vector<int16_t> samples(track.GetSize() / 2);
    if (!samples.empty())
        std::memcpy(samples.data(), track.GetData(), samples.size() * 2);
    return samples;
}

// How much of a 1 kHz sine the samples hold, as its amplitude.
double ToneAmplitude(const std::vector<int16_t>& s, int rate)
{
    double re = 0;
    double im = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        re += s[i] * std::cos(2 * kPi * 1000 * i / rate);
        im += s[i] * std::sin(2 * kPi * 1000 * i / rate);
    }
    return s.empty() ? 0 : 2 * std::hypot(re, im) / s.size();
}

// The lag in [from, to] where b best lines up inside a, by normalised
// cross-correlation, and that correlation.
std::pair<int, double> BestLag(const std::vector<int16_t>& a, const std::vector<int16_t>& b,
                               int from, int to)
{
    std::pair<int, double> best{from, -2};
    for (int lag = from; lag <= to; ++lag) {
        double ab = 0, aa = 0, bb = 0;
        for (size_t i = 0; i < b.size() && lag + i < a.size(); ++i) {
            ab += double(a[lag + i]) * b[i];
            aa += double(a[lag + i]) * a[lag + i];
            bb += double(b[i]) * b[i];
        }
        const double r = aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
        if (r > best.second)
            best = {lag, r};
    }
    return best;
}

// What the export told the progress window, from whichever thread.
struct ProgressLog : QuietProgress
{
    void StageDone() override { Add("done"); }
    void SetText(const QString& text) override { Add("text " + text); }
    void SetPercent(int percent) override { Add(QString("at %1").arg(percent)); }
    void SetCeiling(int ceiling) override { Add(QString("up to %1").arg(ceiling)); }
    void Show() override { Add("shown"); }
    void Add(const QString& entry)
    {
        std::lock_guard<std::mutex> lock(mutex);
        log << entry;
    }
    std::mutex mutex;
    QStringList log;
};

class BrevantaRing : public testing::Test
{
protected:
    void SetUp() override
    {
        // 1000 px over 10 s of 32000 Hz mono music: 10 ms a pixel, 64 bytes a ms.
        editor.resize(1002, 200);
        editor.EnumWmaFormats();
        auto music = std::make_unique<WaveData>();
        music->SetFormat(MakePcmFormat(1, 32000, 16));
        auto tone = std::make_unique<WaveBuffer>(640000);
        for (int i = 0; i < 320000; ++i) {
            const auto v = static_cast<int16_t>(8000 * std::sin(2 * kPi * 1000 * i / 32000.0));
            std::memcpy(tone->data.get() + 2 * i, &v, 2);
        }
        music->SetBuffer(std::move(tone));
        editor.SetMusic(std::move(music));

        // Half a second of noise, the same on both channels of the voice.
        std::mt19937 random(7);
        std::uniform_int_distribution<int> noise(-8000, 8000);
        auto burst = std::make_unique<WaveBuffer>(44100);
        for (uint32_t i = 0; i < 44100 / 4; ++i) {
            const auto v = static_cast<int16_t>(noise(random));
            std::memcpy(burst->data.get() + 4 * i, &v, 2);
            std::memcpy(burst->data.get() + 4 * i + 2, &v, 2);
        }
        editor.GetVoice().SetBuffer(std::move(burst));
        editor.SetVoiceBlockX(301);    // 3000 ms
        editor.SetSelectionStart(201); // 2000 ms
        editor.SetSelectionEnd(601);   // 6000 ms
    }

    ProgressLog progress;
    PlayerLog players;
    std::atomic<bool> busy{false};
    CBrevanta editor{&progress, nullptr, &busy, nullptr, RecordingPlayers(players)};
};

TEST_F(BrevantaRing, ContentsHoldMusicVoiceOrBothInPlace)
{
    const auto music = editor.BuildRing(CBrevanta::kRingMusic);
    const auto voice = editor.BuildRing(CBrevanta::kRingVoice);
    const auto mix = editor.BuildRing(CBrevanta::kRingMix);
    ASSERT_TRUE(music && voice && mix);
    EXPECT_EQ(music->GetFormat(), MakePcmFormat(1, 32000, 16)) << "the table has 32 kHz";
    EXPECT_EQ(mix->GetFormat(), MakePcmFormat(1, 32000, 16));
    EXPECT_EQ(voice->GetFormat(), MakePcmFormat(1, 22050, 16)) << "voice keeps its rate";
    EXPECT_EQ(music->GetSize(), 4u * 64000);
    EXPECT_EQ(mix->GetSize(), 4u * 64000);
    EXPECT_EQ(
        std::memcmp(music->GetData(), editor.GetMusic().GetData() + 2000 * 64, music->GetSize()),
        0)
        << "the music alone, unchanged: no burst";

    // The voice ring is the burst alone: no tone in it, and as long as it.
    const std::vector<int16_t> v = SamplesOf(*voice);
    EXPECT_NEAR(v.size(), 11025u, 4u);
    EXPECT_LT(ToneAmplitude(v, 22050), 100);
    EXPECT_NEAR(ToneAmplitude(SamplesOf(*music), 32000), 8000, 50);

    // The mix less the music is the burst, 100 px after the selection start:
    // 990 ms, as pixel distances count one pixel less.
    const std::vector<int16_t> m = SamplesOf(*mix);
    const std::vector<int16_t> t = SamplesOf(*music);
    std::vector<int16_t> rest(m.size());
    for (size_t i = 0; i < m.size(); ++i)
        rest[i] = static_cast<int16_t>(m[i] - t[i]);
    const auto converted = editor.GetVoice().ConvertFormat(MakePcmFormat(1, 32000, 16));
    ASSERT_TRUE(converted);
    const std::vector<int16_t> burst = SamplesOf(*converted);
    const int first = static_cast<int>(
        std::find_if(rest.begin(), rest.end(), [](int16_t x) { return x != 0; }) - rest.begin());
    const auto [lag, r] = BestLag(rest, burst, std::max(first - 64, 0), first + 64);
    EXPECT_EQ(lag, 990 * 32);
    EXPECT_GT(r, 0.99);
    EXPECT_NEAR(ToneAmplitude(m, 32000), 8000, 50) << "and the tone throughout";
}

TEST_F(BrevantaRing, OnlyWhatTheSelectionHolds)
{
    // A voice that starts before the selection gives its part inside, from 0.
    editor.SetVoiceBlockX(181); // 1800 ms: 200 ms before the start
    uint32_t offset = 0;
    uint32_t length = 0;
    editor.GetVoiceRange(&offset, &length);
    EXPECT_EQ(offset, 16756u); // 19 px of the block lie left: 190 ms
    EXPECT_EQ(length, 44100u - 16756);
    const auto mix = editor.BuildRing(CBrevanta::kRingMix);
    const auto music = editor.BuildRing(CBrevanta::kRingMusic);
    ASSERT_TRUE(mix && music);
    EXPECT_EQ(mix->GetSize(), 4u * 64000);
    EXPECT_NE(std::memcmp(mix->GetData(), music->GetData(), 64), 0) << "the voice from 0";

    // Out of reach: nothing to build.
    editor.SetVoiceBlockX(700);
    EXPECT_EQ(editor.BuildRing(CBrevanta::kRingVoice), nullptr);
    EXPECT_EQ(editor.BuildRing(3), nullptr);
    EXPECT_EQ(editor.BuildRing(-1), nullptr);
    editor.SetSelectionStart(990); // 9890 ms .. past the end of the music
    editor.SetSelectionEnd(1300);
    const auto tail = editor.BuildRing(CBrevanta::kRingMusic);
    ASSERT_TRUE(tail);
    EXPECT_EQ(tail->GetSize(), (10000u - 9890) * 64) << "held to the music's end";
    editor.SetSelectionStart(1200); // start past the end: nothing, not a negative length
    EXPECT_EQ(editor.BuildRing(CBrevanta::kRingMusic), nullptr);
    EXPECT_EQ(editor.BuildRing(CBrevanta::kRingMix), nullptr);

    editor.ClearMusic(); // silence: no music to ring, unless a voice is in it
    editor.SetSelectionStart(201);
    editor.SetSelectionEnd(601);
    editor.SetVoiceBlockX(301);
    // Over six minutes, 30 s of voice: 84 px.
    editor.GetVoice().SetBuffer(std::make_unique<WaveBuffer>(30 * 88200));
    EXPECT_EQ(editor.BuildRing(CBrevanta::kRingMusic), nullptr);
    EXPECT_NE(editor.BuildRing(CBrevanta::kRingMix), nullptr);
    editor.SetVoiceBlockX(700);
    EXPECT_EQ(editor.BuildRing(CBrevanta::kRingMix), nullptr);
}

TEST(BrevantaMix, SaturatesAndStaysInsideBothBuffers)
{
    const auto Buffer16 = [](std::vector<int16_t> v) {
        auto b = std::make_unique<WaveBuffer>(static_cast<uint32_t>(v.size() * 2));
        std::memcpy(b->data.get(), v.data(), v.size() * 2);
        return b;
    };
    auto dest = Buffer16({30000, -30000, 100, 5});
    auto loud = Buffer16({10000, -10000, -200, 7, 9, 9, 9});
    EXPECT_EQ(CBrevanta::MixInto(*dest, *loud, MakePcmFormat(1, 8000, 16), 0), 1);
    const int16_t* d = reinterpret_cast<const int16_t*>(dest->data.get());
    EXPECT_EQ(std::vector<int16_t>(d, d + 4), (std::vector<int16_t>{32767, -32768, -100, 12}));
    EXPECT_EQ(CBrevanta::MixInto(*dest, *loud, MakePcmFormat(1, 8000, 16), 6), 1);
    EXPECT_EQ(d[3], 10012) << "only the last sample, from the source's first";
    EXPECT_EQ(CBrevanta::MixInto(*dest, *loud, MakePcmFormat(1, 8000, 16), 1000), 1);

    WaveBuffer bytes8(3);
    std::memcpy(bytes8.data.get(), "\xF0\x10\x80", 3);
    WaveBuffer add8(3);
    std::memcpy(add8.data.get(), "\xF0\x10\x90", 3);
    EXPECT_EQ(CBrevanta::MixInto(bytes8, add8, MakePcmFormat(1, 8000, 8), 0), 1);
    EXPECT_EQ(std::memcmp(bytes8.data.get(), "\xFF\x00\x90", 3), 0);
    EXPECT_EQ(CBrevanta::MixInto(bytes8, add8, MakePcmFormat(1, 8000, 24), 0), 0);
    EXPECT_EQ(std::memcmp(bytes8.data.get(), "\xFF\x00\x90", 3), 0);
}

struct Probed
{
    QString format;
    QString codec;
    int rate = 0;
    int channels = 0;
    double duration = -1;
};

Probed Probe(const QString& path)
{
    QByteArray out;
    Probed view;
    if (!RunTool("ffprobe",
                 {"-v", "error", "-show_entries",
                  "format=format_name,duration:stream=codec_name,sample_rate,channels", "-of",
                  "json", path},
                 &out))
        return view;
    const QJsonObject root = QJsonDocument::fromJson(out).object();
    const QJsonObject stream = root["streams"].toArray().at(0).toObject();
    view.format = root["format"].toObject()["format_name"].toString();
    view.duration = root["format"].toObject()["duration"].toString().toDouble();
    view.codec = stream["codec_name"].toString();
    view.rate = stream["sample_rate"].toString().toInt();
    view.channels = stream["channels"].toInt();
    return view;
}

TEST_F(BrevantaRing, TheRingFilesAsOtherToolsReadThem)
{
    auto ring = editor.BuildRing(CBrevanta::kRingMix);
    ASSERT_TRUE(ring);
    const QString wma = PathOf("ring.kox");
    ASSERT_EQ(editor.SaveWma(wma, ring.get()), 1);
    const Probed probed = Probe(wma);
    EXPECT_EQ(probed.format, "asf");
    EXPECT_EQ(probed.codec, "wmav2");
    EXPECT_EQ(probed.channels, 1);
    EXPECT_EQ(probed.rate, 32000);
    QByteArray decoded;
    ASSERT_TRUE(RunTool("ffmpeg", {"-v", "error", "-i", wma, "-f", "s16le", "-"}, &decoded));
    EXPECT_NEAR(decoded.size() / 2, 4 * 32000, 2048) << "within a codec frame";

    EXPECT_EQ(editor.SaveVox(PathOf("early.vox"), ring.get()), 0) << "8000 Hz mono only";
    EXPECT_FALSE(QFile::exists(PathOf("early.vox")));
    ASSERT_EQ(editor.ConvertToRingFormat(ring.get()), 1);
    EXPECT_EQ(ring->GetFormat(), MakePcmFormat(1, 8000, 16));
    EXPECT_EQ(editor.ConvertToRingFormat(ring.get()), 1) << "nothing more to do";
    const QString vox = PathOf("ring.vox");
    ASSERT_EQ(editor.SaveVox(vox, ring.get()), 1);
    QByteArray pcm;
    ASSERT_TRUE(RunTool("sox",
                        {"-t", "vox", "-r", "8000", "-c", "1", vox, "-t", "raw", "-e",
                         "signed-integer", "-b", "16", "-"},
                        &pcm));
    EXPECT_NEAR(pcm.size() / 2, 4 * 8000, 16);
    // The tone comes through the 4-bit coding.
    std::vector<int16_t> samples(pcm.size() / 2);
    std::memcpy(samples.data(), pcm.constData(), samples.size() * 2);
    EXPECT_NEAR(ToneAmplitude({samples.begin(), samples.begin() + 8000}, 8000), 8000, 1500);
}

TEST_F(BrevantaRing, TheWholeExportRunsOnAWorker)
{
    editor.ShowProgress();
    int wma = 0;
    int vox = 0;
    std::thread worker([&] {
        editor.SetProgressText("making");
        editor.SetProgressTarget(60);
        auto ring = editor.BuildRing(CBrevanta::kRingMix);
        wma = editor.SaveWma(PathOf("worker.kox"), ring.get());
        editor.SetProgressPos(60);
        vox = editor.ConvertToRingFormat(ring.get()) == 1 &&
              editor.SaveVox(PathOf("worker.vox"), ring.get()) == 1;
        editor.FinishProgress();
    });
    worker.join();
    EXPECT_EQ(wma, 1);
    EXPECT_EQ(vox, 1);
    EXPECT_TRUE(QFile::exists(PathOf("worker.kox")) && QFile::exists(PathOf("worker.vox")));
    EXPECT_EQ(progress.log, (QStringList{"up to 0", "text ", "shown", "text making", "up to 60",
                                         "at 60", "text ", "done"}));
}

TEST_F(BrevantaRing, FailedWritesReturnZeroAndLeaveNoFile)
{
    auto ring = editor.BuildRing(CBrevanta::kRingMix);
    ASSERT_TRUE(ring);
    auto eight = editor.BuildRing(CBrevanta::kRingMix);
    ASSERT_TRUE(eight && editor.ConvertToRingFormat(eight.get()) == 1);
    const struct
    {
        const char* name;
        std::function<int(const QString&)> save;
    } writers[] = {
        {"ring file", [&](const QString& path) { return editor.SaveWma(path, ring.get()); }},
        {"vox", [&](const QString& path) { return editor.SaveVox(path, eight.get()); }},
    };
    for (const auto& w : writers) {
        SCOPED_TRACE(w.name);
        const QString full = PathOf(QString("full-%1").arg(w.name));
        {
            FileSizeLimit limit(4096);
            ASSERT_TRUE(limit.IsSet());
            EXPECT_EQ(w.save(full), 0);
        }
        EXPECT_FALSE(QFile::exists(full));
        EXPECT_TRUE(QDir(QFileInfo(full).path()).entryList(QDir::Files).isEmpty())
            << "no temporary left behind";
        const QString missing = PathOf("no-such-folder/ring");
        EXPECT_EQ(w.save(missing), 0);
        EXPECT_FALSE(QFile::exists(missing));
    }

    // A rate the table does not have is refused, not written.
    WaveData odd;
    odd.SetFormat(MakePcmFormat(1, 12345, 16));
    odd.SetBuffer(std::make_unique<WaveBuffer>(24690));
    EXPECT_EQ(editor.SaveWma(PathOf("odd.kox"), &odd), 0);
    EXPECT_FALSE(QFile::exists(PathOf("odd.kox")));
}

// Ring jobs as Kelvo runs them: the command claims the job and takes the
// snapshot on the GUI thread; the worker builds and writes the ring while
// the GUI thread goes on changing the editor.
class BrevantaRingJob : public BrevantaRing
{
protected:
    struct Written
    {
        QByteArray pcm; // the ring before its conversion to the ring format
        int wma = 0;
        int vox = 0;
        int rounds = 0; // changes the GUI thread made while the worker ran
    };

    // Runs one job of content; meanwhile(round) runs on this thread, over
    // and over, until the worker has written both files. The worker starts
    // building only once the editor has changed twice, and ends the job
    // only after the last change, so every change falls inside the job.
    Written RunJob(int content, const std::function<void(int)>& meanwhile)
    {
        Written written;
        if (!editor.BeginRingJob())
            return written;
        RingSnapshot snapshot = editor.TakeRingSnapshot(content);
        std::atomic<int> changes{0};
        std::atomic<bool> done{false};
        std::atomic<bool> release{false};
        std::thread worker([&, snapshot = std::move(snapshot)]() mutable {
            while (changes.load() < 2)
                std::this_thread::yield();
            std::unique_ptr<WaveData> ring = CBrevanta::BuildRing(std::move(snapshot));
            if (ring) {
                written.pcm =
                    QByteArray(reinterpret_cast<const char*>(ring->GetData()), ring->GetSize());
                written.wma = editor.SaveWma(PathOf("job.kox"), ring.get());
                written.vox = editor.ConvertToRingFormat(ring.get()) == 1 &&
                              editor.SaveVox(PathOf("job.vox"), ring.get()) == 1;
            }
            done = true;
            while (!release.load())
                std::this_thread::yield();
            editor.EndRingJob();
        });
        do {
            meanwhile(written.rounds++);
            QCoreApplication::processEvents();
            ++changes;
        } while (!done.load() || changes.load() < 2);
        release = true;
        worker.join();
        return written;
    }

    // The seconds ffprobe finds in the ring file and sox in the VOX file.
    static std::pair<double, double> Lengths()
    {
        QByteArray pcm;
        if (!RunTool("sox",
                     {"-t", "vox", "-r", "8000", "-c", "1", PathOf("job.vox"), "-t", "raw", "-e",
                      "signed-integer", "-b", "16", "-"},
                     &pcm))
            return {-1, -1};
        return {Probe(PathOf("job.kox")).duration, pcm.size() / 2 / 8000.0};
    }

    FakeCaptureState input;
};

TEST_F(BrevantaRingJob, TheRingIsWhatTheSelectionHeldAtTheCommand)
{
    editor.SetCaptureFactory(FakeCaptures(input));
    const QString other = MakeWav("other.wav", 8000, 1, 1.0);
    ASSERT_FALSE(other.isEmpty());
    const struct
    {
        int content;
        double seconds;
    } cases[] = {
        {CBrevanta::kRingMusic, 4}, {CBrevanta::kRingVoice, 0.5}, {CBrevanta::kRingMix, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        editor.resize(1002, 200);
        editor.SetSelectionStart(201); // 2000 .. 6000 ms
        editor.SetSelectionEnd(601);
        editor.SetVoiceBlockX(301);
        const std::unique_ptr<WaveData> atCommand = editor.BuildRing(c.content);
        ASSERT_TRUE(atCommand);
        const uint32_t musicBytes = editor.GetMusic().GetSize();
        const Written written = RunJob(c.content, [&](int round) {
            // Drags between a 4-s and a 6-s selection, the voice moved, the
            // window resized: none of it reaches the ring.
            const bool wide = round % 2 == 0;
            editor.SetSelectionStart(wide ? 101 : 201);
            editor.SetSelectionEnd(wide ? 701 : 601);
            editor.SetVoiceBlockX(wide ? 150 : 301);
            editor.resize(wide ? 602 : 1002, 200);
            // What would change the tracks is refused while the job runs.
            EXPECT_TRUE(editor.IsRingJobRunning());
            EXPECT_FALSE(editor.BeginRingJob());
            EXPECT_EQ(editor.StartRecord(), 0);
            EXPECT_FALSE(editor.IsRecording());
            EXPECT_FALSE(editor.DeleteRecording());
            EXPECT_FALSE(editor.ClearMusic());
            auto music = std::make_unique<WaveData>();
            music->SetFormat(MakePcmFormat(1, 8000, 8));
            music->SetBuffer(std::make_unique<WaveBuffer>(8000));
            EXPECT_FALSE(editor.SetMusic(std::move(music)));
            editor.OpenFileAsync(other);
            EXPECT_FALSE(editor.IsOpening());
        });
        EXPECT_GT(written.rounds, 2);
        EXPECT_FALSE(editor.IsRingJobRunning());
        EXPECT_FALSE(busy.load()) << "the job's end frees the shared flag";
        EXPECT_EQ(editor.GetMusic().GetSize(), musicBytes) << "the music stayed";
        EXPECT_TRUE(editor.GetVoice().HasData()) << "and the voice";
        ASSERT_EQ(written.wma, 1);
        ASSERT_EQ(written.vox, 1);
        ASSERT_EQ(written.pcm.size(), static_cast<qsizetype>(atCommand->GetSize()));
        EXPECT_EQ(std::memcmp(written.pcm.constData(), atCommand->GetData(), written.pcm.size()),
                  0);
        const auto [ring, vox] = Lengths();
        EXPECT_NEAR(ring, c.seconds, 0.1);
        EXPECT_NEAR(vox, c.seconds, 0.01);
    }

    // The job over, the commands work again.
    EXPECT_TRUE(editor.DeleteRecording());
    EXPECT_EQ(editor.StartRecord(), 1);
    editor.Stop();
    EXPECT_TRUE(editor.ClearMusic());
}

TEST_F(BrevantaRingJob, ARecordingEndingDuringTheJobLeavesTheRingAsCommanded)
{
    // A recording runs at the command: the voice track is empty until it
    // stops. It stops during the job and the voice it leaves overlaps the
    // selection, but the ring is the music alone, as at the command.
    editor.SetCaptureFactory(FakeCaptures(input));
    ASSERT_EQ(editor.StartRecord(), 1); // from the cursor at 0 ms
    const std::unique_ptr<WaveData> atCommand = editor.BuildRing(CBrevanta::kRingMix);
    ASSERT_TRUE(atCommand);
    const Written written = RunJob(CBrevanta::kRingMix, [&](int round) {
        if (round == 0) {
            ASSERT_TRUE(Deliver(input, RampFrames(0, 3 * 22050))); // 3 s: to 3000 ms
            editor.Stop();
        }
    });
    ASSERT_EQ(editor.GetVoice().GetSize(), 3u * 88200) << "the voice changed during the job";
    ASSERT_EQ(written.pcm.size(), static_cast<qsizetype>(atCommand->GetSize()));
    EXPECT_EQ(std::memcmp(written.pcm.constData(), atCommand->GetData(), written.pcm.size()), 0);
    const auto ring = editor.BuildRing(CBrevanta::kRingMix);
    ASSERT_TRUE(ring);
    EXPECT_NE(std::memcmp(ring->GetData(), atCommand->GetData(), 64000), 0)
        << "a ring asked for now holds the new voice";
}

TEST_F(BrevantaRingJob, AJobWaitsForAnOpenAndAnOpenForTheJob)
{
    const QString wav = MakeWav("song.wav", 8000, 1, 0.5);
    busy = true; // an open holds the flag
    EXPECT_FALSE(editor.BeginRingJob());
    EXPECT_FALSE(editor.IsRingJobRunning());
    editor.EndRingJob();
    EXPECT_TRUE(busy.load()) << "only a job's own end frees the flag";
    busy = false;
    ASSERT_TRUE(editor.BeginRingJob());
    editor.EndRingJob();
    EXPECT_FALSE(busy.load());
    editor.OpenFileAsync(wav);
    EXPECT_TRUE(editor.IsOpening());
    EXPECT_FALSE(editor.BeginRingJob()) << "while the music opens";
    editor.WaitForOpen();
    EXPECT_TRUE(editor.BeginRingJob());
    editor.EndRingJob();
}

} // namespace
