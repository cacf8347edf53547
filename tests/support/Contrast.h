// The tests' own measure of how two colors tell apart: the contrast ratio of WCAG 2.0,
// worked out here from its published formula rather than taken from the game's code.
#pragma once

#include <irrlicht.h>

#include <algorithm>
#include <cmath>

inline double WcagLuminance(irr::video::SColor c)
{
    auto linear = [](unsigned v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.getRed()) + 0.7152 * linear(c.getGreen()) + 0.0722 * linear(c.getBlue());
}

inline double WcagContrast(irr::video::SColor a, irr::video::SColor b)
{
    const double la = WcagLuminance(a), lb = WcagLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
