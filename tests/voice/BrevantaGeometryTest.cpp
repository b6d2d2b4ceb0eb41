// The editor's geometry beside a small Python model of the same formulas,
// written from the rules alone (single-precision steps through struct).
#include "tests/support/ClipFixtures.h"
#include "tests/support/FakeTicks.h"
#include "voice/Brevanta.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

const char kModel[] = R"(
import json, struct, sys
def f32(v): return struct.unpack('f', struct.pack('f', v))[0]
def ms_to_x(W, T, ms): return 1 if T == 0 else int(f32(f32(f32((W - 2) * ms) / f32(T)) + 1))
def x_to_ms(W, T, x): return 0 if x <= 2 or T == 0 else (x - 1) * T // (W - 2)
def play_x(W, T, el): return 2 if T == 0 else el * (W - 2) // T + 1
def block(W, T, b):
    if T == 0 or b is None: return 0
    return int(f32(f32(b * 1000.0 * (W - 2) / 88200 / T) + 1))
def rec_bytes(ms):
    b = int(88.2 * ms)
    return b - b % 4
def voice_range(W, T, b, m, s, e):
    v = block(W, T, b)
    if not (v > 0 and s < m + v and m < e): return [0, 0]
    a = min(rec_bytes(x_to_ms(W, T, max(s, m) - m)), b)
    z = min(rec_bytes(x_to_ms(W, T, min(m + v, e) - m)), b)
    return [a, max(z - a, 0)]
out = []
for c in json.load(sys.stdin):
    W, T = c['w'], c['total']
    T = 0 if W <= 2 else T
    out.append({'msToX': [ms_to_x(W, T, ms) for ms in c['ms']],
                'xToMs': [x_to_ms(W, T, x) for x in c['x']],
                'playX': play_x(W, T, c['elapsed']),
                'block': block(W, T, c['voice']),
                'range': voice_range(W, T, c['voice'], c['m'], c['s'], c['e'])})
json.dump(out, sys.stdout)
)";

// A music track of exactly ms at 8000 bytes/s (8 bytes per ms).
std::unique_ptr<WaveData> MusicOf(uint32_t ms)
{
    auto music = std::make_unique<WaveData>();
    music->SetFormat(MakePcmFormat(1, 8000, 8));
    music->SetBuffer(std::make_unique<WaveBuffer>(ms * 8));
    return music;
}

TEST(BrevantaGeometry, MatchesAnIndependentModel)
{
    struct Case
    {
        int w;
        uint32_t total;
        int elapsed;
        uint32_t voice; // bytes of recorded voice
        int m, s, e;
    };
    const Case cases[] = {
        {600, 360000, 12345, 882000, 40, 2, 41},
        {600, 360000, 0, 88200, 100, 50, 120},
        {813, 1002, 999, 44100, 10, 300, 500},
        {813, 59999, 59999, 2646000, 5, 1, 811},
        {3, 360000, 100, 88200, 1, 2, 41}, // one pixel of waveform
        {2, 360000, 100, 88200, 1, 2, 41}, // no room: no data
        {1, 1000, 100, 88200, 1, 2, 41},
        {600, 0, 500, 88200, 1, 2, 41}, // music of 0 ms
        {1920, 7, 3, 17640, 300, 299, 1000},
        {1920, 3600000, 3599000, 88200 * 600, 300, 299, 1900}, // an hour: products past 2^31
    };
    const std::vector<int> msList = {0,     1,     499,    1002,   50000,
                                     51000, 59999, 123457, 360000, 3599999};
    const std::vector<int> xList = {-5, 0, 1, 2, 3, 4, 41, 299, 598, 599, 812, 1919};

    QJsonArray input;
    std::vector<QJsonObject> ours;
    FakeTicks ticks;
    PlayerLog players;
    for (const Case& c : cases) {
        CBrevanta editor(nullptr, nullptr, nullptr, nullptr, RecordingPlayers(players),
                         ticks.Source());
        editor.resize(c.w, 200);
        editor.SetMusic(MusicOf(c.total));
        editor.GetVoice().SetBuffer(std::make_unique<WaveBuffer>(c.voice));
        editor.SetVoiceBlockX(c.m);
        editor.SetSelectionStart(c.s);
        editor.SetSelectionEnd(c.e);
        ASSERT_EQ(editor.PlayFromStart(), 1);
        ticks.now += c.elapsed;
        QJsonArray ms;
        QJsonArray xs;
        for (int v : msList)
            ms.append(editor.MsToX(v));
        for (int v : xList)
            xs.append(editor.XToMs(v));
        uint32_t offset = 0;
        uint32_t length = 0;
        editor.GetVoiceRange(&offset, &length);
        ours.push_back({{"msToX", ms},
                        {"xToMs", xs},
                        {"playX", editor.GetPlayX()},
                        {"block", editor.GetVoiceBlockWidth()},
                        {"range", QJsonArray{int(offset), int(length)}}});
        input.append(
            QJsonObject{{"w", c.w},
                        {"total", int(c.total)},
                        {"elapsed", c.elapsed},
                        {"voice", int(c.voice)},
                        {"m", c.m},
                        {"s", c.s},
                        {"e", c.e},
                        {"ms", QJsonArray::fromVariantList({msList.begin(), msList.end()})},
                        {"x", QJsonArray::fromVariantList({xList.begin(), xList.end()})}});
        EXPECT_LE(offset + length, c.voice) << c.w << " " << c.total;
    }
    QProcess python;
    python.start(QStandardPaths::findExecutable("python3"), {"-c", kModel});
    python.write(QJsonDocument(input).toJson());
    python.closeWriteChannel();
    ASSERT_TRUE(python.waitForFinished(30000));
    const QJsonArray model = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    ASSERT_EQ(model.size(), static_cast<qsizetype>(ours.size())) << python.readAllStandardError();
    for (size_t i = 0; i < ours.size(); ++i)
        EXPECT_EQ(QJsonDocument(ours[i]).toJson(QJsonDocument::Compact),
                  QJsonDocument(model[i].toObject()).toJson(QJsonDocument::Compact))
            << "w " << cases[i].w << " total " << cases[i].total;
}

TEST(BrevantaGeometry, StartsWithSixMinutesOfSilence)
{
    CBrevanta editor(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(editor.GetMusicLength(), 360000u);
    EXPECT_TRUE(editor.GetMusic().IsSilentDefault());
    EXPECT_EQ(editor.GetSelectionStart(), 2);
    EXPECT_EQ(editor.GetSelectionEnd(), 41);
    EXPECT_EQ(editor.GetEditCursor(), 1);
    EXPECT_EQ(editor.GetDragMode(), CBrevanta::kNewSelection);
    EXPECT_EQ(editor.GetRingFormat(), MakePcmFormat(1, 8000, 16));
    EXPECT_EQ(editor.GetRecordFormat(), MakePcmFormat(2, 22050, 16));
    EXPECT_EQ(editor.GetVoice().GetFormat(), MakePcmFormat(2, 22050, 16));
    EXPECT_EQ(editor.GetTextFont().family(), QStringLiteral("新宋体"));
    EXPECT_EQ(editor.GetTextFont().pixelSize(), 12);
    EXPECT_EQ(CBrevanta::MsToBytes(100, MakePcmFormat(2, 22050, 16)), 8820u);
}

} // namespace
