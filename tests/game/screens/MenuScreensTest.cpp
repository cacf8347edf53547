#include "ScreenFixture.h"

namespace {

// Opens a screen with its "BACK"/"EXIT" entry; the options and start screens have no way
// in from the title's entries, the credits are opened from the title.
class MenuScreensTest : public ScreenTest {
protected:
    void Open(const std::string& name)
    {
        StartAtTitle();
        if (name == "CreditsScreen") {
            PointAt(title->credits);
            Click();
        } else {
            TGame::SetGameState(name);
        }
        Frames();
        ASSERT_EQ(Current(), name);
    }
    // A scheme whose colors differ from the current one's.
    void ChangeScheme() { game->SetCurrentColorScheme(game->ColorSchemeIdx + 5); }
};

}  // namespace

// The options screen plays no hover sound; the others do.
class BackEntryTest : public MenuScreensTest, public ::testing::WithParamInterface<const char*> {
protected:
    irr::gui::IGUIStaticText* Entry(const std::string& screen)
    {
        if (screen == "CreditsScreen") return credits->back;
        if (screen == "OptionsScreen") return options->back;
        return startScreen->back;
    }
};

TEST_P(BackEntryTest, ClickOnItReturnsToTheTitleAndAClickAwayIsDropped)
{
    const std::string screen = GetParam();
    Open(screen);
    irr::gui::IGUIStaticText* entry = Entry(screen);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::wstring(entry->getText()), screen == "StartScreen" ? L"EXIT" : L"BACK");
    auto sound = SilencedHoverSound();
    ASSERT_NE(sound, nullptr);
    MoveMouse(300, 300);
    Click();
    Frames();
    PointAt(entry);
    EXPECT_EQ(entry->getOverrideColor(), Scheme("Tank2"));
    EXPECT_EQ(sound->channel->Playing() != 0, screen != "OptionsScreen");
    Frames();
    EXPECT_EQ(Current(), screen);
    Click();
    Frames();
    EXPECT_EQ(Current(), "TitleScreen");
}

INSTANTIATE_TEST_SUITE_P(Screens, BackEntryTest, ::testing::Values("CreditsScreen", "OptionsScreen", "StartScreen"));

TEST_F(MenuScreensTest, CreditsLinesAreCenteredAndFitTheScreen)
{
    auto drawn = std::make_shared<Drawn<TVexmoorGameCreditsScreen>>();
    credits = drawn;
    Open("CreditsScreen");
    Frames();
    // Each line's font, color and height, in drawing order; the headings' texts are fixed.
    struct Line {
        const wchar_t* heading;  // null for a name line
        const char* font;
        const char* color;
        int y;
    };
    const Line layout[] = {
        {L"CREDITS", "fnt_36", "Background", 50},
        {L"PROGRAMMING & DESIGN", "fnt_18", "Background", 150},
        {nullptr, "fnt_12", "Tank2", 185},
        {L"ORIGINAL ARTWORK", "fnt_18", "Background", 220},
        {nullptr, "fnt_12", "Tank2", 255},
        {nullptr, "fnt_12", "Tank2", 280},
        {L"Special Thanks", "fnt_18", "Background", 315},
        {nullptr, "fnt_12", "Tank2", 350},
        {nullptr, "fnt_12", "Tank2", 375},
        {nullptr, "fnt_12", "Tank2", 400},
        {nullptr, "fnt_12", "Tank2", 425},
    };
    ASSERT_EQ(drawn->texts.size(), 11u);
    for (size_t i = 0; i < drawn->texts.size(); ++i) {
        const auto& line = drawn->texts[i];
        SCOPED_TRACE("line " + std::to_string(i + 1));
        if (layout[i].heading) {
            EXPECT_EQ(line.text, layout[i].heading);
        }
        EXPECT_FALSE(line.text.empty());
        EXPECT_EQ(line.font, Font(layout[i].font));
        EXPECT_EQ(line.color, Scheme(layout[i].color));
        EXPECT_EQ(line.y, layout[i].y);
        const int width = static_cast<int>(line.font->getDimension(line.text.c_str()).Width);
        EXPECT_EQ(line.x, 400 - width / 2);
        EXPECT_GE(line.x, 0);
        EXPECT_NE(line.font, title->guienv->getBuiltInFont());
    }
}

TEST_F(MenuScreensTest, ScreensTakeANewSchemesColorsOnTheNextFrame)
{
    auto drawnCredits = std::make_shared<Drawn<TVexmoorGameCreditsScreen>>();
    auto drawnOptions = std::make_shared<Drawn<TVexmoorGameOptionsScreen>>();
    auto drawnStart = std::make_shared<Drawn<TVexmoorGameStartScreen>>();
    credits = drawnCredits;
    options = drawnOptions;
    startScreen = drawnStart;
    StartAtTitle();
    // Each screen is entered, then the scheme changes: the next frame shows the new colors.
    TGame::SetGameState("CreditsScreen");
    Frames();
    ChangeScheme();
    Frames();
    ASSERT_EQ(drawnCredits->texts.size(), 11u);
    EXPECT_EQ(drawnCredits->texts[1].color, Scheme("Background"));
    EXPECT_EQ(drawnCredits->texts[2].color, Scheme("Tank2"));
    TGame::SetGameState("OptionsScreen");
    Frames();
    ChangeScheme();
    Frames();
    ASSERT_GE(drawnOptions->texts.size(), 2u);
    EXPECT_EQ(drawnOptions->texts[1].text, L"VIDEO");
    EXPECT_EQ(drawnOptions->texts[1].color, Scheme("Background"));
    TGame::SetGameState("StartScreen");
    Frames();
    ChangeScheme();
    Frames();
    ASSERT_EQ(drawnStart->lineColors.size(), 40u);
    for (const irr::video::SColor& color : drawnStart->lineColors) ASSERT_EQ(color, Scheme("Tank2"));
    EXPECT_EQ(drawnStart->texts.back().color, Scheme("Tank2"));
}
