#include "audio/MappedTempFile.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

int StoreNumber(const CMappedTempFile& store)
{
    static const QRegularExpression pattern(QStringLiteral("~KELVO(\\d+)\\.tmp$"));
    const auto match = pattern.match(store.GetPath());
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

TEST(MappedTempFile, ConsecutiveStoresAreNumberedInAPrivateFolder)
{
    auto a = CMappedTempFile::Create(16);
    auto b = CMappedTempFile::Create(16);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(StoreNumber(*b), StoreNumber(*a) + 1);

    const QString folder = CMappedTempFile::StoreFolder();
    EXPECT_EQ(QFileInfo(a->GetPath()).absolutePath(), folder);
    struct stat info{};
    ASSERT_EQ(stat(folder.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(QFileInfo(a->GetPath()).size(), 16);

    const QString path = a->GetPath();
    a.reset();
    EXPECT_FALSE(QFileInfo::exists(path)) << "deleting a store deletes its file";
}

TEST(MappedTempFile, ViewsAddressExactlyTheAskedByte)
{
    const uint32_t size = 3 * 4096 + 123;
    auto store = CMappedTempFile::Create(size);
    ASSERT_TRUE(store);
    {
        CMappedView all = store->MapView(0, size);
        ASSERT_TRUE(all);
        for (uint32_t i = 0; i < size; ++i)
            all.data()[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    for (uint64_t offset : {0ull, 1ull, 4095ull, 4096ull, 4097ull, 8191ull, size - 1ull}) {
        CMappedView view = store->MapView(offset, size - offset);
        ASSERT_TRUE(view) << offset;
        EXPECT_EQ(view.size(), size - offset);
        EXPECT_EQ(view.data()[0], static_cast<uint8_t>(offset * 7 + 3)) << offset;
        EXPECT_EQ(view.data()[view.size() - 1], static_cast<uint8_t>((size - 1) * 7 + 3));
    }
}

TEST(MappedTempFile, RangesOutsideTheStoreGiveNoView)
{
    auto store = CMappedTempFile::Create(100);
    ASSERT_TRUE(store);
    EXPECT_FALSE(store->MapView(0, 101));
    EXPECT_FALSE(store->MapView(100, 1));
    EXPECT_FALSE(store->MapView(50, 0));
    EXPECT_FALSE(store->MapView(UINT64_MAX - 1, 4)) << "offset plus length must not wrap";

    auto empty = CMappedTempFile::Create(0);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->GetSize(), 0u);
    EXPECT_FALSE(empty->MapView(0, 1));
}

TEST(MappedTempFile, TwoProcessesNeverShareAStore)
{
    QProcess first, second;
    first.start(STORE_PROBE);
    second.start(STORE_PROBE);
    QStringList paths;
    for (QProcess* probe : {&first, &second}) {
        ASSERT_TRUE(probe->waitForStarted());
        int lines = 0;
        while (lines < 20) {
            if (!probe->canReadLine()) {
                ASSERT_TRUE(probe->waitForReadyRead(10000));
            }
            for (; probe->canReadLine(); ++lines)
                paths << QString::fromLocal8Bit(probe->readLine()).trimmed();
        }
    }
    EXPECT_EQ(paths.size(), 40);
    EXPECT_EQ(QSet<QString>(paths.begin(), paths.end()).size(), 40);
    for (QProcess* probe : {&first, &second}) {
        probe->closeWriteChannel();
        ASSERT_TRUE(probe->waitForFinished(10000));
        EXPECT_EQ(probe->exitCode(), 0) << "a store was written by the other process";
    }
    // Each process removes its folder when it ends.
    for (const QString& path : paths) {
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(path).absolutePath())) << path;
    }
}

} // namespace
