#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running instance per user and name. The first process listens on a
// local socket named after the instance name; a later process finds it live,
// asks it to bring its window forward and ends. A socket left by a process
// that was killed answers nobody: it is removed and the new process takes over.
// GUI thread only.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Result {
        Primary,        // this process holds the name
        AnotherRunning, // a live peer holds it and was asked to raise its window
        Unavailable     // the socket could not be set up; run without the guard
    };

    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;

    Result Claim();

    // Full path of the socket, in the user's runtime folder.
    QString SocketPath() const;

signals:
    // A later process asked this one to restore and raise its main window.
    void raiseRequested();

private:
    void OnNewConnection();

    QString m_name;
    QLocalServer* m_server = nullptr;
};
