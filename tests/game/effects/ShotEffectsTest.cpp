// What a shot looks like in the match: a short flash at the muzzle that goes by itself, and
// a trail behind the flying shell that fades and narrows away from it.
#include <functional>

#include "tests/support/ArenaFixture.h"
#include "game/effects/GlowSprite.h"
#include "game/effects/ShellTrail.h"

using irr::core::vector3df;

namespace {

template <class T>
T* FindNode(irr::scene::ISceneNode* node, const std::function<bool(T*)>& wanted)
{
    if (auto* found = dynamic_cast<T*>(node); found && wanted(found)) return found;
    for (irr::scene::ISceneNode* child : node->getChildren())
        if (T* found = FindNode<T>(child, wanted)) return found;
    return nullptr;
}

}  // namespace

class ShotEffects : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        EnterArenaWithTanksInTheOpen();
    }
    TGlowSprite* Flash()
    {
        return FindNode<TGlowSprite>(arena->smgr->getRootSceneNode(), [](TGlowSprite* s) { return s->look.lifeMs > 0; });
    }
};

TEST_F(ShotEffects, AShotFlashesAtTheMuzzleForAFewFramesAndTheFlashGoes)
{
    auto tank = Tank("tank1");
    tank->Shoot(arena.get());
    Frame();
    TGlowSprite* flash = Flash();
    ASSERT_NE(flash, nullptr) << "no flash";
    // At the gun's end: ahead of the tank, not at its middle nor out with the shell.
    const vector3df ahead = flash->getAbsolutePosition() - tank->GetGlobalPosition();
    EXPECT_GT(ahead.Z, 0.4f);
    EXPECT_LT(ahead.getLength(), 2.5f);
    EXPECT_GT(flash->look.core.getLuminance(), 200.0f) << "a flash is bright";
    int frames = 1;
    while (Flash() && frames < 100) Frame(), ++frames;
    EXPECT_GE(frames * kFrameMs, 64) << "gone before it was seen";
    EXPECT_LE(frames * kFrameMs, 250) << "a flash that lingers";
}

TEST_F(ShotEffects, TheTrailFadesAndNarrowsAwayFromTheShell)
{
    Tank("tank1")->Shoot(arena.get());
    Frames(12);
    auto shell = Shell("tank1");
    ASSERT_NE(shell, nullptr);
    TShellTrail* trail = FindNode<TShellTrail>(shell->_node, [](TShellTrail*) { return true; });
    ASSERT_NE(trail, nullptr);
    TShellTrail::Vertices ribbon;
    irr::scene::ICameraSceneNode* camera = arena->smgr->getActiveCamera();
    ASSERT_NE(camera, nullptr);
    const size_t count = trail->Ribbon(camera, irr::core::recti(0, 0, 800, 600), ribbon);
    ASSERT_EQ(count, 2 * TShellTrail::kPoints);
    const vector3df at = shell->GetGlobalPosition();
    // Widths as the player sees them: on an 800x600 screen, in pixels.
    irr::core::matrix4 toScreen = camera->getProjectionMatrix() * camera->getViewMatrix();
    auto project = [&](const vector3df& p) {
        irr::f32 v[4] = {p.X, p.Y, p.Z, 1.0f};
        toScreen.multiplyWith1x4Matrix(v);
        return irr::core::vector2df(400.0f * v[0] / v[3], 300.0f * v[1] / v[3]);
    };
    auto pixelsAcross = [&](size_t i) { return project(ribbon[i].Pos).getDistanceFrom(project(ribbon[i + 1].Pos)); };
    float lastDistance = -1, lastWidth = 1e9f;
    int lastAlpha = 256;
    for (size_t i = 0; i < count; i += 2) {
        const vector3df middle = (ribbon[i].Pos + ribbon[i + 1].Pos) * 0.5f;
        const float distance = middle.getDistanceFrom(at), width = pixelsAcross(i);
        const int alpha = static_cast<int>(ribbon[i].Color.getAlpha());
        EXPECT_GT(distance, lastDistance) << "place " << i / 2 << " is not farther back";
        EXPECT_LT(alpha, lastAlpha) << "place " << i / 2;
        EXPECT_LE(width, lastWidth + 0.01f) << "place " << i / 2;
        lastDistance = distance, lastAlpha = alpha, lastWidth = width;
    }
    EXPECT_GT(ribbon[0].Color.getAlpha(), 150u) << "the trail starts strong at the shell";
    EXPECT_LT(ribbon[count - 1].Color.getAlpha(), 30u) << "and fades out at its tail";
    EXPECT_LT(lastWidth, 0.6f * pixelsAcross(0)) << "the tail is not narrower on the screen";
}
