#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class CMainFrame;
class IMessageSink;
class SingleInstance;

// Brevanta's start-up and shutdown: the command-line switches, the data
// folder, the single-instance guard and the main frame. GUI thread only.
class CBrevantaApp : public QObject
{
    Q_OBJECT
public:
    enum class Start {
        Run,      // the frame is up: run the event loop
        ExitOk,   // a switch was handled or another instance was raised
        ExitFail  // start-up failed and the user was told
    };

    explicit CBrevantaApp(IMessageSink& messages, QObject* parent = nullptr);
    ~CBrevantaApp() override;

    // args excludes the program name.
    Start InitInstance(const QStringList& args);
    // Returns the exit code to end the process with.
    int ExitInstance(int loopResult);

    // Both end with "/". Set by InitInstance; read-only afterwards.
    const QString& GetExeFolder() const { return m_exeFolder; }
    const QString& GetDataFolder() const { return m_dataFolder; }

    CMainFrame* MainFrame() const { return m_frame.get(); }

    void OnAppAbout();

    static const char* const kInstanceName;

private:
    IMessageSink& m_messages;
    QString m_exeFolder;
    QString m_dataFolder;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<CMainFrame> m_frame;
};
