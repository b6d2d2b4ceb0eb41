#include "platform/TickClock.h"

#include <QElapsedTimer>

TickSource SteadyTicks()
{
    return [] {
        static const QElapsedTimer started = [] {
            QElapsedTimer timer;
            timer.start();
            return timer;
        }();
        return static_cast<uint32_t>(started.elapsed());
    };
}
