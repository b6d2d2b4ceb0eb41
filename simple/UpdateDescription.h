#pragma once

#include <QString>

#include <vector>

// What an "update.xml" says, read and checked without touching the network or
// the disk beyond the description itself: the version, the declaration, the
// updater and the files, each as a path inside the update folder. Text is
// read as GBK, or as UTF-8 when the declaration names that encoding. Any
// thread; one object per use.
//
// A description is refused whole when a File lacks one of its attributes or
// when a FileName, Target or ExecApp could leave the update folder ("\" is
// read as "/" first; every part must be a plain name), or when ExecApp names
// none of the files.
class CUpdateDescription
{
public:
    // The program's own version, which the description must pass.
    static constexpr int kMajorVersion = 1;
    static constexpr int kSubVersion = 11;

    struct File
    {
        QString fileName;
        QString url;
        QString md5;
        QString folder; // relative to the update folder, "" or ending in "/"
        // folder + fileName
        QString Path() const { return folder + fileName; }
    };

    enum class Status {
        Unreadable, // not loaded, or a version element missing
        Current,    // not newer than this program
        Refused,    // newer, but unsafe or incomplete
        Newer,      // newer and usable: Files(), ExecApp(), Declare() hold
    };

    // Reads the description file.
    Status Load(const QString& path);
    // The same for the description's bytes.
    Status LoadBytes(const QByteArray& bytes);

    int MajorVer() const { return m_major; }
    int SubVer() const { return m_sub; }
    // Each "\r\n" written as backslash-r backslash-n becomes a line break.
    QString Declare() const { return m_declare; }
    // The updater, relative to the update folder; one of Files().
    QString ExecApp() const { return m_execApp; }
    const std::vector<File>& Files() const { return m_files; }

    static bool IsNewer(int major, int sub);
    // folder: a Target with "\" read as "/", parts plain names; false when
    // it could leave the update folder. The result is "" or ends in "/".
    static bool SafeFolder(const QString& target, QString* folder);
    // A FileName or ExecApp path ("\" read as "/") made of plain names.
    static bool SafeRelativePath(const QString& path, QString* normalised);

private:
    Status Read(class XmlDocument& document);

    int m_major = 0;
    int m_sub = 0;
    bool m_utf8 = false;
    QString m_declare;
    QString m_execApp;
    std::vector<File> m_files;
};
