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
    // Every color of every scheme, opaque: red, green, blue of "Arena", "Tank1", "Tank2", "Background".
    const int table[13][4][3] = {
        {{234, 143, 142}, {140, 42, 68}, {15, 25, 112}, {187, 212, 110}},
        {{255, 171, 173}, {165, 50, 166}, {56, 45, 181}, {225, 203, 56}},
        {{234, 170, 42}, {137, 212, 110}, {110, 121, 212}, {112, 16, 15}},
        {{235, 178, 0}, {170, 51, 31}, {29, 16, 254}, {102, 200, 1}},
        {{97, 208, 112}, {254, 109, 255}, {178, 210, 65}, {121, 69, 208}},
        {{146, 219, 255}, {255, 133, 133}, {170, 205, 55}, {8, 2, 129}},
        {{112, 197, 225}, {202, 107, 188}, {196, 194, 195}, {24, 98, 78}},
        {{245, 175, 172}, {202, 106, 143}, {64, 106, 186}, {237, 214, 156}},
        {{255, 164, 168}, {150, 0, 152}, {0, 0, 185}, {255, 235, 0}},
        {{107, 24, 156}, {214, 211, 66}, {181, 231, 115}, {41, 130, 107}},
        {{140, 146, 57}, {132, 203, 255}, {198, 89, 181}, {148, 28, 0}},
        {{173, 48, 140}, {222, 182, 82}, {181, 195, 90}, {24, 24, 165}},
        {{181, 109, 231}, {107, 105, 8}, {82, 125, 41}, {115, 231, 198}},
    };
    const char* keys[4] = {"Arena", "Tank1", "Tank2", "Background"};
    ASSERT_EQ(game.ColorSchemes.size(), 13u);
    for (int index = 0; index < 13; ++index) {
        for (int k = 0; k < 4; ++k) {
            const int* rgb = table[index][k];
            EXPECT_EQ(game.ColorSchemes[index]->GetColor(keys[k]), SColor(255, rgb[0], rgb[1], rgb[2]))
                << "scheme " << index << " \"" << keys[k] << "\"";
        }
    }
    EXPECT_THROW(game.ColorSchemes.front()->GetColor("Tank5"), std::invalid_argument);
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
