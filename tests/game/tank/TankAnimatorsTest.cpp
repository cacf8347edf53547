// The tank animators: holding the height, keeping the distance from the other tank, the
// death with its spin, slide, sound and respawn, and showing an invisible tank that fires.
#include <cmath>

#include "tests/support/ArenaFixture.h"
#include "sound/Sound.h"

using irr::core::vector3df;

namespace {

// A scene-node object that counts the positions set on it.
class CountingObject : public TNodeGameObject {
public:
    int SetPosition(const vector3df& v) override
    {
        ++positionsSet;
        return TNodeGameObject::SetPosition(v);
    }
    int positionsSet = 0;
};

}  // namespace

class MaintainY : public ArenaTest {
protected:
    void SetUp() override
    {
        ArenaTest::SetUp();
        EnterArenaWithoutDrivers();
        Frame();
    }
};

TEST_F(MaintainY, PullsTheTankBackToItsHeightInTheNextFrame)
{
    auto tank = Tank("tank2");
    auto hold = std::dynamic_pointer_cast<MaintainTankY>(tank->GetAnimator("maintain_y"));
    ASSERT_NE(hold, nullptr);
    EXPECT_EQ(hold->setY, 0.0f) << "the height the tank was loaded at";
    hold->setY = 0.5f;
    Place("tank2", vector3df(3, 0.7f, 5), 0);
    Frame();
    EXPECT_TRUE(tank->GetPosition().equals(vector3df(3, 0.5f, 5), 0.0f));
    EXPECT_EQ(tank->GetPosition().Y, 0.5f);
}

TEST_F(MaintainY, ComparesExactly)
{
    auto tank = Tank("tank2");
    auto hold = std::dynamic_pointer_cast<MaintainTankY>(tank->GetAnimator("maintain_y"));
    hold->setY = 0.5f;
    Place("tank2", vector3df(3, std::nextafter(0.5f, 1.0f), 5), 0);
    // Run on its own: the collision sweep that follows in a frame rounds to the ellipsoid's
    // scale and may land a step of a float off.
    hold->OnAnimate(tank.get(), 0);
    EXPECT_EQ(tank->GetPosition().Y, 0.5f) << "the smallest difference counts";
}

TEST_F(MaintainY, LeavesATankAtItsHeightAlone)
{
    auto object = std::make_shared<CountingObject>();
    arena->AddGameObject("probe", object);
    object->SetNodeObject(arena->smgr->addEmptySceneNode());
    object->SetPosition(vector3df(3, 0.5f, 5));
    object->positionsSet = 0;
    MaintainTankY hold;
    hold.setY = 0.5f;
    hold.OnAnimate(object.get(), 0);
    EXPECT_EQ(object->positionsSet, 0);
    object->SetPosition(vector3df(3, 0.7f, 5));
    object->positionsSet = 0;
    hold.OnAnimate(object.get(), 0);
    EXPECT_EQ(object->positionsSet, 1);
    EXPECT_TRUE(object->GetPosition().equals(vector3df(3, 0.5f, 5), 0.0f));
}

class MinimumDistance : public MaintainY {
protected:
    // Puts "tank1" at x on the line through "tank2" at the origin, then runs its animator.
    void StepTo(float x)
    {
        tank1->_node->setPosition(vector3df(x, 0, 0));
        tank1->_node->updateAbsolutePosition();
        distance->OnAnimate(tank1.get(), static_cast<int>(clock.Now()));
    }
    void SetUp() override
    {
        MaintainY::SetUp();
        tank1 = Tank("tank1");
        auto tank2 = Tank("tank2");
        tank2->_node->setPosition(vector3df(0, 0, 0));
        tank2->_node->updateAbsolutePosition();
        distance = std::dynamic_pointer_cast<TankMinimumDistanceAnimator>(tank1->GetAnimator("min_dist_anim"));
        ASSERT_NE(distance, nullptr);
        ASSERT_EQ(distance->distance, 1.25f);
    }
    std::shared_ptr<TTank> tank1;
    std::shared_ptr<TankMinimumDistanceAnimator> distance;
};

TEST_F(MinimumDistance, TooCloseGoesBackToTheLastFarEnoughPosition)
{
    StepTo(3.0f);
    StepTo(2.0f);
    StepTo(1.26f);
    EXPECT_TRUE(tank1->GetPosition().equals(vector3df(1.26f, 0, 0), 0.0f)) << "farther than 1.25 is fine";
    StepTo(1.25f);
    EXPECT_TRUE(tank1->GetPosition().equals(vector3df(1.26f, 0, 0), 0.0f)) << "1.25 is too close";
    StepTo(0.5f);
    EXPECT_TRUE(tank1->GetPosition().equals(vector3df(1.26f, 0, 0), 0.0f));
}

TEST_F(MinimumDistance, TooCloseBeforeAnyFarEnoughPositionStaysPut)
{
    auto fresh = TankMinimumDistanceAnimator::Create("tank2");
    tank1->AddAnimator("min_dist_anim", fresh);
    distance = fresh;
    StepTo(1.0f);
    EXPECT_TRUE(tank1->GetPosition().equals(vector3df(1.0f, 0, 0), 0.0f));
    StepTo(2.0f);
    StepTo(1.0f);
    EXPECT_TRUE(tank1->GetPosition().equals(vector3df(2.0f, 0, 0), 0.0f));
}

TEST_F(MinimumDistance, TanksDrivenAtEachOtherStopWithinAStepEachOfTheLimit)
{
    // Two tanks in the open, nose to nose, both driving on. The engine's collision takes
    // the other tank as standing still, and the tanks' short noses meet no ellipsoid before
    // the limit does, so only this animator keeps them apart; each tank's runs before its
    // own move, so the two may close in by one step each after the check.
    Place("tank2", vector3df(-2.5f, 0, 7), 90);
    Place("tank1", vector3df(2.5f, 0, 7), -90);
    Tank("tank1")->Start();
    Tank("tank2")->Start();
    const float step = Tank("tank1")->max_speed * 16.0f / (1000.0f / 60.0f);
    for (int i = 0; i < 120; ++i) {
        Frame();
        const float d = Tank("tank1")->GetDistanceFrom(Tank("tank2")->GetGlobalPosition());
        ASSERT_GT(d, 1.25f - 2.0f * step - 1e-4f) << "frame " << i;
        ASSERT_LT(Tank("tank2")->GetPosition().X, Tank("tank1")->GetPosition().X) << "never through each other";
    }
}

class TankDeath : public MaintainY {
protected:
    void SetUp() override
    {
        MaintainY::SetUp();
        tank = Tank("tank1");
        // As a shell hit does it: both tanks stopped, the victim dies.
        arena->SetTanksDisabled(1);
        tank->Die(vector3df(-1, 0.3f, 0));
        die = std::dynamic_pointer_cast<TankDieAnimator>(tank->GetAnimator("die_anim"));
        ASSERT_NE(die, nullptr);
    }
    std::shared_ptr<TTank> tank;
    std::shared_ptr<TankDieAnimator> die;
};

TEST_F(TankDeath, SlidesHorizontallyAlongTheHitAndSpins)
{
    EXPECT_TRUE(die->hit_from.equals(vector3df(-1, 0, 0)));
    const vector3df before = tank->GetPosition();
    const float yawBefore = tank->GetRotation().Y;
    Frame();
    const float f = TGame::Framerate->speedfactor;
    EXPECT_TRUE((tank->GetPosition() - before).equals(vector3df(-0.5f * f, 0, 0), 1e-4f));
    float turned = std::fmod(tank->GetRotation().Y - yawBefore + 720.0f, 360.0f);
    EXPECT_NEAR(turned, 100.0f * f, 0.05f);
}

TEST_F(TankDeath, EndsInTheFirstFrameMoreThan750msAfterItsStart)
{
    Frame();  // the death starts with this frame's time
    const uint32_t start = clock.Now();
    while (clock.Now() + kFrameMs - start <= 750) {
        Frame();
        ASSERT_NE(tank->GetAnimator("die_anim"), nullptr) << clock.Now() - start << " ms";
        ASSERT_EQ(arena->GetFlag("tanks_disabled"), 1);
        ASSERT_TRUE(arena->respawn.empty());
    }
    Frame();
    EXPECT_GT(clock.Now() - start, 750u);
    EXPECT_EQ(tank->GetAnimator("die_anim"), nullptr) << "gone after the frame";
    EXPECT_EQ(arena->GetFlag("tanks_disabled"), 0);
    EXPECT_EQ(tank->IsDisabled(), 0);
    EXPECT_EQ(Tank("tank2")->IsDisabled(), 0);
    ASSERT_EQ(arena->respawn.size(), 1u);
    EXPECT_EQ(arena->respawn.front(), "tank1");

    Frame();  // the next pre-update moves it to a respawn point
    EXPECT_TRUE(arena->respawn.empty());
    bool onPoint = false;
    for (const vector3df& point : ArenaObject()->respawn_points)
        onPoint = onPoint || tank->GetPosition().equals(point, 1e-4f);
    EXPECT_TRUE(onPoint) << tank->GetPosition().X << ", " << tank->GetPosition().Z;
}

TEST_F(TankDeath, DeathSoundPlaysAtHalfVolumeEvenWhenTheTanksAreMuted)
{
    // Heard in the mix: the sound device is replaced by one the test listens to, and the
    // tank dies again on it.
    ListenToTheMix();
    arena->SetTanksVolume(0);
    Frame();
    EXPECT_LT(MixPeak(0.3f), kSilence) << "the muted engines";
    tank->Die(vector3df(0, 0, 1));
    die = std::dynamic_pointer_cast<TankDieAnimator>(tank->GetAnimator("die_anim"));
    ASSERT_NE(die->die_channel, nullptr) << "media/die_2.ogg did not load";
    EXPECT_FLOAT_EQ(die->die_channel->GetVolume(), 0.5f);
    Frame();
    const float heard = MixPeak(die->die->GetDuration() + 0.1f);
    EXPECT_GT(heard, 0.01f);
    // The same sound at full volume, from its start: twice as loud.
    die->die->Play(nullptr);
    const float full = MixPeak(die->die->GetDuration() + 0.1f);
    EXPECT_NEAR(heard / full, 0.5f, 0.02f);
}

TEST_F(TankDeath, StillDyingAtExactly750msAndOverAt751)
{
    // The last step is a millisecond: shorter than a match's shortest update, allowed here.
    arena->minUpdateMs = 0;
    Frame();  // the death starts with this frame's time
    const uint32_t start = clock.Now();
    Frames(46);
    FrameAfter(static_cast<int>(start + 750 - clock.Now()));
    ASSERT_EQ(clock.Now() - start, 750u);
    EXPECT_NE(tank->GetAnimator("die_anim"), nullptr) << "750 ms is not more than 750 ms";
    EXPECT_TRUE(arena->respawn.empty());
    EXPECT_EQ(arena->GetFlag("tanks_disabled"), 1);
    FrameAfter(1);
    EXPECT_EQ(tank->GetAnimator("die_anim"), nullptr);
    ASSERT_EQ(arena->respawn.size(), 1u);
    EXPECT_EQ(arena->GetFlag("tanks_disabled"), 0);
}

class InvisibleTankFiring : public MaintainY {
protected:
    std::shared_ptr<TTank> tank;
    void SetUp() override
    {
        MaintainY::SetUp();
        tank = Tank("tank1");
        // In the open, away from the walls: the shell flies its whole time.
        Place("tank1", vector3df(0, 0, 40), 0);
        Place("tank2", vector3df(0, 0, -40), 0);
    }
};

TEST_F(InvisibleTankFiring, ShowsWhileItsShellFliesThenHidesAgain)
{
    arena->SetInvisibleTanks(0);
    ASSERT_EQ(tank->IsVisible(), 0);
    tank->Shoot(arena.get());
    ASSERT_NE(tank->GetAnimator("vis_anim"), nullptr);
    int shown = 0;
    while (tank->GetShell()) {
        Frame();
        if (tank->GetShell()) {
            EXPECT_EQ(tank->IsVisible(), 1);
            ++shown;
        }
        ASSERT_LT(shown, 100);
    }
    EXPECT_GT(shown, 50);
    Frame();  // the frame that finds the shell gone
    EXPECT_EQ(tank->IsVisible(), 0);
    Frame();
    EXPECT_EQ(tank->GetAnimator("vis_anim"), nullptr);
    EXPECT_EQ(tank->IsVisible(), 0);
}

TEST_F(InvisibleTankFiring, HidesAgainWhateverTheSettingBecameMeanwhile)
{
    arena->SetInvisibleTanks(0);
    tank->Shoot(arena.get());
    Frames(5);
    arena->SetInvisibleTanks(1);
    ASSERT_TRUE(FramesUntil([&] { return tank->GetAnimator("vis_anim") == nullptr; }, 100));
    EXPECT_EQ(tank->IsVisible(), 0);
}

TEST_F(InvisibleTankFiring, VisibleTankFiresWithoutTheAnimator)
{
    tank->Shoot(arena.get());
    EXPECT_EQ(tank->GetAnimator("vis_anim"), nullptr);
}
