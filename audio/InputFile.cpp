#include "audio/InputFile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

CInputFile::~CInputFile()
{
    Close();
}

CInputFile::CInputFile(CInputFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_size(std::exchange(other.m_size, 0))
{
}

CInputFile& CInputFile::operator=(CInputFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

bool CInputFile::Open(const QString& path)
{
    Close();
    if (path.isEmpty())
        return false;
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK keeps open() from waiting for a FIFO's writer; the type is
    // checked on the descriptor itself, so nothing can swap the file between.
    const int fd = open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return false;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0)
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    m_fd = fd;
    m_size = static_cast<uint64_t>(info.st_size);
    return true;
}

void CInputFile::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_size = 0;
}

size_t CInputFile::ReadAt(uint64_t offset, void* buffer, size_t length) const
{
    if (m_fd < 0 || offset >= static_cast<uint64_t>(std::numeric_limits<off_t>::max()))
        return 0;
    size_t done = 0;
    while (done < length) {
        const uint64_t at = offset + done;
        if (at >= static_cast<uint64_t>(std::numeric_limits<off_t>::max()))
            break;
        const ssize_t n =
            pread(m_fd, static_cast<char*>(buffer) + done, length - done, static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}
