#pragma once

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

// One update check, run on a worker: fetches the update description into the
// update folder, and when it names a newer version fetches every listed file
// that is not current (verified by its MD5 before it replaces the old copy),
// asks the user, and starts the updater from inside the update folder. Every
// failure ends the check quietly. No widgets: the caller supplies the
// download, the question (which must run on the GUI thread) and the start.
//
// Files land under a temporary name in their folder and are renamed into
// place only once complete and verified, so a cut or wrong download leaves
// the previous copy. Only the updater gets the execute bit, and only once the
// user agreed.
class CUpdateCheck
{
public:
    // Downloads url into the new file localPath (at most maxBytes, 0 for no
    // limit); name is the file's own name (the description's, or FileName).
    // True only for a complete body. It should end soon once cancelled
    // becomes true. Worker thread.
    using Fetch =
        std::function<bool(const QString& url, const QString& name, const QString& localPath,
                           int64_t maxBytes, const std::atomic<bool>& cancelled)>;
    // Asks whether to update: the plain question when declare is empty, else
    // the declaration. True when the user agreed. Called on the worker; it
    // must bring the question onto the GUI thread and wait for the answer.
    using Ask = std::function<bool(const QString& declare)>;
    // Starts program with no arguments in workingFolder; true when it started.
    using Start = std::function<bool(const QString& program, const QString& workingFolder)>;
    // Calls a running fetch off at once, from any thread (optional).
    using Stop = std::function<void()>;

    struct Hooks
    {
        Fetch fetch;
        Ask ask;
        Start start;
        Stop stop;
    };

    enum class Outcome {
        NoDescription, // the description did not download or read
        Current,       // nothing newer
        Refused,       // newer, but the description is unsafe or incomplete
        FetchFailed,
        Mismatch, // a downloaded file's digest differs (an empty file too)
        Cancelled,
        Declined,
        StartFailed,
        Started,
    };

    // The description is capped: it is a few kilobytes.
    static constexpr int64_t kMaxDescriptionBytes = 1 << 20;
    // So is each listed file: a program or a file that goes with it, far
    // smaller than this. A longer body fails the check.
    static constexpr int64_t kMaxFileBytes = int64_t(128) << 20;

    // updateFolder ends in "/" and exists.
    CUpdateCheck(QString updateFolder, QString descriptionUrl, Hooks hooks);

    // Worker thread; once.
    Outcome Run();
    // Any thread: a running fetch is stopped and the check ends at its next
    // step, asking nothing.
    void Cancel();
    bool IsCancelled() const { return m_cancelled; }

    // The file's MD5 as 32 upper-case hex digits; empty for a file that
    // cannot be read, is not a regular file or holds no bytes.
    static QString FileMd5(const QString& path);
    // True when the file has a digest and it is md5, byte for byte.
    static bool Matches(const QString& path, const QString& md5);

private:
    // Downloads into a temporary name beside path, then renames it over path
    // when its digest is md5 (not checked for a null md5). False with failure
    // set otherwise; nothing is left behind.
    bool FetchInto(const QString& url, const QString& name, const QString& path,
                   const QString* md5, int64_t maxBytes, Outcome* failure);

    QString m_folder;
    QString m_descriptionUrl;
    Hooks m_hooks;
    std::atomic<bool> m_cancelled{false};
};
