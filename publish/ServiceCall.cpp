#include "publish/ServiceCall.h"

#include "publish/HTTPFormClient.h"

#include <utility>

CServiceCall::CServiceCall(QObject* parent) : QObject(parent) {}

CServiceCall::~CServiceCall()
{
    // A reply posted to this object but not yet delivered is dropped with it.
    if (m_worker.joinable())
        m_worker.join();
}

bool CServiceCall::Start(ServiceRequest request)
{
    if (m_busy)
        return false;
    if (m_worker.joinable())
        m_worker.join();
    m_busy = true;
    m_worker = std::thread([this, request = std::move(request)]() {
        CHTTPFormClient client;
        ServiceReply reply;
        reply.sent = SendServiceRequest(client, request);
        reply.response = client.GetResponse();
        reply.charset = client.GetResponseCharset();
        QMetaObject::invokeMethod(
            this, [this, reply = std::move(reply)]() mutable { Deliver(std::move(reply)); },
            Qt::QueuedConnection);
    });
    return true;
}

void CServiceCall::Deliver(ServiceReply reply)
{
    // The worker posted this as its last act, so it ends at once.
    if (m_worker.joinable())
        m_worker.join();
    m_reply = std::move(reply);
    m_busy = false;
    emit Finished();
}
