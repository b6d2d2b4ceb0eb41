#pragma once

#include <algorithm>

// The largest size or place a theme may give: a little more than the widest
// screen. Beyond it a theme asks for windows and images no screen shows.
constexpr int kThemeSizeLimit = 8192;

// A size or image coordinate read from a theme, held to what a screen can
// show, so that the controls' geometry sums cannot overflow and no drawing
// allocates for pixels nobody sees.
inline int ThemeSize(int value)
{
    return std::clamp(value, -kThemeSizeLimit, kThemeSizeLimit);
}
