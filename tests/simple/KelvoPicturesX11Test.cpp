// Kelvo's main dialog as a user sees it on a real X server: every control
// inside the theme's client area and none over another, the skinned frame,
// and a song loaded. ZUVO_SCREENSHOT_DIR keeps the pictures.
#include "tests/simple/KelvoFixture.h"

#include "simple/AboutDlg.h"
#include "voice/Brevanta.h"
#include "voice/SongInfoShow.h"

#include <QApplication>
#include <QGroupBox>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWindow>

namespace {

using KelvoPictures = KelvoFixture;

std::string Where(const QWidget* w)
{
    const QRect r = w->geometry();
    return std::string(w->metaObject()->className()) + " " + w->accessibleName().toStdString() +
           QString(" (%1, %2, %3 x %4)")
               .arg(r.x())
               .arg(r.y())
               .arg(r.width())
               .arg(r.height())
               .toStdString();
}

void Keep(QWidget* window, const QString& name)
{
    const QString folder = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QScreen* screen = window->screen();
    const QPixmap picture =
        screen->grabWindow(0, window->frameGeometry().x(), window->frameGeometry().y(),
                           window->frameGeometry().width(), window->frameGeometry().height());
    EXPECT_TRUE(picture.save(folder + u'/' + name)) << name.toStdString();
}

TEST_F(KelvoPictures, TheControlsFitTheClientAreaWithoutOverlapping)
{
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    CKelvoDlg* dlg = Dlg();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
    const QRect client = dlg->contentsRect();
    EXPECT_EQ(client.size(), QSize(720, 520));
    EXPECT_GT(client.top(), 0) << "the theme's frame is drawn around the client area";

    // The direct children that show something, group boxes apart: the boxes
    // hold the controls drawn inside them.
    QList<QWidget*> controls;
    QList<QWidget*> groups;
    for (QWidget* child : dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || !child->isVisible())
            continue;
        (qobject_cast<QGroupBox*>(child) ? groups : controls) << child;
    }
    ASSERT_GT(controls.size(), 30);
    for (QWidget* control : controls + groups) {
        EXPECT_TRUE(client.contains(control->geometry())) << Where(control);
    }
    for (int i = 0; i < controls.size(); ++i) {
        for (int j = i + 1; j < controls.size(); ++j) {
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << Where(controls[i]) << " and " << Where(controls[j]);
        }
    }
    // A control is either wholly in a group box or outside it.
    for (QWidget* group : groups) {
        for (QWidget* control : controls) {
            const QRect g = group->geometry(), c = control->geometry();
            EXPECT_TRUE(!g.intersects(c) || g.adjusted(1, 14, -1, -1).contains(c))
                << Where(control) << " and the group " << Where(group);
        }
    }
    Keep(dlg, QStringLiteral("kelvo-first-start.png"));
}

TEST_F(KelvoPictures, ASongLoadedAndTheAboutBox)
{
    const QString wav = TestEnvironment::Home() + "/午后小调.wav";
    QProcess sox;
    sox.start("sox", {"-n", "-r", "22050", "-c", "2", "-b", "16", wav, "synth", "20", "sine",
                      "220-660", "sine", "330", "tremolo", "0.7", "80", "vol", "0.3"});
    ASSERT_TRUE(sox.waitForFinished(20000));
    ASSERT_EQ(sox.exitCode(), 0);
    QDir().mkpath(TestEnvironment::DataHome() + "/VazoZedu/TempFiles");
    for (const char* name : {"清晨的钟声.kox", "午后小调.kox"})
        QFile::copy(wav, TestEnvironment::DataHome() + "/VazoZedu/TempFiles/" + name);
    ASSERT_EQ(Start(), CKelvoApp::Start::Run);
    CKelvoDlg* dlg = Dlg();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dlg));
    dlg->LoadMusicFile(wav);
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] { return dlg->Editor()->IsMusicLoaded() && !dlg->Editor()->IsOpening(); }, 30000));
    QTest::qWait(300);
    dlg->Editor()->SetSelectionStart(120);
    dlg->Editor()->SetSelectionEnd(400);
    dlg->Editor()->update();
    dlg->UpdateTimeEdits();
    QTest::qWait(1500);
    EXPECT_FALSE(dlg->SongInfo()->GetLines().isEmpty());
    Keep(dlg, QStringLiteral("kelvo-song.png"));

    // The program's icon, as its main sets it.
    QApplication::setWindowIcon(QIcon(QStringLiteral(KELVO_ICON)));
    bool shown = false;
    dlg->SetAboutRunner([&](CAboutDlg& about) {
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        QTest::qWait(200);
        Keep(&about, QStringLiteral("kelvo-about.png"));
        shown = true;
    });
    dlg->OnAbout();
    EXPECT_TRUE(shown);
}

} // namespace
