#include "publish/OnGui.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

void OnGui(QObject* context, const std::atomic<bool>& closing, const std::function<void()>& f)
{
    if (closing)
        return;
    if (QThread::currentThread() == context->thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(
        context,
        [&closing, &f] {
            if (!closing)
                f();
        },
        Qt::BlockingQueuedConnection);
}
