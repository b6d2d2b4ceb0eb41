#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <string>

// Runs the stand-in ring service (tools/ring-service) on a free loopback port
// for one test: started in the constructor, stopped in the destructor. Its
// data, recorded bodies and request log live in a temporary folder.
class RingServiceFixture
{
public:
    RingServiceFixture();
    ~RingServiceFixture();
    RingServiceFixture(const RingServiceFixture&) = delete;
    RingServiceFixture& operator=(const RingServiceFixture&) = delete;

    bool IsRunning() const { return m_port > 0; }
    QString StartError() const { return m_startError; }
    int Port() const { return m_port; }
    // "127.0.0.1:port", the form ZUVO_SERVICE_HOST takes.
    std::string HostPort() const;
    // "http://127.0.0.1:port/zuvo/" + path.
    std::string Url(const std::string& path) const;
    QString DataDir() const { return m_dir.path(); }

    // The request log, one object per request, oldest first.
    QList<QJsonObject> Log() const;
    // The last logged request to path ("/zuvo/..." or "/update/...").
    QJsonObject LastRequest(const QString& path) const;
    // Every logged request to path, oldest first.
    QList<QJsonObject> RequestsTo(const QString& path) const;
    // The file the stand-in kept of the named part ("upload", "vox") of the
    // last request to path; empty when there is none.
    QString SavedPart(const QString& path, const QString& part) const;
    // The raw body of a logged request (needs a body; bodies are recorded).
    QByteArray RecordedBody(const QJsonObject& request) const;
    // The verification code last issued for mobile.
    QString CodeFor(const QString& mobile) const;

    struct HttpReply
    {
        int status = 0;  // 0: no reply
        QByteArray head; // status line and headers
        QByteArray body;
    };
    // A plain GET of pathAndQuery over its own socket, past the code under test.
    HttpReply Get(const QByteArray& pathAndQuery) const;

    // POSTs body as JSON to /_control/<what> over a plain socket; the reply
    // object, or an empty one on failure.
    QJsonObject Control(const QString& what, const QJsonObject& body = {}) const;
    // Replaces the scripted replies with the given rules.
    bool Script(const QJsonArray& rules) const;

private:
    HttpReply Exchange(const QByteArray& request) const;

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_process;
    int m_port = 0;
    QString m_startError;
};
