#include "publish/ServiceCall.h"

#include "publish/HTTPFormClient.h"
#include "publish/RequestCancel.h"

#include <utility>

CServiceCall::CServiceCall(QObject* parent) : QObject(parent) {}

CServiceCall::~CServiceCall()
{
    // A reply posted to this object but not yet delivered is dropped with it.
    if (m_cancel)
        m_cancel->Cancel();
    JoinWorker();
}

void CServiceCall::JoinWorker()
{
    if (m_worker.joinable())
        m_worker.join();
}

bool CServiceCall::Start(ServiceRequest request)
{
    if (m_busy)
        return false;
    // An abandoned request was called off; its worker ends at once.
    JoinWorker();
    m_busy = true;
    m_cancel = std::make_shared<RequestCancel>();
    const unsigned number = ++m_request;
    m_worker = std::thread([this, number, cancel = m_cancel, request = std::move(request)]() {
        CHTTPFormClient client;
        client.SetCancel(cancel);
        ServiceReply reply;
        reply.sent = SendServiceRequest(client, request);
        reply.response = client.GetResponse();
        reply.charset = client.GetResponseCharset();
        reply.status = client.GetStatus();
        QMetaObject::invokeMethod(
            this,
            [this, number, reply = std::move(reply)]() mutable {
                Deliver(number, std::move(reply));
            },
            Qt::QueuedConnection);
    });
    return true;
}

void CServiceCall::Abandon()
{
    if (!m_busy)
        return;
    m_cancel->Cancel();
    ++m_request;
    m_busy = false;
}

void CServiceCall::Deliver(unsigned request, ServiceReply reply)
{
    if (request != m_request || !m_busy)
        return;
    // The worker posted this as its last act, so it ends at once.
    JoinWorker();
    m_reply = std::move(reply);
    m_busy = false;
    emit Finished();
}
