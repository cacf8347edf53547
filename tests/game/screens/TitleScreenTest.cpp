#include "ScreenFixture.h"

namespace {

class TitleScreenTest : public ScreenTest {
protected:
    // Entries are sized to their text in "fnt_28" and centered on the screen.
    void ExpectEntry(irr::gui::IGUIStaticText* entry, const wchar_t* text, int y, int screenWidth)
    {
        ASSERT_NE(entry, nullptr) << text;
        const irr::core::dimension2d<irr::u32> size = Font("fnt_28")->getDimension(text);
        const int x = screenWidth / 2 - static_cast<int>(size.Width) / 2;
        EXPECT_EQ(entry->getRelativePosition(),
                  irr::core::recti(x, y, x + static_cast<int>(size.Width), y + static_cast<int>(size.Height)));
        EXPECT_EQ(std::wstring(entry->getText()), text);
        EXPECT_EQ(entry->getOverrideFont(), Font("fnt_28"));
    }
    irr::video::SColor ColorOf(irr::gui::IGUIStaticText* entry) { return entry->getOverrideColor(); }
    int Idx() const { return game->ColorSchemeIdx; }
    static int Next(int idx) { return (idx + 1) % 13; }
};

}  // namespace

TEST_F(TitleScreenTest, EntriesStandAt200_265_330_395_460_525OnAn800x600Screen)
{
    StartAtTitle();
    ExpectEntry(title->start, L"START GAME", 200, 800);
    ExpectEntry(title->setup, L"MATCH SETUP", 265, 800);
    ExpectEntry(title->replays, L"REPLAYS", 330, 800);
    ExpectEntry(title->options, L"OPTIONS", 395, 800);
    ExpectEntry(title->credits, L"CREDITS", 460, 800);
    ExpectEntry(title->quit, L"QUIT GAME", 525, 800);
    EXPECT_EQ(title->guienv->getRootGUIElement()->getChildren().size(), 6u);
    EXPECT_EQ(title->options->getID(), 102);
    EXPECT_EQ(title->setup->getID(), 105);
    EXPECT_EQ(title->replays->getID(), 106);
}

TEST_F(TitleScreenTest, EntriesAreScaledOnceSoAllStayOnATallerScreen)
{
    // 1024x768: SY(200) = 256, SY(265) = 339, SY(330) = 422, SY(395) = 505, SY(460) = 588,
    // SY(525) = 672.
    StartAtTitle(1024, 768);
    ExpectEntry(title->start, L"START GAME", 256, 1024);
    ExpectEntry(title->setup, L"MATCH SETUP", 339, 1024);
    ExpectEntry(title->replays, L"REPLAYS", 422, 1024);
    ExpectEntry(title->options, L"OPTIONS", 505, 1024);
    ExpectEntry(title->credits, L"CREDITS", 588, 1024);
    ExpectEntry(title->quit, L"QUIT GAME", 672, 1024);
    EXPECT_LE(title->quit->getAbsolutePosition().LowerRightCorner.Y, 768);
}

TEST_F(TitleScreenTest, HoveredEntryLightsUpAndPlaysTheHoverSoundOnItsKeptChannel)
{
    StartAtTitle();
    auto sound = HoverSound();
    ASSERT_NE(sound, nullptr);
    const std::shared_ptr<TChannel> channel = sound->channel;
    PointAt(title->start);
    EXPECT_EQ(ColorOf(title->start), Scheme("Tank2"));
    EXPECT_EQ(ColorOf(title->credits), Scheme("Background"));
    EXPECT_TRUE(channel->Playing());
    PointAt(title->quit);
    EXPECT_EQ(ColorOf(title->start), Scheme("Background"));
    EXPECT_EQ(ColorOf(title->quit), Scheme("Tank2"));
    EXPECT_EQ(sound->channel, channel) << "a new hover restarts the one channel";
    MoveMouse(5, 5);
    EXPECT_EQ(ColorOf(title->quit), Scheme("Background"));
    EXPECT_EQ(title->mouse_on, -1);
}

TEST_F(TitleScreenTest, ClickOnAnEntryAsksForItsStateAndQuitEndsTheLoop)
{
    StartAtTitle();
    PointAt(title->start);
    Click();
    Frames();
    EXPECT_EQ(Current(), "Arena");
    TGame::SetGameState("TitleScreen");
    PointAt(title->options);
    EXPECT_EQ(ColorOf(title->options), Scheme("Tank2"));
    EXPECT_EQ(title->mouse_on, 102);
    Click();
    Frames();
    EXPECT_EQ(Current(), "OptionsScreen");
    TGame::SetGameState("TitleScreen");
    PointAt(title->credits);
    Click();
    Frames();
    EXPECT_EQ(Current(), "CreditsScreen");
    TGame::SetGameState("TitleScreen");
    PointAt(title->setup);
    Click();
    Frames();
    EXPECT_EQ(Current(), "StartScreen");
    TGame::SetGameState("TitleScreen");
    PointAt(title->replays);
    Click();
    Frames();
    EXPECT_EQ(Current(), "ReplaysScreen");
    TGame::SetGameState("TitleScreen");
    PointAt(title->quit);
    Click();
    EXPECT_FALSE(game->RunFrame());
    EXPECT_EQ(TGame::GetCurrentGameState(), nullptr);
}

TEST_F(TitleScreenTest, ClickAwayFromTheEntriesIsDroppedAndDoesNotFireLater)
{
    StartAtTitle();
    MoveMouse(20, 20);
    Click();
    Frames();
    PointAt(title->start);
    Frames(2);
    EXPECT_EQ(Current(), "TitleScreen");
}

TEST_F(TitleScreenTest, ColorsChangeByThemselvesOnceMoreThanFiveSecondsHavePassed)
{
    StartGame();
    const int first = Idx();
    clock.Advance(500);
    Frames(2);  // the first title frame: the last change is long past
    EXPECT_EQ(Idx(), Next(first));
    clock.Advance(5000);
    Frames();
    EXPECT_EQ(Idx(), Next(first));
    clock.Advance(1);
    Frames();
    EXPECT_EQ(Idx(), Next(Next(first)));
    EXPECT_EQ(game->clsColor, std::optional<irr::video::SColor>(Scheme("Arena")));
    EXPECT_EQ(ColorOf(title->credits), Scheme("Background"));
}

TEST_F(TitleScreenTest, F12StepsTheColorsAndEndsTheAutomaticChangeForGood)
{
    StartAtTitle();
    const int before = Idx();
    TapKey(irr::KEY_F12);
    Frames();
    EXPECT_EQ(Idx(), Next(before));
    clock.Advance(20000);
    Frames(3);
    EXPECT_EQ(Idx(), Next(before));

    PointAt(title->credits);  // to the credits and back
    Click();
    Frames();
    PointAt(credits->back);
    Click();
    Frames();
    ASSERT_EQ(Current(), "TitleScreen");
    clock.Advance(20000);
    Frames(3);
    EXPECT_EQ(Idx(), Next(before));
    TapKey(irr::KEY_F12);
    Frames();
    EXPECT_EQ(Idx(), Next(Next(before)));
}

TEST_F(TitleScreenTest, HoveredEntryKeepsItsLightAndSoundsAgainThroughAnAutomaticChange)
{
    StartAtTitle();
    PointAt(title->credits);
    auto sound = SilencedHoverSound();
    ASSERT_NE(sound, nullptr);
    clock.Advance(5001);
    Frames();
    EXPECT_EQ(ColorOf(title->credits), Scheme("Tank2"));
    EXPECT_EQ(ColorOf(title->start), Scheme("Background"));
    EXPECT_EQ(ColorOf(title->quit), Scheme("Background"));
    EXPECT_TRUE(sound->channel->Playing());
    Click();
    Frames();
    EXPECT_EQ(Current(), "CreditsScreen");
}
