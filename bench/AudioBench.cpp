// Speed of the engine's heavy kernels: converting a long recording to the
// ring format, drawing a clip, whose cost must depend on the visible width
// and the zoom, not on the clip's length, and the two ring encoders.
#include "audio/RingFiles.h"
#include "audio/VoxWriter.h"
#include "audio/WaveDoc.h"
#include "audio/WmaFormatList.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QDir>
#include <QRect>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <map>
#include <memory>

namespace {

constexpr int kMsPerPixel = 20;     // a 1-minute clip spans 3000 px
constexpr int kVisibleWidth = 1000; // px
constexpr int kRowHeight = 120;     // px

// A clip of the given length in the project format holding a tone under noise,
// so that every column has peaks of its own.
std::unique_ptr<CWaveDoc> MakeClip(uint32_t seconds)
{
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetFormat(kProjectFormat);
    const uint32_t frames = seconds * kProjectFormat.samplesPerSec;
    if (!clip->CreateStore(frames * kProjectFormat.blockAlign))
        return nullptr;
    const CMappedView view = clip->GetStore()->MapView(0, clip->GetDataSize());
    if (!view)
        return nullptr;
    int16_t table[441];
    for (int i = 0; i < 441; ++i)
        table[i] = static_cast<int16_t>(12000 * std::sin(2 * M_PI * i / 441.0));
    uint32_t noise = 1;
    auto* out = reinterpret_cast<int16_t*>(view.data());
    for (uint32_t i = 0; i < frames; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const int16_t jitter = static_cast<int16_t>(static_cast<int32_t>(noise >> 16) % 4000);
        out[2 * i] = static_cast<int16_t>(table[i % 441] + jitter);
        out[2 * i + 1] = static_cast<int16_t>(table[(i * 3 / 2) % 441] - jitter);
    }
    return clip;
}

// Clips are made once per length and kept for every benchmark that uses them.
CWaveDoc* ClipOfMinutes(int minutes)
{
    static std::map<int, std::unique_ptr<CWaveDoc>> clips;
    auto& clip = clips[minutes];
    if (!clip)
        clip = MakeClip(static_cast<uint32_t>(minutes) * 60);
    return clip.get();
}

// The two first columns scrolling alternates between, both in the clip's
// middle, each leaving a full visible width of clip to the right.
int ScrollColumn(int minutes, int64_t iteration)
{
    const int middle = minutes * 60000 / kMsPerPixel / 2;
    return middle - (iteration % 2 ? 0 : kVisibleWidth);
}

void BM_ConvertTenMinutesToRingFormat(benchmark::State& state)
{
    CWaveDoc* clip = ClipOfMinutes(10);
    if (!clip) {
        state.SkipWithError("cannot make the clip");
        return;
    }
    for (auto _ : state) {
        auto converted = clip->ConvertFormat(kRingFormat);
        benchmark::DoNotOptimize(converted.get());
        if (!converted)
            state.SkipWithError("conversion failed");
    }
    state.SetBytesProcessed(int64_t{state.iterations()} * clip->GetDataSize());
}
BENCHMARK(BM_ConvertTenMinutesToRingFormat)->Unit(benchmark::kMillisecond)->Iterations(3);

// The peak cache alone, as a scroll by a full width rebuilds it.
void BM_BuildPeaks(benchmark::State& state)
{
    const int minutes = static_cast<int>(state.range(0));
    const CWaveDoc* clip = ClipOfMinutes(minutes);
    if (!clip) {
        state.SkipWithError("cannot make the clip");
        return;
    }
    int64_t n = 0;
    for (auto _ : state) {
        auto peaks = clip->BuildPeaks(ScrollColumn(minutes, n++), kVisibleWidth, kMsPerPixel);
        benchmark::DoNotOptimize(peaks.get());
    }
}
BENCHMARK(BM_BuildPeaks)->ArgName("minutes")->Arg(1)->Arg(60)->Unit(benchmark::kMicrosecond);

// A whole row repaint after a scroll: frame, peak cache rebuild and lines.
void BM_DrawWaveScrolled(benchmark::State& state)
{
    const int minutes = static_cast<int>(state.range(0));
    CWaveDoc* clip = ClipOfMinutes(minutes);
    if (!clip) {
        state.SkipWithError("cannot make the clip");
        return;
    }
    QImage image(kVisibleWidth, kRowHeight, QImage::Format_ARGB32_Premultiplied);
    const QRect row(0, 0, kVisibleWidth, kRowHeight);
    int64_t n = 0;
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        clip->DrawWave(painter, row, ScrollColumn(minutes, n++), kMsPerPixel, 0x00804000);
    }
    if (!clip->GetPeaks() || clip->GetPeaks()->GetColumnCount() != kVisibleWidth)
        state.SkipWithError("the drawing did not cover the visible width");
}
BENCHMARK(BM_DrawWaveScrolled)->ArgName("minutes")->Arg(1)->Arg(60)->Unit(benchmark::kMicrosecond);

// A mono 16-bit clip of a tone under noise, as the ring encoders take it.
std::unique_ptr<CWaveDoc> MakeMonoClip(uint32_t rate, uint32_t seconds)
{
    auto clip = std::make_unique<CWaveDoc>();
    clip->SetFormat(MakePcmFormat(1, rate, 16));
    const uint32_t frames = seconds * rate;
    if (!clip->CreateStore(frames * 2))
        return nullptr;
    const CMappedView view = clip->GetStore()->MapView(0, clip->GetDataSize());
    if (!view)
        return nullptr;
    auto* out = reinterpret_cast<int16_t*>(view.data());
    uint32_t noise = 1;
    for (uint32_t i = 0; i < frames; ++i) {
        noise = noise * 1664525u + 1013904223u;
        const double tone = 8000 * std::sin(2 * M_PI * 440.0 * i / rate);
        out[i] = static_cast<int16_t>(tone + static_cast<int32_t>(noise >> 16) % 4000);
    }
    return clip;
}

// The ADPCM encoder as Write runs it over a block: 10 minutes of 8 kHz
// samples in one call, into a file in the temp folder that is never
// finished (dropped unwritten, so no sync is timed).
void BM_VoxEncodeTenMinutes(benchmark::State& state)
{
    const auto clip = MakeMonoClip(8000, 600);
    if (!clip) {
        state.SkipWithError("cannot make the clip");
        return;
    }
    const CMappedView view = clip->GetStore()->MapView(0, clip->GetDataSize());
    const QString path = QDir::tempPath() + "/zuvo-bench-kernel.vox";
    for (auto _ : state) {
        VoxWriter encoder;
        encoder.SetFileName(path);
        if (encoder.Open() != S_OK ||
            encoder.Write(16, view.data(), static_cast<uint32_t>(view.size())) != S_OK)
            state.SkipWithError("cannot encode");
        benchmark::DoNotOptimize(encoder.GetPredicted());
    }
    state.SetBytesProcessed(int64_t{state.iterations()} * clip->GetDataSize());
}
BENCHMARK(BM_VoxEncodeTenMinutes)->Unit(benchmark::kMillisecond);

// Whole ring files from a clip in memory to a file in the temp folder.
void BM_WriteVoxFileTenMinutes(benchmark::State& state)
{
    const auto clip = MakeMonoClip(8000, 600);
    const QString path = QDir::tempPath() + "/zuvo-bench.vox";
    for (auto _ : state) {
        if (!clip || RingFiles::WriteVox(path, *clip) != 1)
            state.SkipWithError("cannot write the VOX file");
    }
    QFile::remove(path);
    state.SetBytesProcessed(int64_t{state.iterations()} * (clip ? clip->GetDataSize() : 0));
}
BENCHMARK(BM_WriteVoxFileTenMinutes)->Unit(benchmark::kMillisecond);

void BM_WriteRingFile55Seconds(benchmark::State& state)
{
    const auto clip = MakeMonoClip(44100, 55);
    CWmaFormatList formats;
    formats.Build(CWmaWriter::OfferedFormats());
    const QString path = QDir::tempPath() + "/zuvo-bench.kox";
    for (auto _ : state) {
        if (!clip || RingFiles::WriteRingFile(path, *clip, formats.FindByRate(44100)) != S_OK)
            state.SkipWithError("cannot write the ring file");
    }
    QFile::remove(path);
}
BENCHMARK(BM_WriteRingFile55Seconds)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    // QPainter needs a GUI application; no display is needed to draw into images.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
