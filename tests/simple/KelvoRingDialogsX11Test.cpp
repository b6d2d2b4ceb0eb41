// Kelvo's ring upload dialog as a user sees it on a real X server: inside the
// dialog skin's frame, every control within the client area and none over
// another. ZUVO_SCREENSHOT_DIR keeps the picture.
#include "tests/simple/KelvoFixture.h"

#include "simple/RingContentChoice.h"
#include "simple/RingContentDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTest>

namespace {

TEST(KelvoRingDialogsX11, TheUploadDialogWearsTheDialogSkin)
{
    RecordingSink messages;
    Kelvo::CRingContentDialog dialog(messages);
    dialog.NameEdit()->setText(QStringLiteral("晚安"));
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::qWait(200);

    const QRect client = dialog.contentsRect();
    EXPECT_GT(client.top(), 0) << "the skin's caption is drawn above the client area";
    const QList<QWidget*> controls = {dialog.NameEdit(), dialog.ContentChoice(),
                                      dialog.AddToLibraryBox(), dialog.ShareBox()};
    for (int i = 0; i < controls.size(); ++i) {
        EXPECT_TRUE(controls[i]->isVisible());
        EXPECT_TRUE(client.contains(controls[i]->geometry())) << i;
        for (int j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry())) << i << j;
    }

    const QString folder = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        const QRect frame = dialog.frameGeometry();
        const QPixmap picture =
            dialog.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        EXPECT_TRUE(picture.save(folder + "/kelvo-ring-upload-dialog.png"));
    }
}

} // namespace
