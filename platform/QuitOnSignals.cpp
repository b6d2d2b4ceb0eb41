#include "platform/QuitOnSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <iterator>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler only writes a byte; the event loop does the rest.
int g_pipe[2] = {-1, -1};

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
bool g_taken[std::size(kSignals)] = {};

extern "C" void OnTerminationSignal(int number)
{
    const char byte = static_cast<char>(number);
    const int saved = errno;
    [[maybe_unused]] const ssize_t written = write(g_pipe[0], &byte, 1);
    errno = saved;
}

} // namespace

QuitOnSignals::QuitOnSignals(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] >= 0)
        return;
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitOnSignals::OnSignal);
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Once taken, a signal has its default again: a second one ends the
    // process even when the orderly exit is stuck.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        // A signal ignored from the start (nohup) stays ignored.
        struct sigaction old = {};
        if (sigaction(kSignals[i], nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        g_taken[i] = sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

QuitOnSignals::~QuitOnSignals()
{
    if (!m_notifier)
        return;
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        if (g_taken[i])
            std::signal(kSignals[i], SIG_DFL);
        g_taken[i] = false;
    }
    delete m_notifier;
    m_notifier = nullptr;
    close(g_pipe[0]);
    close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void QuitOnSignals::OnSignal()
{
    char bytes[16];
    int number = 0;
    for (ssize_t got; (got = read(g_pipe[1], bytes, sizeof bytes)) > 0;)
        number = bytes[got - 1];
    // Every event loop ends, question boxes included: nobody is there to
    // answer them. Windows get no close event, so none asks. The status is
    // the shell's for a process ended by that signal.
    QCoreApplication::exit(128 + number);
}
