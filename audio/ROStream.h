#pragma once

#include "audio/HResult.h"
#include "audio/InputFile.h"

#include <QString>

#include <cstdint>

// A read-only stream over one regular file, which the media decoder reads
// through instead of opening the path itself. Positions and sizes are 64-bit
// bytes. One thread at a time; the owner keeps it alive while a decoder uses
// it.
class CROStream
{
public:
    enum SeekOrigin : uint32_t { SeekBegin = 0, SeekCurrent = 1, SeekEnd = 2 };

    CROStream() = default;
    CROStream(const CROStream&) = delete;
    CROStream& operator=(const CROStream&) = delete;

    // Opens path for reading at position 0. A missing or unreadable file
    // gives its errno (HResultFromErrno), anything but a regular file
    // (folder, FIFO, device) E_FAIL, before a byte is read; an empty path
    // E_INVALIDARG.
    HRESULT Open(const QString& path);
    bool IsOpen() const { return m_file.IsOpen(); }

    // Reads up to count bytes at the position and moves past them. *read
    // (may be null) gets the count read: fewer at the end, 0 past it, both
    // S_OK. A read that fails inside the file gives HResultFromErrno(EIO).
    HRESULT Read(void* buffer, uint32_t count, uint32_t* read);
    // Moves the position by distance from the origin; the new position (may
    // be null) is returned. Positions past the end are allowed (reads there
    // give 0 bytes); a negative result or an unknown origin is E_INVALIDARG.
    HRESULT Seek(int64_t distance, uint32_t origin, uint64_t* newPosition);
    // The file's size in bytes when it was opened.
    uint64_t Size() const { return m_file.Size(); }

private:
    CInputFile m_file;
    uint64_t m_position = 0;
};
