#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into an end of the Qt event loops, so a
// logout or a kill ends the program through its normal exit, and the sample
// stores and working folder go with it. A second signal while that exit is
// still under way ends the process at once. One per process, created on the
// GUI thread after the application object.
class QuitOnSignals : public QObject
{
    Q_OBJECT
public:
    explicit QuitOnSignals(QObject* parent = nullptr);
    ~QuitOnSignals() override;

    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

    // False when the signals could not be taken (they keep their default).
    bool IsInstalled() const { return m_notifier != nullptr; }

private:
    void OnSignal();

    QSocketNotifier* m_notifier = nullptr;
};
