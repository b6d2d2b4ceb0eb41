#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// A read-only handle on a file whose bytes are not trusted. Only regular
// files open: a FIFO, device or folder is refused before any byte is read
// (and opening never blocks on a FIFO). Reads take 64-bit positions and
// never reach past the file's end. Move-only; one thread at a time.
class CInputFile
{
public:
    CInputFile() = default;
    explicit CInputFile(const QString& path) { Open(path); }
    ~CInputFile();
    CInputFile(CInputFile&& other) noexcept;
    CInputFile& operator=(CInputFile&& other) noexcept;
    CInputFile(const CInputFile&) = delete;
    CInputFile& operator=(const CInputFile&) = delete;

    // false when the path is missing, unreadable or not a regular file.
    bool Open(const QString& path);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // The file's size in bytes when it was opened.
    uint64_t Size() const { return m_size; }

    // Reads up to length bytes at offset; returns how many were read, fewer
    // at the file's end, 0 past it or on a read error.
    size_t ReadAt(uint64_t offset, void* buffer, size_t length) const;
    // Whether exactly length bytes could be read at offset.
    bool ReadExactly(uint64_t offset, void* buffer, size_t length) const
    {
        return ReadAt(offset, buffer, length) == length;
    }

private:
    int m_fd = -1;
    uint64_t m_size = 0;
};
