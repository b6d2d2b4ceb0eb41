#include "simple/UpdateCheck.h"

#include "platform/FileReplace.h"
#include "platform/MD5.h"
#include "publish/HTTPFormEncoding.h"
#include "simple/UpdateDescription.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>
#include <string>

bool CUpdateCheck::Matches(const QString& path, const QString& md5)
{
    const QString digest = FileMd5(path);
    return !digest.isEmpty() && digest == md5;
}

CUpdateCheck::CUpdateCheck(QString updateFolder, QString descriptionUrl, Hooks hooks)
    : m_folder(std::move(updateFolder)), m_descriptionUrl(std::move(descriptionUrl)),
      m_hooks(std::move(hooks))
{
}

void CUpdateCheck::Cancel()
{
    m_cancelled = true;
    if (m_hooks.stop)
        m_hooks.stop();
}

QString CUpdateCheck::FileMd5(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    CMD5 md5;
    QByteArray block(64 * 1024, Qt::Uninitialized);
    bool any = false;
    for (;;) {
        const qint64 read = file.read(block.data(), block.size());
        if (read < 0)
            return {};
        if (read == 0)
            break;
        md5.AddData(block.constData(), int32_t(read));
        any = true;
    }
    // An empty file has no digest to compare: it never matches.
    if (!any)
        return {};
    unsigned char digest[CMD5::kDigestSize];
    try {
        md5.FinalDigest(digest);
    } catch (const std::runtime_error&) {
        return {};
    }
    std::string hex;
    BytesToHex(digest, sizeof digest, hex);
    return QString::fromLatin1(hex.c_str());
}

bool CUpdateCheck::FetchInto(const QString& url, const QString& name, const QString& path,
                             const QString* md5, int64_t maxBytes, Outcome* failure)
{
    if (m_cancelled) {
        *failure = Outcome::Cancelled;
        return false;
    }
    // The download creates the part itself, exclusively.
    const QString part = FileReplace::UnusedNameBeside(path);
    if (part.isEmpty()) {
        *failure = Outcome::FetchFailed;
        return false;
    }
    const bool fetched = m_hooks.fetch(url, name, part, maxBytes, m_cancelled);
    if (m_cancelled || !fetched) {
        QFile::remove(part);
        *failure = m_cancelled ? Outcome::Cancelled : Outcome::FetchFailed;
        return false;
    }
    // The digest is compared byte for byte: lower-case hex never matches.
    if (md5 && !Matches(part, *md5)) {
        QFile::remove(part);
        *failure = Outcome::Mismatch;
        return false;
    }
    if (!FileReplace::RenameOver(part, path)) {
        QFile::remove(part);
        *failure = Outcome::FetchFailed;
        return false;
    }
    return true;
}

CUpdateCheck::Outcome CUpdateCheck::Run()
{
    const QString descriptionPath = m_folder + QStringLiteral("update.xml");
    Outcome failure = Outcome::NoDescription;
    if (!FetchInto(m_descriptionUrl, QStringLiteral("update.xml"), descriptionPath, nullptr,
                   kMaxDescriptionBytes, &failure))
        return failure == Outcome::Cancelled ? failure : Outcome::NoDescription;

    CUpdateDescription description;
    switch (description.Load(descriptionPath)) {
    case CUpdateDescription::Status::Unreadable:
        return Outcome::NoDescription;
    case CUpdateDescription::Status::Current:
        return Outcome::Current;
    case CUpdateDescription::Status::Refused:
        return Outcome::Refused;
    case CUpdateDescription::Status::Newer:
        break;
    }

    QString execMd5;
    for (const CUpdateDescription::File& file : description.Files()) {
        const QString path = m_folder + file.Path();
        if (file.Path() == description.ExecApp() && execMd5.isNull())
            execMd5 = file.md5;
        if (Matches(path, file.md5))
            continue;
        if (m_cancelled)
            return Outcome::Cancelled;
        if (!QDir().mkpath(m_folder + file.folder))
            return Outcome::FetchFailed;
        if (!FetchInto(file.url, file.fileName, path, &file.md5, kMaxFileBytes, &failure))
            return failure;
    }

    if (m_cancelled)
        return Outcome::Cancelled;
    if (!m_hooks.ask(description.Declare()))
        return Outcome::Declined;
    if (m_cancelled)
        return Outcome::Cancelled;

    // What runs is what was verified: checked again at the last moment.
    const QString updater = m_folder + description.ExecApp();
    if (!Matches(updater, execMd5))
        return Outcome::Mismatch;
    QFile::setPermissions(updater, QFile::permissions(updater) | QFileDevice::ExeOwner |
                                       QFileDevice::ExeUser);
    return m_hooks.start(updater, m_folder) ? Outcome::Started : Outcome::StartFailed;
}
