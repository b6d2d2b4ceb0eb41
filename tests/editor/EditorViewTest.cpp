#include "editor/ControlPad.h"
#include "editor/ControlPadContainer.h"
#include "editor/ControlView.h"
#include "editor/EditorView.h"
#include "editor/HorizontalScrollBarEx.h"
#include "editor/MaskEdit.h"
#include "editor/VerticalScrollBarEx.h"
#include "editor/WaveCtrl.h"
#include "tests/support/ClipFixtures.h"
#include "tests/support/TestEnvironment.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QTest>
#include <QToolBar>

#include <cmath>

#include <gtest/gtest.h>

namespace {

TEST(EditorViewTime, FormatAndParse)
{
    struct Case
    {
        uint32_t ms;
        const char* text;
    };
    for (const Case& c : {Case{0, "00:00:00:00"}, Case{1234, "00:00:01:23"},
                          Case{100500, "00:01:40:50"}, Case{3723450, "01:02:03:45"}}) {
        EXPECT_EQ(CEditorView::FormatTime(c.ms), c.text);
        EXPECT_EQ(CEditorView::ParseTime(c.text), c.ms / 10 * 10);
    }
    EXPECT_EQ(CEditorView::ParseTime("1:2"), 3720000u) << "missing parts count 0";
    EXPECT_EQ(CEditorView::ParseTime("__:__:__:__"), 0u);
    EXPECT_EQ(CEditorView::ParseTime("99:99:99:99"), 362439990u);
}

struct Pane : testing::Test
{
    Pane()
    {
        view.resize(800, 400);
        view.InitEditor();
        view.show();
    }
    void Type(CMaskEdit* field, const char* text)
    {
        field->SetMaskedText(text);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
    }
    CEditorView view;
};

TEST_F(Pane, EnterRulesSetTheSelection)
{
    CWaveCtrl* ctrl = view.WaveCtrl();
    Type(view.LengthField(), "00:01:30:50");
    Type(view.StartField(), "00:00:10:00");
    EXPECT_EQ(view.EndField()->text(), "00:01:40:50");
    EXPECT_EQ(ctrl->GetSelectionStart(), 10000u);
    EXPECT_EQ(ctrl->GetSelectionEnd(), 100500u);

    Type(view.LengthField(), "00:00:10:00");
    Type(view.EndField(), "00:00:05:00");
    EXPECT_EQ(view.StartField()->text(), "00:00:00:00");
    EXPECT_EQ(view.EndField()->text(), "00:00:10:00");
    EXPECT_EQ(ctrl->GetSelectionEnd(), 10000u);

    // A length that ends before the selection's start keeps it ordered.
    ctrl->SetSelection(50000, 60000);
    view.StartField()->SetMaskedText("00:00:01:00");
    Type(view.LengthField(), "00:00:02:00");
    EXPECT_EQ(ctrl->GetSelectionStart(), 3000u);
    EXPECT_EQ(ctrl->GetSelectionEnd(), 50000u);
}

TEST_F(Pane, SelectionNoticesRewriteTheFields)
{
    view.WaveCtrl()->SetSelection(1234, 5678);
    emit view.WaveCtrl()->selectionChanged();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.StartField()->text(), "00:00:01:23");
    EXPECT_EQ(view.EndField()->text(), "00:00:05:67");
    EXPECT_EQ(view.LengthField()->text(), "00:00:04:44");
}

TEST_F(Pane, NarrowPaneHidesTheToolbarButKeepsTheFields)
{
    EXPECT_GT(view.Toolbar()->width(), 0);
    view.resize(450, 300);
    EXPECT_EQ(view.Toolbar()->width(), 0);
    EXPECT_EQ(view.LengthField()->geometry().right(), 450 - 2 - 5 - 1);
    EXPECT_EQ(view.WaveCtrl()->geometry(), QRect(0, 0, 433, 253));
    EXPECT_EQ(view.HorizontalBar()->geometry(), QRect(0, 253, 433, 17));
}

TEST_F(Pane, ZoomButtonsZoomAndMoveTheBar)
{
    CWaveCtrl* ctrl = view.WaveCtrl();
    CAudioTrack* track = ctrl->AddNewTrack();
    track->AddClip(IndexedClip(441000)); // 10 s: 100 px at level 2
    emit ctrl->clipAdded();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.HorizontalBar()->GetRange(), 100);
    emit view.HorizontalBar()->zoomInRequested();
    EXPECT_EQ(ctrl->GetZoomLevel(), 3);
    EXPECT_EQ(view.HorizontalBar()->GetRange(), 200);
}

// The editor area as the frame shows it: pads beside the timeline.
TEST(EditorArea, RendersThreeTracks)
{
    QWidget area;
    auto* layout = new QHBoxLayout(&area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* pads = new CControlView(&area);
    pads->setFixedWidth(160);
    auto* view = new CEditorView(&area);
    layout->addWidget(pads);
    layout->addWidget(view);
    view->WaveCtrl()->SetPadFactory([] { return std::make_unique<CControlPad>(); });
    view->SetControlView(pads);
    view->InitEditor();
    area.resize(900, 420);
    area.show();
    CWaveCtrl* ctrl = view->WaveCtrl();
    for (uint32_t start : {0u, 4000u, 15000u}) {
        CAudioTrack* track = ctrl->AddNewTrack();
        auto clip = IndexedClip(441 * 1000, nullptr, start);
        // A tone reads better than the index ramp.
        CMappedView samples = clip->GetStore()->MapView(0, clip->GetDataSize());
        auto* s = reinterpret_cast<int16_t*>(samples.data());
        for (uint32_t i = 0; i < 441000; ++i)
            s[2 * i] = s[2 * i + 1] =
                static_cast<int16_t>(12000 * std::sin(i * 0.002) * std::sin(i * 0.0003 + start));
        samples.reset();
        track->AddClip(std::move(clip));
    }
    ctrl->SelectTrack(ctrl->GetTrack(1));
    ctrl->SetSelection(6000, 12000);
    emit ctrl->selectionChanged();
    QCoreApplication::processEvents();
    const QImage image = area.grab().toImage();
    if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
        image.save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") + "/editor-area.png");
    EXPECT_EQ(pads->PadContainer()->children().size() >= 3, true);
    EXPECT_EQ(view->StartField()->text(), "00:00:06:00");
}

} // namespace
