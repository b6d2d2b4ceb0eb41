#include "platform/DlgCtrlId.h"
#include "skin/SkinListCtrl.h"
#include "skin/SkinListVerticleScrollbar.h"
#include "skin/SkinSliderCtrl.h"
#include "skin/SkinTabCtrl.h"
#include "skin/TabCtrl.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QScrollBar>
#include <QSlider>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

// The main dialog's controls on a window system: a list of 20 rows scrolled
// down, the page tabs and two volume sliders, under each shipped theme. Set
// ZUVO_SCREENSHOT_DIR to keep a picture of each.
class SkinnedControlsX11 : public testing::TestWithParam<const char*>
{
};

TEST_P(SkinnedControlsX11, ShowsTheDialogControlsUnderTheTheme)
{
    const QString themePath = QStringLiteral(KELVO_SKIN_DIR "/%1/theme.ini").arg(GetParam());
    const bool full = QString::fromLatin1(GetParam()) == QLatin1String("neostyle");
    QWidget dialog;
    dialog.resize(420, 300);
    dialog.setAutoFillBackground(true);
    QPalette palette = dialog.palette();
    palette.setBrush(QPalette::Window,
                     QBrush(QPixmap(QFileInfo(themePath).path() + "/dialog.png")));
    dialog.setPalette(palette);

    auto* tab = new CTabCtrl(&dialog);
    tab->setGeometry(10, 10, 380, 200);
    for (const char* text : {"素材", "铃音库", "下载"})
        tab->InsertItem(-1, QString::fromUtf8(text));
    SetDlgCtrlID(tab, 1043);
    CSkinTabCtrl* tabSkin = CSkinTabCtrl::Wrap(tab);
    EXPECT_EQ(tabSkin->LoadSkin(themePath), full);

    auto* list = new QTreeWidget(tab);
    list->setGeometry(8, 40, 340, 140);
    list->setRootIsDecorated(false);
    list->setHeaderLabels(
        {QStringLiteral("文件名"), QStringLiteral("大小"), QStringLiteral("进度")});
    list->headerItem()->setTextAlignment(1, Qt::AlignRight);
    list->header()->resizeSection(0, 150);
    list->header()->resizeSection(1, 80);
    for (int i = 0; i < 20; ++i) {
        new QTreeWidgetItem(list, {QStringLiteral("ring%1.mp3").arg(i + 1),
                                   QStringLiteral("%1 KB").arg(100 + 7 * i),
                                   QStringLiteral("%1%").arg(5 * i)});
    }
    SetDlgCtrlID(list, 1009);
    CSkinListCtrl* listSkin = CSkinListCtrl::Wrap(list, themePath);
    ASSERT_NE(listSkin, nullptr);
    EXPECT_EQ(listSkin->Skin().loaded, full);
    list->setCurrentItem(list->topLevelItem(9));

    QSlider* sliders[2];
    const int ids[2] = {1017, 1018};
    for (int i = 0; i < 2; ++i) {
        sliders[i] = new QSlider(Qt::Horizontal, &dialog);
        sliders[i]->setGeometry(20 + 200 * i, 240, 120, 14);
        sliders[i]->setRange(-120, 0);
        sliders[i]->setValue(i == 0 ? -30 : -90);
        SetDlgCtrlID(sliders[i], ids[i]);
        CSkinSliderCtrl* skin = CSkinSliderCtrl::Wrap(sliders[i]);
        ASSERT_NE(skin, nullptr);
        EXPECT_EQ(skin->LoadSkin(themePath), full);
    }

    dialog.show();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return dialog.isVisible() && list->isVisible(); }));
    list->verticalScrollBar()->setValue(6);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return list->verticalScrollBar()->value() == 6; }));
    if (full) {
        ASSERT_NE(listSkin->VerticalBar(), nullptr);
        EXPECT_TRUE(listSkin->VerticalBar()->isVisible());
        EXPECT_TRUE(listSkin->VerticalBar()->HasThumb());
        EXPECT_GT(listSkin->VerticalBar()->ThumbPosition(), 13);
    } else {
        EXPECT_EQ(listSkin->VerticalBar(), nullptr);
    }
    QCoreApplication::processEvents();
    const QImage shot = dialog.grab().toImage();
    if (const QString folder = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR"); !folder.isEmpty()) {
        QDir().mkpath(folder);
        EXPECT_TRUE(
            shot.save(folder + QStringLiteral("/skinned-controls-%1.png").arg(GetParam())));
    }
}

INSTANTIATE_TEST_SUITE_P(Themes, SkinnedControlsX11, testing::Values("neostyle", "dlgstyle"));

} // namespace
