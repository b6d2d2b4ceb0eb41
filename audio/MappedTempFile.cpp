#include "audio/MappedTempFile.h"
#include "audio/WaveHeader.h"

#include <QDir>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<int> g_storeCounter{0};

// Owns the private folder of this process and removes it at exit.
class StoreFolderHolder
{
public:
    StoreFolderHolder()
    {
        QByteArray templ = QFile::encodeName(QDir::tempPath() + QStringLiteral("/zuvo-XXXXXX"));
        if (mkdtemp(templ.data()))
            m_path = QFile::decodeName(templ);
        // Every clip keeps its store open: let a long undo history hold more
        // stores than the default descriptor limit allows.
        rlimit limit{};
        if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
            limit.rlim_cur = limit.rlim_max;
            setrlimit(RLIMIT_NOFILE, &limit);
        }
    }
    ~StoreFolderHolder()
    {
        if (!m_path.isEmpty())
            QDir(m_path).removeRecursively();
    }
    const QString& Path() const { return m_path; }

private:
    QString m_path;
};

const StoreFolderHolder& Holder()
{
    static StoreFolderHolder holder;
    return holder;
}

} // namespace

CMappedView::CMappedView(void* mapBase, size_t mapLength, size_t lead, uint64_t size)
    : m_mapBase(mapBase), m_mapLength(mapLength), m_data(static_cast<uint8_t*>(mapBase) + lead),
      m_size(size)
{
}

CMappedView::CMappedView(CMappedView&& other) noexcept
{
    *this = std::move(other);
}

CMappedView& CMappedView::operator=(CMappedView&& other) noexcept
{
    if (this != &other) {
        reset();
        m_mapBase = other.m_mapBase;
        m_mapLength = other.m_mapLength;
        m_data = other.m_data;
        m_size = other.m_size;
        other.m_mapBase = nullptr;
        other.m_mapLength = 0;
        other.m_data = nullptr;
        other.m_size = 0;
    }
    return *this;
}

CMappedView::~CMappedView()
{
    reset();
}

void CMappedView::reset()
{
    if (m_mapBase)
        munmap(m_mapBase, m_mapLength);
    m_mapBase = nullptr;
    m_mapLength = 0;
    m_data = nullptr;
    m_size = 0;
}

QString CMappedTempFile::StoreFolder()
{
    return Holder().Path();
}

namespace {

bool Reserve(int fd, uint64_t size)
{
    if (size == 0)
        return true;
    int rc;
    do {
        rc = posix_fallocate(fd, 0, static_cast<off_t>(size));
    } while (rc == EINTR);
    return rc == 0;
}

QString NextStorePath(const QString& folder)
{
    return folder + QStringLiteral("/~KELVO%1.tmp").arg(g_storeCounter.fetch_add(1));
}

} // namespace

std::unique_ptr<CMappedTempFile> CMappedTempFile::Create(uint32_t size)
{
    const QString folder = StoreFolder();
    if (folder.isEmpty())
        return nullptr;
    const QString path = NextStorePath(folder);
    const QByteArray native = QFile::encodeName(path);

    const int fd =
        open(native.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    if (!Reserve(fd, size)) {
        close(fd);
        unlink(native.constData());
        return nullptr;
    }
    return std::unique_ptr<CMappedTempFile>(new CMappedTempFile(fd, path, size));
}

std::unique_ptr<CMappedTempFile> CMappedTempFile::Adopt(const QString& path, uint64_t offset,
                                                        uint32_t size)
{
    const QString folder = StoreFolder();
    if (folder.isEmpty())
        return nullptr;
    const QByteArray native = QFile::encodeName(path);
    const int fd = open(native.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<uint64_t>(info.st_size) < offset + size) {
        close(fd);
        return nullptr;
    }
    // A rename never crosses file systems: then the caller copies instead.
    const QString storePath = NextStorePath(folder);
    const QByteArray storeNative = QFile::encodeName(storePath);
    if (rename(native.constData(), storeNative.constData()) != 0) {
        close(fd);
        return nullptr;
    }
    // What lies behind the samples goes, so a store that grows later reads
    // zeros there as a new one does.
    struct stat moved = {};
    if (stat(storeNative.constData(), &moved) != 0 || moved.st_dev != info.st_dev ||
        moved.st_ino != info.st_ino || ftruncate(fd, static_cast<off_t>(offset + size)) != 0) {
        close(fd);
        rename(storeNative.constData(), native.constData());
        return nullptr;
    }
    return std::unique_ptr<CMappedTempFile>(new CMappedTempFile(fd, storePath, size, offset));
}

CMappedTempFile::CMappedTempFile(int fd, QString path, uint32_t size, uint64_t base)
    : m_fd(fd), m_path(std::move(path)), m_size(size), m_base(base),
      m_granularity(static_cast<uint32_t>(sysconf(_SC_PAGESIZE)))
{
}

CMappedTempFile::~CMappedTempFile()
{
    close(m_fd);
    unlink(QFile::encodeName(m_path).constData());
}

CMappedView CMappedTempFile::MapView(uint64_t offset, uint64_t length) const
{
    if (length == 0 || offset > m_size || length > m_size - offset)
        return {};
    const uint64_t at = m_base + offset;
    const uint64_t aligned = at - at % m_granularity;
    const size_t lead = static_cast<size_t>(at - aligned);
    const size_t mapLength = static_cast<size_t>(length) + lead;
    void* base = mmap(nullptr, mapLength, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd,
                      static_cast<off_t>(aligned));
    if (base == MAP_FAILED)
        return {};
    return CMappedView(base, mapLength, lead, length);
}

bool CMappedTempFile::ReadAt(uint64_t offset, void* buffer, uint64_t length) const
{
    if (offset > m_size || length > m_size - offset)
        return false;
    return length == 0 || ReadAllAt(m_fd, m_base + offset, buffer, length);
}

bool CMappedTempFile::WriteAt(uint64_t offset, const void* data, uint64_t length)
{
    if (offset > m_size || length > m_size - offset)
        return false;
    return length == 0 || WriteAllAt(m_fd, m_base + offset, data, static_cast<size_t>(length));
}

bool CMappedTempFile::Resize(uint32_t size)
{
    if (size > m_size) {
        if (!Reserve(m_fd, m_base + size))
            return false;
    } else if (size < m_size) {
        int rc;
        do {
            rc = ftruncate(m_fd, static_cast<off_t>(m_base + size));
        } while (rc != 0 && errno == EINTR);
        if (rc != 0)
            return false;
    }
    m_size = size;
    return true;
}
