#include "publish/HTTPFormClient.h"
#include "tests/publish/RingServiceFixture.h"
#include "platform/TextCoding.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

QByteArray Header(const QByteArray& head, const QByteArray& name)
{
    for (const QByteArray& line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name)
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

// The stand-in also serves what the later parts of the programs need: the
// ticket login, the song list with its download links, the material files
// and the update description.
class RingServiceTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_service.IsRunning()) << m_service.StartError(); }

    RingServiceFixture m_service;
};

TEST_F(RingServiceTest, TicketLoginOpensASession)
{
    const QString uid = "13900000000";
    const QString ticket = m_service.Control("ticket", {{"uid", uid}}).value("ticket").toString();
    ASSERT_FALSE(ticket.isEmpty());

    CHTTPFormClient wrong(m_service.Url("login.me"));
    wrong.AddTextField("loginid", uid.toStdString());
    wrong.AddTextField("ticket", "x" + ticket.toStdString());
    wrong.AddTextField("client", "true");
    ASSERT_TRUE(wrong.PostForm()) << wrong.GetErrorText();
    EXPECT_NE(wrong.GetResponse().substr(0, 2), "OK");

    CHTTPFormClient login(m_service.Url("login.me"));
    login.AddTextField("loginid", uid.toStdString());
    login.AddTextField("ticket", ticket.toStdString());
    login.AddTextField("client", "true");
    ASSERT_TRUE(login.PostForm()) << login.GetErrorText();
    EXPECT_EQ(login.GetResponse(), "OK");

    CHTTPFormClient fee(m_service.Url("person/fee_ringLibZuvo.me?clientversion=1"));
    ASSERT_TRUE(fee.PostQuery()) << fee.GetErrorText();
    EXPECT_EQ(m_service.LastRequest("/zuvo/person/fee_ringLibZuvo.me").value("session_user"), uid);
}

TEST_F(RingServiceTest, SongListLinksLeadToTheMaterialFiles)
{
    const RingServiceFixture::HttpReply page = m_service.Get("/zuvo/pub/songlist.me");
    ASSERT_EQ(page.status, 200);
    static const QRegularExpression link("<a href=\"(http://down=[^\"]+)\">([^<]+)</a>");
    int links = 0;
    for (const QRegularExpressionMatch& match : link.globalMatch(QString::fromUtf8(page.body))) {
        ++links;
        // The link grammar the download list reads.
        QString url = match.captured(1).replace("&amp;", "&").mid(12);
        url.replace("http//", "http://");
        const QString name = url.mid(url.lastIndexOf('=') + 1);
        url = url.left(url.lastIndexOf('&'));
        const std::string gbkName = UrlDecodeUtf8(name.toStdString());
        EXPECT_EQ(GbkToQString(QByteArray::fromStdString(gbkName)), match.captured(2));

        const QString prefix = QString::fromStdString("http://" + m_service.HostPort());
        ASSERT_TRUE(url.startsWith(prefix)) << url;
        const RingServiceFixture::HttpReply file = m_service.Get(url.mid(prefix.size()).toUtf8());
        EXPECT_EQ(file.status, 200);
        EXPECT_EQ(Header(file.head, "content-length").toLongLong(), file.body.size());
        EXPECT_TRUE(file.body.startsWith("RIFF")) << url;
    }
    EXPECT_GE(links, 1);
}

TEST_F(RingServiceTest, UpdateDescriptionListsFilesWithTheirDigests)
{
    const QByteArray updater = "#!/bin/sh\necho updated\n";
    QFile file(m_service.DataDir() + "/update/files/updater.sh");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(updater);
    file.close();
    ASSERT_TRUE(m_service.Control("update", {{"major", 1}, {"sub", 12}, {"declare", "a\\r\\nb"}})
                    .value("ok")
                    .toBool());

    const RingServiceFixture::HttpReply description = m_service.Get("/update/update.xml");
    ASSERT_EQ(description.status, 200);
    QXmlStreamReader xml(description.body);
    std::map<QString, QString> texts;
    std::map<QString, QString> fileAttributes;
    QString element;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            element = xml.name().toString();
            if (element == "File") {
                for (const QXmlStreamAttribute& attribute : xml.attributes())
                    fileAttributes[attribute.name().toString()] = attribute.value().toString();
            }
        } else if (xml.isCharacters() && !xml.isWhitespace()) {
            texts[element] = xml.text().toString();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString();
    EXPECT_EQ(texts["MajorVer"], "1");
    EXPECT_EQ(texts["SubVer"], "12");
    EXPECT_EQ(texts["Declare"], "a\\r\\nb");
    EXPECT_EQ(texts["ExecApp"], "updater.sh");
    EXPECT_EQ(fileAttributes["FileName"], "updater.sh");
    EXPECT_EQ(fileAttributes["Target"], "");
    EXPECT_EQ(fileAttributes["MD5"],
              QCryptographicHash::hash(updater, QCryptographicHash::Md5).toHex().toUpper());
    const QString prefix = QString::fromStdString("http://" + m_service.HostPort());
    ASSERT_TRUE(fileAttributes["Url"].startsWith(prefix));
    EXPECT_EQ(m_service.Get(fileAttributes["Url"].mid(prefix.size()).toUtf8()).body, updater);
}

} // namespace
