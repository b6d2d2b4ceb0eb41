#include "audio/DataFolders.h"
#include "platform/AppPaths.h"
#include "platform/IMessageSink.h"
#include "tests/audio/EncodedFixtures.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

namespace {

class RecordingSink : public IMessageSink
{
public:
    void ShowMessage(const QString& text) override { messages << text; }
    QStringList messages;
};

TEST(DataFolders, PathTitleAndExtension)
{
    struct Case
    {
        QString path;
        QChar separator;
        QString title;
        QString extension;
    };
    const Case cases[] = {
        {"/home/u/song.x.mp3", u'/', "song.x", ".mp3"},
        {"C:\\a\\song.x.mp3", u'\\', "song.x", ".mp3"},
        {"C:\\a\\b", u'\\', "b", "C:\\a\\b"}, // no dot: the path unchanged
        {".mp3", u'/', "", ".mp3"},           // the only dot is the first character
        {"/song.MP3", u'/', "/song", ".MP3"}, // a leading separator is not cut
        {"/music/歌.名/铃声", u'/', "铃声", ".名/铃声"},
        {"/music/我的彩铃.wav", u'/', "我的彩铃", ".wav"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetPathTitle(c.path, c.separator), c.title) << c.path;
        EXPECT_EQ(GetPathExtension(c.path), c.extension) << c.path;
    }
}

TEST(DataFolders, SubFoldersAreCreatedOnceWithATrailingSlash)
{
    ASSERT_TRUE(QDir().mkpath(AppPaths::DataFolder()));
    const std::pair<QString, std::function<QString(IMessageSink&)>> folders[] = {
        {"TempFiles", GetTempFilesDir}, {"MyRing", GetMyRingDir}, {"update", GetUpdateDir}};
    RecordingSink sink;
    for (const auto& [name, get] : folders) {
        const QString expected = AppPaths::DataFolder() + name + u'/';
        EXPECT_FALSE(DirectoryExists(expected));
        EXPECT_EQ(get(sink), expected);
        EXPECT_TRUE(DirectoryExists(expected));
        EXPECT_EQ(get(sink), expected) << "a second call finds the folder";
    }
    EXPECT_TRUE(sink.messages.isEmpty());
    EXPECT_FALSE(CreateFolder(AppPaths::DataFolder() + "MyRing")) << "it exists already";
}

TEST(DataFolders, AFolderThatCannotBeMadeIsReported)
{
    RecordingSink sink;
    // No data folder yet: only the last level is ever created.
    EXPECT_EQ(GetMyRingDir(sink), QString());
    ASSERT_EQ(sink.messages.size(), 1);
    EXPECT_EQ(sink.messages[0],
              "错误！目录『" + AppPaths::DataFolder() + "MyRing』不存在，\r\n且目录创建失败！");

    // A plain file in the folder's place is no folder either.
    ASSERT_TRUE(QDir().mkpath(AppPaths::DataFolder()));
    ASSERT_TRUE(EncodedFixtures::WriteAll(AppPaths::DataFolder() + "update", "x"));
    EXPECT_FALSE(DirectoryExists(AppPaths::DataFolder() + "update"));
    EXPECT_EQ(GetUpdateDir(sink), QString());
    EXPECT_EQ(sink.messages.size(), 2);
}

} // namespace
