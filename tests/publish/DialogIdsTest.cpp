// The shared dialogs carry the identifiers a dialog skin names its sections
// after ("Edit_1013", "CheckBox_1060"), so Kelvo can skin them.
#include "platform/DlgCtrlId.h"
#include "publish/LoginDialog.h"
#include "publish/MonthOrderDialog.h"
#include "publish/RingContentDialog.h"
#include "publish/RingContentSaveToDialog.h"
#include "publish/RingUploadDialog.h"
#include "tests/publish/ServiceTestSupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Identifier -> class of every child that has one.
QMap<int, QString> Ids(const QWidget& dialog)
{
    QMap<int, QString> ids;
    for (const QWidget* child : dialog.findChildren<QWidget*>()) {
        if (const int id = GetDlgCtrlID(child))
            ids[id] = QString::fromLatin1(child->metaObject()->className());
    }
    return ids;
}

TEST(DialogIds, EachSkinnedControlCarriesItsIdentifier)
{
    RecordingMessageSink messages;
    RecordingUrlOpener urls;
    struct Case
    {
        const char* name;
        std::unique_ptr<QWidget> dialog;
        QMap<int, QString> ids;
    };
    Case cases[] = {
        {"login",
         std::make_unique<CLoginDialog>(messages),
         {{1013, "QLineEdit"}, {1014, "QLineEdit"}, {1024, "QPushButton"}}},
        {"month order",
         std::make_unique<CMonthOrderDialog>(messages, urls),
         {{1063, "QPushButton"},
          {1064, "QRadioButton"},
          {1065, "QRadioButton"},
          {1066, "QCheckBox"},
          {1068, "QLabel"}}},
        {"save to", std::make_unique<CRingContentSaveToDialog>(messages), {{1029, "QLineEdit"}}},
        {"content",
         std::make_unique<CRingContentDialog>(messages),
         {{1029, "QLineEdit"}, {1026, "QCheckBox"}, {1060, "QCheckBox"}}},
        {"upload",
         std::make_unique<CRingUploadDialog>(messages),
         {{1062, "QLineEdit"}, {1060, "QCheckBox"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Ids(*c.dialog), c.ids) << c.name;
}

} // namespace
