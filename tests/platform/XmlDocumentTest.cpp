#include "platform/XmlDocument.h"

#include "tests/publish/RingServiceFixture.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

namespace {

QString WriteFile(const QByteArray& bytes, const QString& name = QStringLiteral("doc.xml"))
{
    const QString path = TestEnvironment::Home() + u'/' + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// Every element in document order as ElementTree reports it: name, sorted
// attributes and the element's text as this reader keeps it (the last
// non-blank piece of text inside it, leading white space removed).
const char kElementTreeDump[] = R"(
import json, sys, xml.etree.ElementTree as ET
out = []
for el in ET.parse(sys.argv[1]).getroot().iter():
    chunks = [el.text] + [child.tail for child in el]
    value = None
    for chunk in chunks:
        if chunk and chunk.lstrip(" \t\r\n"):
            value = chunk.lstrip(" \t\r\n")
    out.append({"name": el.tag, "attributes": sorted(el.attrib.items()), "value": value})
print(json.dumps(out))
)";

QJsonArray ElementTree(const QString& path)
{
    QProcess python;
    python.start("python3", {"-c", kElementTreeDump, path});
    python.waitForFinished(30000);
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

int Collect(DOMElement* element, void* data)
{
    QJsonArray attributes;
    for (const auto& [name, value] : element->Attributes())
        attributes.append(QJsonArray{QString::fromStdString(name), QString::fromStdString(value)});
    QJsonObject entry{{"name", QString::fromStdString(element->GetName())},
                      {"attributes", attributes}};
    entry["value"] = element->GetValue() ? QJsonValue(QString::fromUtf8(element->GetValue()))
                                         : QJsonValue(QJsonValue::Null);
    static_cast<QJsonArray*>(data)->append(entry);
    return 0;
}

QJsonArray Ours(XmlDocument& document)
{
    QJsonArray out;
    document.Traverse(Collect, document.GetRoot(), &out);
    return out;
}

// What a parse prints on standard output, and its result.
std::pair<int, std::string> ParseCapturing(XmlDocument& document, const char* text)
{
    testing::internal::CaptureStdout();
    const int result = document.LoadFromString(text);
    return {result, testing::internal::GetCapturedStdout()};
}

std::string Text(const DOMElement* element)
{
    return element && element->GetValue() ? element->GetValue() : "<none>";
}

} // namespace

TEST(XmlDocumentTest, WellFormedDocumentsReadAsElementTreeReadsThem)
{
    const char* const documents[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<UpdateInfo><VersionInfo><MajorVer>1"
        "</MajorVer><SubVer>12</SubVer></VersionInfo><Declare>升级说明 第二版</Declare>"
        "<ExecApp>updater.sh</ExecApp><UpdFiles><File FileName=\"a.sh\" Url=\"http://h/a\" "
        "MD5=\"0A1B\" Target=\"\"/><File FileName='b.bin' Url='http://h/b' MD5='FF' "
        "Target='sub\\' /></UpdFiles></UpdateInfo>\n",
        "<root>\n\t<a   x = \"1\"\n\ty='2'>\n\t\t<b>deep text  </b>\n\t</a>\n\t<c/>\n</root>",
        "<r>one<c/>two <d>in d</d>three</r>",
        "<r><q a=\"it's\" b='say \"hi\"'/><q a=\"second\"></q></r>",
        "<a><a><a><a><a><a><a><a>eight</a></a></a></a></a></a></a></a>",
    };
    for (const char* text : documents) {
        const QString path = WriteFile(text);
        const QJsonArray expected = ElementTree(path);
        ASSERT_FALSE(expected.isEmpty()) << text;
        XmlDocument document;
        ASSERT_EQ(document.Load(path.toLocal8Bit().constData()), 0) << text;
        EXPECT_EQ(Ours(document), expected) << text;
    }
}

TEST(XmlDocumentTest, FailuresPrintTheirDiagnostics)
{
    const struct
    {
        const char* text;
        const char* printed;
    } cases[] = {
        {"", "ERROR: It is not XML Document.\n"},
        {"<?xml version=\"1.0\"?> plain words", "ERROR: It is not XML Document.\n"},
        {"<>", "ERROR: There is no tag name int the XML root.\n"},
        {"<root", "ERROR: There is no tag name int the XML root.\n"},
        {"<a><b></b>", "ERROR: Root tag nomatch.\n"},
        {"<a><b></a>", "ERROR: Can't find a end tag for <b>.\n"},
        {"<a><b>x</b></a >", "ERROR: Can't find a end tag for <a>.\n"},
        {"<a>text /a", "Error: Without a finish tag for <a>.\n"},
        {"<a x='/a'><b/>  \n", "Error: Without a finish tag for <a>.\n"},
        {"<a x='/a'><b/>", "Error: without a finish tag for <a>.\n"},
        // Refused quietly: an empty tag, a word without '=' after the
        // attributes, an attribute value never closed.
        {"<a><></a>", ""},
        {"<a><A b='1' c=\"2\" d/></a>", ""},
        {"<a><b c='1></b></a>", ""},
    };
    for (const auto& c : cases) {
        XmlDocument document;
        const auto [result, printed] = ParseCapturing(document, c.text);
        EXPECT_EQ(result, -1) << c.text;
        EXPECT_EQ(printed, c.printed) << c.text;
    }
    XmlDocument document;
    EXPECT_EQ(document.LoadFromString(nullptr), -1);
    EXPECT_EQ(document.Load((TestEnvironment::Home() + "/missing.xml").toLocal8Bit()), -1);
    EXPECT_EQ(document.Load(WriteFile("").toLocal8Bit()), -1);
}

TEST(XmlDocumentTest, DeclarationQuotesAndAttributes)
{
    XmlDocument document;
    EXPECT_EQ(document.GetVersion(), "1.0");
    EXPECT_EQ(document.GetEncoding(), "GB2312");
    ASSERT_EQ(document.LoadFromString("<?xml version='1.1' encoding=\"UTF-8\"?>\n<a></a>"), 0);
    EXPECT_EQ(document.GetVersion(), "1.1");
    EXPECT_EQ(document.GetEncoding(), "UTF-8");
    ASSERT_EQ(document.LoadFromString("<?xml version='2.0' encoding='GBK'?><a></a>"), 0);
    EXPECT_EQ(document.GetVersion(), "2.0");
    EXPECT_EQ(document.GetEncoding(), "GBK");

    // Without any "?>" the root is the first element; an apostrophe first
    // delimits its own value even with a double quote later on.
    ASSERT_EQ(document.LoadFromString("<r><A b='x' c=\"y\"/><B  k = ' v ' /></r>"), 0);
    EXPECT_EQ(document.GetVersion(), "1.0");
    EXPECT_EQ(document.GetRoot()->GetName(), "r");
    DOMElement* a = document.GetRoot()->FindChild("A", 0);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->Attributes(), (std::map<std::string, std::string>{{"b", "x"}, {"c", "y"}}));
    DOMElement* b = a->GetNextSibling();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->GetName(), "B");
    EXPECT_EQ(*b->Attribute("k"), "v");
    EXPECT_EQ(b->GetPrevSibling(), a);

    // A repeated attribute keeps its first value; no entity is decoded.
    ASSERT_EQ(document.LoadFromString("<r><f n='1' n='2'>a &amp; b</f></r>"), 0);
    DOMElement* f = document.GetRoot()->FindChild(nullptr, 0);
    EXPECT_EQ(*f->Attribute("n"), "1");
    EXPECT_EQ(Text(f), "a &amp; b");
}

TEST(XmlDocumentTest, PathSelection)
{
    XmlDocument document;
    const QString path = WriteFile("<UpdateInfo><Declare>top</Declare><UpdFiles>"
                                   "<File FileName=\"one\"/><File FileName=\"two\"/>"
                                   "</UpdFiles><Deep><Declare>nested</Declare></Deep>"
                                   "</UpdateInfo>");
    ASSERT_EQ(document.Load(path.toLocal8Bit()), 0);
    EXPECT_EQ(document.GetCurrent(), document.GetRoot());

    DOMElement* first = document.SelectNodeByPath("/UpdateInfo/UpdFiles/File");
    ASSERT_TRUE(first);
    EXPECT_EQ(*first->Attribute("FileName"), "one");
    EXPECT_EQ(document.SelectNodeByPath("\\UpdateInfo//UpdFiles/File/"), first);
    EXPECT_EQ(Text(document.SelectNodeByPath("/UpdateInfo/Declare")), "top");
    EXPECT_EQ(Text(document.SelectNodeByPath("/UpdateInfo/Deep/Declare")), "nested");
    EXPECT_EQ(document.SelectNodeByPath("/UpdateInfo/Nothing"), nullptr);
    EXPECT_EQ(document.SelectNodeByPath("/"), nullptr);
    EXPECT_EQ(document.SelectNodeByPath("/Declare/UpdFiles"), nullptr);

    // Relative paths start at the current element, which they leave alone;
    // the walk includes the current element itself.
    document.SetCurrent(first);
    EXPECT_EQ(document.SelectNodeByPath("File"), first);
    DOMElement* second = document.NextSibling(true);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second->Attribute("FileName"), "two");
    EXPECT_EQ(document.GetCurrent(), second);
    EXPECT_EQ(document.NextSibling(true), nullptr);
    EXPECT_EQ(document.GetCurrent(), second);
    EXPECT_EQ(document.SelectNodeByPath("File"), second);
    EXPECT_EQ(document.GetSelected(), second);
}

// A second load frees the first tree and forgets the elements that pointed
// into it (ASan reports any use of them).
TEST(XmlDocumentTest, SecondLoadReplacesTheFirst)
{
    XmlDocument document;
    ASSERT_EQ(document.LoadFromString("<?xml version='9' encoding='X'?><a><b><c/></b></a>"), 0);
    document.SetCurrent(document.SelectNodeByPath("/a/b/c"));
    ASSERT_TRUE(document.GetSelected());

    ASSERT_EQ(document.LoadFromString("<z><y>1</y></z>"), 0);
    EXPECT_EQ(document.GetCurrent(), nullptr);
    EXPECT_EQ(document.GetSelected(), nullptr);
    EXPECT_EQ(document.GetVersion(), "1.0");
    EXPECT_EQ(document.GetEncoding(), "GB2312");
    EXPECT_EQ(Ours(document).size(), 2);
    EXPECT_EQ(Text(document.SelectNodeByPath("y")), "1");
    EXPECT_EQ(document.GetCurrent(), document.GetRoot());
}

TEST(XmlDocumentTest, HostileInputsEndWithoutACrash)
{
    XmlDocument document;
    std::string nested;
    for (int i = 0; i < 100000; ++i)
        nested += "<a>";
    for (int i = 0; i < 100000; ++i)
        nested += "</a>";
    testing::internal::CaptureStdout();
    EXPECT_EQ(document.LoadFromString(nested.c_str()), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(document.Load(WriteFile(QByteArray::fromStdString(nested)).toLocal8Bit()), -1);

    // Within the depth limit the same shape reads.
    std::string shallow;
    for (int i = 0; i <= DOMDocument::kMaxDepth; ++i)
        shallow = "<a>" + shallow + "</a>";
    EXPECT_EQ(document.LoadFromString(shallow.c_str()), 0);

    QByteArray large = "<a>" + QByteArray(int(DOMDocument::kMaxSize), 'x') + "</a>";
    EXPECT_EQ(document.Load(WriteFile(large).toLocal8Bit()), -1);
    EXPECT_EQ(document.LoadFromString(large.constData()), -1);

    // The text ends at its first zero byte.
    EXPECT_EQ(document.Load(WriteFile(QByteArray("<a>x</a>\0<<", 11)).toLocal8Bit()), 0);
    EXPECT_EQ(Text(document.GetRoot()), "x");
    testing::internal::CaptureStdout();
    EXPECT_EQ(document.Load(WriteFile(QByteArray("<a>\0</a>", 8)).toLocal8Bit()), -1);
    testing::internal::GetCapturedStdout();

    // Not a regular file: refused before any read could block.
    const QString fifo = TestEnvironment::Home() + "/fifo.xml";
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    EXPECT_EQ(document.Load(fifo.toLocal8Bit()), -1);
    EXPECT_EQ(document.Load(TestEnvironment::Home().toLocal8Bit()), -1);
}

TEST(XmlDocumentTest, TheStandInsUpdateDescription)
{
    RingServiceFixture service;
    ASSERT_TRUE(service.IsRunning()) << service.StartError().toStdString();
    const RingServiceFixture::HttpReply reply = service.Get("/update/update.xml");
    ASSERT_EQ(reply.status, 200);
    XmlDocument document;
    ASSERT_EQ(document.Load(WriteFile(reply.body, "update.xml").toLocal8Bit()), 0);
    EXPECT_EQ(Text(document.SelectNodeByPath("/UpdateInfo/VersionInfo/MajorVer")), "1");
    EXPECT_EQ(Text(document.SelectNodeByPath("/UpdateInfo/VersionInfo/SubVer")), "11");
    EXPECT_EQ(Text(document.SelectNodeByPath("/UpdateInfo/ExecApp")), "updater.sh");
    EXPECT_EQ(document.GetEncoding(), "GB2312");
}
