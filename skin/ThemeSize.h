#pragma once

#include <algorithm>

// A size or image coordinate read from a theme, held to a range no real theme
// leaves, so that the controls' geometry sums cannot overflow.
inline int ThemeSize(int value)
{
    constexpr int kLimit = 1 << 16;
    return std::clamp(value, -kLimit, kLimit);
}
