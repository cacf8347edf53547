// How well two colors tell apart (WCAG relative luminance contrast and hue), and which
// tank outlines a pair of tank colors needs on a given floor.
#pragma once

#include <irrlicht.h>

#include <optional>
#include <vector>

namespace ColorContrast {

// Relative luminance of an sRGB color, 0 (black) to 1 (white).
float RelativeLuminance(irr::video::SColor color);
// (lighter + 0.05) / (darker + 0.05): 1 for equal luminance, 21 for black on white.
float ContrastRatio(irr::video::SColor a, irr::video::SColor b);
// Under 1.5, or under 2 while both are of about the same hue (or both grey).
bool TooClose(irr::video::SColor a, irr::video::SColor b);

constexpr float kLeast = 1.5f;  // the contrast every pair on the battlefield keeps at least

}  // namespace ColorContrast

// The outlines of up to four tanks, in the order their colors were planned for (the duel:
// [0] is "tank1", [1] "tank2"); none where not needed.
struct TOutlinePlan {
    static constexpr int kMaxTanks = 4;
    std::optional<irr::video::SColor> outline[kMaxTanks];

    // What meets the floor round tank i: its outline where shown, else its body.
    irr::video::SColor Edge(int i, irr::video::SColor body) const { return outline[i].value_or(body); }
};

// A tank whose color is too close to the floor gets an outline that stands out from the
// floor; where two tanks are too close to each other, one (or both) gets an outline that
// tells it from the other. Outlines are greys; the fewest outlines that do the job are
// chosen, and of those the ones with the most contrast. Colors past kMaxTanks are ignored.
TOutlinePlan PlanOutlines(const std::vector<irr::video::SColor>& tanks, irr::video::SColor floor);
TOutlinePlan PlanOutlines(irr::video::SColor tank1, irr::video::SColor tank2, irr::video::SColor floor);

// The contrast the player sees between the two tanks: of their bodies or of their edges,
// whichever is larger.
float PairContrast(const TOutlinePlan& plan, irr::video::SColor tank1, irr::video::SColor tank2);
// The same for tanks i and j of a plan.
float PairContrast(const TOutlinePlan& plan, int i, irr::video::SColor tankI, int j, irr::video::SColor tankJ);
