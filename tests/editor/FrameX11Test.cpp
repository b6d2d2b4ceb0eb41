// The program's frame on a real X server: focus, shortcuts and the X11
// selection behave there as a user meets them, which the offscreen platform
// cannot show. Runs under tests/support/with-xvfb.sh.
#include "editor/BrevantaApp.h"
#include "editor/ControlPad.h"
#include "editor/ControlPadContainer.h"
#include "editor/ControlView.h"
#include "editor/EditorView.h"
#include "editor/MainFrame.h"
#include "editor/MaskEdit.h"
#include "editor/WaveCtrl.h"
#include "editor/WaveLogo.h"
#include "platform/IMessageSink.h"
#include "publish/BrowserDlg.h"
#include "publish/RingHtmlView.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/ScriptedQuestions.h"
#include "tests/support/TestEnvironment.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStandardPaths>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

class RecordingSink : public IMessageSink
{
public:
    void ShowMessage(const QString& text) override { messages << text; }
    QStringList messages;
};

// Brevanta started as main() starts it, with the named files opened, its
// window shown and active.
class RunningProgram : public testing::Test
{
protected:
    void Start(const QStringList& files)
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ASSERT_EQ(m_app.InitInstance(files.mid(0, 1)), CBrevantaApp::Start::Run);
        m_frame = m_app.MainFrame();
        for (const QString& file : files.mid(1))
            m_frame->OpenFileInEditor(file);
        ASSERT_TRUE(TestEnvironment::WaitFor(
            [&] { return Ctrl()->GetTrackCount() == files.size() && !Ctrl()->IsBusy(); }));
        // Close enough that a second of audio fills half the timeline.
        Ctrl()->SetZoomLevel(7);
        m_frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame));
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        EXPECT_TRUE(m_sink.messages.isEmpty()) << m_sink.messages.join('\n').toStdString();
        if (m_frame)
            m_app.ExitInstance(0);
    }

    CWaveCtrl* Ctrl() const { return m_frame->WaveCtrl(); }
    // As a drag over the ruler does: the fields and the commands follow.
    void Select(uint32_t startMs, uint32_t endMs) const
    {
        Ctrl()->SetSelection(startMs, endMs);
        emit Ctrl()->selectionChanged();
        QCoreApplication::processEvents();
    }
    CMaskEdit* StartField() const { return m_frame->EditorView()->StartField(); }

    // A file of the given length in ms, made once per test.
    static QString Song(const QString& name, uint32_t ms)
    {
        const QString path = TestEnvironment::Home() + u'/' + name;
        EXPECT_TRUE(IndexedClip(ms * 441 / 10)->WriteWaveFile(path));
        return path;
    }

    // The whole screen (the frame and the windows above it, tooltips
    // included); kept when ZUVO_SCREENSHOT_DIR is set.
    static void ShootScreen(const QString& name)
    {
        QCoreApplication::processEvents();
        QTest::qWait(50);
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
        EXPECT_FALSE(shot.isNull());
        if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
            shot.save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") + u'/' + name);
    }

    // The window as the X server shows it; kept when ZUVO_SCREENSHOT_DIR is set.
    void Shoot(const QString& name) const
    {
        QCoreApplication::processEvents();
        QTest::qWait(50);
        const QPixmap shot = m_frame->screen()->grabWindow(m_frame->winId());
        EXPECT_FALSE(shot.isNull());
        if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
            shot.save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") + u'/' + name);
    }

    // Audio on the first track, in ms.
    uint32_t FirstTrackMs() const
    {
        uint32_t total = 0;
        const CAudioTrack* track = Ctrl()->GetTrack(0);
        for (int i = 0; i < track->GetClipCount(); ++i)
            total += track->GetClip(i)->GetDuration();
        return total;
    }

    RecordingSink m_sink;
    CBrevantaApp m_app{m_sink};
    CMainFrame* m_frame = nullptr;
};

TEST_F(RunningProgram, EditKeysActOnTheTimelineWhileATimeFieldHasTheFocus)
{
    Start({Song("song.wav", 1000)});
    CMaskEdit* field = StartField();
    Select(200, 500);
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(10, field->height() / 2));
    ASSERT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(field->text(), QStringLiteral("00:00:00:20"));

    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(FirstTrackMs(), 700u) << "Ctrl+X cuts the selection";
    EXPECT_TRUE(m_frame->Clipboard().HasTracks());
    Shoot("ctrl-x-in-time-field.png");
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(FirstTrackMs(), 1000u) << "Ctrl+Z undoes it";
    QTest::keyClick(field, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(FirstTrackMs(), 700u) << "Ctrl+Y redoes it";

    m_frame->Clipboard().RemoveAll();
    Select(0, 100);
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(m_frame->Clipboard().HasTracks()) << "Ctrl+C copies";
    const int steps = m_frame->History().GetUndoCount();
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(m_frame->History().GetUndoCount(), steps + 1) << "Ctrl+V pastes";

    EXPECT_EQ(field->text(), CEditorView::FormatTime(Ctrl()->GetSelectionStart()))
        << "the keys never reached the field";
    EXPECT_EQ(QApplication::focusWidget(), field);

    // A click on the timeline takes the keyboard from the field.
    QTest::mouseClick(Ctrl(), Qt::LeftButton, {}, QPoint(300, CWaveCtrl::kRulerBottom + 200));
    EXPECT_EQ(QApplication::focusWidget(), Ctrl());
}

TEST_F(RunningProgram, AClickOnAPadMakesItsTrackCurrent)
{
    Start({Song("one.wav", 1000), Song("two.wav", 500)});
    const QList<CControlPad*> pads = m_frame->ControlView()->PadContainer()->Pads();
    ASSERT_EQ(pads.size(), 2);
    for (int clicked : {1, 0}) {
        auto* logo = pads[clicked]->findChild<CWaveLogo*>();
        QTest::mouseClick(logo, Qt::LeftButton, {}, logo->rect().center());
        QCoreApplication::processEvents();
        EXPECT_EQ(Ctrl()->GetSelectedTrack(), Ctrl()->GetTrack(clicked)) << clicked;
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(pads[i]->findChild<CWaveLogo*>()->IsSelected(), i == clicked) << clicked;
        if (clicked == 1)
            Shoot("second-pad-clicked.png");
    }
    // The pad's own surface below its sliders counts as well.
    QTest::mouseClick(pads[1], Qt::LeftButton, {}, QPoint(pads[1]->width() / 2, 77));
    EXPECT_EQ(Ctrl()->GetSelectedTrack(), Ctrl()->GetTrack(1));
}

// The X11 selection pasted with the middle button obeys the mask as typing does.
TEST_F(RunningProgram, MiddleButtonPasteGoesThroughTheTimeMask)
{
    Start({});
    CMaskEdit* field = StartField();
    QClipboard* clipboard = QApplication::clipboard();
    ASSERT_TRUE(clipboard->supportsSelection());
    const QRegularExpression fitsMask(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d:\\d\\d$"));
    struct Case
    {
        const char* selection;
        const char* expected; // empty: only that the text fits the mask
    };
    const Case cases[] = {
        {"12", "12:00:00:00"},
        {"1234", "12:34:00:00"},
        {"ab:cd\nrm -rf /", ""},
        {"99:99:99:99:99:99", ""},
    };
    for (const Case& c : cases) {
        field->SetMaskedText(QStringLiteral("00:00:00:00"));
        clipboard->setText(QString::fromUtf8(c.selection), QClipboard::Selection);
        QTest::mouseClick(field, Qt::MiddleButton, {}, QPoint(2, field->height() / 2));
        if (*c.expected) {
            EXPECT_EQ(field->text(), QString::fromUtf8(c.expected)) << c.selection;
        }
        EXPECT_TRUE(fitsMask.match(field->text()).hasMatch())
            << c.selection << " gave " << field->text().toStdString();
    }
}

// The key the menu shows for New works, asks before the changes go, and the
// empty timeline keeps nothing of the old project's selection or cursor.
TEST_F(RunningProgram, CtrlNStartsANewProjectAfterAsking)
{
    ScriptedQuestions questions;
    Start({Song("song.wav", 1000)});
    m_frame->SetQuestionBox(&questions);
    EXPECT_EQ(m_frame->Action(CMainFrame::Command::New)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_N));
    Select(200, 500);
    m_frame->Action(CMainFrame::Command::Cut)->trigger();
    Select(100, 400);
    Ctrl()->SetEditCursor(300);

    // Cancel keeps everything.
    questions.answers = {IQuestionBox::Answer::Cancel};
    QTest::keyClick(m_frame, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(questions.asked, QStringList{CMainFrame::kSaveQuestion});
    EXPECT_EQ(Ctrl()->GetTrackCount(), 1);
    EXPECT_EQ(Ctrl()->GetSelectionEnd(), 400u);

    // Not saving throws the project away.
    questions.answers = {IQuestionBox::Answer::No};
    QTest::keyClick(m_frame, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(questions.asked.size(), 2);
    EXPECT_EQ(Ctrl()->GetTrackCount(), 0);
    EXPECT_EQ(Ctrl()->GetSelectionStart(), 0u);
    EXPECT_EQ(Ctrl()->GetSelectionEnd(), 0u);
    EXPECT_EQ(Ctrl()->GetEditCursor(), 0u);
    EXPECT_FALSE(m_frame->History().CanUndo());
    QCoreApplication::processEvents();
    EXPECT_EQ(StartField()->text(), QStringLiteral("00:00:00:00"));
    Shoot("after-new.png");

    // Nothing changed since: no question.
    QTest::keyClick(m_frame, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(questions.asked.size(), 2);
}

// Each toolbar button shows the second half of its command string when the
// pointer rests on it.
TEST_F(RunningProgram, ToolbarButtonsShowTheirTips)
{
    Start({Song("song.wav", 1000)});
    Select(200, 500);
    m_frame->Action(CMainFrame::Command::Copy)->trigger();
    QCoreApplication::processEvents();
    auto* bar = m_frame->findChild<QToolBar*>(QStringLiteral("mainToolbar"));
    ASSERT_NE(bar, nullptr);
    using C = CMainFrame::Command;
    const std::pair<C, const char*> tips[] = {
        {C::Copy, "复制"},  {C::Cut, "剪切"},        {C::Paste, "粘贴"},
        {C::Undo, "撤消"},  {C::Redo, "重做"},       {C::Delete, "删除"},
        {C::Trim, "修剪"},  {C::Upload, "上传彩铃"}, {C::SaveAsRing, "存为彩铃"},
        {C::About, "关于"},
    };
    for (const auto& [command, tip] : tips) {
        QAction* action = m_frame->Action(command);
        QWidget* button = bar->widgetForAction(action);
        // The undo and redo buttons carry their action as their default.
        if (!button) {
            for (auto* tool : bar->findChildren<QToolButton*>())
                if (tool->defaultAction() == action)
                    button = tool;
        }
        ASSERT_NE(button, nullptr) << tip;
        QToolTip::hideText();
        QTest::mouseMove(button, button->rect().center());
        const bool shown = QTest::qWaitFor(
            [&] { return QToolTip::isVisible() && QToolTip::text() == QString::fromUtf8(tip); },
            5000);
        EXPECT_TRUE(shown) << tip << ": " << QToolTip::text().toStdString();
        if (command == C::Upload)
            ShootScreen("toolbar-tooltip.png");
        QTest::mouseMove(Ctrl(), Ctrl()->rect().center());
    }
}

// The status bar's lock panes follow the keyboard's lights as the X server
// keeps them, whichever window the key went to.
TEST_F(RunningProgram, LockPanesShowTheLightsThatAreOn)
{
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    const QString xset = QStandardPaths::findExecutable(QStringLiteral("xset"));
    ASSERT_FALSE(xdotool.isEmpty() || xset.isEmpty()) << "tools/install-deps.sh installs both";
    // What the server's own query tool says of a light: "CAP" style text when on.
    const auto serverSays = [&](const char* light, const char* text) {
        QProcess query;
        query.start(xset, {QStringLiteral("q")});
        query.waitForFinished(5000);
        const QRegularExpression state(QLatin1String(light) + QStringLiteral(":\\s+(on|off)"));
        const QString on =
            state.match(QString::fromLatin1(query.readAllStandardOutput())).captured(1);
        return on == QLatin1String("on") ? QLatin1String(text) : QLatin1String("");
    };
    Start({});
    QStatusBar* bar = m_frame->statusBar();
    auto* caps = bar->findChild<QLabel*>(QStringLiteral("capsLockPane"));
    auto* num = bar->findChild<QLabel*>(QStringLiteral("numLockPane"));
    auto* scroll = bar->findChild<QLabel*>(QStringLiteral("scrollLockPane"));
    ASSERT_TRUE(caps && num && scroll);
    // A new server starts with every light off.
    EXPECT_EQ(caps->text(), QString());
    EXPECT_EQ(num->text(), QString());
    EXPECT_EQ(scroll->text(), QString());

    struct Step
    {
        const char* key;
        const char* caps;
        const char* num;
        const char* shot;
    };
    const Step steps[] = {
        {"Caps_Lock", "CAP", "", nullptr},
        {"Num_Lock", "CAP", "NUM", "status-bar-cap-num.png"},
        {"Caps_Lock", "", "NUM", nullptr},
        {"Num_Lock", "", "", nullptr},
    };
    for (const Step& step : steps) {
        // Sent by another client, as the keyboard's own keys reach the server.
        ASSERT_EQ(QProcess::execute(xdotool, {QStringLiteral("key"), QLatin1String(step.key)}), 0);
        const bool shown = TestEnvironment::WaitFor([&] {
            QCoreApplication::processEvents();
            return caps->text() == QLatin1String(step.caps) &&
                   num->text() == QLatin1String(step.num);
        });
        EXPECT_TRUE(shown) << step.key << ": \"" << caps->text().toStdString() << "\" \""
                           << num->text().toStdString() << '"';
        EXPECT_EQ(caps->text(), serverSays("Caps Lock", "CAP")) << step.key;
        EXPECT_EQ(num->text(), serverSays("Num Lock", "NUM")) << step.key;
        // Xvfb's keyboard map gives Scroll Lock no modifier, so its light stays
        // off; the pane must agree with the server all the same.
        EXPECT_EQ(scroll->text(), serverSays("Scroll Lock", "SCRL")) << step.key;
        if (step.shot)
            Shoot(QLatin1String(step.shot));
    }
}

// The suites draw without OpenGL, so no machine's GL driver is ever loaded
// into them (its leaks at unload would fail a test on one machine and not
// on another).
TEST_F(RunningProgram, TheFrameIsDrawnWithoutAGLDriver)
{
    Start({});
    Shoot("frame-without-gl.png");
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QString mapped = QString::fromUtf8(maps.readAll());
    static const QRegularExpression driver(
        QStringLiteral("[^/\\s]*(_dri\\.so|GLX_mesa|EGL_mesa|gallium)[^\\s]*"));
    const QRegularExpressionMatch found = driver.match(mapped);
    EXPECT_FALSE(found.hasMatch()) << found.captured(0).toStdString();
}

// The web page dialog, the one window with a web view, draws its page on the
// X server without GL as well.
TEST_F(RunningProgram, TheWebPageDialogDrawsItsPageWithoutGL)
{
    Start({});
    CBrowserDlg* browser = m_frame->Browser();
    browser->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(browser));
    ASSERT_TRUE(browser->Navigate(
        QStringLiteral("data:text/html,<body style='margin:0;background:red'></body>")));
    ASSERT_NE(browser->View(), nullptr);
    QSignalSpy loaded(browser->View(), &QWebEngineView::loadFinished);
    ASSERT_TRUE(loaded.wait(60000)) << "the page did not load";
    EXPECT_TRUE(loaded.front().front().toBool());
    const QPoint middle = browser->View()->geometry().center();
    QColor seen;
    const bool red = TestEnvironment::WaitFor(
        [&] {
            QCoreApplication::processEvents();
            const QImage shot = browser->screen()->grabWindow(browser->winId()).toImage();
            seen = shot.pixelColor(middle * shot.devicePixelRatio());
            return seen == QColor(255, 0, 0);
        },
        20000);
    EXPECT_TRUE(red) << seen.name().toStdString();
    browser->close();
}

} // namespace
