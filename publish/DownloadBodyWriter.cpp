#include "publish/DownloadBodyWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

CDownloadBodyWriter::CDownloadBodyWriter(std::string path, int64_t maxBytes)
    : m_path(std::move(path)), m_maxBytes(maxBytes)
{
}

CDownloadBodyWriter::~CDownloadBodyWriter()
{
    if (!m_kept)
        Discard();
}

bool CDownloadBodyWriter::Fail(std::string error)
{
    m_failed = true;
    m_error = std::move(error);
    return false;
}

bool CDownloadBodyWriter::Write(const char* data, size_t size)
{
    if (m_failed || m_kept)
        return m_failed ? false : Fail("the body was already finished");
    if (size == 0)
        return true;
    if (m_maxBytes > 0 &&
        static_cast<uint64_t>(m_written) + size > static_cast<uint64_t>(m_maxBytes))
        return Fail("reply longer than " + std::to_string(m_maxBytes) + " bytes");
    if (!m_created) {
        if (m_path.empty())
            return Fail("no file to write the body to");
        // O_NOFOLLOW too: a link planted under the name is refused, not followed.
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd < 0)
            return Fail(m_path + ": " + std::strerror(errno));
        m_created = true;
    }
    while (size > 0) {
        const ssize_t wrote = ::write(m_fd, data, size);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return Fail(m_path + ": " + std::strerror(wrote < 0 ? errno : ENOSPC));
        data += wrote;
        size -= static_cast<size_t>(wrote);
        m_written += wrote;
    }
    return true;
}

bool CDownloadBodyWriter::Finish()
{
    if (m_kept)
        return true;
    if (m_failed) {
        Discard();
        return false;
    }
    if (m_written == 0) {
        Discard();
        return Fail("the reply carried no body");
    }
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) {
        const int error = errno;
        Discard();
        return Fail(m_path + ": " + std::strerror(error));
    }
    m_kept = true;
    return true;
}

void CDownloadBodyWriter::Discard()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (m_created && !m_kept)
        ::unlink(m_path.c_str());
    m_created = false;
    // A discarded body stays discarded: no later write makes the file again.
    if (!m_kept && !m_failed) {
        m_failed = true;
        m_error = "the body was discarded";
    }
}
