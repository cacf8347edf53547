// Every scheme, on entry and after every F12 step: the two tanks, with their outlines
// where shown, stand out from each other and from the floor, and a shown outline rims its tank.
#include <string>

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
