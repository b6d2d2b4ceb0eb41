#pragma once

#include "platform/TickClock.h"

#include <cstdint>

// A millisecond clock driven by hand: tests move now and tick the code under test.
struct FakeTicks
{
    uint32_t now = 100000;
    TickSource Source()
    {
        return [this] { return now; };
    }
};
