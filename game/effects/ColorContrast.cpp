#include "game/effects/ColorContrast.h"

#include <algorithm>
#include <cmath>

namespace ColorContrast {
namespace {

float Linear(irr::u32 channel)
{
    const float c = channel / 255.0f;
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

// Hue in degrees and saturation (0 to 1) of the HSV model.
void HueAndSaturation(irr::video::SColor color, float& hue, float& saturation)
{
    const float r = color.getRed() / 255.0f, g = color.getGreen() / 255.0f, b = color.getBlue() / 255.0f;
    const float high = std::max({r, g, b}), low = std::min({r, g, b});
    const float range = high - low;
    saturation = high > 0.0f ? range / high : 0.0f;
    hue = 0.0f;
    if (range <= 0.0f) return;
    if (high == r)
        hue = 60.0f * std::fmod((g - b) / range + 6.0f, 6.0f);
    else if (high == g)
        hue = 60.0f * ((b - r) / range + 2.0f);
    else
        hue = 60.0f * ((r - g) / range + 4.0f);
}

bool SameHue(irr::video::SColor a, irr::video::SColor b)
{
    constexpr float kGrey = 0.2f;      // saturation below which a color reads as grey
    constexpr float kHueGap = 30.0f;   // degrees of hue the eye needs at low contrast
    float hueA, satA, hueB, satB;
    HueAndSaturation(a, hueA, satA);
    HueAndSaturation(b, hueB, satB);
    if (satA < kGrey || satB < kGrey) return satA < kGrey && satB < kGrey;
    const float gap = std::fabs(hueA - hueB);
    return std::min(gap, 360.0f - gap) < kHueGap;
}

}  // namespace

float RelativeLuminance(irr::video::SColor color)
{
    return 0.2126f * Linear(color.getRed()) + 0.7152f * Linear(color.getGreen()) + 0.0722f * Linear(color.getBlue());
}

float ContrastRatio(irr::video::SColor a, irr::video::SColor b)
{
    const float la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05f) / (std::min(la, lb) + 0.05f);
}

bool TooClose(irr::video::SColor a, irr::video::SColor b)
{
    const float contrast = ContrastRatio(a, b);
    return contrast < kLeast || (contrast < 2.0f && SameHue(a, b));
}

}  // namespace ColorContrast

float PairContrast(const TOutlinePlan& plan, irr::video::SColor tank1, irr::video::SColor tank2)
{
    return std::max(ColorContrast::ContrastRatio(tank1, tank2),
                    ColorContrast::ContrastRatio(plan.Edge(0, tank1), plan.Edge(1, tank2)));
}

TOutlinePlan PlanOutlines(irr::video::SColor tank1, irr::video::SColor tank2, irr::video::SColor floor)
{
    using ColorContrast::ContrastRatio;
    using ColorContrast::TooClose;
    const irr::video::SColor body[2] = {tank1, tank2};
    const bool needed[2] = {TooClose(tank1, floor), TooClose(tank2, floor)};
    const bool pairClose = TooClose(tank1, tank2);

    // Choices per tank: no outline (-1) or one of nine greys from black to white.
    auto grey = [](int step) {
        const irr::u32 v = static_cast<irr::u32>(std::min(255, step * 32));
        return irr::video::SColor(255, v, v, v);
    };
    TOutlinePlan best;
    int bestCount = 3;
    float bestScore = 0.0f;
    for (int a = -1; a < 9; ++a) {
        for (int b = -1; b < 9; ++b) {
            TOutlinePlan plan;
            if (a >= 0) plan.outline[0] = grey(a);
            if (b >= 0) plan.outline[1] = grey(b);
            bool valid = true;
            float score = 1e9f;
            for (int i = 0; i < 2; ++i) {
                if (needed[i] && !plan.outline[i]) valid = false;
                if (!plan.outline[i]) continue;
                const irr::video::SColor edge = *plan.outline[i];
                if (TooClose(edge, floor)) valid = false;
                score = std::min(score, ContrastRatio(edge, floor));
            }
            if (pairClose) {
                const irr::video::SColor e0 = plan.Edge(0, body[0]), e1 = plan.Edge(1, body[1]);
                if (TooClose(e0, e1)) valid = false;
                score = std::min(score, ContrastRatio(e0, e1));
            }
            const int count = (a >= 0) + (b >= 0);
            if (!valid) continue;
            if (count < bestCount || (count == bestCount && score > bestScore)) {
                best = plan;
                bestCount = count;
                bestScore = score;
            }
        }
    }
    return best;
}
