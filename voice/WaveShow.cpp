#include "voice/WaveShow.h"

#include "audio/WaveFormat.h"
#include "skin/SkinHelpers.h"
#include "voice/Fft.h"
#include "voice/WaveData.h"

#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const QString kSection = QStringLiteral("WaveShow");

// |re + i im| / 1024 from single-precision parts, held to 0..255 (loud bins
// would otherwise wrap round to small bars).
int Magnitude(double re, double im)
{
    const float r = static_cast<float>(re);
    const float i = static_cast<float>(im);
    const double m = std::sqrt(double(r) * r + double(i) * i) / CWaveShow::kFrames;
    return m >= 255.0 ? 255 : static_cast<int>(m);
}

int SampleAt(const uint8_t* p, int bits)
{
    if (bits == 8)
        return int(p[0]) - 128;
    return static_cast<int16_t>(uint16_t(p[0]) | uint16_t(p[1]) << 8);
}

} // namespace

CWaveShow::CWaveShow(QWidget* parent) : QWidget(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(kIntervalMs);
    connect(m_timer, &QTimer::timeout, this, &CWaveShow::OnTimer);
}

CWaveShow::~CWaveShow() = default;

void CWaveShow::Start()
{
    if (!m_track)
        return;
    if (!m_timer->isActive())
        m_timer->start();
    m_running = true;
}

void CWaveShow::Stop()
{
    m_running = false;
    m_timer->stop();
}

bool CWaveShow::IsTimerOn() const
{
    return m_timer->isActive();
}

int CWaveShow::LoadSkin(const QString& themePath)
{
    if (!LoadThemeImage(m_pillar, kSection, QStringLiteral("PillarImage"), themePath) ||
        !m_pillar.IsLoaded()) {
        // An image that was dropped for an unreadable one leaves the plain look.
        m_skinLoaded = m_skinLoaded && m_pillar.IsLoaded();
        update();
        return 0;
    }
    m_placement.Load(themePath, kSection);
    m_skinLoaded = true;
    RefreshSkin();
    update();
    return 1;
}

void CWaveShow::RefreshSkin()
{
    // Without a skin the placement reads -1 everywhere: the window stays.
    m_placement.Apply(this);
    update();
}

bool CWaveShow::AnalyseSpectrum(const uint8_t* samples, size_t bytes, const WaveFormat& format,
                                Values& values)
{
    const int bits = format.bitsPerSample;
    const int channels = format.channels;
    if (!samples || (bits != 8 && bits != 16) || (channels != 1 && channels != 2))
        return false;
    const size_t sampleBytes = size_t(bits / 8);
    const size_t frameBytes = format.blockAlign;
    if (frameBytes < sampleBytes * channels || bytes < frameBytes * kFrames)
        return false;

    std::vector<double> in(2 * kFrames), out(4 * kFrames);
    double* left = in.data();
    double* right = left + kFrames;
    for (size_t f = 0; f < size_t(kFrames); ++f) {
        const uint8_t* frame = samples + f * frameBytes;
        left[f] = SampleAt(frame, bits);
        if (channels == 2)
            right[f] = SampleAt(frame + sampleBytes, bits);
    }
    double* reL = out.data();
    double* imL = reL + kFrames;
    double* reR = imL + kFrames;
    double* imR = reR + kFrames;
    FFT(kFrames, false, left, nullptr, reL, imL);
    if (channels == 2)
        FFT(kFrames, false, right, nullptr, reR, imR);
    values[0] = 0;
    for (int k = 1; k < kBins; ++k) {
        const int l = Magnitude(reL[k], imL[k]);
        values[k] = channels == 2 ? (l + Magnitude(reR[k], imR[k])) / 2 : l;
    }
    return true;
}

CWaveShow::Bars CWaveShow::BarHeights(const Values& values, int clientHeight)
{
    Bars bars{};
    int high = 255;
    for (int i = 0; i < kBars; ++i) {
        const int low = kBins / (i + 3);
        // Neighbouring bars share their border bin.
        int64_t sum = 0;
        for (int k = low; k <= high; ++k)
            sum += values[size_t(k)];
        const int64_t f = int64_t(clientHeight - 5) * sum / (int64_t(high - low) * 256);
        bars[size_t(i)] = static_cast<int>(std::clamp<int64_t>(f, 1, 1 << 16));
        high = low;
    }
    return bars;
}

void CWaveShow::OnTimer()
{
    if (!m_running || !m_track || !m_track->HasData())
        return;
    const WaveFormat& format = m_track->GetFormat();
    const uint64_t align = format.blockAlign;
    const uint64_t played = m_track->GetPlayedPosition();
    const uint64_t size = m_track->GetSize();
    if (align > 0 && played + 4096 * align < size) {
        const uint64_t from = played + 2048 * align;
        if (AnalyseSpectrum(m_track->GetData() + from, size_t(size - from), format, m_values))
            m_hasValues = true;
    }
    if (m_hasValues) {
        const Bars bars = BarHeights(m_values, height());
        for (int i = 0; i < kBars; ++i) {
            int f = bars[size_t(i)];
            if (m_skinLoaded)
                f = std::min(f, m_pillar.GetHeight());
            m_bars[size_t(i)] = f;
            int& peak = m_peaks[size_t(i)];
            peak = f > peak ? f : std::max(peak - 1, 0);
        }
    }
    update();
}

void CWaveShow::paintEvent(QPaintEvent*)
{
    if (!m_hasValues)
        return;
    QPainter p(this);
    const int w = width();
    const int h = height();
    int x = 1;
    for (int i = 0; i < kBars; ++i) {
        const int f = m_bars[size_t(i)];
        if (m_skinLoaded) {
            const QRect source(0, m_pillar.GetHeight() - f, 3, f);
            m_pillar.Draw(&p, x, h - f, &source);
        } else {
            p.fillRect(x, h - f, 3, f, Qt::white);
        }
        p.fillRect(x, h - m_peaks[size_t(i)], 3, 1, Qt::white);
        x += w / kBars;
    }
}
