#include "ScreenFixture.h"

namespace {

struct Expected {
    const wchar_t* text;
    int y;
};

class TitleScreenTest : public ScreenTest {
protected:
    // Entries are centered on the screen, sized to their text in "fnt_28".
    void ExpectEntry(irr::gui::IGUIStaticText* entry, const wchar_t* text, int y, int screenWidth)
    {
        ASSERT_NE(entry, nullptr) << text;
        irr::gui::IGUIFont* font = Font("fnt_28");
        const irr::core::dimension2d<irr::u32> size = font->getDimension(text);
        const int x = screenWidth / 2 - static_cast<int>(size.Width) / 2;
        EXPECT_EQ(entry->getRelativePosition(),
                  irr::core::recti(x, y, x + static_cast<int>(size.Width), y + static_cast<int>(size.Height)))
            << text;
        EXPECT_EQ(std::wstring(entry->getText()), text);
        EXPECT_EQ(entry->getOverrideFont(), font);
        EXPECT_EQ(entry->getParent(), title->guienv->getRootGUIElement());
        EXPECT_FALSE(entry->isDrawBorderEnabled());
        EXPECT_FALSE(entry->isWordWrapEnabled());
        EXPECT_FALSE(entry->isDrawBackgroundEnabled());
    }

    int Idx() const { return game->ColorSchemeIdx; }
    static int Next(int idx) { return (idx + 1) % 13; }
};

}  // namespace

TEST_F(TitleScreenTest, EntriesStandAt200_350_425OnAn800x600Screen)
{
    StartAtTitle();
    ExpectEntry(title->start, L"START GAME", 200, 800);
    ExpectEntry(title->credits, L"CREDITS", 350, 800);
    ExpectEntry(title->quit, L"QUIT GAME", 425, 800);
    EXPECT_EQ(title->start->getID(), 101);
    EXPECT_EQ(title->credits->getID(), 103);
    EXPECT_EQ(title->quit->getID(), 104);
    EXPECT_EQ(title->options, nullptr);
    EXPECT_EQ(title->guienv->getRootGUIElement()->getChildren().size(), 3u);
}

TEST_F(TitleScreenTest, EachEntryScalesThePreviousScaledPositionAgain)
{
    // 1024x768: SY(200) = 256, SY(256 + 75) = 423, SY(423 + 75) = 637, SY(637 + 75) = 911.
    StartAtTitle(1024, 768);
    ExpectEntry(title->start, L"START GAME", 256, 1024);
    ExpectEntry(title->credits, L"CREDITS", 637, 1024);
    ExpectEntry(title->quit, L"QUIT GAME", 911, 1024);
}

TEST_F(TitleScreenTest, NameIsDrawnCenteredIn36PointInTheBackgroundColor)
{
    auto drawn = std::make_shared<Drawn<TVexmoorGameTitleScreen>>();
    title = drawn;
    StartAtTitle(1024, 768);
    const DrawnText* name = drawn->Find(L"Vexmoor");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->font, Font("fnt_36"));
    EXPECT_EQ(name->color, Scheme("Background"));
    EXPECT_EQ(name->x, 512 - static_cast<int>(Font("fnt_36")->getDimension(L"Vexmoor").Width) / 2);
    EXPECT_EQ(name->y, 64);
}

TEST_F(TitleScreenTest, HoveredEntryLightsUpAndPlaysTheHoverSoundOnItsOwnChannel)
{
    StartAtTitle();
    auto sound = HoverSound();
    ASSERT_NE(sound, nullptr);
    const std::shared_ptr<TChannel> channel = sound->channel;
    EXPECT_EQ(ColorOf(title->start), Scheme("Background"));

    PointAt(title->start);
    EXPECT_EQ(title->mouse_on, 101);
    EXPECT_EQ(ColorOf(title->start), Scheme("Tank2"));
    EXPECT_EQ(ColorOf(title->credits), Scheme("Background"));
    EXPECT_EQ(sound->channel, channel);
    EXPECT_TRUE(channel->Playing());

    PointAt(title->quit);
    EXPECT_EQ(title->mouse_on, 104);
    EXPECT_EQ(ColorOf(title->start), Scheme("Background"));
    EXPECT_EQ(ColorOf(title->quit), Scheme("Tank2"));
    EXPECT_EQ(sound->channel, channel) << "a new hover restarts the one channel";

    MoveMouse(5, 5);
    EXPECT_EQ(title->mouse_on, -1);
    EXPECT_EQ(ColorOf(title->quit), Scheme("Background"));
}

TEST_F(TitleScreenTest, ClickOnAnEntryAsksForItsState)
{
    StartAtTitle();
    PointAt(title->start);
    Click();
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Current(), "Arena");

    TGame::SetGameState("TitleScreen");
    PointAt(title->credits);
    Click();
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Current(), "CreditsScreen");
}

TEST_F(TitleScreenTest, QuitGameEndsTheMainLoop)
{
    StartAtTitle();
    PointAt(title->quit);
    Click();
    EXPECT_FALSE(Frame());
    EXPECT_EQ(TGame::GetCurrentGameState(), nullptr);
    EXPECT_EQ(title->start, nullptr) << "leaving clears the menu";
}

TEST_F(TitleScreenTest, ClickAwayFromTheEntriesIsDroppedAndDoesNotFireLater)
{
    StartAtTitle();
    MoveMouse(20, 20);
    Click();
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Current(), "TitleScreen");
    PointAt(title->start);
    Frames(2);
    EXPECT_EQ(Current(), "TitleScreen");
    EXPECT_EQ(title->mouse_on, 101);
}

TEST_F(TitleScreenTest, IdsWithoutEntriesStillLeadToTheOptionsAndStartScreens)
{
    // No entry carries 102 or 105 here; an element that does shows where they lead.
    StartAtTitle();
    irr::gui::IGUIElement* extra =
        title->guienv->addStaticText(L"OPTIONS", irr::core::recti(10, 10, 100, 40), false, false, nullptr, 102);
    PointAt(extra);
    Click();
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Current(), "OptionsScreen");

    TGame::SetGameState("TitleScreen");
    extra = title->guienv->addStaticText(L"START", irr::core::recti(10, 10, 100, 40), false, false, nullptr, 105);
    PointAt(extra);
    Click();
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Current(), "StartScreen");
}

TEST_F(TitleScreenTest, ColorsChangeByThemselvesOnceMoreThanFiveSecondsHavePassed)
{
    StartGame();
    const int before = Idx();
    clock.Advance(500);
    Frame();
    Frame();  // the first title frame: the last change is long ago
    EXPECT_EQ(Idx(), Next(before));
    EXPECT_EQ(*game->clsColor, Scheme("Arena"));
    EXPECT_EQ(ColorOf(title->start), Scheme("Background"));

    clock.Advance(5000);
    Frame();
    EXPECT_EQ(Idx(), Next(before));
    clock.Advance(1);
    Frame();
    EXPECT_EQ(Idx(), Next(Next(before)));
    EXPECT_EQ(ColorOf(title->credits), Scheme("Background"));
}

TEST_F(TitleScreenTest, F12StepsTheColorsAndEndsTheAutomaticChangeForGood)
{
    StartAtTitle();
    const int before = Idx();
    TapKey(irr::KEY_F12);
    Frame();
    EXPECT_EQ(Idx(), Next(before));
    EXPECT_EQ(title->auto_cycle_colors, 0);

    clock.Advance(20000);
    Frames(3);
    EXPECT_EQ(Idx(), Next(before));

    // Off to the credits and back: still no automatic change.
    PointAt(title->credits);
    Click();
    Frame();
    ASSERT_EQ(Current(), "CreditsScreen");
    PointAt(credits->back);
    Click();
    Frame();
    ASSERT_EQ(Current(), "TitleScreen");
    clock.Advance(20000);
    Frames(3);
    EXPECT_EQ(Idx(), Next(before));

    TapKey(irr::KEY_F12);
    Frame();
    EXPECT_EQ(Idx(), Next(Next(before)));
}

TEST_F(TitleScreenTest, HoveredEntryKeepsItsLightThroughAnAutomaticChange)
{
    StartAtTitle();
    PointAt(title->credits);
    auto sound = HoverSound();
    ASSERT_NE(sound, nullptr);
    sound->channel->Stop();
    ASSERT_FALSE(sound->channel->Playing());

    const int before = Idx();
    clock.Advance(5001);
    Frame();
    ASSERT_EQ(Idx(), Next(before));
    EXPECT_EQ(title->mouse_on, 103);
    EXPECT_EQ(ColorOf(title->credits), Scheme("Tank2"));
    EXPECT_EQ(ColorOf(title->start), Scheme("Background"));
    EXPECT_EQ(ColorOf(title->quit), Scheme("Background"));
    EXPECT_TRUE(sound->channel->Playing()) << "the lit entry sounds again";

    Click();
    Frame();
    EXPECT_EQ(Current(), "CreditsScreen");
}
