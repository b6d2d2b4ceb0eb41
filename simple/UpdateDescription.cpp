#include "simple/UpdateDescription.h"

#include "platform/FileNameRules.h"
#include "platform/TextCoding.h"
#include "platform/XmlDocument.h"

#include <QFile>
#include <QStringList>

#include <cstdlib>

namespace {

bool PlainPart(const QString& part)
{
    return part != QStringLiteral(".") && FileNameRules::IsPlainName(part);
}

} // namespace

bool CUpdateDescription::IsNewer(int major, int sub)
{
    return major > kMajorVersion || (major == kMajorVersion && sub > kSubVersion);
}

bool CUpdateDescription::SafeFolder(const QString& target, QString* folder)
{
    QString path = target;
    path.replace(u'\\', u'/');
    if (path.endsWith(u'/'))
        path.chop(1);
    if (path.isEmpty()) {
        // Only a Target that is empty or a lone separator means the folder
        // itself; a lone "/" would otherwise name the root.
        if (!target.isEmpty() && target != QStringLiteral("\\"))
            return false;
        folder->clear();
        return true;
    }
    for (const QString& part : path.split(u'/')) {
        if (!PlainPart(part))
            return false;
    }
    *folder = path + u'/';
    return true;
}

bool CUpdateDescription::SafeRelativePath(const QString& path, QString* normalised)
{
    QString mapped = path;
    mapped.replace(u'\\', u'/');
    for (const QString& part : mapped.split(u'/')) {
        if (!PlainPart(part))
            return false;
    }
    *normalised = mapped;
    return true;
}

CUpdateDescription::Status CUpdateDescription::Load(const QString& path)
{
    XmlDocument document;
    if (document.Load(QFile::encodeName(path).constData()) != 0)
        return Status::Unreadable;
    return Read(document);
}

CUpdateDescription::Status CUpdateDescription::LoadBytes(const QByteArray& bytes)
{
    XmlDocument document;
    if (document.LoadFromString(bytes.constData()) != 0)
        return Status::Unreadable;
    return Read(document);
}

CUpdateDescription::Status CUpdateDescription::Read(XmlDocument& document)
{
    m_files.clear();
    m_declare.clear();
    m_execApp.clear();
    QString encoding = QString::fromLatin1(document.GetEncoding().c_str());
    m_utf8 = encoding.compare(QStringLiteral("UTF-8"), Qt::CaseInsensitive) == 0 ||
             encoding.compare(QStringLiteral("UTF8"), Qt::CaseInsensitive) == 0;
    const auto text = [this](const std::string& bytes) {
        return m_utf8 ? QString::fromUtf8(bytes.data(), qsizetype(bytes.size()))
                      : GbkToQString(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    };

    const DOMElement* major = document.SelectNodeByPath("/UpdateInfo/VersionInfo/MajorVer");
    if (!major || !major->GetValue())
        return Status::Unreadable;
    m_major = std::atoi(major->GetValue());
    const DOMElement* sub = document.SelectNodeByPath("/UpdateInfo/VersionInfo/SubVer");
    if (!sub || !sub->GetValue())
        return Status::Unreadable;
    m_sub = std::atoi(sub->GetValue());
    if (!IsNewer(m_major, m_sub))
        return Status::Current;

    if (const DOMElement* declare = document.SelectNodeByPath("/UpdateInfo/Declare")) {
        if (declare->GetValue())
            m_declare = text(declare->GetValue()).replace(QStringLiteral("\\r\\n"),
                                                          QStringLiteral("\n"));
    }
    const DOMElement* exec = document.SelectNodeByPath("/UpdateInfo/ExecApp");
    if (!exec || !exec->GetValue() || !SafeRelativePath(text(exec->GetValue()), &m_execApp))
        return Status::Refused;

    bool execListed = false;
    DOMElement* first = document.SelectNodeByPath("/UpdateInfo/UpdFiles/File");
    for (DOMElement* element = first; element; element = element->GetNextSibling()) {
        if (element->GetName() != "File")
            continue;
        const std::string* name = element->Attribute("FileName");
        const std::string* url = element->Attribute("Url");
        const std::string* md5 = element->Attribute("MD5");
        const std::string* target = element->Attribute("Target");
        if (!name || !url || !md5 || !target)
            return Status::Refused;
        File file;
        file.url = text(*url);
        file.md5 = text(*md5);
        if (!SafeFolder(text(*target), &file.folder))
            return Status::Refused;
        // A file name is one name: "\" inside it is a separator too.
        QString fileName;
        if (!SafeRelativePath(text(*name), &fileName) || fileName.contains(u'/'))
            return Status::Refused;
        file.fileName = fileName;
        execListed = execListed || file.Path() == m_execApp;
        m_files.push_back(file);
    }
    if (!execListed)
        return Status::Refused;
    return Status::Newer;
}
