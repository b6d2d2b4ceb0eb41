#pragma once

#include "publish/ServiceProtocol.h"

#include <QObject>

#include <memory>
#include <string>
#include <thread>

class RequestCancel;

// What one service request brought back.
struct ServiceReply
{
    bool sent = false;    // the send's result
    std::string response; // the reply body as it came
    std::string charset;  // the form client's response charset
    long status = 0;      // the reply's HTTP status; 0 when none came
};

// Sends one service request at a time through the form client on a worker
// thread, so a dialog waiting for the service keeps painting and answering
// the window system; the reply comes back as Finished on the thread that
// owns this object (the GUI thread). A request is bounded by the form
// client's timeouts, and Abandon calls it off at once.
class CServiceCall : public QObject
{
    Q_OBJECT
public:
    explicit CServiceCall(QObject* parent = nullptr);
    // Calls off a request still running and waits for its worker, so no
    // worker outlives its window.
    ~CServiceCall() override;

    // Starts the request; false (and nothing sent) while one is running.
    bool Start(ServiceRequest request);
    // Calls off the running request: it is no longer busy at once, and its
    // result, should it still arrive, is dropped. Nothing when none runs.
    void Abandon();
    bool IsBusy() const { return m_busy; }
    // The last finished request's outcome.
    const ServiceReply& Reply() const { return m_reply; }

signals:
    // The request has ended; Reply() holds its outcome.
    void Finished();

private:
    void Deliver(unsigned request, ServiceReply reply);
    void JoinWorker();

    std::thread m_worker;
    std::shared_ptr<RequestCancel> m_cancel;
    // Numbers the requests, so a reply posted by an abandoned one is known.
    unsigned m_request = 0;
    bool m_busy = false;
    ServiceReply m_reply;
};
