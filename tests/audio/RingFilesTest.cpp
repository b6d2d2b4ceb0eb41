#include "audio/RingFiles.h"
#include "audio/WmaFormatList.h"
#include "audio/WmaWriter.h"
#include "tests/audio/EncodedFixtures.h"
#include "tests/audio/ToneFixtures.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace EncodedFixtures;

namespace {

WaveFormatEx Offer(uint32_t rate, uint32_t bytesPerSecond, uint16_t channels = 1,
                   uint16_t bits = 16)
{
    WaveFormatEx format;
    format.formatTag = CWmaWriter::kWmaFormatTag;
    format.channels = channels;
    format.samplesPerSec = rate;
    format.avgBytesPerSec = bytesPerSecond;
    format.bitsPerSample = bits;
    return format;
}

struct Entry
{
    uint32_t rate;
    uint16_t bits;
    uint32_t bytesPerSecond;
    bool operator==(const Entry& o) const
    {
        return rate == o.rate && bits == o.bits && bytesPerSecond == o.bytesPerSecond;
    }
};

std::vector<Entry> EntriesOf(const CWmaFormatList& list)
{
    std::vector<Entry> entries;
    for (const WaveFormatEx& f : list.Entries()) {
        EXPECT_EQ(f.channels, 1);
        entries.push_back({f.samplesPerSec, f.bitsPerSample, f.avgBytesPerSec});
    }
    return entries;
}

} // namespace

TEST(WmaFormatList, OneEntryPerRateAndBitsWithTheHighestByteRate)
{
    CWmaFormatList list;
    list.Build({Offer(8000, 3000), Offer(44100, 8000, 2), Offer(16000, 4000), Offer(8000, 4000),
                Offer(44100, 6000), Offer(8000, 3500), Offer(16000, 4000, 1, 8),
                Offer(44100, 20000, 2)});
    EXPECT_EQ(EntriesOf(list),
              (std::vector<Entry>{
                  {8000, 16, 4000}, {16000, 16, 4000}, {44100, 16, 6000}, {16000, 8, 4000}}))
        << "stereo formats are left out; order is first appearance";
    ASSERT_TRUE(list.FindByRate(44100));
    EXPECT_EQ(list.FindByRate(44100)->avgBytesPerSec, 6000u);
    ASSERT_TRUE(list.FindByRate(8000));
    EXPECT_EQ(list.FindByRate(8000)->avgBytesPerSec, 4000u);
    EXPECT_EQ(list.FindByRate(12345), nullptr);
    ASSERT_TRUE(list.Highest());
    EXPECT_EQ(list.Highest()->samplesPerSec, 44100u);

    list.Build({Offer(16000, 4000, 1, 8), Offer(16000, 4000)});
    ASSERT_TRUE(list.Highest());
    EXPECT_EQ(list.Highest()->bitsPerSample, 8) << "the first of equal rates";

    list.Build({Offer(44100, 8000, 2)});
    EXPECT_TRUE(list.IsEmpty()) << "no mono formats";
    EXPECT_EQ(list.Highest(), nullptr);
    EXPECT_EQ(list.FindByRate(44100), nullptr);
}

TEST(WmaFormatList, BuiltFromTheWritersTable)
{
    CWmaFormatList list;
    list.Build(CWmaWriter::OfferedFormats());
    EXPECT_EQ(EntriesOf(list), (std::vector<Entry>{{8000, 16, 4000},
                                                   {11025, 16, 6000},
                                                   {16000, 16, 8000},
                                                   {22050, 16, 8000},
                                                   {32000, 16, 8000},
                                                   {44100, 16, 12000}}));
}

TEST(RingFiles, MixIsMadeMonoAtAListedRate)
{
    CWmaFormatList list;
    list.Build(CWmaWriter::OfferedFormats());
    auto ring = RingFiles::ToRingFileFormat(IndexedClip(44100, nullptr, 700), list);
    ASSERT_TRUE(ring);
    EXPECT_EQ(ring->GetFormat(), MakePcmFormat(1, 44100, 16));
    EXPECT_NEAR(ring->GetDataSize(), 88200, 400);
    EXPECT_EQ(ring->GetStart(), 700u);

    // A mix that already fits is handed back as it is.
    CWaveDoc* same = ring.get();
    EXPECT_EQ(RingFiles::ToRingFileFormat(std::move(ring), list).get(), same);

    // Without the mix's rate, the highest listed rate.
    list.Build({Offer(8000, 4000), Offer(16000, 6000)});
    ring = RingFiles::ToRingFileFormat(IndexedClip(4410), list);
    ASSERT_TRUE(ring);
    EXPECT_EQ(ring->GetFormat(), MakePcmFormat(1, 16000, 16));

    list.Build({});
    EXPECT_EQ(RingFiles::ToRingFileFormat(IndexedClip(4410), list), nullptr);
    EXPECT_EQ(RingFiles::ToRingFileFormat(nullptr, list), nullptr);
}

TEST(RingFiles, RingFileIsWrittenInOneSecondChunks)
{
    const auto clip = ToneFixtures::ToneClip(44100, 2.5);
    const WaveFormatEx format = Offer(44100, 8000);
    std::vector<std::pair<int64_t, uint32_t>> calls;
    const QString path = PathOf("seam.kox");
    ASSERT_EQ(RingFiles::WriteRingFile(
                  path, *clip, &format,
                  [&](int64_t time, uint32_t bytes) { calls.emplace_back(time, bytes); }),
              S_OK);
    EXPECT_EQ(calls, (std::vector<std::pair<int64_t, uint32_t>>{
                         {0, 88200}, {10'000'000, 88200}, {20'000'000, 44100}}));
    EXPECT_TRUE(QFile::exists(path));
}

TEST(RingFiles, ClipsThatCannotBeWrittenFailCleanly)
{
    const WaveFormatEx format = Offer(44100, 8000);
    const auto mono = ToneFixtures::ToneClip(44100, 0.2);
    const auto stereo = IndexedClip(4410);
    const auto eightKilohertz = ToneFixtures::ToneClip(8000, 0.2);
    CWaveDoc empty;
    empty.SetFormat(MakePcmFormat(1, 44100, 16));
    // A store that exists but holds no whole sample.
    CWaveDoc emptyStore;
    emptyStore.SetFormat(MakePcmFormat(1, 8000, 16));
    ASSERT_TRUE(emptyStore.CreateStore(0));
    CWaveDoc halfSample;
    halfSample.SetFormat(MakePcmFormat(1, 8000, 16));
    ASSERT_TRUE(halfSample.CreateStore(1));
    const struct
    {
        const char* name;
        const CWaveDoc& clip;
        const WaveFormatEx* format;
        bool voxRefused;
    } cases[] = {
        {"no format", *mono, nullptr, false},
        {"no store", empty, &format, true},
        {"empty store", emptyStore, &format, true},
        {"half a sample", halfSample, &format, true},
        {"stereo", *stereo, &format, false},
        {"another rate", *eightKilohertz, &format, false},
    };
    const QString path = PathOf("refused.kox");
    const QString voxPath = PathOf("refused.vox");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RingFiles::WriteRingFile(path, c.clip, c.format), E_FAIL);
        EXPECT_FALSE(QFile::exists(path));
        if (c.voxRefused) {
            EXPECT_EQ(RingFiles::WriteVox(voxPath, c.clip), 0);
            EXPECT_FALSE(QFile::exists(voxPath));
        }
    }
}

TEST(RingFiles, AStoreThatCannotBeReadLeavesNoFile)
{
    // 10 s at 8 kHz are 160 000 bytes, read in blocks; the store's file then
    // loses its end, so a later block cannot be had after the first went in.
    const auto clip = ToneFixtures::ToneClip(8000, 10.0);
    ASSERT_TRUE(clip);
    ASSERT_TRUE(QFile::resize(clip->GetStore()->GetPath(), 100000));
    const WaveFormatEx format = Offer(8000, 4000);
    const QByteArray old = "the ring that was there";
    for (const bool replacing : {true, false}) {
        SCOPED_TRACE(replacing ? "over an old file" : "new file");
        const QString vox = PathOf("lost.vox"), kox = PathOf("lost.kox");
        for (const QString& path : {vox, kox}) {
            QFile::remove(path);
            if (replacing) {
                ASSERT_TRUE(WriteAll(path, old));
            }
        }
        EXPECT_EQ(RingFiles::WriteVox(vox, *clip), 0);
        EXPECT_NE(RingFiles::WriteRingFile(kox, *clip, &format), S_OK);
        for (const QString& path : {vox, kox}) {
            EXPECT_EQ(QFile::exists(path), replacing) << path.toStdString();
            if (replacing) {
                EXPECT_EQ(ReadAll(path), old) << path.toStdString();
            }
        }
        EXPECT_EQ(QDir(TestEnvironment::Home()).entryList({"lost*"}, QDir::Files | QDir::Hidden),
                  replacing ? QStringList({"lost.kox", "lost.vox"}) : QStringList())
            << "no temporary file is left";
    }
}

namespace {

// Takes away this thread's power to write where permissions forbid it (the
// tests run as root), and gives it back.
class NoPermissionOverride
{
public:
    NoPermissionOverride()
    {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        m_header.pid = 0;
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct reduced[2];
        std::memcpy(reduced, m_saved, sizeof reduced);
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_FOWNER));
        m_set = syscall(SYS_capset, &m_header, reduced) == 0;
    }
    ~NoPermissionOverride()
    {
        if (m_set)
            syscall(SYS_capset, &m_header, m_saved);
    }

private:
    __user_cap_header_struct m_header = {};
    __user_cap_data_struct m_saved[2] = {};
    bool m_set = false;
};

enum class Target { MissingFolder, FullDisk, ReadOnlyFolder };

} // namespace

TEST(RingFiles, FailedWritesLeaveNothingAtTheTarget)
{
    // 10 s: about 40 KB of VOX and 80 KB of ring file, past the 16 KB limit.
    const auto ring = ToneFixtures::ToneClip(8000, 10.0);
    const WaveFormatEx format = Offer(8000, 4000);
    const struct
    {
        const char* name;
        std::function<bool(const QString& path)> write;
    } writers[] = {
        {"vox", [&](const QString& path) { return RingFiles::WriteVox(path, *ring) == 1; }},
        {"ring file",
         [&](const QString& path) {
             return RingFiles::WriteRingFile(path, *ring, &format) == S_OK;
         }},
    };
    const QByteArray old = "the ring that was there";
    for (const auto& writer : writers) {
        for (Target target : {Target::MissingFolder, Target::FullDisk, Target::ReadOnlyFolder}) {
            SCOPED_TRACE(std::string(writer.name) + " " + std::to_string(int(target)));
            const QString folder = PathOf("rings");
            QDir(folder).removeRecursively();
            bool written = true;
            QString path = folder + "/ring.out";
            if (target == Target::MissingFolder) {
                written = writer.write(PathOf("missing/ring.out"));
                EXPECT_FALSE(QFile::exists(PathOf("missing/ring.out")));
            } else {
                ASSERT_TRUE(QDir().mkpath(folder));
                ASSERT_TRUE(WriteAll(path, old));
                if (target == Target::FullDisk) {
                    FileSizeLimit limit(16 * 1024);
                    ASSERT_TRUE(limit.IsSet());
                    written = writer.write(path);
                } else {
                    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
                    NoPermissionOverride unprivileged;
                    written = writer.write(path);
                }
                QFile::setPermissions(folder,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                EXPECT_EQ(ReadAll(path), old) << "the old file is kept";
                EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                          QStringList{"ring.out"})
                    << "no temporary file is left";
            }
            EXPECT_FALSE(written);
        }
        // And with room and rights the same call works.
        ASSERT_TRUE(writer.write(PathOf("rings/ring.out")));
        EXPECT_NE(ReadAll(PathOf("rings/ring.out")), old);
    }
}
