#include "editor/ControlPadContainer.h"
#include "editor/ControlView.h"
#include "editor/DropDownButton.h"
#include "editor/FileListCtrl.h"
#include "editor/FileTreeCtrl.h"
#include "editor/MainFrame.h"
#include "editor/ResourceDialog.h"
#include "editor/ResourceView.h"
#include "editor/TaskListDialog.h"
#include "editor/WaveCtrl.h"
#include "platform/AppSettings.h"
#include "publish/ListMyRing.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPainter>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The frame as the program builds it, with a folder of songs and a ring library.
struct FramePane : testing::Test
{
    FramePane()
    {
        songs = TestEnvironment::Home() + "/songs";
        QDir().mkpath(songs + "/live");
        QDir().mkpath(TestEnvironment::DataHome() + "/VazoZedu/MyRing");
        for (const char* ring : {"生日快乐.kox", "Morning.kox", "老歌.KOX"})
            QFile(TestEnvironment::DataHome() + "/VazoZedu/MyRing/" + ring)
                .open(QIODevice::WriteOnly);
        EXPECT_TRUE(IndexedClip(44100)->WriteWaveFile(songs + "/song.wav"));
        for (const char* name : {"晚风.mp3", "Theme.ogg", "notes.txt"})
            QFile(songs + "/" + name).open(QIODevice::WriteOnly);
        AppSettings().SetValue("LPID", songs);
        frame = std::make_unique<CMainFrame>();
        frame->resize(1180, 760);
        frame->show();
        browser = frame->ResourceView()->ResourceDialog();
        EXPECT_TRUE(TestEnvironment::WaitFor([&] {
            return !browser->Tree()->IsRestoring() &&
                   browser->List()->IndexOfName("song.wav").isValid();
        }));
    }
    ~FramePane() override { frame->WaveCtrl()->WaitForWorkers(); }

    QString songs;
    std::unique_ptr<CMainFrame> frame;
    CResourceDialog* browser = nullptr;
};

TEST_F(FramePane, AFileDraggedFromTheListOpensOnANewTrack)
{
    EXPECT_EQ(browser->List()->Folder(), songs) << "the pane reopened the last folder";
    EXPECT_EQ(frame->ResourceView()->RingList()->count(), 3);
    CFileListCtrl* list = browser->List();
    const std::unique_ptr<QMimeData> data = list->DragData(list->IndexOfName("song.wav"));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->urls(), QList<QUrl>({QUrl::fromLocalFile(songs + "/song.wav")}));

    CWaveCtrl* ctrl = frame->WaveCtrl();
    QDragEnterEvent enter(QPoint(200, 120), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(ctrl, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(200, 120), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(ctrl, &drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ctrl->GetClipCount() == 1; }, 10000));
    EXPECT_EQ(ctrl->GetTrackCount(), 1);
    EXPECT_EQ(ctrl->GetTrack(0)->GetClip(0)->GetDataSize(), 44100u * 4);
    EXPECT_TRUE(QFile::exists(songs + "/song.wav")) << "a copy, not a move";

    // A double-click in the list goes the same way, onto another new track.
    list->OnDblClk(list->IndexOfName("song.wav"));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return ctrl->GetTrackCount() == 2; }, 10000));
}

// Draws the pop-up where it stands over the frame's picture.
QImage FrameWithPopup(QWidget& frame, QWidget* popup)
{
    QImage image = frame.grab().toImage();
    if (popup && popup->isVisible()) {
        QPainter painter(&image);
        painter.drawPixmap(frame.mapFromGlobal(popup->pos()), popup->grab());
    }
    return image;
}

TEST_F(FramePane, ShowsTheWholeFrame)
{
    CWaveCtrl* ctrl = frame->WaveCtrl();
    for (int track = 0; track < 2; ++track) {
        auto clip = IndexedClip(8000 * 441 / 10, nullptr, 4000 + track * 3000);
        CMappedView samples = clip->GetStore()->MapView(0, clip->GetDataSize());
        auto* s = reinterpret_cast<int16_t*>(samples.data());
        for (uint32_t i = 0; i < clip->GetDataSize() / 4; ++i)
            s[2 * i] = s[2 * i + 1] = static_cast<int16_t>(
                14000 * std::sin(i * 0.01) * std::fabs(std::sin(i * 0.00015 + track)));
        ctrl->AddNewTrack()->AddClip(std::move(clip));
    }
    ctrl->RebuildPlayList();
    for (uint32_t at : {12600u, 13400u, 14200u}) {
        ctrl->SetSelection(at, at + 200);
        ctrl->DeleteSelection(false);
    }
    ctrl->SelectTrack(ctrl->GetTrack(0));
    ctrl->SetZoomLevel(4); // the clips reach past the undo list
    ctrl->SetSelection(6000, 10000);
    emit ctrl->selectionChanged();
    frame->UpdateCommands();
    QCoreApplication::processEvents();

    CDropDownButton* undo = frame->findChildren<CDropDownButton*>().at(0);
    QTest::mouseClick(undo, Qt::LeftButton, {}, undo->ArrowRect().center());
    CTaskListDialog* list = frame->TaskList();
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(frame->ControlView()->PadContainer()->Pads().size(), 2);
    const QImage browserShot = FrameWithPopup(*frame, list);
    list->hide();
    frame->ResourceView()->Tabs()->setCurrentIndex(1);
    QCoreApplication::processEvents();
    const QImage ringShot = FrameWithPopup(*frame, nullptr);
    EXPECT_FALSE(browserShot.isNull());
    if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR")) {
        const QString dir = qEnvironmentVariable("ZUVO_SCREENSHOT_DIR");
        browserShot.save(dir + "/brevanta-browser.png");
        ringShot.save(dir + "/brevanta-rings.png");
    }
}

} // namespace
