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

float PairContrast(const TOutlinePlan& plan, int i, irr::video::SColor tankI, int j, irr::video::SColor tankJ)
{
    return std::max(ColorContrast::ContrastRatio(tankI, tankJ),
                    ColorContrast::ContrastRatio(plan.Edge(i, tankI), plan.Edge(j, tankJ)));
}

float PairContrast(const TOutlinePlan& plan, irr::video::SColor tank1, irr::video::SColor tank2)
{
    return PairContrast(plan, 0, tank1, 1, tank2);
}

TOutlinePlan PlanOutlines(const std::vector<irr::video::SColor>& tanks, irr::video::SColor floor)
{
    using ColorContrast::ContrastRatio;
    using ColorContrast::TooClose;
    const int n = static_cast<int>(std::min(tanks.size(), static_cast<size_t>(TOutlinePlan::kMaxTanks)));

    // Choices per tank: no outline (0) or one of nine greys from black to white (1 to 9).
    constexpr int kChoices = 10;
    auto edge = [&](int tank, int choice) {
        if (choice == 0) return tanks[tank];
        const irr::u32 v = static_cast<irr::u32>(std::min(255, (choice - 1) * 32));
        return irr::video::SColor(255, v, v, v);
    };
    // Everything the search asks, worked out once: each edge against the floor, and each
    // pair of edges of tanks whose bodies are too close.
    bool needed[TOutlinePlan::kMaxTanks];
    bool floorClose[TOutlinePlan::kMaxTanks][kChoices];
    float floorContrast[TOutlinePlan::kMaxTanks][kChoices];
    bool pairClose[TOutlinePlan::kMaxTanks][TOutlinePlan::kMaxTanks] = {};
    bool edgesClose[TOutlinePlan::kMaxTanks][kChoices][TOutlinePlan::kMaxTanks][kChoices];
    float edgesContrast[TOutlinePlan::kMaxTanks][kChoices][TOutlinePlan::kMaxTanks][kChoices];
    for (int i = 0; i < n; ++i) {
        needed[i] = TooClose(tanks[i], floor);
        for (int a = 0; a < kChoices; ++a) {
            floorClose[i][a] = TooClose(edge(i, a), floor);
            floorContrast[i][a] = ContrastRatio(edge(i, a), floor);
        }
        for (int j = i + 1; j < n; ++j) {
            pairClose[i][j] = TooClose(tanks[i], tanks[j]);
            if (!pairClose[i][j]) continue;
            for (int a = 0; a < kChoices; ++a)
                for (int b = 0; b < kChoices; ++b) {
                    edgesClose[i][a][j][b] = TooClose(edge(i, a), edge(j, b));
                    edgesContrast[i][a][j][b] = ContrastRatio(edge(i, a), edge(j, b));
                }
        }
    }

    // Every combination of choices, the first tank's changing slowest.
    int combinations = 1;
    for (int i = 0; i < n; ++i) combinations *= kChoices;
    TOutlinePlan best;
    int bestCount = n + 1;
    float bestScore = 0.0f;
    for (int code = 0; code < combinations; ++code) {
        int choice[TOutlinePlan::kMaxTanks] = {};
        for (int i = n - 1, rest = code; i >= 0; --i, rest /= kChoices) choice[i] = rest % kChoices;
        bool valid = true;
        float score = 1e9f;
        int count = 0;
        for (int i = 0; i < n && valid; ++i) {
            if (choice[i] == 0) {
                valid = !needed[i];
                continue;
            }
            ++count;
            valid = !floorClose[i][choice[i]];
            score = std::min(score, floorContrast[i][choice[i]]);
        }
        for (int i = 0; i < n && valid; ++i)
            for (int j = i + 1; j < n && valid; ++j) {
                if (!pairClose[i][j]) continue;
                valid = !edgesClose[i][choice[i]][j][choice[j]];
                score = std::min(score, edgesContrast[i][choice[i]][j][choice[j]]);
            }
        if (!valid) continue;
        if (count < bestCount || (count == bestCount && score > bestScore)) {
            best = TOutlinePlan();
            for (int i = 0; i < n; ++i)
                if (choice[i] > 0) best.outline[i] = edge(i, choice[i]);
            bestCount = count;
            bestScore = score;
        }
    }
    return best;
}

TOutlinePlan PlanOutlines(irr::video::SColor tank1, irr::video::SColor tank2, irr::video::SColor floor)
{
    return PlanOutlines(std::vector<irr::video::SColor>{tank1, tank2}, floor);
}
