// The download list as the main dialog makes it: its columns, its row texts,
// its painting and the cancel column.
#include "tests/simple/KelvoFixture.h"

#include "publish/HTTPDownloadTask.h"
#include "simple/ListDownloadCtrl.h"
#include "tests/support/ImagePixels.h"

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

namespace {

struct ListDownload : KelvoFixture
{
    void SetUp() override
    {
        ASSERT_EQ(Start(), CKelvoApp::Start::Run);
        list = Dlg()->Downloads();
        ASSERT_NE(list, nullptr);
        tree = list->List();
        tree->setParent(nullptr);
        tree->setGeometry(0, 0, 460, 200);
        tree->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(tree));
    }
    void TearDown() override
    {
        // Back to the dialog, which owns it.
        if (tree && Dlg())
            tree->setParent(Dlg());
    }
    std::shared_ptr<CHTTPDownloadTask> Add(const char* name, int id)
    {
        auto task = std::make_shared<CHTTPDownloadTask>("http://127.0.0.1:1/x");
        task->SetName(name);
        task->SetId(id);
        list->AddTask(task);
        return task;
    }
    QRect Cell(int row, int column) const
    {
        const QRect line = tree->visualItemRect(tree->topLevelItem(row));
        return QRect(tree->header()->sectionViewportPosition(column), line.top(),
                     tree->header()->sectionSize(column), line.height());
    }
    QImage Grab() const { return tree->viewport()->grab().toImage(); }

    CListDownloadCtrl* list = nullptr;
    QTreeWidget* tree = nullptr;
};

TEST_F(ListDownload, ColumnsHaveTheirTitlesAndWidths)
{
    const QStringList titles{"文件名", "大小", "进度", "速度", "取消"};
    const int widths[] = {150, 80, 90, 75, 40};
    ASSERT_EQ(tree->columnCount(), 5);
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(tree->headerItem()->text(column), titles[column]);
        EXPECT_EQ(tree->columnWidth(column), widths[column]) << column;
    }
    EXPECT_EQ(tree->headerItem()->textAlignment(4) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST_F(ListDownload, RowTextsFollowTheirFormulas)
{
    struct Case
    {
        QString got, want;
    } cases[] = {
        {CListDownloadCtrl::SizeText(0), "0.00MB"},
        {CListDownloadCtrl::SizeText(1572864), "1.50MB"},
        {CListDownloadCtrl::ProgressText(10, 0), "0.00"},
        {CListDownloadCtrl::ProgressText(1, 3), "33.33"},
        {CListDownloadCtrl::ProgressText(4096, 4096), "100.00"},
        {CListDownloadCtrl::SpeedText(5000, 0), "0KB/S"},
        {CListDownloadCtrl::SpeedText(2048, 1000), "2.05KB/S"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want);

    Add("午后小调", 3);
    const QTreeWidgetItem* row = tree->topLevelItem(0);
    EXPECT_EQ(row->text(0), "午后小调");
    EXPECT_EQ(row->text(1), "0.00MB");
    EXPECT_EQ(row->text(2), "0.00");
    EXPECT_TRUE(row->text(3).endsWith("KB/S"));
}

TEST_F(ListDownload, OddRowsAreShadedAndTheBarFillsItsShare)
{
    Add("a", 0);
    Add("b", 1);
    Add("c", 2);
    tree->topLevelItem(0)->setText(2, "50.00");
    tree->topLevelItem(1)->setText(2, "0.00");
    QTest::qWait(50);
    const QImage image = Grab();
    if (qEnvironmentVariableIsSet("DUMP_LIST"))
        image.save(qEnvironmentVariable("DUMP_LIST"));
    const QRgb shade = qRgb(0xE6, 0xE6, 0xE6);

    // Column 0's right part holds no text: background only.
    for (int row = 0; row < 3; ++row) {
        const QRect cell = Cell(row, 0);
        const QRect probe(cell.right() - 40, cell.top() + 1, 36, cell.height() - 2);
        const int shaded = CountColour(image, probe, shade);
        if (row % 2 == 1)
            EXPECT_EQ(shaded, probe.width() * probe.height()) << row;
        else
            EXPECT_EQ(shaded, 0) << row;
    }

    // The fill reaches exactly half the inner width; the text may cover
    // some of each pixel column, never all of it.
    const QRect bar = Cell(0, 2).adjusted(1, 1, -1, -1);
    const QRgb green = qRgb(0, 0xE6, 0);
    const QRgb base = tree->palette().color(QPalette::Base).rgb();
    const int inner = bar.width() - 2;
    const int half = 50 * inner / 100;
    const auto column = [&](int x) { return QRect(x, bar.top() + 1, 1, bar.height() - 2); };
    for (int x = bar.left() + 1; x < bar.left() + 1 + half; ++x)
        EXPECT_GT(CountColour(image, column(x), green), 0) << x;
    for (int x = bar.left() + 1 + half; x < bar.right(); ++x) {
        EXPECT_EQ(CountColour(image, column(x), green), 0) << x;
        EXPECT_GT(CountColour(image, column(x), base), 0) << x;
    }

    // "50%": the pixels that are neither fill nor background sit in the
    // middle of the bar.
    int left = bar.right(), right = bar.left(), marks = 0;
    for (int py = bar.top() + 2; py <= bar.bottom() - 2; ++py)
        for (int px = bar.left() + 2; px <= bar.right() - 2; ++px) {
            const QRgb pixel = image.pixel(px, py) & 0xFFFFFF;
            if (pixel != (green & 0xFFFFFF) && pixel != (base & 0xFFFFFF)) {
                left = std::min(left, px);
                right = std::max(right, px);
                ++marks;
            }
        }
    ASSERT_GT(marks, 10);
    EXPECT_NEAR((left + right) / 2.0, bar.left() + bar.width() / 2.0, 3.0);

    // An empty bar on the odd row: its inner part has no fill at all.
    const QRect empty = Cell(1, 2).adjusted(2, 2, -2, -2);
    EXPECT_EQ(CountColour(image, empty, green), 0);
}

TEST_F(ListDownload, AClickInTheCancelColumnRemovesTheRowAndCancelsItsTask)
{
    const auto first = Add("a", 0);
    const auto second = Add("b", 1);
    // A click elsewhere in the row does nothing.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, Cell(1, 0).center());
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, Cell(1, 4).center());
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_TRUE(second->IsCancelled());
    EXPECT_FALSE(first->IsCancelled());
    EXPECT_EQ(list->FindRow(0), 0);
    EXPECT_EQ(list->FindRow(1), -1);
    // The mark is drawn in the column.
    const QImage image = Grab();
    const QRect mark = Cell(0, 4).adjusted(2, 2, -2, -2);
    EXPECT_LT(CountColour(image, mark, tree->palette().color(QPalette::Base).rgb()),
              mark.width() * mark.height());
    list->RemoveTask(0);
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    EXPECT_TRUE(first->IsCancelled());
}

} // namespace
