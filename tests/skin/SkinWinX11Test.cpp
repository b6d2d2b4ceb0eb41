#include "platform/DlgCtrlId.h"
#include "skin/SkinWin.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Ids
{
    const char* theme;
    int check, edit;
};

// A dialog skinned with each shipped theme, on a real X server: active and
// inactive, normal and maximised, as the screen shows it (the caption's cut
// corners included). Set ZUVO_SCREENSHOT_DIR to keep the pictures.
class SkinWinX11 : public testing::TestWithParam<Ids>
{
};

QImage Shot(QWidget& dialog, const char* name)
{
    QCoreApplication::processEvents();
    QTest::qWait(50);
    const QRect g = dialog.frameGeometry();
    const QImage shot =
        dialog.screen()->grabWindow(0, g.x(), g.y(), g.width(), g.height()).toImage();
    if (const QString folder = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR"); !folder.isEmpty()) {
        QDir().mkpath(folder);
        EXPECT_TRUE(shot.save(folder + "/skin-frame-" + name + ".png"));
    }
    return shot;
}

TEST_P(SkinWinX11, ShowsTheFrameInEveryState)
{
    const Ids ids = GetParam();
    const QString themePath = QStringLiteral(KELVO_SKIN_DIR "/%1/theme.ini").arg(ids.theme);
    QDialog dialog;
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    dialog.setWindowTitle(QStringLiteral("铃声录制 - 皮肤测试 %1").arg(ids.theme));
    QPixmap icon(16, 16);
    icon.fill(QColor(0x2a, 0x7a, 0xd0));
    dialog.setWindowIcon(QIcon(icon));
    dialog.resize(420, 260);
    auto* label = new QLabel(QStringLiteral("铃声名称:"), &dialog);
    label->setGeometry(16, 20, 80, 22);
    auto* edit = new QLineEdit(QStringLiteral("我的铃声"), &dialog);
    edit->setGeometry(100, 20, 200, 22);
    SetDlgCtrlID(edit, ids.edit);
    auto* check = new QCheckBox(QStringLiteral("保存到铃音库"), &dialog);
    check->setGeometry(16, 60, 160, 22);
    SetDlgCtrlID(check, ids.check);
    auto* ok = new QPushButton(QStringLiteral("确定"), &dialog);
    ok->setGeometry(220, 180, 80, 26);
    auto* cancel = new QPushButton(QStringLiteral("取消"), &dialog);
    cancel->setGeometry(310, 180, 80, 26);

    ApplySkin(themePath, &dialog);
    CSkinWin* skin = CSkinWin::Of(&dialog);
    ASSERT_NE(skin, nullptr);
    ASSERT_TRUE(skin->Frame().IsLoaded());
    dialog.move(60, 60);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_TRUE(skin->IsActive());
    // The caption's corners are cut out of the window.
    EXPECT_FALSE(dialog.mask().isEmpty());
    EXPECT_FALSE(dialog.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(dialog.mask().contains(QPoint(200, 100)));
    const QImage active = Shot(dialog, QByteArray(ids.theme) + "-active-normal");

    QWidget other;
    other.setGeometry(600, 500, 200, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !skin->IsActive(); }));
    const QImage inactive = Shot(dialog, QByteArray(ids.theme) + "-inactive-normal");
    // The active caption carries its accent line; the inactive one does not.
    EXPECT_NE(active.pixel(210, 0), inactive.pixel(210, 0));

    dialog.showMaximized();
    dialog.activateWindow();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return dialog.isMaximized(); }));
    EXPECT_EQ(skin->CurrentState(), CSkinWin::kMaximised);
    Shot(dialog, QByteArray(ids.theme) + "-active-maximised");
    // A title too long for the caption ends in "..." before the buttons.
    dialog.setWindowTitle(dialog.windowTitle() +
                          QStringLiteral(" 一个很长的标题 that runs on and on past the buttons"));
    other.activateWindow();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !skin->IsActive(); }));
    Shot(dialog, QByteArray(ids.theme) + "-inactive-maximised");
    dialog.showNormal();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !dialog.isMaximized(); }));
    EXPECT_EQ(skin->CurrentState(), CSkinWin::kNormal);
}

INSTANTIATE_TEST_SUITE_P(Themes, SkinWinX11,
                         testing::Values(Ids{"neostyle", 1048, 1015},
                                         Ids{"dlgstyle", 1045, 1013}));

} // namespace
