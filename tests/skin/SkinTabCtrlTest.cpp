#include "ControlTheme.h"

#include "platform/DlgCtrlId.h"
#include "skin/SkinTabCtrl.h"
#include "skin/TabCtrl.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Buttons 40 x 20 with 4-px edge slices. Column 0 holds selected, normal and
// pressed buttons by place; the hovered buttons sit in column 40, so a slice
// cut from the wrong column shows.
const QColor kEdge(1, 2, 3);
const QColor kSelect(250, 250, 0);
const QColor kNormal[3] = {QColor(100, 0, 0), QColor(0, 100, 0), QColor(0, 0, 100)};
const QColor kDown(90, 90, 90);
const QColor kOver(0, 160, 160);
const QColor kOverRight(160, 0, 160);
const QColor kBorder(12, 34, 56);

class SkinTabCtrlTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::vector<std::pair<QRect, QColor>> blocks;
        for (int row = 0; row < 5; ++row) {
            const QColor fill = row == 0 ? kSelect : row == 4 ? kDown : kNormal[row - 1];
            blocks.push_back({QRect(0, row * 20, 40, 20), kEdge});
            blocks.push_back({QRect(4, row * 20, 32, 20), fill});
        }
        blocks.push_back({QRect(40, 0, 40, 20), kOver});
        blocks.push_back({QRect(76, 0, 4, 20), kOverRight});
        theme.Image("tabs.png", 80, 100, blocks);
        QByteArray ini = "[TabCtrl_5]\nTabButtonImage=tabs.png\nBorderColor=12 34 56\n"
                         "TextColor=1 1 1\nPendingX=4\nPendingY=2\nButtonHeight=20\n"
                         "ButtonWidth=40\n";
        for (const char* place : {"First", "Mid", "Last"})
            ini += QByteArray(place) + "TabOverX=40\n";
        ini += "FirstTabNormalY=20\nMidTabNormalY=40\nLastTabNormalY=60\n"
               "FirstTabDownY=80\nMidTabDownY=80\nLastTabDownY=80\n";
        theme.Ini(ini);

        tab = std::make_unique<CTabCtrl>();
        tab->resize(300, 120);
        SetDlgCtrlID(tab.get(), 5);
        for (const char* text : {"One", "Two", "Three"})
            tab->InsertItem(-1, QString::fromLatin1(text));
        skin = CSkinTabCtrl::Wrap(tab.get());
        ASSERT_TRUE(skin->LoadSkin(theme.Path()));
        QObject::connect(tab.get(), &CTabCtrl::SelChange, [this] { ++changes; });
    }

    QPoint Centre(int index) const { return skin->HitRect(index).center(); }
    void Click(int pressOn, int releaseOn)
    {
        SendMouse(tab.get(), QEvent::MouseButtonPress, Centre(pressOn));
        SendMouse(tab.get(), QEvent::MouseButtonRelease, Centre(releaseOn));
    }
    QColor Middle(const QImage& image, int index) const
    {
        return image.pixelColor(Centre(index).x(), skin->HitRect(index).top() + 1);
    }

    ControlTheme theme;
    std::unique_ptr<CTabCtrl> tab;
    CSkinTabCtrl* skin = nullptr;
    int changes = 0;
};

TEST_F(SkinTabCtrlTest, ReleaseOnThePressedTabSelectsItOnce)
{
    Click(2, 1);
    EXPECT_EQ(tab->GetCurSel(), 0);
    EXPECT_EQ(skin->PressedIndex(), -1);
    EXPECT_EQ(changes, 0);

    SendMouse(tab.get(), QEvent::MouseButtonPress, Centre(2));
    // A press only marks the tab.
    EXPECT_EQ(tab->GetCurSel(), 0);
    EXPECT_EQ(Middle(tab->grab().toImage(), 2), kDown);
    SendMouse(tab.get(), QEvent::MouseButtonRelease, Centre(2));
    EXPECT_EQ(tab->GetCurSel(), 2);
    EXPECT_EQ(changes, 1);

    Click(2, 2);
    EXPECT_EQ(changes, 1);
    // Off the tabs: nothing marked, nothing selected.
    Click(0, 0);
    SendMouse(tab.get(), QEvent::MouseButtonPress, QPoint(150, 100));
    SendMouse(tab.get(), QEvent::MouseButtonRelease, QPoint(150, 100));
    EXPECT_EQ(tab->GetCurSel(), 0);
    EXPECT_EQ(changes, 2);
}

TEST_F(SkinTabCtrlTest, DrawsButtonsByPlaceAndStateWithThePageFrame)
{
    tab->SetCurSel(1);
    QImage image = tab->grab().toImage();
    EXPECT_EQ(Middle(image, 0), kNormal[0]);
    EXPECT_EQ(Middle(image, 1), kSelect);
    EXPECT_EQ(Middle(image, 2), kNormal[2]);
    EXPECT_EQ(image.pixelColor(0, 60), kBorder);
    EXPECT_EQ(image.pixelColor(150, 21), kBorder);
    EXPECT_EQ(image.pixelColor(299, 119), kBorder);

    // Hovered tab 2: every slice from the hovered button's column.
    SendMouse(tab.get(), QEvent::MouseMove, Centre(2), Qt::NoButton);
    EXPECT_EQ(skin->HoverIndex(), 2);
    image = tab->grab().toImage();
    const QRect button = skin->HitRect(2);
    EXPECT_EQ(Middle(image, 2), kOver);
    EXPECT_EQ(image.pixelColor(button.right() - 1, button.top() + 1), kOverRight);
    EXPECT_EQ(image.pixelColor(button.left() + 3, button.top() + 1), kOver);

    // Onto the page: hover cleared, the tab stays drawn hovered until repainted.
    SendMouse(tab.get(), QEvent::MouseMove, QPoint(150, 80), Qt::NoButton);
    EXPECT_EQ(skin->HoverIndex(), -1);
    CTabCtrl single;
    single.resize(100, 60);
    single.InsertItem(0, QStringLiteral("Only"));
    SetDlgCtrlID(&single, 5);
    CSkinTabCtrl* only = CSkinTabCtrl::Wrap(&single);
    ASSERT_TRUE(only->LoadSkin(theme.Path()));
    EXPECT_EQ(only->ButtonSource(0), QPoint(0, 0)); // selected
    EXPECT_EQ(skin->ButtonSource(0), QPoint(0, 20));
}

TEST_F(SkinTabCtrlTest, LabelsAreInsetRaisedWhenSelectedAndCutWithAnEllipsis)
{
    QString text;
    const QRect hit0 = skin->HitRect(0);
    EXPECT_EQ(skin->LabelRect(0, &text),
              QRect(hit0.left() + 3, hit0.top() - 2, hit0.width() - 6, hit0.height()));
    EXPECT_EQ(text, QStringLiteral("One"));
    const QRect hit1 = skin->HitRect(1);
    EXPECT_EQ(skin->LabelRect(1, nullptr), hit1.adjusted(3, 0, -3, 0));

    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    tab->SetImageList({QIcon(icon)});
    tab->InsertItem(-1, QStringLiteral("Icon"), 0);
    const QRect hit3 = skin->HitRect(3);
    EXPECT_EQ(skin->LabelRect(3, nullptr), hit3.adjusted(22, 0, -3, 0));

    // Without padding the label is wider than its inset rectangle: cut.
    const int index = tab->InsertItem(-1, QStringLiteral("A label too long"));
    tab->SetPadding(QSize(0, 2));
    const QRect label = skin->LabelRect(index, &text);
    EXPECT_TRUE(text.endsWith(QChar(0x2026)));
    EXPECT_LE(tab->fontMetrics().horizontalAdvance(text), label.width());
}

TEST_F(SkinTabCtrlTest, MissingImageKeepsTheStandardTabs)
{
    theme.Ini("[TabCtrl_5]\nBorderColor=12 34 56\n");
    EXPECT_FALSE(skin->LoadSkin(theme.Path()));
    SendMouse(tab.get(), QEvent::MouseButtonPress, tab->GetItemRect(1).center());
    EXPECT_EQ(tab->GetCurSel(), 1);
    EXPECT_EQ(changes, 1);
}

} // namespace
