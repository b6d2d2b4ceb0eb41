// The download link grammar on any link text: a valid link always names an
// http or https address and a name that is a plain file name.
#include "fuzz/FuzzInput.h"
#include "platform/FileNameRules.h"
#include "publish/DownloadLink.h"

#include <string>

using FuzzInput::Check;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzInput::KeepConvertersLoaded();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data),
                                           static_cast<qsizetype>(size));
    for (const QString& link : {text, QString(DownloadLink::kPrefix) + text}) {
        const DownloadLink parsed = DownloadLink::Parse(link);
        if (!parsed.valid)
            continue;
        Check(!parsed.url.empty(), "a valid link has an address");
        Check(parsed.name.isEmpty() || FileNameRules::IsPlainName(parsed.name),
              "the name is a plain file name");
        Check(!parsed.name.startsWith(u'.'), "the name is not hidden");
        Check(DownloadLink::PlainName(parsed.name) == parsed.name, "a plain name stays as it is");
    }
    return 0;
}
