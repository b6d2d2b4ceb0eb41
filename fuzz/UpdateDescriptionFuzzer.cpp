// The bytes as an update description: read, and every path it yields checked
// to stay inside the update folder.
#include "fuzz/FuzzInput.h"
#include "simple/UpdateDescription.h"

#include <QStringList>

#include <cstdint>
#include <cstdio>

namespace {

void CheckInside(const QString& path)
{
    FuzzInput::Check(!path.isEmpty() && !path.startsWith(u'/'), "relative path");
    FuzzInput::Check(!path.contains(u'\\'), "no backslash left");
    for (const QString& part : path.split(u'/'))
        FuzzInput::Check(!part.isEmpty() && part != "." && part != "..", "plain parts");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The reader's diagnostics would flood the log.
    return std::freopen("/dev/null", "w", stdout) ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CUpdateDescription description;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (description.LoadBytes(bytes) != CUpdateDescription::Status::Newer)
        return 0;
    FuzzInput::Check(CUpdateDescription::IsNewer(description.MajorVer(), description.SubVer()),
                     "newer");
    CheckInside(description.ExecApp());
    bool listed = false;
    for (const CUpdateDescription::File& file : description.Files()) {
        CheckInside(file.Path());
        FuzzInput::Check(!file.fileName.contains(u'/'), "a file name is one name");
        listed = listed || file.Path() == description.ExecApp();
    }
    FuzzInput::Check(listed, "the updater is a listed file");
    return 0;
}
