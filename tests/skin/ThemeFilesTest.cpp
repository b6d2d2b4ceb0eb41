#include "skin/MyBitmap.h"
#include "skin/ProfileFile.h"
#include "skin/SkinHelpers.h"

#include "tests/skin/ThemeKeys.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

const QString kSkin = QStringLiteral(KELVO_SKIN_DIR);

struct ThemeCase
{
    const char* name;
    std::vector<ThemeKeys::Use> uses;
};

std::vector<ThemeCase> Themes()
{
    return {{"neostyle", ThemeKeys::MainDialogUses()},
            {"dlgstyle", ThemeKeys::SecondaryDialogUses()}};
}

QString ThemePath(const char* name)
{
    return kSkin + "/" + name + "/theme.ini";
}

TEST(ThemeFilesTest, EveryKeyTheDialogsReadIsThere)
{
    for (const ThemeCase& theme : Themes()) {
        const QString path = ThemePath(theme.name);
        ASSERT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
        const CProfileFile file = CProfileFile::Load(path);
        for (const ThemeKeys::Use& use : theme.uses) {
            for (const QString& section : ThemeKeys::SectionNames(use)) {
                for (const ThemeKeys::Key& key : use.kind->keys) {
                    EXPECT_FALSE(file.GetBytes(section, key.name).isEmpty())
                        << theme.name << " [" << section.toStdString() << "] " << key.name;
                }
            }
        }
        EXPECT_EQ(file.GetInt("Personality", "ButtonCount", 0), 4) << theme.name;
        EXPECT_EQ(ReadProfileColor("Colours", "TransColor", path, 0), 0xFF00FFu);
    }
}

TEST(ThemeFilesTest, EveryImageValueResolvesAndLoads)
{
    for (const ThemeCase& theme : Themes()) {
        const QString path = ThemePath(theme.name);
        int images = 0;
        for (const ThemeKeys::Use& use : theme.uses) {
            for (const QString& section : ThemeKeys::SectionNames(use)) {
                for (const ThemeKeys::Key& key : use.kind->keys) {
                    if (key.kind != ThemeKeys::Kind::Image)
                        continue;
                    CMyBitmap bitmap;
                    EXPECT_TRUE(LoadThemeImage(bitmap, section, key.name, path))
                        << theme.name << " [" << section.toStdString() << "] " << key.name;
                    EXPECT_GT(bitmap.GetWidth(), 0);
                    ++images;
                }
            }
        }
        EXPECT_GT(images, 10) << theme.name;
    }
}

TEST(ThemeFilesTest, ThemeFilesAreGbkText)
{
    QFile file(ThemePath("neostyle"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_FALSE(bytes.contains(QByteArray("宋体"))); // not UTF-8
    QProcess iconv;
    iconv.start("iconv", {"-f", "GBK", "-t", "UTF-8"});
    ASSERT_TRUE(iconv.waitForStarted());
    iconv.write(bytes);
    iconv.closeWriteChannel();
    iconv.waitForFinished();
    EXPECT_EQ(iconv.exitCode(), 0);
    EXPECT_TRUE(iconv.readAllStandardOutput().contains(QByteArray("FontName=宋体")));
    EXPECT_EQ(ReadProfileString("ListCtrl_1009", "FontName", ThemePath("neostyle")),
              QString::fromUtf8("宋体"));
}

// The pieces the frame and the controls cut from the images fit them.
TEST(ThemeFilesTest, ImagesMatchTheGeometryTheThemesGive)
{
    const QString neo = ThemePath("neostyle");
    CMyBitmap tabs, digits, buttons, top, left;
    const CProfileFile file = CProfileFile::Load(neo);
    const std::vector<ThemeKeys::Use> uses = ThemeKeys::MainDialogUses();
    ASSERT_EQ(uses[4].kind, &ThemeKeys::kBmpButton);
    for (const int id : uses[4].ids) {
        const QString s = QString("BmpButton_%1").arg(id);
        CMyBitmap strip;
        ASSERT_TRUE(LoadThemeImage(strip, s, "Bitmap", neo));
        const int bottom = file.GetInt(s, "Top", 0) +
                           4 * (file.GetInt(s, "Height", 0) + file.GetInt(s, "Space", 0)) +
                           file.GetInt(s, "Height", 0);
        EXPECT_LE(file.GetInt(s, "Left", 0) + file.GetInt(s, "Width", 0), strip.GetWidth()) << id;
        EXPECT_LE(bottom, strip.GetHeight()) << id;
    }
    ASSERT_TRUE(LoadThemeImage(tabs, "TabCtrl_1043", "TabButtonImage", neo));
    EXPECT_EQ(tabs.GetWidth(), file.GetInt("TabCtrl_1043", "ButtonWidth", 0));
    EXPECT_EQ(tabs.GetHeight(), file.GetInt("TabCtrl_1043", "LastTabDownY", 0) +
                                    file.GetInt("TabCtrl_1043", "ButtonHeight", 0));
    ASSERT_TRUE(LoadThemeImage(digits, "ClockDigitalNumber", "NumberImage", neo));
    EXPECT_EQ(digits.GetWidth() % 12, 0);
    ASSERT_TRUE(LoadThemeImage(buttons, "Buttons", "Bitmap", neo));
    EXPECT_EQ(buttons.GetWidth() % 5, 0);
    ASSERT_TRUE(LoadThemeImage(top, "Personality", "Top", neo));
    ASSERT_TRUE(LoadThemeImage(left, "Personality", "Left", neo));
    EXPECT_EQ(top.GetHeight() / 2, 30);
    EXPECT_GT(left.GetHeight(), file.GetInt("Personality", "LeftTopHeight", 0) +
                                    file.GetInt("Personality", "LeftBotHeight", 0));
    // The caption's rounded corners are cut out with the key colour.
    EXPECT_FALSE(left.CreateRegion(0xFF00FF).contains(QPoint(0, 0)));
    EXPECT_TRUE(left.CreateRegion(0xFF00FF).contains(QPoint(2, 10)));
}

} // namespace
