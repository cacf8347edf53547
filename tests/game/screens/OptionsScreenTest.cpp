// The options screen on the real engine (NULL driver): video modes made anew without
// leaving anything of the old device behind, the fall-back when a mode cannot be had,
// the volume heard on the hover sound, keys rebound with swaps and refusals, and the
// settings file written when the screen is left and only then.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ScreenFixture.h"
#include "sound/SoundDevice.h"

namespace {

namespace fs = std::filesystem;
using Options = TVexmoorGameOptionsScreen;
using Controls = TOptionsControls;

// A game whose device cannot be made in full screen: the engine's real failure, asked
// of a driver that needs a display while there is none.
class NoFullScreenGame : public TVexmoor {
public:
    int InitGraphics(int width, int height, int bits, int driverType) override
    {
        if (!fullscreen) return TVexmoor::InitGraphics(width, height, bits, driverType);
        const int made = TVexmoor::InitGraphics(width, height, bits, irr::video::EDT_OPENGL);
        graphicsDriver = driverType;
        return made;
    }
};

class OptionsScreen : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        folder = fs::temp_directory_path() / ("vexmoor-options-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
        fs::remove_all(folder);
        SoundDevice::SetMasterGain(1.0f);
    }
    void EnterOptions()
    {
        TGame::SetGameState("OptionsScreen");
        Frames();
        ASSERT_EQ(Current(), "OptionsScreen");
    }
    void ClickOn(irr::gui::IGUIElement* element)
    {
        PointAt(element);
        Click();
        Frames(2);
    }
    void Press(irr::EKEY_CODE key)
    {
        TapKey(key);
        Frames();
    }
    int Key(int slot, Controls::Action action) { return Controls::KeyOf(game->settings.players[slot].keys, action); }
    std::wstring CellText(int slot, Controls::Action action)
    {
        return options->controls.cells[slot][action]->getText();
    }
    irr::core::dimension2du ScreenSize() { return game->driver->getScreenSize(); }

    fs::path folder;
};

// Every engine object the screen reaches, by its reference count, and what the device holds.
struct EngineCounts {
    std::vector<int> counts;
    irr::u32 textures = 0;
    size_t guiElements = 0;
    bool operator==(const EngineCounts& other) const
    {
        return counts == other.counts && textures == other.textures && guiElements == other.guiElements;
    }
};

EngineCounts Count(TVexmoor& game, Options& screen)
{
    EngineCounts counts;
    irr::gui::IGUIEnvironment* gui = game.device->getGUIEnvironment();
    for (irr::IReferenceCounted* object : std::initializer_list<irr::IReferenceCounted*>{
             game.device, game.driver, gui, game.device->getSceneManager(), gui->getSkin(), screen.fnt, screen.sm_fnt,
             screen.sm_fnt2, screen.GameFont("fnt_14"), screen.GameFont("fnt_36")})
        counts.counts.push_back(object->getReferenceCount());
    counts.textures = game.driver->getTextureCount();
    counts.guiElements = gui->getRootGUIElement()->getChildren().size();
    return counts;
}

}  // namespace

TEST_F(OptionsScreen, SwitchingFullScreenAndWindowSizeTenTimesLeavesNothingOfTheOldDevices)
{
    StartAtTitle();
    EnterOptions();
    ASSERT_NE(options->fullscreen, nullptr);
    EXPECT_TRUE(options->fullscreen->isChecked()) << "full screen by default";
    const EngineCounts first = Count(*game, *options);
    for (int round = 1; round <= 10; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // A font of the arena's, loaded on this device, must not outlive it.
        arena->AddGameResource("fnt", TFontResource::Create(game->device->getGUIEnvironment(),
                                                             "fonts/pixfont_basic_36pt_bold.xml", 36, 1));
        irr::IrrlichtDevice* old = game->device;
        old->grab();
        ClickOn(options->fullscreen);
        EXPECT_EQ(old->getReferenceCount(), 1) << "the game let go of the old device";
        old->drop();
        EXPECT_EQ(game->settings.fullscreen, round % 2 == 0);
        EXPECT_EQ(game->fullscreen, round % 2 == 0);
        EXPECT_EQ(options->fullscreen->isChecked(), round % 2 == 0);
        EXPECT_FALSE(arena->IsGameResource("fnt"));

        old = game->device;
        old->grab();
        ClickOn(options->windowSize);
        EXPECT_EQ(old->getReferenceCount(), 1);
        old->drop();
        const TWindowSize size = kWindowSizes[round % 4];
        EXPECT_EQ(ScreenSize(), irr::core::dimension2du(size.width, size.height));
        EXPECT_EQ(std::wstring(options->windowSize->getText()), Options::WindowSizeText(size.width, size.height));
        // The game-wide fonts are the new device's own.
        EXPECT_EQ(Font("fnt_14"), game->device->getGUIEnvironment()->getFont("fonts/pixfont_basic_14pt.xml"));
        EXPECT_NE(Font("fnt_14"), game->device->getGUIEnvironment()->getBuiltInFont());
        EXPECT_EQ(game->clsColor, Scheme("Arena"));
        EXPECT_TRUE(options->notice.empty());
        if (round % 4 == 0) {
            EXPECT_TRUE(Count(*game, *options) == first);
        }
    }
    // Every entry stands inside the screen at 1280x720 and is still reached by the keys.
    for (irr::gui::IGUIElement* entry : options->MenuEntries()) {
        const irr::core::recti box = entry->getAbsolutePosition();
        EXPECT_TRUE(irr::core::recti(0, 0, 1280, 720).isRectCollided(box) && box.LowerRightCorner.X <= 1280 &&
                    box.LowerRightCorner.Y <= 720)
            << entry->getID();
    }
    EXPECT_EQ(options->MenuEntries().size(), 23u);
}

TEST_F(OptionsScreen, AModeThatCannotBeHadFallsBackToTheLastOneAndSaysSo)
{
    ::unsetenv("DISPLAY");
    game = std::make_shared<NoFullScreenGame>();
    game->settings.fullscreen = false;
    game->ApplyVideoSettings();
    StartAtTitle();
    EnterOptions();
    ClickOn(options->windowSize);
    ASSERT_EQ(ScreenSize(), irr::core::dimension2du(1024, 768));
    ClickOn(options->fullscreen);
    ASSERT_NE(game->device, nullptr);
    EXPECT_EQ(ScreenSize(), irr::core::dimension2du(1024, 768)) << "the last mode again";
    EXPECT_FALSE(game->settings.fullscreen);
    EXPECT_FALSE(game->fullscreen);
    EXPECT_FALSE(options->fullscreen->isChecked());
    EXPECT_EQ(options->notice, L"1024 X 768 IN FULL SCREEN IS NOT AVAILABLE: BACK TO THE LAST MODE");
    // The screen still works: the next size is taken.
    ClickOn(options->windowSize);
    EXPECT_EQ(ScreenSize(), irr::core::dimension2du(1280, 720));
    EXPECT_TRUE(options->notice.empty());
}

TEST_F(OptionsScreen, FrameRateStepsThroughItsChoicesAndOnlyVsyncRemakesTheDevice)
{
    StartAtTitle();
    EnterOptions();
    const int expected[] = {kFrameRateVsync, 60, 120, 144, kFrameRateUncapped};
    for (int rate : expected) {
        irr::IrrlichtDevice* before = game->device;
        before->grab();
        ClickOn(options->frameRate);
        const bool remade = before->getReferenceCount() == 1;
        before->drop();
        EXPECT_EQ(game->settings.frameRate, rate);
        EXPECT_EQ(game->vsync, rate == kFrameRateVsync);
        EXPECT_EQ(game->frameCap.Rate(), rate > 0 ? rate : 0);
        EXPECT_EQ(remade, rate == kFrameRateVsync || rate == 60) << rate;
        EXPECT_EQ(std::wstring(options->frameRate->getText()), Options::FrameRateText(rate));
    }
}

TEST_F(OptionsScreen, VolumeStepsByTenWithinItsRangeAndIsHeardOnTheHoverSound)
{
    ASSERT_EQ(SoundDevice::OpenLoopbackForTest(44100), 1);
    StartAtTitle();
    EnterOptions();
    // The loudest sample of the hover sound played by the next click on entry.
    auto heard = [&](irr::gui::IGUIElement* entry) {
        std::vector<float> mix(44100 / 5 * 2);
        SoundDevice::Render(mix.data(), static_cast<int>(mix.size() / 2));  // whatever played before
        ClickOn(entry);
        SoundDevice::Render(mix.data(), static_cast<int>(mix.size() / 2));
        float peak = 0;
        for (float sample : mix) peak = std::max(peak, std::fabs(sample));
        return peak;
    };
    const float full = heard(options->louder);
    EXPECT_EQ(game->settings.volume, 100) << "never above 100";
    ASSERT_GT(full, 0.01f);
    for (int i = 0; i < 4; ++i) heard(options->quieter);
    EXPECT_EQ(game->settings.volume, 60);
    const float lower = heard(options->quieter);
    EXPECT_EQ(game->settings.volume, 50);
    EXPECT_NEAR(lower / full, 0.5f, 0.05f);
    for (int i = 0; i < 5; ++i) heard(options->quieter);
    EXPECT_EQ(game->settings.volume, 0);
    EXPECT_LT(heard(options->quieter), 1e-4f);
    EXPECT_EQ(game->settings.volume, 0) << "never below 0";
    SoundDevice::Shutdown();
}

TEST_F(OptionsScreen, KeysAreReboundSwappedAcrossPlayersAndMatchKeysRefused)
{
    game = std::make_shared<TVexmoor>();
    game->UseSettingsFile(TSettingsStore((folder / "settings.ini").string()));
    StartAtTitle();
    EnterOptions();
    // Player 1's forward to W, with the mouse.
    ClickOn(options->controls.cells[0][Controls::kForward]);
    EXPECT_EQ(CellText(0, Controls::kForward), L"PRESS A KEY");
    EXPECT_EQ(options->IsCapturingKeys(), 1);
    Press(irr::KEY_KEY_W);
    EXPECT_EQ(Key(0, Controls::kForward), irr::KEY_KEY_W);
    EXPECT_EQ(CellText(0, Controls::kForward), L"W");
    EXPECT_EQ(options->IsCapturingKeys(), 0);

    // Player 1's fire to Return, player 2's fire: they trade keys.
    ClickOn(options->controls.cells[0][Controls::kFire]);
    Press(irr::KEY_RETURN);
    EXPECT_EQ(Key(0, Controls::kFire), irr::KEY_RETURN);
    EXPECT_EQ(Key(1, Controls::kFire), irr::KEY_TAB);
    EXPECT_EQ(CellText(1, Controls::kFire), L"TAB");
    EXPECT_EQ(Current(), "OptionsScreen") << "the captured Return chose nothing";

    // With the keys alone: Down to player 1's TURN LEFT, Return, then the match keys are
    // refused while the cell goes on waiting; Down is taken, not moved over.
    for (int i = 0; i < 30 && options->HighlightedEntry() != Controls::Id(0, Controls::kLeft); ++i)
        Press(irr::KEY_DOWN);
    Press(irr::KEY_RETURN);
    ASSERT_EQ(options->IsCapturingKeys(), 1);
    for (irr::EKEY_CODE key : {irr::KEY_F5, irr::KEY_F12, irr::KEY_PLUS, irr::KEY_MINUS, irr::KEY_ADD, irr::KEY_SUBTRACT}) {
        Press(key);
        EXPECT_EQ(Key(0, Controls::kLeft), irr::KEY_KEY_Z) << key;
        EXPECT_EQ(options->IsCapturingKeys(), 1) << key;
        EXPECT_NE(options->notice.find(Controls::KeyText(key) + L" BELONGS TO THE MATCH"), std::wstring::npos) << key;
    }
    Press(irr::KEY_DOWN);
    EXPECT_EQ(Key(0, Controls::kLeft), irr::KEY_DOWN);
    EXPECT_EQ(options->HighlightedEntry(), Controls::Id(0, Controls::kLeft));
    EXPECT_TRUE(options->notice.empty());

    // Escape cancels a wait and stays on the screen.
    ClickOn(options->controls.cells[1][Controls::kRight]);
    Press(irr::KEY_ESCAPE);
    Frames();
    EXPECT_EQ(Current(), "OptionsScreen");
    EXPECT_EQ(Key(1, Controls::kRight), irr::KEY_RIGHT);
    EXPECT_EQ(CellText(1, Controls::kRight), L"RIGHT");
    EXPECT_FALSE(fs::exists(folder / "settings.ini")) << "nothing is written while the screen shows";

    // Leaving writes them; the next run reads them back.
    ClickOn(options->back);
    ASSERT_EQ(Current(), "TitleScreen");
    TSettings read;
    TSettingsStore((folder / "settings.ini").string()).Load(read);
    EXPECT_EQ(read.players[0].keys.forward, irr::KEY_KEY_W);
    EXPECT_EQ(read.players[0].keys.left, irr::KEY_DOWN);
    EXPECT_EQ(read.players[0].keys.fire, irr::KEY_RETURN);
    EXPECT_EQ(read.players[1].keys.fire, irr::KEY_TAB);

    EnterOptions();
    ClickOn(options->controls.defaults);
    for (int slot = 0; slot < 2; ++slot) {
        const TKeyBindings keys = TSettings::DefaultKeys(slot);
        const TKeyBindings& now = game->settings.players[slot].keys;
        EXPECT_EQ(std::vector<int>({now.forward, now.left, now.right, now.fire}),
                  std::vector<int>({keys.forward, keys.left, keys.right, keys.fire}));
    }
    EXPECT_EQ(CellText(0, Controls::kForward), L"X");
}

TEST_F(OptionsScreen, SettingsThatCannotBeSavedAreSaidOnceAndTheGamePlaysOn)
{
    // The folder the file would go in lies under a regular file: it can never be made.
    std::ofstream(folder / "plain") << "x";
    game = std::make_shared<TVexmoor>();
    game->UseSettingsFile(TSettingsStore((folder / "plain" / "vexmoor" / "settings.ini").string()));
    testing::internal::CaptureStderr();
    StartAtTitle();
    EnterOptions();
    EXPECT_EQ(options->notice, L"SETTINGS CANNOT BE SAVED: THEY LAST FOR THIS RUN ONLY");
    ClickOn(options->louder);
    ClickOn(options->quieter);
    ClickOn(options->back);
    EXPECT_EQ(Current(), "TitleScreen");
    EnterOptions();
    EXPECT_TRUE(options->notice.empty()) << "said once";
    EXPECT_EQ(game->settings.volume, 90) << "the settings last for the run";
    testing::internal::GetCapturedStderr();
}

TEST_F(OptionsScreen, TheCommandLinesModeShowsInTheBoxAndHoldsUntilThePlayerChoosesOne)
{
    game = std::make_shared<TVexmoor>();
    game->SetFullscreenForRun(false);  // --windowed over the settings' full screen
    StartAtTitle();
    EnterOptions();
    EXPECT_FALSE(options->fullscreen->isChecked());
    ClickOn(options->windowSize);
    EXPECT_FALSE(game->device->isFullscreen()) << "another size keeps the run's window";
    EXPECT_TRUE(game->settings.fullscreen) << "the run's mode is not the settings'";
    ClickOn(options->fullscreen);
    EXPECT_TRUE(options->fullscreen->isChecked());
    EXPECT_TRUE(game->device->isFullscreen());
    ClickOn(options->fullscreen);
    EXPECT_FALSE(game->device->isFullscreen());
    EXPECT_FALSE(game->settings.fullscreen);
}

// Left and Right, by key events: WINDOW SIZE and FRAME RATE step back and on round their
// choices, the volume goes down and up from either of its steps, BACK has nothing to step.
TEST_F(OptionsScreen, LeftAndRightStepTheLitValueBackAndOn)
{
    StartAtTitle();
    EnterOptions();
    auto light = [&](int id) { LightByKeys(*options, id); };
    light(Options::kWindowSizeId);
    Press(irr::KEY_LEFT);
    Frames();
    EXPECT_EQ(ScreenSize(), irr::core::dimension2du(1920, 1080)) << "back round the start";
    EXPECT_EQ(options->HighlightedEntry(), Options::kWindowSizeId) << "lit again on the new device";
    Press(irr::KEY_RIGHT);
    Frames();
    EXPECT_EQ(ScreenSize(), irr::core::dimension2du(800, 600));
    light(Options::kFrameRateId);
    Press(irr::KEY_LEFT);
    EXPECT_EQ(game->settings.frameRate, 144);
    EXPECT_EQ(std::wstring(options->frameRate->getText()), L"144 FPS");
    Press(irr::KEY_RIGHT);
    Press(irr::KEY_RIGHT);
    EXPECT_EQ(game->settings.frameRate, kFrameRateVsync);
    light(Options::kLouderId);
    Press(irr::KEY_LEFT);
    Press(irr::KEY_LEFT);
    EXPECT_EQ(game->settings.volume, 80);
    light(Options::kQuieterId);
    Press(irr::KEY_RIGHT);
    EXPECT_EQ(game->settings.volume, 90);
    light(Options::kBackId);
    Press(irr::KEY_RIGHT);
    EXPECT_EQ(Current(), "OptionsScreen");
    EXPECT_EQ(game->settings.volume, 90);
}

// Four players' keys at 800x600: every cell on the screen, none over another, every key
// name whole in its cell; players 3 and 4 rebind, trade and refuse keys as 1 and 2 do.
TEST_F(OptionsScreen, AllFourPlayersKeysFitAndRebind)
{
    game = std::make_shared<TVexmoor>();
    game->settings.players[0].keys.right = irr::KEY_RCONTROL;  // the longest key name
    StartAtTitle();
    EnterOptions();
    std::vector<irr::gui::IGUIStaticText*> cells = {options->controls.defaults};
    for (const auto& row : options->controls.cells) cells.insert(cells.end(), row.begin(), row.end());
    for (size_t i = 0; i < cells.size(); ++i) {
        ASSERT_NE(cells[i], nullptr);
        const irr::core::recti box = cells[i]->getAbsolutePosition();
        EXPECT_TRUE(irr::core::recti(0, 0, 800, 600).isRectCollided(box) && box.LowerRightCorner.X <= 800) << i;
        EXPECT_LE(static_cast<int>(cells[i]->getActiveFont()->getDimension(cells[i]->getText()).Width), box.getWidth())
            << std::string(irr::core::stringc(cells[i]->getText()).c_str());
        for (size_t j = 0; j < i; ++j) EXPECT_FALSE(box.isRectCollided(cells[j]->getAbsolutePosition())) << i << " " << j;
    }
    EXPECT_EQ(CellText(2, Controls::kFire), L"SPACE");
    EXPECT_EQ(CellText(3, Controls::kForward), L"KEYPAD 8");

    // Player 4's fire to X, player 1's forward: they trade.
    ClickOn(options->controls.cells[3][Controls::kFire]);
    Press(irr::KEY_KEY_X);
    EXPECT_EQ(Key(3, Controls::kFire), irr::KEY_KEY_X);
    EXPECT_EQ(Key(0, Controls::kForward), irr::KEY_NUMPAD0);
    ClickOn(options->controls.cells[2][Controls::kLeft]);
    Press(irr::KEY_F5);
    EXPECT_EQ(Key(2, Controls::kLeft), irr::KEY_KEY_J) << "a match key is refused";
    Press(irr::KEY_ESCAPE);
    ClickOn(options->controls.defaults);
    EXPECT_EQ(Key(3, Controls::kFire), irr::KEY_NUMPAD0);
    EXPECT_EQ(Key(0, Controls::kForward), irr::KEY_KEY_X);
}
