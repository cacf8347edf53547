#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ScreenFixture.h"

namespace {

const char* const kFontFiles[] = {
    "fonts/pixfont_basic_36pt_bold.xml", "fonts/pixfont_basic_28pt_bold.xml", "fonts/pixfont_basic_24pt_bold.xml",
    "fonts/pixfont_basic_18pt_bold.xml", "fonts/pixfont_basic_16pt.xml",      "fonts/pixfont_basic_14pt.xml",
    "fonts/pixfont_basic_12pt_bold.xml", "fonts/pixfont_basic_10pt_bold.xml"};
const char* const kFontKeys[] = {"fnt_36", "fnt_28", "fnt_24", "fnt_18", "fnt_16", "fnt_14", "fnt_12", "fnt_10"};
const char* const kNoWindow = "InitGame: unable to open the 800x600 OpenGL window";

// Lines of text equal to line, or with contains set, holding it.
int CountLines(const std::string& text, const std::string& line, bool contains = false)
{
    int count = 0;
    std::istringstream lines(text);
    for (std::string each; std::getline(lines, each);)
        count += contains ? each.find(line) != std::string::npos : each == line;
    return count;
}

}  // namespace

using StartUpTest = ScreenTest;

TEST_F(StartUpTest, TitleIsRequestedNoEarlierThan500msAfterTheStateBecameCurrent)
{
    game = std::make_shared<TVexmoor>();
    init->driverType = 0;
    TGame::AddGameState("InitGame", init);
    TGame::AddGameState("TitleScreen", title);
    TGame::SetGameState("InitGame");
    clock.Advance(300);  // a late first frame: the half second runs from the switch
    Frames();
    clock.Advance(199);
    Frames();
    EXPECT_EQ(Current(), "InitGame");
    clock.Advance(1);
    Frames();
    EXPECT_EQ(Current(), "TitleScreen");
}

TEST_F(StartUpTest, NineGameWideResourcesAreLoadedOnceAndTheWindowClearsToASchemeColor)
{
    StartGame();
    irr::IrrlichtDevice* device = game->device;
    std::vector<std::shared_ptr<TGameResource>> loaded;
    for (const auto& key : MapKeysToArray(game->GameResources)) loaded.push_back(game->GetGameResource(key));
    ASSERT_EQ(loaded.size(), 9u);
    EXPECT_EQ(game->clsColor, std::optional<irr::video::SColor>(Scheme("Arena")));
    ASSERT_NE(HoverSound(), nullptr);
    EXPECT_NE(HoverSound()->channel, nullptr) << "cued on a channel of its own";
    for (size_t i = 0; i < 8; ++i) {
        auto font = game->GetGameResourceAs<TFontResource>(kFontKeys[i]);
        EXPECT_EQ(font->file, kFontFiles[i]);
        EXPECT_NE(font->GetResource(), init->guienv->getBuiltInFont()) << kFontFiles[i] << " did not load";
    }

    clock.Advance(100);
    Frames(3);
    EXPECT_EQ(game->device, device);
    std::vector<std::shared_ptr<TGameResource>> later;
    for (const auto& key : MapKeysToArray(game->GameResources)) later.push_back(game->GetGameResource(key));
    EXPECT_EQ(later, loaded);
}

TEST_F(StartUpTest, WindowThatCannotOpenEndsTheProgramNamingIt)
{
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    game = std::make_shared<TVexmoor>();
    TGame::AddGameState("InitGame", init);
    TGame::SetGameState("InitGame");
    try {
        Frames();
        ADD_FAILURE() << "the start-up state went on without a window";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), kNoWindow);
    }
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);

    // The program itself: status 255 and the reason once on stderr.
    const auto err = std::filesystem::temp_directory_path() / "vexmoor-no-display.err";
    const std::string command = std::string("env -u DISPLAY ") + VEXMOOR_PROGRAM + " >/dev/null 2>" + err.string();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 255);
    std::ifstream in(err);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(CountLines(text, kNoWindow), 1) << text;
    std::filesystem::remove(err);
}

TEST_F(StartUpTest, MissingFontsAndSoundLeaveTheBuiltInFontAndSilentMenusSaidOnceEach)
{
    const auto checkout = std::filesystem::current_path();
    char empty[] = "/tmp/vexmoor-screens-XXXXXX";
    std::filesystem::current_path(mkdtemp(empty));
    testing::internal::CaptureStderr();
    StartAtTitle();
    for (const char* key : kFontKeys) EXPECT_EQ(Font(key), title->guienv->getBuiltInFont()) << key;
    EXPECT_EQ(HoverSound(), nullptr);
    // The menus still measure, draw and answer the mouse; the options screen asks for
    // three of the files again.
    PointAt(title->credits);
    Click();
    Frames(2);
    EXPECT_EQ(Current(), "CreditsScreen");
    TGame::SetGameState("OptionsScreen");
    Frames(2);
    const std::string err = testing::internal::GetCapturedStderr();
    std::filesystem::current_path(checkout);
    std::filesystem::remove_all(empty);

    for (const char* file : kFontFiles)
        EXPECT_EQ(CountLines(err, std::string("Unable to load font ") + file +
                                      ": using the engine's built-in font (the file does not exist)"),
                  1)
            << file;
    EXPECT_EQ(CountLines(err, "media/menu_hover.ogg", true), 1) << err;
}
