#include "platform/WorkingFolder.h"

#include "platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

namespace {

class Folders
{
public:
    // Runs after main: plain file-system calls only, no Qt.
    ~Folders() { RemoveLocked(); }

    QString Path()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const QString dataFolder = AppPaths::DataFolder();
        if (!m_path.isEmpty() && m_dataFolder == dataFolder && QFileInfo(m_path).isDir())
            return m_path;
        RemoveLocked();
        if (!QDir().mkpath(dataFolder))
            return QString();
        // mkdtemp picks a name nobody holds and makes the folder 0700.
        std::string name =
            QFile::encodeName(dataFolder + QStringLiteral("~work-XXXXXX")).toStdString();
        if (!mkdtemp(name.data()))
            return QString();
        m_native = name;
        m_dataFolder = dataFolder;
        m_path = QFile::decodeName(name.c_str()) + u'/';
        return m_path;
    }

    void Remove()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        RemoveLocked();
    }

private:
    void RemoveLocked()
    {
        if (!m_native.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(m_native, ignored);
        }
        m_native.clear();
        m_path.clear();
        m_dataFolder.clear();
    }

    std::mutex m_mutex;
    std::string m_native; // the folder's name as the file system has it
    QString m_path;
    QString m_dataFolder;
};

Folders& Instance()
{
    static Folders folders;
    return folders;
}

} // namespace

namespace WorkingFolder {

QString Path()
{
    return Instance().Path();
}

QString FilePath(const QString& name)
{
    const QString folder = Path();
    return folder.isEmpty() ? QString() : folder + name;
}

void Remove()
{
    Instance().Remove();
}

} // namespace WorkingFolder
