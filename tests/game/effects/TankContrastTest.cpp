// Every scheme, on entry and after every F12 step: the two tanks, with their outlines
// where shown, stand out from each other and from the floor, and a shown outline rims its tank.
#include <algorithm>
#include <cmath>
#include <string>

#include "game/effects/BattlefieldEffects.h"
#include "tests/support/ArenaFixture.h"
#include "tests/support/Contrast.h"

using irr::video::SColor;

namespace {

constexpr int kF12 = 123;
constexpr int kSchemes = 13;

SColor Opaque(SColor c)
{
    c.setAlpha(255);
    return c;
}

SColor FirstVertexColor(irr::scene::ISceneNode* node)
{
    irr::scene::IMesh* mesh = static_cast<irr::scene::IMeshSceneNode*>(node)->getMesh();
    return Opaque(static_cast<irr::video::S3DVertex*>(mesh->getMeshBuffer(0)->getVertices())[0].Color);
}

// Hues within 30 degrees of each other (HSV), or both greys.
bool SameHueFamily(SColor a, SColor b)
{
    auto hueAndSaturation = [](SColor c, double& hue, double& saturation) {
        const double r = c.getRed() / 255.0, g = c.getGreen() / 255.0, b = c.getBlue() / 255.0;
        const double high = std::max({r, g, b}), low = std::min({r, g, b});
        saturation = high > 0 ? (high - low) / high : 0;
        hue = high == low ? 0 : high == r ? std::fmod(60 * (g - b) / (high - low) + 360, 360)
                              : high == g ? 60 * (b - r) / (high - low) + 120
                                          : 60 * (r - g) / (high - low) + 240;
    };
    double hueA, satA, hueB, satB;
    hueAndSaturation(a, hueA, satA);
    hueAndSaturation(b, hueB, satB);
    if (satA < 0.2 || satB < 0.2) return satA < 0.2 && satB < 0.2;
    const double gap = std::fabs(hueA - hueB);
    return std::min(gap, 360 - gap) < 30;
}

}  // namespace

class TankContrast : public ArenaTest {
protected:
    // What meets the floor round a tank: its outline where shown, else its own color.
    SColor Edge(const std::string& key)
    {
        auto tank = Tank(key);
        irr::scene::ISceneNode* outline = ChildAt(tank->_node, 0);
        return outline->isVisible() ? FirstVertexColor(outline) : Opaque(FirstVertexColor(tank->_node));
    }
    int Outlines()
    {
        int shown = 0;
        for (const char* key : {"tank1", "tank2"}) shown += ChildAt(Tank(key)->_node, 0)->isVisible();
        return shown;
    }
};

TEST_F(TankContrast, TanksStandOutFromEachOtherAndTheFloorInEverySchemeAndEveryF12Step)
{
    int outlined = 0;
    for (int scheme = 0; scheme < kSchemes; ++scheme) {
        game->SetCurrentColorScheme(scheme);
        EnterArena();
        for (int step = 0; step <= kSchemes; ++step) {
            SCOPED_TRACE("entered with scheme " + std::to_string(scheme) + ", F12 pressed " + std::to_string(step) +
                         " times");
            if (step > 0) Tap(kF12);
            Frame();
            const SColor floor = *game->clsColor;
            const SColor body1 = Opaque(Tank("tank1")->color), body2 = Opaque(Tank("tank2")->color);
            const SColor edge1 = Edge("tank1"), edge2 = Edge("tank2");
            EXPECT_GE(std::max(WcagContrast(body1, body2), WcagContrast(edge1, edge2)), 1.5);
            EXPECT_GE(WcagContrast(edge1, floor), 1.5);
            EXPECT_GE(WcagContrast(edge2, floor), 1.5);
            // An outline only where the colors call for it: never where every pair is 2:1 apart.
            if (WcagContrast(body1, body2) >= 2.0 && WcagContrast(body1, floor) >= 2.0 &&
                WcagContrast(body2, floor) >= 2.0) {
                EXPECT_EQ(Outlines(), 0);
            }
            // A shown outline rims its tank: larger than the hull all round.
            for (const char* key : {"tank1", "tank2"}) {
                irr::scene::ISceneNode* outline = ChildAt(Tank(key)->_node, 0);
                if (!outline->isVisible()) continue;
                const irr::core::vector3df hull = Tank(key)->_node->getTransformedBoundingBox().getExtent();
                const irr::core::vector3df rim = outline->getTransformedBoundingBox().getExtent();
                EXPECT_GT(rim.X, hull.X * 1.05f) << key;
                EXPECT_GT(rim.Z, hull.Z * 1.05f) << key;
                EXPECT_LT(rim.X, hull.X * 1.3f) << key << ": a halo, not a rim";
            }
            outlined += Outlines() > 0;
        }
        TGame::SetGameState("TitleScreen");
    }
    EXPECT_GT(outlined, 0);
}

TEST_F(TankContrast, InvisibleTanksShowNoOutlineAndGetItBackWhenSeenAgain)
{
    game->SetCurrentColorScheme(11);  // tanks 1.00 apart: one of them wears an outline
    EnterArenaWithoutDrivers();
    Frame();
    ASSERT_GT(Outlines(), 0);
    arena->SetInvisibleTanks(0);
    Frame();
    EXPECT_EQ(Outlines(), 0);
    arena->SetInvisibleTanks(1);
    Frame();
    EXPECT_GT(Outlines(), 0);
}

// Four tanks in every scheme: each in its team's hue, each (by body or by outline) apart
// from the floor and from each of the other three.
TEST_F(TankContrast, FourTanksStandOutFromEachOtherAndTheFloorInEveryScheme)
{
    const char* const keys[4] = {"tank1", "tank2", "tank3", "tank4"};
    int outlined = 0;
    for (int scheme = 0; scheme < kSchemes; ++scheme) {
        SCOPED_TRACE("scheme " + std::to_string(scheme));
        game->SetCurrentColorScheme(scheme);
        EnterArenaWithoutDrivers();
        arena->LoadBoxyTank("tank3", "Tank3");
        arena->LoadSleekTank("tank4", "Tank4");
        arena->slots = {0, 1, 2, 3};
        BattlefieldEffects::OnColorsChanged(*arena);
        Frame();
        const SColor floor = *game->clsColor;
        // Teams share a hue family: tank3 with tank2 (player 1), tank4 with tank1 (player 2).
        EXPECT_TRUE(SameHueFamily(Opaque(Tank("tank3")->color), Opaque(Tank("tank2")->color)));
        EXPECT_TRUE(SameHueFamily(Opaque(Tank("tank4")->color), Opaque(Tank("tank1")->color)));
        for (int i = 0; i < 4; ++i) {
            const SColor bodyI = Opaque(Tank(keys[i])->color), edgeI = Edge(keys[i]);
            EXPECT_GE(WcagContrast(edgeI, floor), 1.5) << keys[i] << " on the floor";
            for (int j = i + 1; j < 4; ++j) {
                const SColor bodyJ = Opaque(Tank(keys[j])->color), edgeJ = Edge(keys[j]);
                EXPECT_GE(std::max(WcagContrast(bodyI, bodyJ), WcagContrast(edgeI, edgeJ)), 1.5)
                    << keys[i] << " and " << keys[j];
            }
            outlined += ChildAt(Tank(keys[i])->_node, 0)->isVisible();
        }
        TGame::SetGameState("TitleScreen");
    }
    EXPECT_GT(outlined, 0);
}
