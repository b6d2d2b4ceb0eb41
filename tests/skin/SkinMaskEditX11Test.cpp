#include "skin/SkinMaskEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The X11 selection pasted with the middle button obeys the mask as typing does.
TEST(SkinMaskEditX11Test, MiddleButtonPasteGoesThroughTheMask)
{
    QDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    edit->setGeometry(10, 10, 120, 22);
    auto* skin = new CSkinMaskEdit(edit);
    int beeps = 0;
    skin->SetBeeper([&] { ++beeps; });
    skin->SetMask(QStringLiteral("88:88:88"), QStringLiteral("__:__:__"),
                  QStringLiteral("00:00:00"), QStringLiteral("00:00:00"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QClipboard* clipboard = QApplication::clipboard();
    ASSERT_TRUE(clipboard->supportsSelection());
    struct Case
    {
        const char* selection;
        const char* text;
        int beeps;
    };
    const Case cases[] = {{"1234", "12:34:00", 0}, {"9x", "90:00:00", 1}};
    for (const Case& c : cases) {
        skin->SetMaskedText(QStringLiteral("00:00:00"));
        beeps = 0;
        clipboard->setText(QString::fromUtf8(c.selection), QClipboard::Selection);
        QTest::mouseClick(edit, Qt::MiddleButton, {}, QPoint(1, edit->height() / 2));
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.text)) << c.selection;
        EXPECT_EQ(beeps, c.beeps) << c.selection;
    }
}

} // namespace
