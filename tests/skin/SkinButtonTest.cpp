#include "skin/ButtonSkin.h"
#include "platform/DlgCtrlId.h"
#include "skin/SkinBmpButton.h"
#include "skin/SkinButton.h"

#include "tests/skin/CellTheme.h"

#include <QDialog>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kBmpId = 1051;

// Five 10 px cells for the push buttons; five 30 x 20 bitmap cells, 2 px
// apart, each with a 6 px magenta corner; one bitmap strip all magenta.
QString MakeTheme()
{
    CellTheme::Save(CellTheme::Row(5, 10), "buttons.png");
    CellTheme::Save(CellTheme::Column(5, 30, 20, 2, 6), "bmp.png");
    QImage blank(30, 20, QImage::Format_RGB32);
    blank.fill(QColor(255, 0, 255));
    CellTheme::Save(blank, "blank.png");
    return CellTheme::Write("[Buttons]\nBitmap=buttons.png\n"
                            "[BmpButton_1051]\nBitmap=bmp.png\nWidth=30\nHeight=20\nSpace=2\n"
                            "PosLeft=40\nPosTop=50\nHand=1\nTransColor=0 255 0\n"
                            "[BmpButton_1052]\nBitmap=blank.png\nWidth=30\nHeight=20\n");
}

QColor Probe(QWidget* widget, QPoint at)
{
    return widget->grab().toImage().pixelColor(at);
}

void Send(QWidget* widget, QEvent::Type type, QPoint at)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

class SkinButtonTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_theme = MakeTheme();
        ASSERT_TRUE(m_skin.Load(m_theme));
        m_dialog.resize(200, 120);
        m_push = new QPushButton(QStringLiteral("OK"), &m_dialog);
        m_push->setGeometry(10, 10, 60, 24);
        m_skinned = new CSkinButton(m_push);
        m_skinned->SetButtonSkin(&m_skin);
        m_bmp = new QPushButton(&m_dialog);
        SetDlgCtrlID(m_bmp, kBmpId);
        m_skinnedBmp = new CSkinBmpButton(m_bmp);
        ASSERT_TRUE(m_skinnedBmp->LoadSkin(m_theme));
        m_other = new QPushButton(QStringLiteral("x"), &m_dialog);
        m_other->setGeometry(100, 10, 40, 24);
        m_dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_dialog));
        m_other->setFocus();
    }

    QString m_theme;
    ButtonSkin m_skin;
    QDialog m_dialog;
    QPushButton* m_push = nullptr;
    CSkinButton* m_skinned = nullptr;
    QPushButton* m_bmp = nullptr;
    CSkinBmpButton* m_skinnedBmp = nullptr;
    QPushButton* m_other = nullptr;
};

TEST(ButtonSkinTest, CellsSplitTheWidthInFifths)
{
    QImage strip(100, 8, QImage::Format_RGB32);
    strip.fill(Qt::gray);
    strip.save(TestEnvironment::Home() + "/wide.png");
    ButtonSkin skin;
    ASSERT_TRUE(skin.Load(CellTheme::Write("[Buttons]\nBitmap=wide.png\n")));
    EXPECT_EQ(skin.CellRect(3), QRect(60, 0, 20, 8));
    EXPECT_FALSE(skin.Load(CellTheme::Write("[Buttons]\nBitmap=missing.png\n")));
    EXPECT_FALSE(skin.IsLoaded());
}

TEST_F(SkinButtonTest, PushButtonStatesPickTheirCell)
{
    const QPoint mid(30, 12);
    struct Step
    {
        const char* state;
        std::function<void()> act;
        int cell;
    };
    const Step steps[] = {
        {"normal", [] {}, ButtonSkin::Normal},
        {"hover", [&] { Send(m_push, QEvent::MouseMove, mid); }, ButtonSkin::Hover},
        {"pressed", [&] { Send(m_push, QEvent::MouseButtonPress, mid); }, ButtonSkin::Pressed},
        {"released, focused", [&] { Send(m_push, QEvent::MouseButtonRelease, mid); },
         ButtonSkin::Focused},
        {"disabled", [&] { m_push->setEnabled(false); }, ButtonSkin::Disabled},
    };
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(m_skinned->CurrentCell(), step.cell) << step.state;
        EXPECT_EQ(Probe(m_push, QPoint(5, 5)), CellTheme::Colour(step.cell)) << step.state;
    }
}

TEST_F(SkinButtonTest, PressedCaptionMovesTwoPixelsAndDisabledTextIsGrey)
{
    m_push->setText(QStringLiteral("■"));
    const QImage normal = m_push->grab().toImage();
    Send(m_push, QEvent::MouseButtonPress, QPoint(30, 12));
    const QImage pressed = m_push->grab().toImage();
    // The caption's ink, found by its difference from the cell colour.
    const auto ink = [](const QImage& image, QColor ground) {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) != ground)
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    const QRect before = ink(normal, CellTheme::Colour(ButtonSkin::Normal));
    const QRect after = ink(pressed, CellTheme::Colour(ButtonSkin::Pressed));
    ASSERT_FALSE(before.isEmpty());
    EXPECT_EQ(after.topLeft(), before.topLeft() + QPoint(2, 2));

    Send(m_push, QEvent::MouseButtonRelease, QPoint(-50, -50));
    m_push->setEnabled(false);
    const QImage disabled = m_push->grab().toImage();
    EXPECT_EQ(disabled.pixelColor(before.center()), QColor(0x64, 0x64, 0x64));
}

TEST_F(SkinButtonTest, BitmapButtonIsPlacedAndShapedByItsSection)
{
    EXPECT_EQ(m_bmp->geometry(), QRect(40, 50, 30, 20));
    EXPECT_EQ(m_bmp->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(m_bmp->mask().contains(QPoint(2, 2))); // magenta, whatever TransColor says
    EXPECT_TRUE(m_bmp->mask().contains(QPoint(10, 10)));
    EXPECT_EQ(m_skinnedBmp->Skin().CellRect(4), QRect(0, 88, 30, 20));

    // A strip that is all magenta hides the button instead of showing it whole.
    auto* blank = new QPushButton(&m_dialog);
    SetDlgCtrlID(blank, 1052);
    CSkinBmpButton blankSkin(blank);
    ASSERT_TRUE(blankSkin.LoadSkin(m_theme));
    EXPECT_FALSE(blank->mask().isEmpty());
    EXPECT_FALSE(blank->mask().intersects(blank->rect()));
}

TEST_F(SkinButtonTest, BitmapButtonStatesPickTheirCell)
{
    const QPoint mid(15, 10);
    for (bool checkable : {false, true}) {
        m_bmp->setCheckable(checkable);
        m_bmp->setChecked(false);
        m_bmp->setEnabled(true);
        Send(m_bmp, QEvent::MouseMove, QPoint(-5, -5));
        struct Step
        {
            const char* state;
            std::function<void()> act;
            int cell;
        };
        const int clicked = checkable ? BmpButtonSkin::Checked : BmpButtonSkin::Normal;
        const Step steps[] = {
            {"normal", [] {}, BmpButtonSkin::Normal},
            {"hover", [&] { Send(m_bmp, QEvent::MouseMove, mid); }, BmpButtonSkin::Hover},
            {"pressed", [&] { Send(m_bmp, QEvent::MouseButtonPress, mid); },
             BmpButtonSkin::Pressed},
            {"clicked", [&] { Send(m_bmp, QEvent::MouseButtonRelease, mid); }, clicked},
            {"disabled", [&] { m_bmp->setEnabled(false); }, BmpButtonSkin::Normal},
        };
        for (const Step& step : steps) {
            step.act();
            EXPECT_EQ(m_skinnedBmp->CurrentCell(), step.cell) << step.state << checkable;
            EXPECT_EQ(Probe(m_bmp, mid), CellTheme::Colour(step.cell)) << step.state << checkable;
        }
    }
}

TEST_F(SkinButtonTest, ClicksFollowPressAndReleaseRules)
{
    for (QPushButton* button : {m_push, m_bmp}) {
        button->setCheckable(button == m_bmp);
        button->setChecked(false);
        QSignalSpy clicks(button, &QAbstractButton::clicked);
        const QPoint mid(15, 10);
        const QPoint inDialog = button->mapTo(&m_dialog, mid);

        QTest::mouseClick(button, Qt::LeftButton, {}, mid);
        EXPECT_EQ(clicks.count(), 1) << "a click";

        QTest::mousePress(button, Qt::LeftButton, {}, mid);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-20, -20));
        EXPECT_EQ(clicks.count(), 1) << "press inside, release outside";

        QTest::mousePress(&m_dialog, Qt::LeftButton, {}, QPoint(190, 110));
        QTest::mouseRelease(&m_dialog, Qt::LeftButton, {}, inDialog);
        EXPECT_EQ(clicks.count(), 1) << "press outside, release inside";

        // Inside the rectangle, on the bitmap's cut-out corner.
        if (button == m_bmp) {
            QTest::mousePress(button, Qt::LeftButton, {}, mid);
            QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(2, 2));
            EXPECT_EQ(clicks.count(), 1) << "release on the cut-out corner";
        }

        QTest::keyClick(button, Qt::Key_Space);
        EXPECT_EQ(clicks.count(), 2) << "space bar";

        // What a double click delivers: press, release, double-click press, release.
        QTest::mousePress(button, Qt::LeftButton, {}, mid);
        QTest::mouseRelease(button, Qt::LeftButton, {}, mid);
        QTest::mouseDClick(button, Qt::LeftButton, {}, mid);
        QTest::mouseRelease(button, Qt::LeftButton, {}, mid);
        EXPECT_EQ(clicks.count(), 3) << "a double click is one click";

        // Each click toggled a checkable button once: three clicks, checked.
        EXPECT_EQ(button->isChecked(), button == m_bmp);
    }
}

} // namespace
