#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

#include "framework/Clock.h"
#include "game/Vexmoor.h"

using irr::video::SColor;

namespace {

class ColorSchemeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock.Install();
        TGame::InitClassData();
        game = std::make_unique<TVexmoor>();
    }
    void TearDown() override
    {
        TGame::ReleaseClassData();
        game.reset();
        GameClock::SetSource(nullptr);
    }

    // The index selected, after checking that the clear color is that scheme's "Arena".
    int Select(int index)
    {
        game->SetCurrentColorScheme(index);
        EXPECT_EQ(game->CurrentColorScheme, game->ColorSchemes.at(game->ColorSchemeIdx));
        EXPECT_EQ(game->clsColor, std::optional<SColor>(game->CurrentColorScheme->GetColor("Arena")));
        return game->ColorSchemeIdx;
    }

    GameClock::ManualClock clock;
    std::unique_ptr<TVexmoor> game;
};

}  // namespace

TEST_F(ColorSchemeTest, TableHoldsThirteenOpaqueSchemesInIndexOrder)
{
    ASSERT_EQ(game->ColorSchemes.size(), 13u);
    auto& first = *game->ColorSchemes.front();
    EXPECT_EQ(first.GetColor("Arena"), SColor(255, 234, 143, 142));
    EXPECT_EQ(first.GetColor("Tank1"), SColor(255, 140, 42, 68));
    EXPECT_EQ(first.GetColor("Tank2"), SColor(255, 15, 25, 112));
    EXPECT_EQ(first.GetColor("Background"), SColor(255, 187, 212, 110));
    auto& sixth = *game->ColorSchemes[6];
    EXPECT_EQ(sixth.GetColor("Tank2"), SColor(255, 196, 194, 195));
    auto& last = *game->ColorSchemes.back();
    EXPECT_EQ(last.GetColor("Arena"), SColor(255, 181, 109, 231));
    EXPECT_EQ(last.GetColor("Tank1"), SColor(255, 107, 105, 8));
    EXPECT_EQ(last.GetColor("Tank2"), SColor(255, 82, 125, 41));
    EXPECT_EQ(last.GetColor("Background"), SColor(255, 115, 231, 198));
    std::set<irr::u32> arenas;
    for (const auto& scheme : game->ColorSchemes) {
        for (const char* key : {"Arena", "Tank1", "Tank2", "Background"})
            EXPECT_EQ(scheme->GetColor(key).getAlpha(), 255u) << key;
        arenas.insert(scheme->GetColor("Arena").color);
    }
    EXPECT_EQ(arenas.size(), 13u);
}

TEST_F(ColorSchemeTest, ConstructionPicksASchemeAndClearsToItsArenaColor)
{
    EXPECT_GE(game->ColorSchemeIdx, 0);
    EXPECT_LT(game->ColorSchemeIdx, 13);
    ASSERT_TRUE(game->clsColor.has_value());
    EXPECT_EQ(*game->clsColor, game->CurrentColorScheme->GetColor("Arena"));
}

TEST_F(ColorSchemeTest, IndexPastTheEndWrapsToTheFirstScheme)
{
    EXPECT_EQ(Select(13), 0);
    EXPECT_EQ(Select(12), 12);
    EXPECT_EQ(Select(game->ColorSchemeIdx + 1), 0);
}

TEST_F(ColorSchemeTest, NegativeIndexOtherThanMinusOneSelectsTheFirstScheme)
{
    Select(7);
    EXPECT_EQ(Select(-5), 0);
}

TEST_F(ColorSchemeTest, MinusOneSelectsARandomSchemeFromTheWholeTable)
{
    std::set<int> seen;
    for (int i = 0; i < 400; ++i) {
        const int index = Select(-1);
        ASSERT_GE(index, 0);
        ASSERT_LE(index, 12);
        seen.insert(index);
    }
    EXPECT_EQ(seen.size(), 13u);
}

TEST_F(ColorSchemeTest, CreateKeepsTheFourColorsAsGivenUnderTheirKeys)
{
    auto scheme = TColorScheme::Create(SColor(255, 1, 2, 3), SColor(255, 4, 5, 6), SColor(255, 7, 8, 9),
                                       SColor(10, 11, 12, 13));
    EXPECT_EQ(scheme->GetColor("Tank1"), SColor(255, 4, 5, 6));
    EXPECT_EQ(scheme->GetColor("Background"), SColor(10, 11, 12, 13));
    EXPECT_EQ(scheme->GameResources.Size(), 4u);
}

TEST_F(ColorSchemeTest, UnknownColorKeyIsAnError)
{
    EXPECT_THROW(game->CurrentColorScheme->GetColor("Tank3"), std::invalid_argument);
}

TEST(FadeColor, EachChannelStepsOneUnitTowardTheTarget)
{
    EXPECT_EQ(TColorScheme::FadeColor(SColor(255, 10, 200, 50), SColor(255, 12, 200, 40)),
              SColor(255, 11, 200, 49));
}

TEST(FadeColor, NoTargetFadesTowardBlack)
{
    EXPECT_EQ(TColorScheme::FadeColor(SColor(255, 10, 200, 50), std::nullopt), SColor(255, 9, 199, 49));
    EXPECT_EQ(TColorScheme::FadeColor(SColor(255, 0, 0, 0), std::nullopt), SColor(255, 0, 0, 0));
}

TEST(FadeColor, ResultIsOpaqueWhateverTheAlphas)
{
    EXPECT_EQ(TColorScheme::FadeColor(SColor(0, 10, 200, 50), SColor(0, 10, 200, 50)), SColor(255, 10, 200, 50));
}

TEST(FadeColor, ChannelsStopOnTheTargetAndReachItFromEitherSide)
{
    SColor color(255, 0, 255, 100);
    const SColor target(255, 3, 250, 100);
    for (int i = 0; i < 10; ++i) color = TColorScheme::FadeColor(color, target);
    EXPECT_EQ(color, target);
    EXPECT_EQ(TColorScheme::FadeColor(SColor(255, 255, 0, 1), SColor(255, 0, 255, 1)), SColor(255, 254, 1, 1));
}
