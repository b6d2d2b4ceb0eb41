// Kelvo's windows that reach the ring service, used with the mouse on a real
// X server against the stand-in: the web page window inside its skinned
// frame, and the download list scrolled with its bitmap bars to a row's
// cancel mark. The pointer is moved and clicked through the X server
// (xdotool), as a user would. ZUVO_SCREENSHOT_DIR keeps the pictures.
#include "tests/simple/KelvoFixture.h"

#include "publish/BrowserDlg.h"
#include "publish/HTTPDownloadTask.h"
#include "publish/RingHtmlView.h"
#include "simple/ListDownloadCtrl.h"
#include "skin/SkinListHorizontalScrollbar.h"
#include "skin/SkinListVerticleScrollbar.h"
#include "skin/SkinWin.h"
#include "skin/TabCtrl.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"
#include "tests/support/ImagePixels.h"

#include <QHeaderView>
#include <QJsonArray>
#include <QJsonObject>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <QWebEnginePage>

namespace {

// Runs xdotool while the program goes on handling what the X server sends it.
bool Xdo(const QStringList& args)
{
    QProcess xdo;
    xdo.start(QStringLiteral("xdotool"), args);
    if (!xdo.waitForStarted(5000))
        return false;
    TestEnvironment::WaitFor([&] { return xdo.state() == QProcess::NotRunning; }, 10000);
    QTest::qWait(50);
    return xdo.exitStatus() == QProcess::NormalExit && xdo.exitCode() == 0;
}

QStringList At(const QPoint& global)
{
    return {QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y())};
}

bool Click(QWidget* widget, const QPoint& at)
{
    return Xdo(At(widget->mapToGlobal(at)) + QStringList{"click", "1"});
}

// Presses at from, moves to to in a few steps and releases there (points of
// widget as it lies at the press: a drag may move it).
bool Drag(QWidget* widget, const QPoint& from, const QPoint& to)
{
    const QPoint start = widget->mapToGlobal(from);
    const QPoint end = widget->mapToGlobal(to);
    if (!Xdo(At(start) + QStringList{"mousedown", "1"}))
        return false;
    for (int step = 1; step <= 4; ++step) {
        if (!Xdo(At(start + (end - start) * step / 4)))
            return false;
    }
    return Xdo({"mouseup", "1"});
}

// What the screen shows of widget's rectangle.
QImage OnScreen(QWidget* widget, const QRect& rect)
{
    QCoreApplication::processEvents();
    const QPoint at = widget->mapToGlobal(rect.topLeft());
    return widget->screen()->grabWindow(0, at.x(), at.y(), rect.width(), rect.height()).toImage();
}

void Keep(const QImage& image, const QString& name)
{
    const QString folder = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    EXPECT_TRUE(image.save(folder + u'/' + name + ".png")) << name.toStdString();
}

// How many pixels of area (in both images' coordinates) differ.
int Differing(const QImage& a, const QImage& b, const QRect& area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += (a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF);
    return count;
}

struct KelvoWindowsX11 : KelvoFixture
{
    void SetUp() override
    {
        ASSERT_TRUE(service.IsRunning()) << service.StartError().toStdString();
        ASSERT_EQ(Start(), CKelvoApp::Start::Run);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Dlg()));
    }

    RingServiceFixture service;
    ScopedServiceHost host{service.HostPort()};
};

TEST_F(KelvoWindowsX11, TheWebWindowShowsItsCaptionAndTheMouseMovesAndClosesIt)
{
    // 网上素材, clicked.
    QWidget* materials = Dlg()->Control(1006);
    ASSERT_NE(materials, nullptr);
    ASSERT_TRUE(Click(materials, materials->rect().center()));
    CBrowserDlg* browser = Dlg()->Browser();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return browser->isVisible(); }, 10000));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(browser));
    CRingHtmlView* view = browser->View();
    ASSERT_NE(view, nullptr);
    const auto ready = std::make_shared<bool>(false);
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] {
            view->page()->runJavaScript("document.readyState === 'complete'",
                                        [ready](const QVariant& v) { *ready = v.toBool(); });
            return *ready && view->page()->url().path() == "/zuvo/pub/songlist.me";
        },
        60000));
    QTest::qWait(500); // the page paints

    // The screen shows the theme's caption band, title buttons included.
    CSkinWin* skin = CSkinWin::Of(browser);
    ASSERT_NE(skin, nullptr);
    ASSERT_TRUE(skin->Frame().IsLoaded());
    const QImage screen = OnScreen(browser, browser->rect());
    Keep(screen, "kelvo-web-window");
    const QImage caption = skin->CaptionImage();
    ASSERT_EQ(caption.width(), browser->width());
    const QRegion shape = browser->mask().isEmpty() ? QRegion(browser->rect()) : browser->mask();
    int differing = 0, compared = 0;
    for (int y = 0; y < caption.height(); ++y)
        for (int x = 0; x < caption.width(); ++x) {
            if (!shape.contains(QPoint(x, y)))
                continue; // a corner cut out of the window
            ++compared;
            differing += (screen.pixel(x, y) & 0xFFFFFF) != (caption.pixel(x, y) & 0xFFFFFF);
        }
    EXPECT_GT(compared, caption.width() * caption.height() * 3 / 4);
    EXPECT_EQ(differing, 0) << "of " << compared << " caption pixels";
    const QRect close = skin->Frame().ButtonRect(SkinFrame::kClose, browser->width(), false);
    ASSERT_FALSE(close.isEmpty());
    EXPECT_EQ(Differing(screen, caption, close), 0);
    EXPECT_EQ(skin->HitTest(close.center()), SkinFrame::HTCLOSE);
    // The page lies below the caption, within the borders.
    EXPECT_EQ(view->geometry(), browser->contentsRect());
    EXPECT_GT(view->y(), 0);

    // A drag on the caption moves the window by as much.
    const QPoint grip(browser->width() / 2,
                      (SkinFrame::kCaptionTop + skin->Frame().TopHeight()) / 2);
    ASSERT_EQ(skin->HitTest(grip), SkinFrame::HTCAPTION);
    const QPoint before = browser->pos();
    ASSERT_TRUE(Drag(browser, grip, grip + QPoint(-80, 60)));
    EXPECT_TRUE(TestEnvironment::WaitFor([&] {
        return browser->pos() == before + QPoint(-80, 60);
    })) << "from "
        << before.x() << "," << before.y() << " to " << browser->pos().x() << ","
        << browser->pos().y();

    // A click on the close button closes it; Kelvo goes on.
    ASSERT_TRUE(Click(browser, close.center()));
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return !browser->isVisible(); }));
    EXPECT_TRUE(Dlg()->isVisible());
}

TEST_F(KelvoWindowsX11, TheDownloadListsBarsScrollItToTheCancelMark)
{
    ASSERT_TRUE(
        service.Script({QJsonObject{{"path", "slow.me"}, {"fill", 6000}, {"slow", 0.01}}}));
    const int kRows = 8;
    for (int i = 0; i < kRows; ++i)
        Dlg()->OnDownloadLink("http://down=" + QString::fromStdString(service.Url("slow.me")) +
                              "&name=素材" + QString::number(i));
    CListDownloadCtrl* downloads = Dlg()->Downloads();
    QTreeWidget* list = downloads->List();
    ASSERT_EQ(list->topLevelItemCount(), kRows);
    ASSERT_TRUE(
        TestEnvironment::WaitFor([&] { return downloads->TaskAt(0)->GetReceived() > 0; }, 10000));

    // 音乐下载任务, the third tab, clicked.
    CTabCtrl* tab = Dlg()->Tab();
    ASSERT_TRUE(Click(tab, tab->GetItemRect(2).center()));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return list->isVisible(); }));
    auto* across = tab->findChild<CSkinListHorizontalScrollbar*>();
    auto* down = tab->findChild<CSkinListVerticleScrollbar*>();
    ASSERT_NE(across, nullptr);
    ASSERT_NE(down, nullptr);
    QTest::qWait(200);

    // Both bars stand inside the page, on screen as they draw themselves (the
    // vertical one reaches down beside the horizontal one, which lies over
    // its first column there).
    const QRect besideList(0, 0, down->width(), across->y() - down->y());
    for (const auto& [bar, shown] : {std::pair<QWidget*, QRect>(across, across->rect()),
                                     std::pair<QWidget*, QRect>(down, besideList)}) {
        EXPECT_TRUE(bar->isVisible());
        EXPECT_TRUE(tab->rect().contains(bar->geometry())) << bar->metaObject()->className();
        EXPECT_EQ(Differing(OnScreen(bar, bar->rect()), bar->grab().toImage(), shown), 0)
            << bar->metaObject()->className();
    }
    // Bars sit just right of the list and just below it.
    EXPECT_EQ(across->geometry().topLeft(), list->geometry().bottomLeft() + QPoint(0, 1));
    EXPECT_EQ(down->geometry().topLeft(), list->geometry().topRight() + QPoint(1, 0));

    // The first row: the download icon before its name, in grid lines.
    const auto cell = [&](int row, int column) {
        const QRect line = list->visualItemRect(list->topLevelItem(row));
        return QRect(list->header()->sectionViewportPosition(column), line.top(),
                     list->header()->sectionSize(column), line.height());
    };
    const QRect pageRect = tab->rect();
    QImage rows = OnScreen(list->viewport(), list->viewport()->rect());
    const QRgb arrow = CListDownloadCtrl::DownloadIcon().pixmap(16, 16).toImage().pixel(8, 3);
    const QRect name = cell(0, 0);
    EXPECT_GT(CountColour(rows, QRect(name.left(), name.top(), 24, name.height()), arrow), 12);
    const QRgb grid = CListDownloadCtrl::GridColour().rgb();
    EXPECT_EQ(CountColour(rows, QRect(name.right(), name.top(), 1, name.height()), grid),
              name.height());
    EXPECT_EQ(CountColour(rows, QRect(name.left(), name.bottom(), name.width(), 1), grid),
              name.width());
    Keep(OnScreen(tab, pageRect), "kelvo-download-list");

    // The cancel mark lies past the list's right edge until the bar scrolls.
    const int viewWidth = list->viewport()->width();
    const auto cancelShown = [&] {
        const int left = list->header()->sectionViewportPosition(CListDownloadCtrl::kCancelColumn);
        return left >= 0 &&
               left + list->header()->sectionSize(CListDownloadCtrl::kCancelColumn) <= viewWidth;
    };
    EXPECT_FALSE(cancelShown());
    ASSERT_TRUE(across->HasThumb());
    const QPoint thumb(across->ThumbPosition() + 4, across->height() / 2);
    ASSERT_TRUE(Drag(across, thumb, QPoint(across->width() - 1, thumb.y())));
    QScrollBar* sideways = list->horizontalScrollBar();
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return sideways->value() == sideways->maximum(); }))
        << sideways->value() << " of " << sideways->maximum();
    EXPECT_TRUE(cancelShown());

    // Rows below the list: the vertical bar's down arrow brings one more up.
    QScrollBar* upDown = list->verticalScrollBar();
    ASSERT_GT(upDown->maximum(), 0) << "all rows fit";
    ASSERT_TRUE(Click(down, QPoint(down->width() / 2, down->height() - 2 - 6)));
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return upDown->value() == 1; })) << upDown->value();
    QTest::qWait(100);
    Keep(OnScreen(tab, pageRect), "kelvo-download-list-scrolled");

    // A click on the cancel mark of the top row shown stops its download.
    QTreeWidgetItem* top = list->itemAt(QPoint(5, 5));
    ASSERT_NE(top, nullptr);
    const int row = list->indexOfTopLevelItem(top);
    EXPECT_EQ(row, 1);
    const QString cancelled = top->text(0);
    ASSERT_TRUE(Click(list->viewport(), cell(row, CListDownloadCtrl::kCancelColumn).center()));
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return list->topLevelItemCount() == kRows - 1; }));
    EXPECT_TRUE(list->findItems(cancelled, Qt::MatchExactly).isEmpty());
    EXPECT_TRUE(TestEnvironment::WaitFor(
        [&] { return Dlg()->RunningDownloads() == size_t(kRows - 1); }, 3000));
}

} // namespace
