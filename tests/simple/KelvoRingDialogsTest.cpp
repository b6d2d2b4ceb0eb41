// Kelvo's ring dialogs as its ring commands make them: captions, the content
// group, defaults and the identifiers the dialog skin names its sections
// after, the skin itself, and the names OK takes or refuses.
#include "tests/simple/KelvoFixture.h"

#include "platform/DlgCtrlId.h"
#include "publish/RingJob.h"
#include "publish/RingUploadDialog.h"
#include "simple/RingContentChoice.h"
#include "simple/RingContentDialog.h"
#include "simple/RingContentSaveToDialog.h"
#include "skin/SkinWin.h"
#include "skin/SkinWrap.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMap>
#include <QRadioButton>

#include <memory>

namespace {

const QString kTooLong = QStringLiteral("铃音名称太长，铃音名称应该少于32个中文字符！");
const QString kNotAName =
    QStringLiteral("铃音名称不能包含 \\ / \" 、“..”或控制字符，也不能以“.”开头！");

// Identifier -> text of every child that has one (the edit's text is empty).
QMap<int, QString> Ids(const QWidget& dialog)
{
    QMap<int, QString> ids;
    for (const QWidget* child : dialog.findChildren<QWidget*>()) {
        const int id = GetDlgCtrlID(child);
        if (id == 0)
            continue;
        if (const auto* button = qobject_cast<const QAbstractButton*>(child))
            ids[id] = button->text() + (button->isChecked() ? " [x]" : " [ ]");
        else if (const auto* group = qobject_cast<const QGroupBox*>(child))
            ids[id] = group->title();
        else
            ids[id] = QString::fromLatin1(child->metaObject()->className());
    }
    return ids;
}

TEST(KelvoRingDialogs, CaptionsGroupsDefaultsAndIdentifiers)
{
    RecordingSink messages;
    Kelvo::CRingContentSaveToDialog save(messages);
    Kelvo::CRingContentDialog upload(messages);
    const QMap<int, QString> radios = {{1042, "素材音乐 [ ]"},
                                       {1043, "录音数据 [ ]"},
                                       {1044, "铃音合成 [x]"},
                                       {1029, "QLineEdit"}};

    EXPECT_EQ(save.windowTitle(), "铃音保存设置");
    QMap<int, QString> ids = radios;
    ids[-1] = "选择保存内容";
    EXPECT_EQ(Ids(save), ids);
    EXPECT_EQ(save.Content(), CRingJob::Mix);

    EXPECT_EQ(upload.windowTitle(), "铃音上传设置");
    ids = radios;
    ids[-1] = "选择上传内容";
    ids[1045] = "自动添加到我的铃音库 [x]";
    ids[1060] = "愿意和其他人分享我的彩铃 [x]";
    EXPECT_EQ(Ids(upload), ids);
    EXPECT_EQ(upload.Content(), CRingJob::Mix);
    EXPECT_TRUE(upload.AddToLibrary());
    EXPECT_TRUE(upload.Share());

    // Both wear the dialog skin's frame, and every control is skinned, also
    // those the upload dialog adds after its base's.
    for (QDialog* dialog : {static_cast<QDialog*>(&save), static_cast<QDialog*>(&upload)}) {
        SCOPED_TRACE(dialog->windowTitle().toStdString());
        const CSkinWin* skin = CSkinWin::Of(dialog);
        ASSERT_TRUE(skin);
        EXPECT_TRUE(skin->ThemePath().endsWith("skin/dlgstyle/theme.ini"));
        EXPECT_TRUE(dialog->windowFlags().testFlag(Qt::FramelessWindowHint));
        int skinnable = 0;
        for (const QWidget* child : dialog->findChildren<QWidget*>())
            skinnable += SkinWrap::KindOf(child) != SkinWrap::Kind::None;
        EXPECT_EQ(skin->ControlCount(), skinnable);
    }
}

TEST(KelvoRingDialogs, OkReadsTheContentAndTheBoxes)
{
    RecordingSink messages;
    Kelvo::CRingContentDialog dialog(messages);
    dialog.ContentChoice()->SetContent(CRingJob::Music);
    EXPECT_TRUE(dialog.ContentChoice()->Radio(CRingJob::Music)->isChecked());
    dialog.ContentChoice()->Radio(CRingJob::Recording)->setChecked(true);
    dialog.AddToLibraryBox()->setChecked(false);
    dialog.ShareBox()->setChecked(false);
    dialog.NameEdit()->setText(QStringLiteral("  晚安  "));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Name(), "晚安");
    EXPECT_EQ(dialog.Content(), CRingJob::Recording);
    EXPECT_FALSE(dialog.AddToLibrary());
    EXPECT_FALSE(dialog.Share());
    EXPECT_TRUE(messages.messages.isEmpty());
}

TEST(KelvoRingDialogs, OkTakesOnlyARingName)
{
    // 32 Chinese characters are 64 GBK bytes.
    const QString longest = QString(32, QChar(0x94C3));
    struct Case
    {
        QString typed;
        QString saveMessage; // empty: accepted
        QString uploadMessage;
    };
    const Case cases[] = {
        {longest, "", ""},
        {" " + longest + "\t", "", ""},
        {longest + "a", kTooLong, kTooLong},
        {"", "请输入铃音名称！", "铃音名称不能为空！"},
        {"   ", "请输入铃音名称！", "铃音名称不能为空！"},
        {"a/b", kNotAName, kNotAName},
        {"..", kNotAName, kNotAName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        RecordingSink messages;
        std::unique_ptr<::CRingContentSaveToDialog> dialogs[] = {
            std::make_unique<Kelvo::CRingContentSaveToDialog>(messages),
            std::make_unique<Kelvo::CRingContentDialog>(messages),
            std::make_unique<CRingUploadDialog>(messages),
        };
        for (auto& dialog : dialogs) {
            SCOPED_TRACE(dialog->windowTitle().toStdString());
            messages.messages.clear();
            dialog->NameEdit()->setText(c.typed);
            dialog->accept();
            const bool isUpload = dynamic_cast<CRingUploadDialog*>(dialog.get()) != nullptr;
            const QString& expected = isUpload ? c.uploadMessage : c.saveMessage;
            if (expected.isEmpty()) {
                EXPECT_EQ(dialog->result(), QDialog::Accepted);
                EXPECT_EQ(dialog->Name(), longest);
                EXPECT_TRUE(messages.messages.isEmpty());
            } else {
                EXPECT_NE(dialog->result(), QDialog::Accepted);
                EXPECT_EQ(messages.messages, QStringList{expected});
            }
        }
    }
}

} // namespace
