#include "publish/HTTPFormClient.h"
#include "publish/MonthOrderDialog.h"
#include "publish/ServiceProtocol.h"
#include "tests/publish/RingServiceFixture.h"
#include "tests/publish/ServiceTestSupport.h"
#include "tests/support/TestEnvironment.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kMobile = QStringLiteral("13900139000");
const QString kAnswerPath = QStringLiteral("/zuvo/person/monthOrderResponse.me");

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QByteArray Describe(const QJsonObject& rule)
{
    return QJsonDocument(rule).toJson(QJsonDocument::Compact);
}

// The offer as the stand-in's fee query makes it, logged in as kMobile.
class MonthOrderDialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_service.IsRunning()) << m_service.StartError();
        ASSERT_TRUE(LogInThroughFormClient(m_service, kMobile));
    }

    std::unique_ptr<CMonthOrderDialog> Offer(const QString& perUseGoOn)
    {
        auto dialog = std::make_unique<CMonthOrderDialog>(m_messages, m_urls);
        dialog->SetMonthlyText(Text("开通包月"));
        dialog->SetPerUseText(Text("按次付费"));
        dialog->SetExplanation(Text("说明"));
        dialog->SetPerUseGoOn(perUseGoOn);
        dialog->open();
        return dialog;
    }
    static QRadioButton* Radio(CMonthOrderDialog& dialog, const char* name)
    {
        return dialog.findChild<QRadioButton*>(name);
    }
    static QPushButton* Button(CMonthOrderDialog& dialog, const char* text)
    {
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text() == Text(text))
                return button;
        return nullptr;
    }
    static bool WaitForEnd(CMonthOrderDialog& dialog)
    {
        return TestEnvironment::WaitFor([&dialog] { return !dialog.isVisible(); }, 20000);
    }
    int Answers() const
    {
        int count = 0;
        for (const QJsonObject& entry : m_service.Log())
            count += entry.value("path").toString() == kAnswerPath;
        return count;
    }

    RingServiceFixture m_service;
    ScopedServiceHost m_host{m_service.HostPort()};
    RecordingMessageSink m_messages;
    RecordingUrlOpener m_urls;
};

TEST_F(MonthOrderDialogTest, ShowsTheOfferOfTheFeeQuery)
{
    CHTTPFormClient fee;
    ASSERT_TRUE(SendServiceRequest(fee, MakeFeeQueryRequest())) << fee.GetErrorText();
    const FeeDecision offer = ClassifyFeeReply(true, fee.GetResponse(), fee.GetResponseCharset());
    ASSERT_EQ(offer.kind, FeeDecision::Kind::OfferMonthPlan) << fee.GetResponse();

    CMonthOrderDialog dialog(m_messages, m_urls);
    dialog.SetMonthlyText(offer.tokens[0]);
    dialog.SetPerUseText(offer.tokens[1]);
    dialog.SetExplanation(offer.tokens[2]);
    dialog.SetPerUseGoOn(offer.tokens[3]);
    dialog.open();
    KeepScreenshot(dialog, "month-order-dialog");
    EXPECT_EQ(Radio(dialog, "monthlyRadio")->text(), offer.tokens[0]);
    EXPECT_EQ(Radio(dialog, "perUseRadio")->text(), offer.tokens[1]);
    EXPECT_EQ(dialog.findChild<QLabel*>("explanation")->text(), offer.tokens[2]);

    // Pay per ring, which the stand-in lets go on: nothing is posted.
    Radio(dialog, "perUseRadio")->setChecked(true);
    QTest::mouseClick(Button(dialog, "确定"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.GoOn());
    EXPECT_EQ(Answers(), 0);
}

TEST_F(MonthOrderDialogTest, ShowsTheOfferAsPlainText)
{
    CMonthOrderDialog dialog(m_messages, m_urls);
    EXPECT_EQ(dialog.windowTitle(), Text("对话框"));
    dialog.SetMonthlyText(Text("包月&优惠 <b>5元</b>"));
    dialog.SetPerUseText(Text("按次 %s"));
    dialog.SetExplanation(Text("    您还不是包月用户。\r\n    <i>包月</i>更划算&省心！"));
    dialog.open();

    auto* explanation = dialog.findChild<QLabel*>("explanation");
    EXPECT_EQ(explanation->textFormat(), Qt::PlainText);
    EXPECT_EQ(explanation->text(), Text("    您还不是包月用户。\n    <i>包月</i>更划算&省心！"));
    // '&' is doubled so the caption shows it instead of taking it for a shortcut.
    EXPECT_EQ(Radio(dialog, "monthlyRadio")->text(), Text("包月&&优惠 <b>5元</b>"));
    EXPECT_EQ(Radio(dialog, "perUseRadio")->text(), Text("按次 %s"));
    EXPECT_TRUE(Radio(dialog, "monthlyRadio")->isChecked()) << "the monthly plan comes first";
    EXPECT_FALSE(dialog.findChild<QCheckBox*>("noPromptBox")->isVisible());
    KeepScreenshot(dialog, "month-order-dialog-plain-text");

    // The page about the plan opens in the default browser.
    QTest::mouseClick(Button(dialog, "告诉我什么是彩铃Zuvo业务"), Qt::LeftButton);
    ASSERT_EQ(m_urls.urls.size(), 1);
    EXPECT_EQ(m_urls.urls.front().toString().toStdString(), ServiceUrl(ServicePath::kMonthInfo));
    EXPECT_EQ(m_service.Get("/zuvo/pub/monthinfo.me").status, 200);

    // Cancel stops, with nothing posted.
    QTest::mouseClick(Button(dialog, "取消"), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(Answers(), 0);
}

TEST_F(MonthOrderDialogTest, TheChoiceDecidesWhetherAnAnswerIsPosted)
{
    struct Case
    {
        bool monthly;
        bool noPrompt; // the hidden box, ticked by a build that shows it
        const char* perUseGoOn;
        bool posted;
        const char* order;
        const char* noPromptField;
        bool goOn;
    };
    const Case cases[] = {
        {true, false, "false", true, "true", "false", true},
        {true, true, "false", true, "true", "true", true},
        {false, true, "false", true, "false", "true", true},
        {false, false, "true", false, nullptr, nullptr, true},
        {false, false, "TRUE", false, nullptr, nullptr, true},
        {false, false, "false", false, nullptr, nullptr, false},
        {false, false, "", false, nullptr, nullptr, false},
        {false, false, "true ", false, nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        const int before = Answers();
        auto dialog = Offer(Text(c.perUseGoOn));
        Radio(*dialog, c.monthly ? "monthlyRadio" : "perUseRadio")->setChecked(true);
        dialog->findChild<QCheckBox*>("noPromptBox")->setChecked(c.noPrompt);
        QTest::mouseClick(Button(*dialog, "确定"), Qt::LeftButton);
        ASSERT_TRUE(WaitForEnd(*dialog));
        const std::string row = std::to_string(&c - cases);
        EXPECT_EQ(dialog->result(), QDialog::Accepted) << row;
        EXPECT_EQ(dialog->Choice(), c.monthly ? 0 : 1) << row;
        EXPECT_EQ(dialog->NoPrompt(), c.noPrompt) << row;
        EXPECT_EQ(dialog->GoOn(), c.goOn) << row;
        EXPECT_EQ(Answers() - before, c.posted ? 1 : 0) << row;
        if (c.posted) {
            const QJsonObject answer = m_service.LastRequest(kAnswerPath);
            EXPECT_EQ(answer.value("form").toArray(),
                      (QJsonArray{QJsonArray{"order", c.order},
                                  QJsonArray{"noprompt", c.noPromptField}}))
                << row;
            EXPECT_EQ(answer.value("session_user").toString(), kMobile) << row;
        }
        EXPECT_TRUE(m_messages.messages.isEmpty()) << row;
    }
    // The service took the order: the next fee query asks nothing.
    CHTTPFormClient fee;
    ASSERT_TRUE(SendServiceRequest(fee, MakeFeeQueryRequest())) << fee.GetErrorText();
    EXPECT_EQ(fee.GetResponse(), "NOFEEPROMPT");
}

TEST_F(MonthOrderDialogTest, AnswerRepliesDecideWhetherTheUploadGoesOn)
{
    struct Case
    {
        QJsonObject rule;
        bool goOn;
        QString message;
    };
    const Case cases[] = {
        {{{"body", "OK"}}, true, QString()},
        {{{"body", "ok, ordered"}}, true, QString()},
        {{{"body", ""}}, true, QString()},
        {{{"body", " OK"}}, false, " OK"},
        {{{"body", Text("开通失败：%s <a href=x>详情</a>")}},
         false,
         Text("开通失败：%s <a href=x>详情</a>")},
        {{{"body", Text("余额不足")}, {"charset", "gbk"}}, false, Text("余额不足")},
        {{{"status", 500}, {"body", "OK"}}, false, Text("发送数据失败！")},
        {{{"status", 302}, {"location", "/zuvo/login.me"}}, false, Text("发送数据失败！")},
        {{{"cut", true}, {"body", "OK, and more"}}, false, Text("发送数据失败！")},
        {{{"head_bytes", 17}, {"body", "OK"}}, false, Text("发送数据失败！")},
        {{{"fill", 2 << 20}, {"body", "OK"}}, false, Text("发送数据失败！")},
    };
    for (const Case& c : cases) {
        QJsonObject rule = c.rule;
        rule["path"] = "person/monthOrderResponse.me";
        ASSERT_TRUE(m_service.Script({rule}));
        m_messages.messages.clear();
        auto dialog = Offer("false");
        QTest::mouseClick(Button(*dialog, "确定"), Qt::LeftButton);
        ASSERT_TRUE(WaitForEnd(*dialog));
        EXPECT_EQ(dialog->result(), QDialog::Accepted) << Describe(c.rule);
        EXPECT_EQ(dialog->GoOn(), c.goOn) << Describe(c.rule);
        EXPECT_EQ(m_messages.messages, c.message.isNull() ? QStringList() : QStringList{c.message})
            << Describe(c.rule);
    }
}

TEST_F(MonthOrderDialogTest, ASilentServiceFailsAtTheDeadline)
{
    CHTTPFormClient::Timeouts quick;
    quick.formDeadlineMs = 1000;
    const ScopedTimeouts timeouts(quick);
    ASSERT_TRUE(
        m_service.Script({QJsonObject{{"path", "person/monthOrderResponse.me"}, {"stall", 60}}}));
    auto dialog = Offer("false");
    QTest::mouseClick(Button(*dialog, "确定"), Qt::LeftButton);
    ASSERT_TRUE(WaitForEnd(*dialog));
    EXPECT_FALSE(dialog->GoOn());
    EXPECT_EQ(m_messages.messages, QStringList{Text("发送数据失败！")});
}

TEST_F(MonthOrderDialogTest, CancelWhileTheAnswerIsPostedStopsAtOnce)
{
    ASSERT_TRUE(m_service.Script(
        {QJsonObject{{"path", "person/monthOrderResponse.me"}, {"delay", 1.0}, {"body", "OK"}}}));
    auto dialog = Offer("false");
    QTest::mouseClick(Button(*dialog, "确定"), Qt::LeftButton);
    ASSERT_TRUE(dialog->IsBusy());
    EXPECT_FALSE(Button(*dialog, "确定")->isEnabled());
    EXPECT_FALSE(Radio(*dialog, "perUseRadio")->isEnabled());
    dialog->accept();
    EXPECT_TRUE(dialog->isVisible()) << "OK is not taken twice";

    QTest::mouseClick(Button(*dialog, "取消"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->IsBusy());
    // The service's late "OK" does not turn the stop into a go.
    TestEnvironment::WaitFor([] { return false; }, 1500);
    EXPECT_FALSE(dialog->GoOn());
    EXPECT_TRUE(m_messages.messages.isEmpty()) << m_messages.messages.join('\n');
}

} // namespace
