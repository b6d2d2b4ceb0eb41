#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes the body of one download to its own new file: the file is created
// exclusively (an existing file of that name, or a link in its place, fails
// the first write and is left alone) when the first bytes arrive, every write
// is checked, and a body that is not kept is removed again. So a failed or
// cancelled download leaves nothing behind, and a kept one holds exactly the
// bytes written.
//
// Threads: one thread at a time.
class CDownloadBodyWriter
{
public:
    // maxBytes 0: no limit; otherwise a body longer than it fails the write
    // that would pass it.
    explicit CDownloadBodyWriter(std::string path, int64_t maxBytes = 0);
    // Removes the file unless Finish succeeded.
    ~CDownloadBodyWriter();
    CDownloadBodyWriter(const CDownloadBodyWriter&) = delete;
    CDownloadBodyWriter& operator=(const CDownloadBodyWriter&) = delete;

    // Appends size bytes (0 bytes: nothing happens). False with the error text
    // set when the file cannot be created or written, or the limit is passed;
    // after a failure every later call fails too.
    bool Write(const char* data, size_t size);
    // Closes the file and keeps it. False, removing the file, when no byte
    // was written (an empty body is no download), when an earlier write
    // failed, or when the close fails.
    bool Finish();
    // Closes and removes the file, if it was made. Harmless when repeated.
    void Discard();

    int64_t Written() const { return m_written; }
    const std::string& GetErrorText() const { return m_error; }
    const std::string& GetPath() const { return m_path; }

private:
    bool Fail(std::string error);

    std::string m_path;
    int64_t m_maxBytes;
    int64_t m_written = 0;
    int m_fd = -1;
    bool m_created = false;
    bool m_failed = false;
    bool m_kept = false;
    std::string m_error;
};
