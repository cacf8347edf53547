#include <gtest/gtest.h>

#include <set>

#include "framework/Clock.h"
#include "game/Vexmoor.h"

using irr::video::SColor;

namespace {

class ColorSchemeTest : public ::testing::Test {
protected:
    void SetUp() override { TGame::InitClassData(); }
    void TearDown() override { TGame::ReleaseClassData(); }

    // The index selected, after checking that the game clears to that scheme's "Arena".
    int Select(int index)
    {
        game.SetCurrentColorScheme(index);
        EXPECT_EQ(game.CurrentColorScheme, game.ColorSchemes.at(game.ColorSchemeIdx));
        EXPECT_EQ(game.clsColor, std::optional<SColor>(game.CurrentColorScheme->GetColor("Arena")));
        return game.ColorSchemeIdx;
    }

    TVexmoor game;
};

}  // namespace

TEST_F(ColorSchemeTest, TableHoldsTheThirteenSchemesInIndexOrder)
{
    ASSERT_EQ(game.ColorSchemes.size(), 13u);
    auto& first = *game.ColorSchemes.front();
    EXPECT_EQ(first.GetColor("Arena"), SColor(255, 234, 143, 142));
    EXPECT_EQ(first.GetColor("Tank1"), SColor(255, 140, 42, 68));
    EXPECT_EQ(first.GetColor("Tank2"), SColor(255, 15, 25, 112));
    EXPECT_EQ(first.GetColor("Background"), SColor(255, 187, 212, 110));
    EXPECT_EQ(game.ColorSchemes[6]->GetColor("Tank2"), SColor(255, 196, 194, 195));
    EXPECT_EQ(game.ColorSchemes.back()->GetColor("Background"), SColor(255, 115, 231, 198));
    EXPECT_THROW(first.GetColor("Tank3"), std::invalid_argument);
}

TEST_F(ColorSchemeTest, IndexOutsideTheTableSelectsTheFirstAndMinusOneARandomScheme)
{
    EXPECT_EQ(Select(13), 0);
    EXPECT_EQ(Select(12), 12);
    EXPECT_EQ(Select(-5), 0);
    std::set<int> seen;
    for (int i = 0; i < 400; ++i) seen.insert(Select(-1));
    EXPECT_EQ(seen.size(), 13u);
    EXPECT_GE(*seen.begin(), 0);
    EXPECT_LE(*seen.rbegin(), 12);
}

TEST(FadeColor, ChannelsStepOneUnitTowardTheTargetOrBlackAndComeBackOpaque)
{
    EXPECT_EQ(TColorScheme::FadeColor(SColor(255, 10, 200, 50), SColor(255, 12, 200, 40)), SColor(255, 11, 200, 49));
    EXPECT_EQ(TColorScheme::FadeColor(SColor(255, 10, 200, 50), std::nullopt), SColor(255, 9, 199, 49));
    EXPECT_EQ(TColorScheme::FadeColor(SColor(0, 10, 200, 50), SColor(0, 10, 200, 50)), SColor(255, 10, 200, 50));
    SColor color(255, 0, 255, 100);
    for (int i = 0; i < 10; ++i) color = TColorScheme::FadeColor(color, SColor(255, 3, 250, 100));
    EXPECT_EQ(color, SColor(255, 3, 250, 100));
}
