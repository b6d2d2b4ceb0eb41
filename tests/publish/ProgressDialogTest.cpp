#include "publish/ProgressDialog.h"
#include "publish/SimpleProgress.h"

#include "tests/support/TestEnvironment.h"

#include <QLabel>
#include <QPixmap>
#include <QProgressBar>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// Grabs the widget; with ZUVO_SCREENSHOT_DIR set the picture is kept there to look at.
QImage Save(QWidget& widget, const QString& name)
{
    const QPixmap shot = widget.grab();
    if (qEnvironmentVariableIsSet("ZUVO_SCREENSHOT_DIR"))
        shot.save(qEnvironmentVariable("ZUVO_SCREENSHOT_DIR") + u'/' + name);
    return shot.toImage();
}

struct ShownProgress : testing::Test
{
    ShownProgress() { dialog.show(); }

    int Bar() { return dialog.findChild<QProgressBar*>()->value(); }
    QLabel* TextLabel()
    {
        for (QLabel* label : dialog.findChildren<QLabel*>())
            if (label->pixmap().isNull())
                return label;
        return nullptr;
    }
    void Tick(int times)
    {
        for (int i = 0; i < times; ++i)
            dialog.OnTimer();
    }

    CProgressDialog dialog;
};

TEST(ProgressDialog, StagesSetTextPercentAndCeiling)
{
    struct Row
    {
        CProgressDialog::Edition edition;
        std::function<void(CProgressDialog&)> stage;
        const char* text;
        int percent;
        int ceiling; // the ceiling set beforehand is 55
    };
    using E = CProgressDialog::Edition;
    const Row table[] = {
        {E::Brevanta, &CProgressDialog::StageAnalyse, "正在分析文件...", 20, 55},
        {E::Brevanta, &CProgressDialog::StageConvert, "正在转换音乐格式...", 30, 55},
        {E::Brevanta, &CProgressDialog::StageLoad, "正在加载转换后的数据...", 90, 55},
        {E::Brevanta, &CProgressDialog::StageSave, "正在保存音频数据...", 90, 55},
        {E::Brevanta, &CProgressDialog::StageMix, "正在进行音频合成...", 30, 55},
        {E::Brevanta, &CProgressDialog::StageDone, "before", 100, 55},
        {E::Kelvo, &CProgressDialog::StageAnalyse, "正在分析文件...", 0, 20},
        {E::Kelvo, &CProgressDialog::StageConvert, "正在转换音乐格式...", 20, 90},
        {E::Kelvo, &CProgressDialog::StageLoad, "正在加载转换后的数据...", 90, 100},
        {E::Kelvo, &CProgressDialog::StageDone, "", 100, 55},
    };
    for (const Row& row : table) {
        CProgressDialog dialog(nullptr, row.edition);
        dialog.SetText(QStringLiteral("before"));
        dialog.SetCeiling(55);
        row.stage(dialog);
        EXPECT_EQ(dialog.Text(), QString::fromUtf8(row.text)) << row.text;
        EXPECT_EQ(dialog.Percent(), row.percent) << row.text;
        EXPECT_EQ(dialog.Ceiling(), row.ceiling) << row.text;
    }
}

TEST(ProgressDialog, AdvanceStopsAt90)
{
    CProgressDialog dialog;
    dialog.SetPercent(60);
    dialog.Advance(50);
    EXPECT_EQ(dialog.Percent(), 90);
    dialog.SetPercent(10);
    dialog.Advance(7);
    EXPECT_EQ(dialog.Percent(), 17);
    dialog.Advance(INT32_MAX);
    EXPECT_EQ(dialog.Percent(), 90);
}

TEST_F(ShownProgress, ClimbsOnePercentATickUpToTheCeilingAndHidesAt100)
{
    EXPECT_TRUE(dialog.IsTimerRunning());
    dialog.SetCeiling(35);
    dialog.StageConvert();
    EXPECT_EQ(TextLabel()->text(), QString()) << "the text waits for the tick";

    Tick(1);
    EXPECT_EQ(TextLabel()->text(), QStringLiteral("正在转换音乐格式..."));
    EXPECT_EQ(dialog.Percent(), 31);
    EXPECT_EQ(Bar(), 31);
    Tick(10);
    EXPECT_EQ(dialog.Percent(), 35);
    EXPECT_EQ(Bar(), 35);

    dialog.SetCeiling(100);
    Tick(64);
    EXPECT_EQ(Bar(), 99);
    EXPECT_TRUE(dialog.isVisible());
    Tick(1);
    EXPECT_EQ(Bar(), 100);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.IsTimerRunning());
}

TEST_F(ShownProgress, PercentAboveTheCeilingStaysAndShows)
{
    dialog.SetCeiling(20);
    dialog.SetPercent(60);
    Tick(3);
    EXPECT_EQ(dialog.Percent(), 60);
    EXPECT_EQ(Bar(), 60);
}

TEST_F(ShownProgress, WithoutAutoAdvanceTheBarOnlyShowsThePercent)
{
    dialog.SetAutoAdvance(false);
    dialog.SetPercent(42);
    Tick(5);
    EXPECT_EQ(dialog.Percent(), 42);
    EXPECT_EQ(Bar(), 42);
    dialog.StageDone();
    Tick(1);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ShownProgress, DoneHidesAtTheNextTickAndShowingAgainStartsAfresh)
{
    dialog.StageLoad();
    Tick(2);
    EXPECT_EQ(Bar(), 92);
    dialog.StageDone();
    EXPECT_TRUE(dialog.isVisible());
    Tick(1);
    EXPECT_FALSE(dialog.isVisible());

    dialog.show();
    EXPECT_EQ(dialog.Percent(), 0);
    EXPECT_EQ(Bar(), 0);
    EXPECT_TRUE(dialog.IsTimerRunning());

    // A percent set past 100 ends the window as well.
    dialog.SetPercent(150);
    Tick(1);
    EXPECT_EQ(Bar(), 100);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ShownProgress, ItsOwnTimerHidesItAfterDone)
{
    dialog.StageDone();
    EXPECT_TRUE(TestEnvironment::WaitFor([&] { return !dialog.isVisible(); }));
}

// A worker drives the stages while the GUI thread ticks. The state is shared
// under a lock, so the worker's done is never lost to a tick climbing at the
// same moment, and only the GUI thread's ticks touch the widgets.
TEST_F(ShownProgress, WorkerSetsStagesWhileTheGuiThreadTicks)
{
    dialog.SetCeiling(95); // below 100: only the worker's done may end the window
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        for (int round = 0; round < 3000; ++round) {
            dialog.StageAnalyse();
            dialog.StageConvert();
            for (int i = 0; i < 20; ++i)
                dialog.Advance(3);
            dialog.SetText(QStringLiteral("第%1轮").arg(round));
            dialog.StageSave();
        }
        dialog.StageDone();
        finished = true;
    });
    int ticksWhileHidden = 0;
    while (!finished) {
        if (!dialog.isVisible() && dialog.Percent() != 100)
            ++ticksWhileHidden;
        dialog.OnTimer();
    }
    worker.join();

    EXPECT_EQ(ticksWhileHidden, 0) << "the window went before the worker was done";
    EXPECT_EQ(dialog.Percent(), 100);
    if (dialog.isVisible())
        dialog.OnTimer();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(TextLabel()->text(), QStringLiteral("正在保存音频数据..."));
}

TEST_F(ShownProgress, Renders)
{
    dialog.StageMix();
    Tick(12);
    const QImage shot = Save(dialog, QStringLiteral("progress-dialog.png"));
    EXPECT_FALSE(shot.isNull());

    CSimpleProgress simple;
    simple.SetText(QStringLiteral("正在上传彩铃，请稍候..."));
    simple.SetPos(65);
    simple.show();
    EXPECT_EQ(simple.Text(), QStringLiteral("正在上传彩铃，请稍候..."));
    EXPECT_EQ(simple.Pos(), 65);
    Save(simple, QStringLiteral("simple-progress.png"));
}

} // namespace
