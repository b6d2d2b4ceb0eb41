#include "platform/AppPaths.h"
#include "platform/AppSettings.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

TEST(AppPaths, FoldersEndWithSlash)
{
    EXPECT_EQ(AppPaths::DataFolder(), TestEnvironment::DataHome() + "/VazoZedu/");
    EXPECT_EQ(AppPaths::ProgramFolder(), QCoreApplication::applicationDirPath() + "/");
    EXPECT_EQ(AppPaths::WithTrailingSlash("/a/"), "/a/");
}

TEST(AppSettings, ValuesLiveInTheUsersZuvoFile)
{
    AppSettings settings("Brevanta");
    EXPECT_EQ(settings.Value("LPID", 7).toInt(), 7);
    ASSERT_TRUE(settings.SetValue("LPID", "/home/u/music"));
    EXPECT_EQ(AppSettings("Brevanta").Value("LPID").toString(), "/home/u/music");
    EXPECT_TRUE(QFile::exists(TestEnvironment::ConfigHome() + "/zuvo/zuvo.conf"));
    settings.Remove("LPID");
    EXPECT_FALSE(settings.Value("LPID").isValid());
}
