// Menus without a mouse: Up and Down (keys or d-pad) light every entry of every screen in
// turn, Return or A does what a click on the lit entry does, Escape or B goes back, and
// the mouse or the keys, whichever moved last, owns the highlight.
#include "ScreenFixture.h"
#include "tests/support/VirtualPad.h"

namespace {

class MenuNavigation : public ScreenTest {
protected:
    void Enter(const std::string& name)
    {
        if (Current() != name) TGame::SetGameState(name);
        Frames();
        ASSERT_EQ(Current(), name);
    }
    TVexmoorGameState* Screen(const std::string& name)
    {
        return dynamic_cast<TVexmoorGameState*>(TGame::GetGameState(name).get());
    }
    void Tap(irr::EKEY_CODE key)
    {
        TapKey(key);
        Frames();
    }
    // The entries lit in "Tank2"; the others stand in "Background". A check box shows
    // its text in the skin's color.
    std::vector<int> Lit(TVexmoorGameState* screen)
    {
        std::vector<int> lit;
        for (irr::gui::IGUIElement* entry : screen->MenuEntries()) {
            const auto color = entry->getType() == irr::gui::EGUIET_CHECK_BOX
                                   ? screen->guienv->getSkin()->getColor(irr::gui::EGDC_BUTTON_TEXT)
                                   : static_cast<irr::gui::IGUIStaticText*>(entry)->getOverrideColor();
            if (color == Scheme("Tank2")) lit.push_back(entry->getID());
            else EXPECT_EQ(color, Scheme("Background")) << entry->getID();
        }
        return lit;
    }
};

class EveryScreen : public MenuNavigation, public ::testing::WithParamInterface<const char*> {};

}  // namespace

TEST_P(EveryScreen, DownAndUpLightEveryEntryInTurnAndWrapAround)
{
    StartAtTitle();
    const std::string name = GetParam();
    Enter(name);
    TVexmoorGameState* screen = Screen(name);
    const std::vector<irr::gui::IGUIElement*> entries = screen->MenuEntries();
    ASSERT_FALSE(entries.empty());
    EXPECT_TRUE(Lit(screen).empty());
    const int count = static_cast<int>(entries.size());
    for (int i = 0; i <= count; ++i) {
        Tap(irr::KEY_DOWN);
        const int id = entries[i % count]->getID();
        EXPECT_EQ(Lit(screen), std::vector<int>{id}) << "after " << i + 1 << " presses of Down";
        EXPECT_EQ(screen->HighlightedEntry(), id);
    }
    Tap(irr::KEY_UP);
    EXPECT_EQ(Lit(screen), std::vector<int>{entries[count - 1]->getID()}) << "Up wraps to the last entry";
    if (count > 1) {
        Tap(irr::KEY_UP);
        EXPECT_EQ(Lit(screen), std::vector<int>{entries[count - 2]->getID()});
    }
    EXPECT_EQ(Current(), name) << "moving the highlight chooses nothing";
}

TEST_P(EveryScreen, ReturnOnEachEntryDoesWhatAClickOnItDoes)
{
    StartAtTitle();
    const std::string name = GetParam();
    Enter(name);
    const int count = static_cast<int>(Screen(name)->MenuEntries().size());
    // The text of entry k while the screen is still shown (an entry may cycle its value).
    auto textOf = [&](int k) {
        if (Current() != name) return std::wstring(L"(left)");
        return std::wstring(Screen(name)->MenuEntries()[k]->getText());
    };
    for (int k = 0; k < count; ++k) {
        Enter(name);
        for (int i = 0; i <= k; ++i) Tap(irr::KEY_DOWN);
        const std::wstring text = textOf(k);
        // A check box changes its state, not its text.
        auto ticked = [&] {
            if (Current() != name) return false;
            irr::gui::IGUIElement* entry = Screen(name)->MenuEntries()[k];
            return entry->getType() == irr::gui::EGUIET_CHECK_BOX && static_cast<irr::gui::IGUICheckBox*>(entry)->isChecked();
        };
        const bool tickedBefore = ticked();
        Tap(irr::KEY_RETURN);
        Frames();
        const std::string byKeys = Current();
        const bool changedByKeys = textOf(k) != text;
        const bool tickedByKeys = ticked() != tickedBefore;
        // A key cell waits for a key: Escape ends the wait, and leaves the screen shown.
        const bool waitsByKeys = Current() == name && Screen(name)->IsCapturingKeys();
        if (waitsByKeys) Tap(irr::KEY_ESCAPE);

        Enter(name);
        const std::wstring before = textOf(k);
        const bool tickedBeforeClick = ticked();
        PointAt(Screen(name)->MenuEntries()[k]);
        Click();
        Frames(2);
        const std::string what = "entry \"" + std::string(text.begin(), text.end()) + "\" of " + name;
        EXPECT_EQ(byKeys, Current()) << what;
        EXPECT_EQ(changedByKeys, textOf(k) != before) << what;
        EXPECT_EQ(tickedByKeys, ticked() != tickedBeforeClick) << what;
        EXPECT_EQ(waitsByKeys, Current() == name && Screen(name)->IsCapturingKeys()) << what;
        if (Current() == name && Screen(name)->IsCapturingKeys()) Tap(irr::KEY_ESCAPE);
        MoveMouse(0, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, EveryScreen,
                         ::testing::Values("TitleScreen", "CreditsScreen", "OptionsScreen", "StartScreen"));

TEST_F(MenuNavigation, EscapeGoesBackToTheTitleAndOnTheTitleDoesNothing)
{
    StartAtTitle();
    for (const char* name : {"CreditsScreen", "OptionsScreen", "StartScreen"}) {
        Enter(name);
        Tap(irr::KEY_ESCAPE);
        EXPECT_EQ(Current(), "TitleScreen") << name;
    }
    Tap(irr::KEY_ESCAPE);
    Frames();
    EXPECT_EQ(Current(), "TitleScreen");
}

TEST_F(MenuNavigation, ReturnWithNothingLitChoosesNothing)
{
    StartAtTitle();
    Tap(irr::KEY_RETURN);
    Frames();
    EXPECT_EQ(Current(), "TitleScreen");
}

TEST_F(MenuNavigation, KeysLightWithTheHoverSoundAndWhicheverMovedLastOwnsTheHighlight)
{
    StartAtTitle();
    PointAt(title->start);
    EXPECT_EQ(Lit(title.get()), std::vector<int>{101});
    auto sound = SilencedHoverSound();
    ASSERT_NE(sound, nullptr);
    Tap(irr::KEY_DOWN);
    const int next = title->MenuEntries()[1]->getID();
    EXPECT_EQ(Lit(title.get()), std::vector<int>{next}) << "the keys go on from the mouse's entry";
    EXPECT_EQ(title->mouse_on, next);
    EXPECT_TRUE(sound->channel->Playing());

    // The pointer moves a little within START GAME: the mouse has the highlight back.
    const irr::core::recti box = title->start->getAbsolutePosition();
    MoveMouse(box.getCenter().X + 2, box.getCenter().Y);
    Frames();
    EXPECT_EQ(Lit(title.get()), std::vector<int>{101});
    EXPECT_EQ(title->mouse_on, 101);
    // And off every entry: nothing is lit, Return chooses nothing.
    MoveMouse(5, 5);
    Frames();
    EXPECT_TRUE(Lit(title.get()).empty());
    Tap(irr::KEY_RETURN);
    Frames();
    EXPECT_EQ(Current(), "TitleScreen");
}

TEST_F(MenuNavigation, DpadMovesAChoosesAndBGoesBack)
{
    StartAtTitle();
    ASSERT_NE(game->gamepads, nullptr);
    VirtualPad pad;
    ASSERT_TRUE(pad.Attached()) << SDL_GetError();
    ASSERT_TRUE(FramesUntilPads(1));
    auto press = [&](SDL_GameControllerButton button) {
        pad.Button(button, true);
        Frames();
        pad.Button(button, false);
        Frames();
    };
    const std::vector<irr::gui::IGUIElement*> entries = title->MenuEntries();
    const auto credits = std::find_if(entries.begin(), entries.end(), [](irr::gui::IGUIElement* entry) {
        return std::wstring(entry->getText()) == L"CREDITS";
    });
    ASSERT_NE(credits, entries.end());
    for (auto it = entries.begin(); it <= credits; ++it) press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    press(SDL_CONTROLLER_BUTTON_DPAD_UP);
    press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    EXPECT_EQ(Lit(title.get()), std::vector<int>{(*credits)->getID()});
    press(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(Current(), "CreditsScreen");
    press(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(Current(), "TitleScreen");
}

TEST_F(MenuNavigation, StatusOffersEachGamepadOnlyWhilePluggedInAndTheKeysReachIt)
{
    StartAtTitle();
    Enter("StartScreen");
    irr::gui::IGUIStaticText* status = startScreen->players.rows[0][TSetupPlayerRows::kStatus];
    ASSERT_NE(status, nullptr);
    // Cycles once round, noting the statuses shown, by the keys alone.
    auto cycle = [&] {
        std::vector<std::wstring> seen;
        while (startScreen->HighlightedEntry() != status->getID()) Tap(irr::KEY_DOWN);
        do {
            Tap(irr::KEY_RETURN);
            seen.push_back(status->getText());
        } while (seen.back() != L"HUMAN" && seen.size() < 10);
        return seen;
    };
    const std::vector<std::wstring> keyboardOnly = {L"COMPUTER EASY", L"COMPUTER NORMAL", L"COMPUTER HARD", L"HUMAN"};
    EXPECT_EQ(cycle(), keyboardOnly);

    VirtualPad first;
    ASSERT_TRUE(FramesUntilPads(1));
    EXPECT_EQ(cycle(), (std::vector<std::wstring>{L"COMPUTER EASY", L"COMPUTER NORMAL", L"COMPUTER HARD",
                                                  L"GAMEPAD 1", L"HUMAN"}));
    VirtualPad second;
    ASSERT_TRUE(FramesUntilPads(2));
    EXPECT_EQ(cycle(), (std::vector<std::wstring>{L"COMPUTER EASY", L"COMPUTER NORMAL", L"COMPUTER HARD",
                                                  L"GAMEPAD 1", L"GAMEPAD 2", L"HUMAN"}));
    EXPECT_EQ(game->settings.players[0].status, TPlayerStatus::Human) << "a pad is offered, never forced";
}
