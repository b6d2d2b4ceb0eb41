#include "audio/ROStream.h"

#include <cerrno>
#include <limits>

HRESULT CROStream::Open(const QString& path)
{
    m_file.Close();
    m_position = 0;
    if (path.isEmpty())
        return E_INVALIDARG;
    // CInputFile leaves errno alone when it refuses a file that did open but
    // is not regular; only a failed open sets it.
    errno = 0;
    if (!m_file.Open(path))
        return errno != 0 ? HResultFromErrno(errno) : E_FAIL;
    return S_OK;
}

HRESULT CROStream::Read(void* buffer, uint32_t count, uint32_t* read)
{
    if (read)
        *read = 0;
    if (!m_file.IsOpen())
        return E_FAIL;
    const size_t got = m_file.ReadAt(m_position, buffer, count);
    // Nothing read before the end means the file failed or shrank under us.
    if (got == 0 && count > 0 && m_position < m_file.Size())
        return HResultFromErrno(EIO);
    m_position += got;
    if (read)
        *read = static_cast<uint32_t>(got);
    return S_OK;
}

HRESULT CROStream::Seek(int64_t distance, uint32_t origin, uint64_t* newPosition)
{
    if (!m_file.IsOpen())
        return E_FAIL;
    uint64_t base = 0;
    switch (origin) {
    case SeekBegin:
        base = 0;
        break;
    case SeekCurrent:
        base = m_position;
        break;
    case SeekEnd:
        base = m_file.Size();
        break;
    default:
        return E_INVALIDARG;
    }
    // Both operands fit in int64 (positions come from int64 distances and
    // off_t sizes), but their sum may not.
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    const int64_t from = static_cast<int64_t>(base);
    if ((distance > 0 && from > kMax - distance) || from + distance < 0)
        return E_INVALIDARG;
    m_position = static_cast<uint64_t>(from + distance);
    if (newPosition)
        *newPosition = m_position;
    return S_OK;
}
