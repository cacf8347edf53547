#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "ScreenFixture.h"

namespace {

const char* const kFontKeys[] = {"fnt_36", "fnt_28", "fnt_24", "fnt_18", "fnt_16", "fnt_14", "fnt_12", "fnt_10"};

int CountLines(const std::string& text, const std::string& line)
{
    int count = 0;
    std::istringstream lines(text);
    for (std::string each; std::getline(lines, each);)
        if (each == line) ++count;
    return count;
}

// Sets an environment variable for one scope and puts the old value back.
class ScopedUnsetEnv {
public:
    explicit ScopedUnsetEnv(const char* name) : name_(name)
    {
        if (const char* value = std::getenv(name)) old_ = value;
        unsetenv(name);
    }
    ~ScopedUnsetEnv()
    {
        if (old_) setenv(name_, old_->c_str(), 1);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Runs the test in an empty working directory: no fonts, no media.
class ScopedEmptyDirectory {
public:
    ScopedEmptyDirectory() : old_(std::filesystem::current_path())
    {
        char pattern[] = "/tmp/vexmoor-screens-XXXXXX";
        dir_ = mkdtemp(pattern);
        std::filesystem::current_path(dir_);
    }
    ~ScopedEmptyDirectory()
    {
        std::filesystem::current_path(old_);
        std::filesystem::remove_all(dir_);
    }

private:
    std::filesystem::path old_;
    std::filesystem::path dir_;
};

}  // namespace

using StartUpTest = ScreenTest;

TEST_F(StartUpTest, TitleIsRequestedNoEarlierThan500msAfterTheStateBecameCurrent)
{
    game = std::make_shared<TVexmoor>();
    init->driverType = 0;
    TGame::AddGameState("InitGame", init);
    TGame::AddGameState("TitleScreen", title);
    TGame::SetGameState("InitGame");
    // The first frame comes late; the half second runs from the switch, not from it.
    clock.Advance(300);
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Current(), "InitGame");
    clock.Advance(199);
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Current(), "InitGame");
    clock.Advance(1);
    ASSERT_TRUE(Frame());
    EXPECT_EQ(Current(), "TitleScreen");
}

TEST_F(StartUpTest, TitleIsAskedForAgainEveryFrameUntilTheSwitchHappens)
{
    StartGame();
    clock.Advance(800);
    init->OnUpdate();
    EXPECT_EQ(init->pendingNextState, 1);
    EXPECT_EQ(init->nextState, "TitleScreen");
    // Something else asks for another state in the meantime: the next update asks again.
    init->SetNextState("CreditsScreen");
    init->OnUpdate();
    EXPECT_EQ(init->nextState, "TitleScreen");
}

TEST_F(StartUpTest, NineGameWideResourcesAreLoadedOnceInTheFirstUpdate)
{
    StartGame();
    ASSERT_EQ(init->initCalled, 1);
    irr::IrrlichtDevice* device = game->device;
    std::vector<std::shared_ptr<TGameResource>> loaded;
    for (const auto& key : MapKeysToArray(game->GameResources)) loaded.push_back(game->GetGameResource(key));
    EXPECT_EQ(loaded.size(), 9u);

    clock.Advance(100);
    Frames(3);
    EXPECT_EQ(game->device, device);
    std::vector<std::shared_ptr<TGameResource>> later;
    for (const auto& key : MapKeysToArray(game->GameResources)) later.push_back(game->GetGameResource(key));
    EXPECT_EQ(later, loaded);

    auto sound = HoverSound();
    ASSERT_NE(sound, nullptr);
    EXPECT_NE(sound->GetResource(), nullptr);
    EXPECT_NE(sound->channel, nullptr) << "the hover sound is cued on a channel of its own";

    const std::pair<const char*, const char*> files[] = {
        {"fnt_36", "fonts/pixfont_basic_36pt_bold.xml"}, {"fnt_28", "fonts/pixfont_basic_28pt_bold.xml"},
        {"fnt_24", "fonts/pixfont_basic_24pt_bold.xml"}, {"fnt_18", "fonts/pixfont_basic_18pt_bold.xml"},
        {"fnt_16", "fonts/pixfont_basic_16pt.xml"},      {"fnt_14", "fonts/pixfont_basic_14pt.xml"},
        {"fnt_12", "fonts/pixfont_basic_12pt_bold.xml"}, {"fnt_10", "fonts/pixfont_basic_10pt_bold.xml"}};
    for (const auto& [key, file] : files) {
        auto font = game->GetGameResourceAs<TFontResource>(key);
        ASSERT_NE(font, nullptr) << key;
        EXPECT_EQ(font->file, file);
        EXPECT_EQ(font->pt, std::stoi(std::string(key).substr(4)));
        EXPECT_EQ(font->is_bold, std::string(file).find("_bold") != std::string::npos ? 1 : 0) << key;
        EXPECT_NE(font->GetResource(), init->guienv->getBuiltInFont()) << file << " did not load";
    }
}

TEST_F(StartUpTest, WindowClearsToTheNewSchemesArenaColor)
{
    StartGame();
    ASSERT_TRUE(game->clsColor.has_value());
    EXPECT_EQ(*game->clsColor, game->CurrentColorScheme->GetColor("Arena"));
}

TEST_F(StartUpTest, WindowThatCannotOpenEndsTheProgramNamingIt)
{
    ScopedUnsetEnv noDisplay("DISPLAY");
    game = std::make_shared<TVexmoor>();
    TGame::AddGameState("InitGame", init);
    TGame::SetGameState("InitGame");
    try {
        Frame();
        FAIL() << "the start-up state went on without a window";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "InitGame: unable to open the 800x600 OpenGL window");
    }
    EXPECT_EQ(init->initCalled, 0);
}

TEST_F(StartUpTest, ProgramWithoutADisplayExitsWith255AndOneLineOnStderr)
{
    const std::filesystem::path err = std::filesystem::temp_directory_path() / "vexmoor-no-display.err";
    const std::string command = std::string("env -u DISPLAY ") + VEXMOOR_PROGRAM + " >/dev/null 2>" + err.string();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 255);
    std::ifstream in(err);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(err);
    EXPECT_EQ(CountLines(text, "InitGame: unable to open the 800x600 OpenGL window"), 1) << text;
}

TEST_F(StartUpTest, UnreadableFontsAndSoundLeaveTheBuiltInFontAndSilentMenus)
{
    ScopedEmptyDirectory nothingHere;
    testing::internal::CaptureStderr();
    StartAtTitle();
    irr::gui::IGUIFont* builtIn = title->guienv->getBuiltInFont();
    for (const char* key : kFontKeys) EXPECT_EQ(Font(key), builtIn) << key;
    EXPECT_EQ(HoverSound(), nullptr);

    // The menus still measure, draw and answer the mouse, without a sound.
    PointAt(title->credits);
    Frame();
    EXPECT_EQ(ColorOf(title->credits), Scheme("Tank2"));
    Click();
    Frame();
    EXPECT_EQ(Current(), "CreditsScreen");
    Frames(2);
    TGame::SetGameState("OptionsScreen");
    Frames(2);
    const std::string err = testing::internal::GetCapturedStderr();

    for (const char* file : {"fonts/pixfont_basic_36pt_bold.xml", "fonts/pixfont_basic_28pt_bold.xml",
                             "fonts/pixfont_basic_24pt_bold.xml", "fonts/pixfont_basic_18pt_bold.xml",
                             "fonts/pixfont_basic_16pt.xml", "fonts/pixfont_basic_14pt.xml",
                             "fonts/pixfont_basic_12pt_bold.xml", "fonts/pixfont_basic_10pt_bold.xml"})
        EXPECT_EQ(CountLines(err, std::string("Unable to load font ") + file + ": using the engine's built-in font"),
                  1)
            << file;
    EXPECT_EQ(CountLines(err, "Unable to load sound media/menu_hover.ogg: the menus stay silent"), 1) << err;
}
