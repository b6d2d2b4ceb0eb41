#pragma once

#include <QString>

#include <cstdint>
#include <memory>

// A view of part of a sample store. It addresses exactly the byte that was
// asked for and unmaps itself when it goes. Move-only; private to one call.
class CMappedView
{
public:
    CMappedView() = default;
    CMappedView(void* mapBase, size_t mapLength, size_t lead, uint64_t size);
    CMappedView(CMappedView&& other) noexcept;
    CMappedView& operator=(CMappedView&& other) noexcept;
    CMappedView(const CMappedView&) = delete;
    CMappedView& operator=(const CMappedView&) = delete;
    ~CMappedView();

    uint8_t* data() const { return m_data; }
    uint64_t size() const { return m_size; }
    explicit operator bool() const { return m_data != nullptr; }

    void reset();

private:
    void* m_mapBase = nullptr;
    size_t m_mapLength = 0;
    uint8_t* m_data = nullptr;
    uint64_t m_size = 0;
};

// The sample store of one clip: a temporary file of fixed size of which each
// access maps only the bytes it needs. Files are named "~KELVO<n>.tmp" after a
// process-wide counter and live in a private folder of this process (mode 0700
// inside the system temp folder) that is removed when the process exits.
// Disk space is reserved at creation, so a full disk fails Create, never a
// later access. Views may be mapped from any thread.
class CMappedTempFile
{
public:
    // Returns none when the file cannot be created or its space reserved.
    static std::unique_ptr<CMappedTempFile> Create(uint32_t size);
    // Makes bytes [offset, offset + size) of the regular file at path a store
    // without copying them: the file is moved into the store folder (it is
    // gone from path then) and deleted with the store. None, with the file
    // left where it was, when it is no regular file, is shorter than that or
    // lies on another file system.
    static std::unique_ptr<CMappedTempFile> Adopt(const QString& path, uint64_t offset,
                                                  uint32_t size);
    ~CMappedTempFile(); // deletes the file

    CMappedTempFile(const CMappedTempFile&) = delete;
    CMappedTempFile& operator=(const CMappedTempFile&) = delete;

    // Maps [offset, offset + length). An empty view when the range is empty or
    // does not lie wholly inside the store.
    CMappedView MapView(uint64_t offset, uint64_t length) const;
    // Copies [offset, offset + length) out of or into the store without a
    // mapping (cheaper for small or scattered reads and for streaming). false
    // when the range does not lie wholly inside the store or the I/O fails.
    bool ReadAt(uint64_t offset, void* buffer, uint64_t length) const;
    bool WriteAt(uint64_t offset, const void* data, uint64_t length);
    // Changes the store's size: growing reserves the space, shrinking drops
    // the bytes past the new end. Only for a store no view of which is
    // mapped (one still being filled). false when the space cannot be had.
    bool Resize(uint32_t size);

    uint32_t GetSize() const { return m_size; }
    const QString& GetPath() const { return m_path; }
    // The alignment view offsets are rounded down to (the page size).
    uint32_t GetGranularity() const { return m_granularity; }

    // The private folder the stores of this process live in; created on first use.
    static QString StoreFolder();

private:
    CMappedTempFile(int fd, QString path, uint32_t size, uint64_t base = 0);

    int m_fd = -1;
    QString m_path;
    uint32_t m_size = 0;
    uint64_t m_base = 0; // where byte 0 of the store lies in its file (a header before it)
    uint32_t m_granularity = 0;
};
