// Kelvo's coloured tooltips as its dialog sets them up: a tool's tip in the
// dialog's colours, and every other tip of the program in the desktop's.
#include "tests/simple/KelvoFixture.h"

#include "platform/ColorRef.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

namespace {

using ColouredToolTips = KelvoFixture;

// The tooltip window on show; null when none is.
QLabel* ShownTip()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->windowType() == Qt::ToolTip && window->isVisible())
            return qobject_cast<QLabel*>(window);
    return nullptr;
}

// What the window system sends when the pointer rests on widget.
void Hover(QWidget* widget)
{
    const QPoint at = widget->rect().center();
    QHelpEvent help(QEvent::ToolTip, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &help);
}

void Leave(QWidget* widget)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

// The background the tip paints, inside its border, away from its text.
QColor TipBackground(QLabel* tip)
{
    return tip->grab().toImage().pixelColor(2, tip->height() - 3);
}

TEST_F(ColouredToolTips, OnlyTheToolsOwnTipTakesTheColours)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    const QPalette desktop = QToolTip::palette();
    const QColor background = ColorRefToQColor(0xE1FFFF);
    QWidget* record = Dlg()->Control(102);
    ASSERT_NE(record, nullptr);
    QPushButton plain(QStringLiteral("其他"));
    plain.setToolTip(QStringLiteral("一个普通的提示"));
    plain.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));

    // The plain tip right after the coloured one went, and at once when the
    // pointer moves on from the tool (the tip window would be reused then).
    for (const bool waitForHide : {true, false}) {
        Hover(record);
        QLabel* tip = ShownTip();
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(tip->text(), QStringLiteral("录音"));
        EXPECT_EQ(tip->palette().color(QPalette::Inactive, QPalette::ToolTipBase), background);
        EXPECT_EQ(TipBackground(tip), background);
        EXPECT_EQ(QToolTip::palette(), desktop);

        Leave(record);
        if (waitForHide) {
            QToolTip::hideText();
            ASSERT_TRUE(TestEnvironment::WaitFor([] { return !ShownTip(); }));
        }
        Hover(&plain);
        tip = ShownTip();
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(tip->text(), QStringLiteral("一个普通的提示"));
        EXPECT_EQ(tip->palette().color(QPalette::Inactive, QPalette::ToolTipBase),
                  desktop.color(QPalette::Inactive, QPalette::ToolTipBase))
            << waitForHide;
        EXPECT_NE(TipBackground(tip), background) << waitForHide;
        Leave(&plain);
        QToolTip::hideText();
        ASSERT_TRUE(TestEnvironment::WaitFor([] { return !ShownTip(); }));
    }
}

} // namespace
