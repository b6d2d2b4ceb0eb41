#include "platform/DlgCtrlId.h"
#include "skin/SkinCheckBox.h"
#include "skin/SkinRadio.h"

#include "tests/skin/CellTheme.h"

#include <QCheckBox>
#include <QDialog>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kCell = 13;

QString MakeTheme()
{
    CellTheme::Save(CellTheme::Row(6, kCell), "cells.png");
    return CellTheme::Write("[CheckBox_1045]\nCheckButton=cells.png\nCheckBoxBmpWidth=13\n"
                            "[Radio_1042]\nRadioButton=cells.png\nRadioBmpWidth=13\n"
                            "TextColor=0 0 255\n"
                            "[CheckBox_1046]\nCheckButton=gone.png\nPosX=5\nPosY=90\n");
}

void Send(QWidget* widget, QEvent::Type type)
{
    if (type == QEvent::Leave) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(widget, &leave);
        return;
    }
    QMouseEvent move(type, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

// The colour at the cell's centre: the cell is centred in the 20 px height.
QColor CellProbe(QWidget* widget)
{
    return widget->grab().toImage().pixelColor(kCell / 2, (20 - kCell) / 2 + kCell / 2);
}

class SkinCheckTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_theme = MakeTheme();
        m_dialog.resize(200, 120);
        m_box = new QCheckBox(QStringLiteral("Box"), &m_dialog);
        m_box->setGeometry(10, 10, 100, 20);
        SetDlgCtrlID(m_box, 1045);
        m_skinBox = new CSkinCheckBox(m_box);
        ASSERT_TRUE(m_skinBox->LoadSkin(m_theme));
        m_radio = new QRadioButton(QStringLiteral("Radio"), &m_dialog);
        m_radio->setGeometry(10, 40, 100, 20);
        m_radio->setAutoExclusive(false);
        SetDlgCtrlID(m_radio, 1042);
        m_skinRadio = new CSkinRadio(m_radio);
        ASSERT_TRUE(m_skinRadio->LoadSkin(m_theme));
        m_other = new QPushButton(&m_dialog);
        m_other->setGeometry(150, 10, 30, 20);
        m_dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_dialog));
        m_other->setFocus();
    }

    QString m_theme;
    QDialog m_dialog;
    QCheckBox* m_box = nullptr;
    CSkinCheckBox* m_skinBox = nullptr;
    QRadioButton* m_radio = nullptr;
    CSkinRadio* m_skinRadio = nullptr;
    QPushButton* m_other = nullptr;
};

TEST_F(SkinCheckTest, StatesPickTheirCell)
{
    struct Case
    {
        const char* state;
        bool checked, hover, focus, enabled;
        int cell;
    };
    const Case cases[] = {
        {"unchecked", false, false, false, true, 0},
        {"checked", true, false, false, true, 1},
        {"hover", false, true, false, true, 2},
        {"checked, hover", true, true, false, true, 3},
        {"focused", false, false, true, true, 2},
        {"checked, focused", true, false, true, true, 3},
        {"disabled", false, false, false, false, 4},
        {"checked, disabled, hover", true, true, false, false, 5},
    };
    for (QAbstractButton* button :
         {static_cast<QAbstractButton*>(m_box), static_cast<QAbstractButton*>(m_radio)}) {
        const CSkinCheckCtrl* skin = button == m_box ? static_cast<CSkinCheckCtrl*>(m_skinBox)
                                                     : static_cast<CSkinCheckCtrl*>(m_skinRadio);
        for (const Case& c : cases) {
            button->setEnabled(c.enabled);
            button->setChecked(c.checked);
            Send(button, c.hover ? QEvent::MouseMove : QEvent::Leave);
            if (c.focus)
                button->setFocus();
            else
                m_other->setFocus();
            EXPECT_EQ(skin->CurrentCell(), c.cell) << c.state << " " << button->text();
            EXPECT_EQ(CellProbe(button), CellTheme::Colour(c.cell))
                << c.state << " " << button->text();
        }
        button->setEnabled(true);
    }
    // A partly checked box is drawn unchecked.
    Send(m_box, QEvent::Leave);
    m_box->setTristate(true);
    m_box->setCheckState(Qt::PartiallyChecked);
    EXPECT_EQ(CellProbe(m_box), CellTheme::Colour(0));
}

TEST_F(SkinCheckTest, CaptionStartsThreePixelsAfterTheCell)
{
    m_radio->setText(QStringLiteral("■"));
    const QImage image = m_radio->grab().toImage();
    const QColor ground = image.pixelColor(image.width() - 1, 0);
    int firstInk = -1;
    for (int x = kCell; x < image.width() && firstInk < 0; ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixelColor(x, y) != ground) {
                firstInk = x;
                break;
            }
    EXPECT_GE(firstInk, kCell + 3);
    EXPECT_LE(firstInk, kCell + 5);
    // The radio's label is in the section's colour; disabled, grey.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        colours.insert(image.pixel(firstInk + 2, y) & 0xFFFFFF);
    EXPECT_TRUE(colours.contains(0x0000FF));
    m_radio->setEnabled(false);
    const QImage grey = m_radio->grab().toImage();
    colours.clear();
    for (int y = 0; y < grey.height(); ++y)
        colours.insert(grey.pixel(firstInk + 2, y) & 0xFFFFFF);
    EXPECT_TRUE(colours.contains(0x646464));
}

TEST_F(SkinCheckTest, ClicksToggleOnceAndDoubleClicksOnce)
{
    QSignalSpy clicks(m_box, &QAbstractButton::clicked);
    QTest::mouseClick(m_box, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_TRUE(m_box->isChecked());
    QTest::mousePress(m_box, Qt::LeftButton, {}, QPoint(5, 10));
    QTest::mouseRelease(m_box, Qt::LeftButton, {}, QPoint(5, 10));
    QTest::mouseDClick(m_box, Qt::LeftButton, {}, QPoint(5, 10));
    QTest::mouseRelease(m_box, Qt::LeftButton, {}, QPoint(5, 10));
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_FALSE(m_box->isChecked());
    EXPECT_EQ(CellProbe(m_box), CellTheme::Colour(CSkinCheckCtrl::HotUnchecked)); // focused
}

TEST_F(SkinCheckTest, MissingStripKeepsTheStandardLookButStillPlaces)
{
    auto* box = new QCheckBox(QStringLiteral("Plain"), &m_dialog);
    box->setGeometry(10, 70, 100, 20);
    SetDlgCtrlID(box, 1046);
    CSkinCheckBox skin(box);
    EXPECT_FALSE(skin.LoadSkin(m_theme));
    EXPECT_EQ(box->geometry(), QRect(5, 90, 100, 20));
    EXPECT_NE(CellProbe(box), CellTheme::Colour(0));
}

} // namespace
