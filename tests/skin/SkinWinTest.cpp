#include "platform/DlgCtrlId.h"
#include "skin/SkinWin.h"
#include "skin/SubclassWndMap.h"

#include "tests/skin/FrameTheme.h"

#include <QCheckBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using F = FrameTheme;
using H = SkinFrame;

class OwnButton : public QPushButton
{
    Q_OBJECT
};

// A dialog that counts what reaches its own handlers.
class CountingDialog : public QDialog
{
public:
    int presses = 0, paints = 0, closes = 0;
    QPoint lastPress;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        ++presses;
        lastPress = event->position().toPoint();
    }
    void paintEvent(QPaintEvent*) override { ++paints; }
    void closeEvent(QCloseEvent* event) override
    {
        ++closes;
        event->ignore(); // stays open so one test can count several clicks
    }
};

std::unique_ptr<CountingDialog> MakeDialog(Qt::WindowFlags hints, bool resizable)
{
    auto dialog = std::make_unique<CountingDialog>();
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | hints);
    dialog->resize(300, 200);
    if (!resizable)
        dialog->setFixedSize(300, 200);
    return dialog;
}

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::MouseButtons buttons, QPoint globalShift = QPoint())
{
    QMouseEvent event(type, at, w->mapToGlobal(at) + globalShift, button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

TEST(SkinWinTest, ApplySkinTakesTheFrameAndWrapsTheChildrenOnce)
{
    FrameTheme theme;
    const QString path = theme.Write("a");
    auto dialog = MakeDialog(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint, true);
    auto* button = new QPushButton(QStringLiteral("确定"), dialog.get());
    button->setGeometry(10, 20, 80, 24);
    auto* own = new OwnButton;
    own->setParent(dialog.get());
    auto* check = new QCheckBox(QStringLiteral("循环"), dialog.get());
    auto* edit = new QLineEdit(dialog.get());
    auto* slider = new QSlider(Qt::Horizontal, dialog.get());
    SetDlgCtrlID(slider, 1017);

    EXPECT_EQ(ApplySkin(path, dialog.get()), 1);
    CSkinWin* skin = CSkinWin::Of(dialog.get());
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(CSubclassWndMap::Lookup(dialog.get()), skin);
    EXPECT_EQ(skin->parent(), dialog.get());
    EXPECT_TRUE(dialog->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(skin->Hints().thickFrame);
    EXPECT_TRUE(skin->Hints().minimiseBox);
    EXPECT_TRUE(skin->Hints().maximiseBox);
    EXPECT_EQ(dialog->contentsMargins(), QMargins(F::L, F::T, F::R, F::B));
    EXPECT_EQ(dialog->minimumSize(), QSize(44, 60));
    // The child keeps its place in the client area.
    EXPECT_EQ(button->pos(), QPoint(10 + F::L, 20 + F::T));
    for (QWidget* w : {static_cast<QWidget*>(button), static_cast<QWidget*>(check),
                       static_cast<QWidget*>(edit), static_cast<QWidget*>(slider)})
        EXPECT_NE(CSubclassWndMap::Lookup(w), nullptr) << w->metaObject()->className();
    EXPECT_EQ(CSubclassWndMap::Lookup(own), nullptr);
    EXPECT_EQ(skin->ControlCount(), 4);

    // Again: the same skin reloads; a control made in between stays standard.
    auto* later = new QPushButton(dialog.get());
    delete edit; // a wrapped control the dialog dropped is forgotten, not reloaded
    EXPECT_EQ(ApplySkin(theme.Write("b"), dialog.get()), 1);
    EXPECT_EQ(CSkinWin::Of(dialog.get()), skin);
    EXPECT_EQ(CSubclassWndMap::Lookup(later), nullptr);
    EXPECT_EQ(skin->ControlCount(), 3);
    EXPECT_EQ(button->pos(), QPoint(10 + F::L, 20 + F::T));

    // The skin object dies with its dialog.
    QPointer<CSkinWin> alive(skin);
    dialog.reset();
    EXPECT_TRUE(alive.isNull());
}

TEST(SkinWinTest, OurThemesFrameADialog)
{
    struct Theme
    {
        const char* name;
        int captionHeight;
    };
    for (const Theme& t : {Theme{"neostyle", 30}, Theme{"dlgstyle", 28}}) {
        auto dialog =
            MakeDialog(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint, true);
        ApplySkin(QStringLiteral(KELVO_SKIN_DIR "/%1/theme.ini").arg(t.name), dialog.get());
        CSkinWin* skin = CSkinWin::Of(dialog.get());
        ASSERT_TRUE(skin && skin->Frame().IsLoaded()) << t.name;
        EXPECT_TRUE(skin->IsHooked());
        EXPECT_EQ(dialog->contentsMargins(), QMargins(5, t.captionHeight, 5, 5)) << t.name;
        EXPECT_TRUE(skin->Frame().UsesTran());
        // The caption text stops before the first title button; the buttons
        // sit side by side inside the caption.
        const SkinFrame& frame = skin->Frame();
        const int w = dialog->width();
        const QRect min = frame.ButtonRect(H::kMinimise, w, false);
        const QRect max = frame.ButtonRect(H::kMaximise, w, false);
        const QRect close = frame.ButtonRect(H::kClose, w, false);
        EXPECT_LE(frame.TextRect(w).right(), min.left()) << t.name;
        EXPECT_LE(min.right(), max.left());
        EXPECT_LE(max.right(), close.left());
        EXPECT_LT(close.right(), w - frame.RightWidth());
        EXPECT_EQ(frame.ButtonRect(H::kMaximise, w, true), max);
        EXPECT_LE(close.bottom(), frame.TopHeight());
        EXPECT_EQ(skin->HitTest(close.center()), H::HTCLOSE);
    }
}

TEST(SkinWinTest, ReskinningWithAnotherFrameKeepsTheControlsTogether)
{
    // neostyle's caption is 2 px higher than dlgstyle's: the client area
    // moves, and every control, the edit too, moves with it.
    auto dialog = MakeDialog({}, true);
    auto* button = new QPushButton(QStringLiteral("确定"), dialog.get());
    button->setGeometry(10, 20, 80, 24);
    auto* edit = new QLineEdit(dialog.get());
    edit->setGeometry(10, 60, 120, 22);
    SetDlgCtrlID(edit, 1015); // a section without placement in both themes
    const QString themes[] = {QStringLiteral(KELVO_SKIN_DIR "/neostyle/theme.ini"),
                              QStringLiteral(KELVO_SKIN_DIR "/dlgstyle/theme.ini"),
                              QStringLiteral(KELVO_SKIN_DIR "/neostyle/theme.ini")};
    for (const QString& path : themes) {
        ApplySkin(path, dialog.get());
        const QMargins frame = dialog->contentsMargins();
        EXPECT_EQ(button->pos(), QPoint(10 + frame.left(), 20 + frame.top()))
            << path.toStdString();
        EXPECT_EQ(edit->geometry(), QRect(10 + frame.left(), 60 + frame.top(), 120, 22))
            << path.toStdString();
    }
    EXPECT_EQ(CSkinWin::Of(dialog.get())->ControlCount(), 2);
}

TEST(SkinWinTest, AFailedLoadKeepsTheStandardFrameAndPassesEventsOn)
{
    FrameTheme theme;
    const QString good = theme.Write("good");
    const QString broken = theme.Write("broken");
    QFile::remove(QFileInfo(broken).path() + "/top.png");

    // First load fails: no frame taken, the children still skinned.
    auto dialog = MakeDialog({}, true);
    const Qt::WindowFlags standard = dialog->windowFlags();
    auto* check = new QCheckBox(dialog.get());
    EXPECT_EQ(ApplySkin(broken, dialog.get()), 1);
    EXPECT_EQ(dialog->windowFlags(), standard);
    EXPECT_EQ(CSubclassWndMap::Lookup(dialog.get()), nullptr);
    EXPECT_NE(CSubclassWndMap::Lookup(check), nullptr);
    ASSERT_NE(CSkinWin::Of(dialog.get()), nullptr);
    EXPECT_EQ(CSkinWin::Of(dialog.get())->parent(), dialog.get());
    // A later good theme installs it, without wrapping the children twice.
    CSubclassWnd* checkSkin = CSubclassWndMap::Lookup(check);
    ApplySkin(good, dialog.get());
    EXPECT_TRUE(dialog->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(CSubclassWndMap::Lookup(check), checkSkin);

    // A failed reload hands the window back and every event goes to the dialog.
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    ApplySkin(broken, dialog.get());
    EXPECT_FALSE(dialog->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dialog->contentsMargins(), QMargins());
    EXPECT_TRUE(dialog->isVisible());
    dialog->presses = 0;
    QTest::mousePress(dialog.get(), Qt::LeftButton, {}, QPoint(100, 3));
    QTest::mouseRelease(dialog.get(), Qt::LeftButton, {}, QPoint(100, 3));
    EXPECT_EQ(dialog->presses, 1);
}

TEST(SkinWinTest, TheDialogKeepsItsOwnHandlersForTheClientArea)
{
    FrameTheme theme;
    auto dialog = MakeDialog({}, true);
    dialog->setWindowTitle(QStringLiteral("录音"));
    ApplySkin(theme.Write("a"), dialog.get());
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(dialog->presses, 1);
    EXPECT_EQ(dialog->lastPress, QPoint(100, 100));
    QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, QPoint(100, 7)); // caption
    QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, QPoint(1, 100)); // left edge
    EXPECT_EQ(dialog->presses, 1);

    // The dialog paints itself over the pattern; the frame goes over both.
    dialog->paints = 0;
    const QImage shot = dialog->grab().toImage();
    EXPECT_GE(dialog->paints, 1);
    EXPECT_EQ(shot.pixel(150, 100), qRgb(1, 2, 3));
    EXPECT_EQ(F::Piece(shot.pixel(0, 100)), F::kMiddle);

    // A title change shows at once: painted before any event is processed.
    const QImage before = CSkinWin::Of(dialog.get())->CaptionImage();
    dialog->paints = 0;
    dialog->setWindowTitle(QStringLiteral("录音 新的标题"));
    EXPECT_GE(dialog->paints, 1);
    EXPECT_NE(CSkinWin::Of(dialog.get())->CaptionImage(), before);
}

TEST(SkinWinTest, TitleButtonsActWhereTheReleaseIs)
{
    FrameTheme theme;
    auto dialog = MakeDialog(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint, true);
    ApplySkin(theme.Write("a"), dialog.get());
    dialog->move(40, 30);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    CSkinWin* skin = CSkinWin::Of(dialog.get());
    const QRect normal = dialog->geometry();
    const QPoint close(300 - 20 + 7, 8), max(300 - 40 + 7, 8), caption(120, 7);

    // Hovering shows the button's hover cell; leaving the frame clears it.
    QTest::mouseMove(dialog.get(), close);
    EXPECT_EQ(skin->HoverHit(), H::HTCLOSE);
    EXPECT_EQ(qGreen(skin->CaptionImage().pixel(close)) / 60, 2);
    QTest::mouseMove(dialog.get(), QPoint(150, 100));
    EXPECT_EQ(skin->HoverHit(), 0);

    QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, close);
    EXPECT_EQ(dialog->closes, 1);
    // The release point decides. Press on the button, release elsewhere:
    // nothing; the button looks pressed only while the pointer is on it.
    QTest::mousePress(dialog.get(), Qt::LeftButton, {}, close);
    EXPECT_EQ(qGreen(skin->CaptionImage().pixel(close)) / 60, 1);
    Send(dialog.get(), QEvent::MouseMove, {150, 100}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(qGreen(skin->CaptionImage().pixel(close)) / 60, 0);
    QTest::mouseRelease(dialog.get(), Qt::LeftButton, {}, QPoint(150, 100));
    EXPECT_EQ(dialog->closes, 1);
    EXPECT_EQ(skin->CurrentState(), CSkinWin::kNormal);
    // Press elsewhere (the client area, another title button), release on it: closes.
    QTest::mousePress(dialog.get(), Qt::LeftButton, {}, QPoint(150, 100));
    Send(dialog.get(), QEvent::MouseMove, close, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(skin->HoverHit(), H::HTCLOSE);
    QTest::mouseRelease(dialog.get(), Qt::LeftButton, {}, close);
    EXPECT_EQ(dialog->closes, 2);
    QTest::mousePress(dialog.get(), Qt::LeftButton, {}, max);
    QTest::mouseRelease(dialog.get(), Qt::LeftButton, {}, close);
    EXPECT_EQ(dialog->closes, 3);
    EXPECT_FALSE(dialog->isMaximized());

    // A caption drag (the offscreen platform refuses the system move, so the
    // window is moved here) ends over the close button without closing.
    Send(dialog.get(), QEvent::MouseButtonPress, caption, Qt::LeftButton, Qt::LeftButton);
    Send(dialog.get(), QEvent::MouseMove, caption, Qt::NoButton, Qt::LeftButton, {30, 20});
    EXPECT_EQ(dialog->pos(), normal.topLeft() + QPoint(30, 20));
    Send(dialog.get(), QEvent::MouseButtonRelease, close, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(dialog->closes, 3);
    dialog->move(normal.topLeft());
    // An edge drag resizes, never below the frame's least size.
    Send(dialog.get(), QEvent::MouseButtonPress, {299, 100}, Qt::LeftButton, Qt::LeftButton);
    Send(dialog.get(), QEvent::MouseMove, {299, 100}, Qt::NoButton, Qt::LeftButton, {-400, 0});
    Send(dialog.get(), QEvent::MouseButtonRelease, {299, 100}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(dialog->width(), 44);
    dialog->setGeometry(normal);
    QCoreApplication::processEvents();

    // Maximise to the available geometry and back, by the button.
    const QRect available = dialog->screen()->availableGeometry();
    QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, max);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->geometry() == available; }));
    EXPECT_TRUE(dialog->isMaximized());
    EXPECT_EQ(skin->CurrentState(), CSkinWin::kMaximised);
    EXPECT_EQ(skin->HitTest({available.width() - 1, 100}), H::HTCLIENT); // no edges
    const QPoint restore(available.width() - 40 + 7, 8);
    QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, restore);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->geometry() == normal; }));
    EXPECT_EQ(skin->CurrentState(), CSkinWin::kNormal);

    // A double click on the caption toggles it too.
    QTest::mouseDClick(dialog.get(), Qt::LeftButton, {}, caption);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->geometry() == available; }));
    QTest::mouseDClick(dialog.get(), Qt::LeftButton, {}, caption);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->geometry() == normal; }));

    // Minimised from elsewhere (a task bar): the skin follows.
    dialog->showMaximized();
    dialog->setWindowState(dialog->windowState() | Qt::WindowMinimized);
    EXPECT_EQ(skin->CurrentState(), CSkinWin::kMinimised);
    skin->Restore();
    EXPECT_EQ(skin->CurrentState(), CSkinWin::kMaximised);
    skin->Restore();
    EXPECT_EQ(skin->CurrentState(), CSkinWin::kNormal);
}

TEST(SkinWinTest, AFixedDialogHasNoEdgesAndNoDoubleClickMaximise)
{
    FrameTheme theme;
    auto dialog = MakeDialog(Qt::WindowMaximizeButtonHint, false);
    ApplySkin(theme.Write("a"), dialog.get());
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    CSkinWin* skin = CSkinWin::Of(dialog.get());
    EXPECT_FALSE(skin->Hints().thickFrame);
    EXPECT_EQ(skin->HitTest({1, 100}), H::HTCLIENT);
    EXPECT_EQ(skin->HitTest({120, 7}), H::HTCAPTION);
    EXPECT_EQ(skin->HitTest({300 - 60 + 3, 8}), H::HTCAPTION); // no minimise hint
    QTest::mouseDClick(dialog.get(), Qt::LeftButton, {}, QPoint(120, 7));
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialog->isMaximized());
}

TEST(SkinWinTest, SystemMenuEnableTable)
{
    FrameTheme theme;
    const QString path = theme.Write("a");
    struct Case
    {
        Qt::WindowFlags hints;
        int state;
        bool minimise, maximise, restore;
    };
    const Qt::WindowFlags both = Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    const Case cases[] = {
        {both, CSkinWin::kNormal, true, true, false},
        {{}, CSkinWin::kNormal, false, false, false},
        {Qt::WindowMinimizeButtonHint, CSkinWin::kNormal, true, false, false},
        {both, CSkinWin::kMaximised, true, false, true},
        // Items a state does not name keep what they had (a new menu: enabled).
        {{}, CSkinWin::kMaximised, true, false, false},
        {both, CSkinWin::kMinimised, false, true, true},
        {{}, CSkinWin::kMinimised, true, true, true},
    };
    for (const Case& c : cases) {
        auto dialog = MakeDialog(c.hints, true);
        ApplySkin(path, dialog.get());
        dialog->show();
        if (c.state == CSkinWin::kMaximised)
            dialog->showMaximized();
        else if (c.state == CSkinWin::kMinimised)
            dialog->showMinimized();
        CSkinWin* skin = CSkinWin::Of(dialog.get());
        ASSERT_EQ(skin->CurrentState(), c.state);
        skin->UpdateSystemMenu();
        bool enabled[3] = {};
        for (QAction* action : skin->SystemMenu()->actions()) {
            const int command = action->data().toInt();
            if (command == CSkinWin::SC_MINIMIZE)
                enabled[0] = action->isEnabled();
            else if (command == CSkinWin::SC_MAXIMIZE)
                enabled[1] = action->isEnabled();
            else if (command == CSkinWin::SC_RESTORE)
                enabled[2] = action->isEnabled();
        }
        EXPECT_EQ(enabled[0], c.minimise) << c.state << " " << int(c.hints);
        EXPECT_EQ(enabled[1], c.maximise) << c.state << " " << int(c.hints);
        EXPECT_EQ(enabled[2], c.restore) << c.state << " " << int(c.hints);
    }

    // Its items act through window states; a dialog's own item is its own.
    auto dialog = MakeDialog(both, true);
    ApplySkin(path, dialog.get());
    dialog->show();
    CSkinWin* skin = CSkinWin::Of(dialog.get());
    QAction* about = skin->SystemMenu()->addAction(QStringLiteral("关于"));
    int abouts = 0;
    QObject::connect(about, &QAction::triggered, [&] { ++abouts; });
    about->trigger();
    EXPECT_EQ(abouts, 1);
    EXPECT_EQ(skin->CurrentState(), CSkinWin::kNormal);
    for (QAction* action : skin->SystemMenu()->actions()) {
        if (action->data().toInt() == CSkinWin::SC_MAXIMIZE)
            action->trigger();
    }
    EXPECT_TRUE(dialog->isMaximized());
}

} // namespace

#include "SkinWinTest.moc"
