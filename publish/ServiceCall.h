#pragma once

#include "publish/ServiceProtocol.h"

#include <QObject>

#include <string>
#include <thread>

// What one service request brought back.
struct ServiceReply
{
    bool sent = false;    // the send's result
    std::string response; // the reply body as it came
    std::string charset;  // the form client's response charset
};

// Sends one service request at a time through the form client on a worker
// thread, so a dialog waiting for the service keeps painting and answering
// the window system; the reply comes back as Finished on the thread that
// owns this object (the GUI thread). A request is bounded by the form
// client's connect and stall timeouts; it cannot be called off half-way.
class CServiceCall : public QObject
{
    Q_OBJECT
public:
    explicit CServiceCall(QObject* parent = nullptr);
    // Waits for a request still running, so no worker outlives its window.
    ~CServiceCall() override;

    // Starts the request; false (and nothing sent) while one is running.
    bool Start(ServiceRequest request);
    bool IsBusy() const { return m_busy; }
    // The last finished request's outcome.
    const ServiceReply& Reply() const { return m_reply; }

signals:
    // The request has ended; Reply() holds its outcome.
    void Finished();

private:
    void Deliver(ServiceReply reply);

    std::thread m_worker;
    bool m_busy = false;
    ServiceReply m_reply;
};
