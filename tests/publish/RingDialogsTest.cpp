// The three ring dialogs: their defaults and what OK accepts as a ring name.
#include "publish/RingContentDialog.h"
#include "publish/RingContentSaveToDialog.h"
#include "publish/RingUploadDialog.h"
#include "tests/publish/ServiceTestSupport.h"

#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kEmpty = QStringLiteral("请输入铃音名称！");
const QString kTooLong = QStringLiteral("铃音名称太长，铃音名称应该少于32个中文字符！");
const QString kNotPlain =
    QStringLiteral("铃音名称不能包含 \\ / \" 、“..”或控制字符，也不能以“.”开头！");

TEST(RingDialogs, CaptionsAndBoxesStartAsTheUserExpects)
{
    RecordingMessageSink sink;
    CRingContentDialog upload(sink);
    EXPECT_EQ(upload.windowTitle(), QStringLiteral("铃音上传设置"));
    EXPECT_TRUE(upload.AddToLibraryBox()->isChecked());
    EXPECT_TRUE(upload.ShareBox()->isChecked());
    CRingContentSaveToDialog save(sink);
    EXPECT_EQ(save.windowTitle(), QStringLiteral("铃音保存设置"));
    CRingUploadDialog library(sink);
    EXPECT_TRUE(library.ShareBox()->isChecked());
    library.SetName(QStringLiteral("老歌"));
    EXPECT_EQ(library.NameEdit()->text(), QStringLiteral("老歌"));

    // OK reads the boxes.
    upload.NameEdit()->setText("a");
    upload.AddToLibraryBox()->setChecked(false);
    upload.accept();
    EXPECT_EQ(upload.result(), QDialog::Accepted);
    EXPECT_FALSE(upload.AddToLibrary());
    EXPECT_TRUE(upload.Share());
}

TEST(RingDialogs, OkChecksTheName)
{
    const QString chinese32 = QString(32, QChar(0x94C3)); // 64 GBK bytes
    const struct
    {
        QString typed;
        QString kept;    // the name after OK
        QString message; // empty: accepted
    } cases[] = {
        {"", "", kEmpty},
        {"   \t", "", kEmpty},
        {"  歌 名 ", "歌 名", QString()},
        {chinese32, chinese32, QString()},
        {chinese32 + "a", chinese32 + "a", kTooLong},
        {QString(64, 'a'), QString(64, 'a'), QString()},
        {QString(65, 'a'), QString(65, 'a'), kTooLong},
        {"a/b", "a/b", kNotPlain},
        {"..", "..", kNotPlain},
        {"../x", "../x", kNotPlain},
        {".hidden", ".hidden", kNotPlain},
        {"say \"hi\"", "say \"hi\"", kNotPlain},
        {"a\x01"
         "b",
         "a\x01"
         "b",
         kNotPlain},
    };
    for (const auto& c : cases) {
        RecordingMessageSink sink;
        std::unique_ptr<CRingContentSaveToDialog> dialogs[] = {
            std::make_unique<CRingContentSaveToDialog>(sink),
            std::make_unique<CRingContentDialog>(sink), std::make_unique<CRingUploadDialog>(sink)};
        for (auto& dialog : dialogs) {
            sink.messages.clear();
            dialog->NameEdit()->setText(c.typed);
            dialog->accept();
            const bool upload = qobject_cast<CRingUploadDialog*>(dialog.get()) != nullptr;
            const QString expected =
                upload && c.message == kEmpty ? QStringLiteral("铃音名称不能为空！") : c.message;
            EXPECT_EQ(dialog->result(), expected.isEmpty() ? QDialog::Accepted : 0)
                << c.typed.toStdString();
            EXPECT_EQ(sink.messages, expected.isEmpty() ? QStringList() : QStringList{expected})
                << c.typed.toStdString();
            EXPECT_EQ(dialog->Name(), c.kept);
        }
    }
}

} // namespace
