#include "platform/DlgCtrlId.h"
#include "skin/SkinPlacement.h"
#include "skin/ThemeLocator.h"

#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

QString Theme(const QByteArray& section)
{
    const QString path = TestEnvironment::Home() + "/theme.ini";
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Edit_7]\n" + section);
    return path;
}

TEST(SkinPlacementTest, MovesOnlyWhenBothPositionsAreGiven)
{
    struct Case
    {
        QByteArray keys;
        QRect result;
    };
    const QRect home(5, 6, 70, 20);
    const Case cases[] = {
        {"", home},
        {"PosX=-1\nPosY=10\nWidth=30\nHeight=30\n", home},
        {"PosX=10\n", home},
        {"PosX=10\nPosY=12\n", QRect(10, 12, 70, 20)},
        {"PosX=10\nPosY=12\nWidth=-1\nHeight=50\n", QRect(10, 12, 70, 50)},
        {"PosX=0\nPosY=0\nWidth=40\nHeight=0\n", QRect(0, 0, 40, 0)},
    };
    for (const Case& c : cases) {
        QWidget parent;
        QWidget child(&parent);
        child.setGeometry(home);
        CSkinPlacement placement;
        placement.Load(Theme(c.keys), "Edit_7");
        placement.Apply(&child);
        EXPECT_EQ(child.geometry(), c.result) << c.keys.toStdString();
        EXPECT_EQ(placement.Home(), home);
        // Later calls size from the first geometry, not from the moved one.
        child.resize(1, 1);
        placement.Apply(&child);
        if (c.result != home) {
            EXPECT_EQ(child.geometry(), c.result) << c.keys.toStdString();
        }
    }
}

TEST(SkinPlacementTest, ControlsCarryTheirDialogIdentifier)
{
    QWidget widget;
    EXPECT_EQ(GetDlgCtrlID(&widget), 0);
    SetDlgCtrlID(&widget, 1049);
    EXPECT_EQ(GetDlgCtrlID(&widget), 1049);
    SetDlgCtrlID(&widget, -1);
    EXPECT_EQ(GetDlgCtrlID(&widget), -1);
    EXPECT_EQ(GetDlgCtrlID(nullptr), 0);
}

TEST(SkinPlacementTest, ThemesAreFoundBesideTheProgramThenInTheDataFolder)
{
    const QString program = TestEnvironment::Home() + "/bin/";
    const QString shared = TestEnvironment::Home() + "/share/zuvo/";
    const QString relative = "skin/dlgstyle/theme.ini";
    QDir().mkpath(shared + "skin/dlgstyle");
    EXPECT_EQ(ThemeLocator::Find(relative, {program, shared}), program + relative);
    QFile(shared + relative).open(QIODevice::WriteOnly);
    EXPECT_EQ(ThemeLocator::Find(relative, {program, shared}), shared + relative);
    QDir().mkpath(program + "skin/dlgstyle");
    QFile(program + relative).open(QIODevice::WriteOnly);
    EXPECT_EQ(ThemeLocator::Find(relative, {program, shared}), program + relative);
}

} // namespace
