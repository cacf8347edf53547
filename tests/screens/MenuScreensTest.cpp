#include "ScreenFixture.h"

namespace {

class MenuScreensTest : public ScreenTest {
protected:
    // From the title, the way a player gets there.
    void OpenCredits(int width = 800, int height = 600)
    {
        StartAtTitle(width, height);
        PointAt(title->credits);
        Click();
        Frame();
        ASSERT_EQ(Current(), "CreditsScreen");
        Frame();
    }
    // The options and start screens have no way in from the title's entries.
    void Open(const std::string& name, int width = 800, int height = 600)
    {
        StartAtTitle(width, height);
        TGame::SetGameState(name);
        Frame();
    }
    // A scheme other than the current one.
    void ChangeScheme() { game->SetCurrentColorScheme(game->ColorSchemeIdx + 5); }
};

}  // namespace

TEST_F(MenuScreensTest, CreditsBackReturnsToTheTitleWithTheHoverSound)
{
    OpenCredits();
    ASSERT_NE(credits->back, nullptr);
    EXPECT_EQ(std::wstring(credits->back->getText()), L"BACK");
    EXPECT_EQ(credits->back->getRelativePosition().UpperLeftCorner.Y, 475);
    EXPECT_EQ(credits->back->getOverrideFont(), Font("fnt_28"));
    auto sound = HoverSound();
    ASSERT_NE(sound, nullptr);
    sound->channel->Stop();

    PointAt(credits->back);
    EXPECT_EQ(ColorOf(credits->back), Scheme("Tank2"));
    EXPECT_TRUE(sound->channel->Playing());
    Click();
    Frame();
    EXPECT_EQ(Current(), "TitleScreen");
    EXPECT_EQ(credits->back, nullptr);
    EXPECT_EQ(credits->mouse_on, -1);
}

TEST_F(MenuScreensTest, CreditsClickElsewhereIsDropped)
{
    OpenCredits();
    MoveMouse(400, 300);
    Click();
    Frame();
    PointAt(credits->back);
    Frames(2);
    EXPECT_EQ(Current(), "CreditsScreen");
}

TEST_F(MenuScreensTest, CreditsLinesAreCenteredAndFitTheScreen)
{
    auto drawn = std::make_shared<Drawn<TVexmoorGameCreditsScreen>>();
    credits = drawn;
    OpenCredits();
    ASSERT_EQ(drawn->texts.size(), 11u);
    const int ys[] = {50, 150, 185, 220, 255, 280, 315, 350, 375, 400, 425};
    for (size_t i = 0; i < drawn->texts.size(); ++i) {
        const DrawnText& line = drawn->texts[i];
        const int width = static_cast<int>(line.font->getDimension(line.text.c_str()).Width);
        EXPECT_EQ(line.x, 400 - width / 2) << i;
        EXPECT_GE(line.x, 0) << i;
        EXPECT_LE(line.x + width, 800) << i;
        EXPECT_EQ(line.y, ys[i]) << i;
    }
    EXPECT_EQ(drawn->texts[0].text, L"CREDITS");
    EXPECT_EQ(drawn->texts[0].font, Font("fnt_36"));
    for (size_t heading : {1, 3, 6}) EXPECT_EQ(drawn->texts[heading].font, Font("fnt_18")) << heading;
    EXPECT_EQ(drawn->texts[1].text, L"PROGRAMMING & DESIGN");
    EXPECT_EQ(drawn->texts[3].text, L"ORIGINAL ARTWORK");
    EXPECT_EQ(drawn->texts[6].text, L"Special Thanks");
    for (size_t name : {2, 4, 5, 7, 8, 9, 10}) EXPECT_EQ(drawn->texts[name].font, Font("fnt_12")) << name;
}

TEST_F(MenuScreensTest, CreditsTakeANewSchemesColorsOnTheNextFrame)
{
    auto drawn = std::make_shared<Drawn<TVexmoorGameCreditsScreen>>();
    credits = drawn;
    OpenCredits();
    ChangeScheme();
    Frame();
    ASSERT_EQ(drawn->texts.size(), 11u);
    for (size_t i : {0, 1, 3, 6}) EXPECT_EQ(drawn->texts[i].color, Scheme("Background")) << i;
    for (size_t i : {2, 4, 5, 7, 8, 9, 10}) EXPECT_EQ(drawn->texts[i].color, Scheme("Tank2")) << i;
}

TEST_F(MenuScreensTest, OptionsBackReturnsToTheTitleWithoutAHoverSound)
{
    Open("OptionsScreen");
    ASSERT_NE(options->back, nullptr);
    EXPECT_EQ(options->back->getRelativePosition().UpperLeftCorner.Y, 475);
    EXPECT_EQ(options->back->getOverrideFont(), options->sm_fnt2);
    auto sound = HoverSound();
    ASSERT_NE(sound, nullptr);
    sound->channel->Stop();

    PointAt(options->back);
    EXPECT_EQ(options->mouse_on, 101);
    EXPECT_EQ(ColorOf(options->back), Scheme("Tank2"));
    EXPECT_FALSE(sound->channel->Playing());
    Click();
    Frame();
    EXPECT_EQ(Current(), "TitleScreen");
}

TEST_F(MenuScreensTest, OptionsCheckBoxTogglesItselfAndNothingElse)
{
    Open("OptionsScreen");
    irr::gui::IGUIElement* box = nullptr;
    for (irr::gui::IGUIElement* child : options->guienv->getRootGUIElement()->getChildren())
        if (child->getType() == irr::gui::EGUIET_CHECK_BOX) box = child;
    ASSERT_NE(box, nullptr);
    auto* checkBox = static_cast<irr::gui::IGUICheckBox*>(box);
    EXPECT_TRUE(checkBox->isChecked());
    EXPECT_EQ(std::wstring(box->getText()), L"FULLSCREEN");
    EXPECT_EQ(box->getRelativePosition(), irr::core::recti(10, 220, 200, 240));

    PointAt(options->back);
    PointAt(box);
    EXPECT_EQ(options->mouse_on, -1) << "the check box's own id";
    EXPECT_EQ(ColorOf(options->back), Scheme("Background"));
    Click();
    Frame();
    EXPECT_FALSE(checkBox->isChecked());
    EXPECT_EQ(Current(), "OptionsScreen");
}

TEST_F(MenuScreensTest, OptionsHeadingsTakeANewSchemesColorOnTheNextFrame)
{
    auto drawn = std::make_shared<Drawn<TVexmoorGameOptionsScreen>>();
    options = drawn;
    Open("OptionsScreen");
    ChangeScheme();
    Frame();
    const DrawnText* heading = drawn->Find(L"OPTIONS");
    const DrawnText* section = drawn->Find(L"VIDEO");
    ASSERT_NE(heading, nullptr);
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(heading->color, Scheme("Background"));
    EXPECT_EQ(section->color, Scheme("Background"));
    EXPECT_EQ(heading->y, 50);
    EXPECT_EQ(section->y, 150);
    EXPECT_EQ(section->x, 400 - static_cast<int>(drawn->sm_fnt->getDimension(L"VIDEO").Width) / 2);
}

TEST_F(MenuScreensTest, StartScreenExitReturnsToTheTitle)
{
    Open("StartScreen");
    ASSERT_NE(startScreen->back, nullptr);
    EXPECT_EQ(std::wstring(startScreen->back->getText()), L"EXIT");
    auto sound = HoverSound();
    ASSERT_NE(sound, nullptr);
    sound->channel->Stop();

    PointAt(startScreen->back);
    EXPECT_EQ(ColorOf(startScreen->back), Scheme("Tank2"));
    EXPECT_TRUE(sound->channel->Playing());
    MoveMouse(300, 300);
    EXPECT_EQ(ColorOf(startScreen->back), Scheme("Background"));
    Click();
    Frame();
    EXPECT_EQ(Current(), "StartScreen") << "a click away from EXIT is dropped";
    PointAt(startScreen->back);
    Click();
    Frame();
    EXPECT_EQ(Current(), "TitleScreen");
}

TEST_F(MenuScreensTest, StartScreenFrameKeepsItsPixelsAtAnyScreenSizeOnlyExitFollows)
{
    auto drawn = std::make_shared<Drawn<TVexmoorGameStartScreen>>();
    startScreen = drawn;
    Open("StartScreen", 1024, 768);
    const int exitWidth = static_cast<int>(Font("fnt_14")->getDimension(L"EXIT").Width);
    EXPECT_EQ(startScreen->back->getRelativePosition().UpperLeftCorner, irr::core::position2di(719 - exitWidth / 2, 716));

    // Bands of one-pixel lines: 10 + 5 horizontal, 10 + 5 + 5 + 5 vertical.
    ASSERT_EQ(drawn->lines.size(), 40u);
    EXPECT_EQ(drawn->lines[0].y1, 450);
    EXPECT_EQ(drawn->lines[9].y1, 459);
    EXPECT_EQ(drawn->lines[9].x2, 800);
    EXPECT_EQ(drawn->lines[10].y1, 30);
    EXPECT_EQ(drawn->lines[10].x2, 625);
    EXPECT_EQ(drawn->lines[15].x1, 625);
    EXPECT_EQ(drawn->lines[15].y2, 640);
    EXPECT_EQ(drawn->lines[25].x1, 225);
    EXPECT_EQ(drawn->lines[30].x1, 375);
    EXPECT_EQ(drawn->lines[39].x1, 479);
    EXPECT_EQ(drawn->lines[39].y2, 450);

    const DrawnText* heading = drawn->Find(L"OPTIONS");
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->x, 719 - static_cast<int>(Font("fnt_14")->getDimension(L"OPTIONS").Width) / 2);
    EXPECT_EQ(heading->y, 0);
    for (const wchar_t* column : {L"PLAYER", L"TANK", L"W/L", L"STATUS"}) {
        ASSERT_NE(drawn->Find(column), nullptr) << column;
        EXPECT_EQ(drawn->Find(column)->y, 0);
    }
    EXPECT_EQ(drawn->Find(L"TANK")->x, 260);
}

TEST_F(MenuScreensTest, StartScreenFrameTakesANewSchemesColorOnTheNextFrame)
{
    auto drawn = std::make_shared<Drawn<TVexmoorGameStartScreen>>();
    startScreen = drawn;
    Open("StartScreen");
    ChangeScheme();
    Frame();
    ASSERT_FALSE(drawn->lines.empty());
    for (const DrawnLine& line : drawn->lines) ASSERT_EQ(line.color, Scheme("Tank2"));
    ASSERT_EQ(drawn->texts.size(), 5u);
    for (const DrawnText& text : drawn->texts) EXPECT_EQ(text.color, Scheme("Tank2"));
}

TEST_F(MenuScreensTest, StartScreenHoverOverAnElementThatIsNoTextSoundsWithoutRecoloring)
{
    Open("StartScreen");
    irr::gui::IGUIElement* box =
        startScreen->guienv->addCheckBox(false, irr::core::recti(300, 300, 400, 320), nullptr, 7, L"READY");
    auto sound = HoverSound();
    ASSERT_NE(sound, nullptr);
    sound->channel->Stop();
    PointAt(box);
    EXPECT_EQ(startScreen->mouse_on, 7);
    EXPECT_TRUE(sound->channel->Playing());
    EXPECT_EQ(ColorOf(startScreen->back), Scheme("Background"));
}
