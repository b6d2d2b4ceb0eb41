#pragma once

#include <cstdint>
#include <functional>

// A millisecond tick count that wraps like a 32-bit counter. Clocks that the
// programs run on (the play clock, the clock displays) take one, so tests can
// drive time by hand.
using TickSource = std::function<uint32_t()>;

// Milliseconds since the first call, from the monotonic clock.
TickSource SteadyTicks();
