#pragma once

#include <csignal>
#include <sys/resource.h>

// Lowers the file size limit of the process, as a full disk would stop the
// writes; writes past it fail with EFBIG instead of a signal killing the
// process. The old limit and handler come back with the object.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = m_saved;
        limited.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool IsSet() const { return m_set; }

private:
    rlimit m_saved = {};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_set = false;
};
