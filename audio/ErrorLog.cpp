#include "audio/ErrorLog.h"

#include "platform/AppPaths.h"

#include <QFile>

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

CErrorLog::CErrorLog(QString fileName) : m_fileName(std::move(fileName)) {}

void CErrorLog::SetFileName(const QString& name)
{
    m_fileName = name;
}

QString CErrorLog::GetFilePath() const
{
    return m_fileName.contains(u'/') ? m_fileName : AppPaths::DataFolder() + m_fileName;
}

void CErrorLog::Write(const char* format, ...)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%d-%d-%d, %d:%d:%d]\n", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    std::string entry = stamp;

    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
        std::string message(static_cast<size_t>(length) + 1, '\0');
        std::vsnprintf(message.data(), message.size(), format, args);
        message.pop_back();
        entry += message;
    }
    va_end(args);

    const QByteArray path = QFile::encodeName(GetFilePath());
    const int fd = open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    ssize_t written = 0;
    while (written < static_cast<ssize_t>(entry.size())) {
        const ssize_t n = write(fd, entry.data() + written, entry.size() - written);
        if (n <= 0)
            break;
        written += n;
    }
    close(fd);
}
