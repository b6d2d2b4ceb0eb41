#pragma once

#include <csignal>
#include <sys/resource.h>

// Lowers the size limit of the files this process writes, as a full disk
// would stop the writes; a write or a reservation past it fails with EFBIG
// instead of a signal. The limit is the whole process's, whichever thread
// sets it.
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
