#pragma once

#include <QString>

#include <string>

// The links of the service's pages that offer material:
// "http://down=" + URL [+ "&" ... "=" + name]. Pure text work, any thread.
struct DownloadLink
{
    static constexpr const char* kPrefix = "http://down=";

    bool valid = false;
    std::string url; // what to fetch (http or https)
    QString name;    // a plain file name, never a path; empty when none is left

    // The text after the prefix, with every "http//" written "http://". When
    // it holds "&": the URL is the text before the last "&" and the name the
    // text after the last "="; otherwise the URL is the whole text and the
    // name its last path element. The name is URL-decoded and read as UTF-8
    // (what is not UTF-8 or not GBK text becomes '?'), then made a plain
    // name: control characters and '"' dropped, separators and ".."
    // components removed, leading dots and blanks dropped, at most 120
    // characters. Invalid: a link without the prefix, or one that names a
    // scheme other than http or https.
    static DownloadLink Parse(const QString& link);
    // The same rules for a name alone.
    static QString PlainName(const QString& name);
};
