// The command line: what each option does, what is refused, and a window mode that holds
// for the run without reaching the settings file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "game/CommandLine.h"
#include "game/Vexmoor.h"

TEST(CommandLine, OptionsAreReadInOnePassAndAnythingElseIsRefused)
{
    const TCommandLine none = TCommandLine::Parse({});
    EXPECT_EQ(none.action, TCommandLine::Action::Play);
    EXPECT_FALSE(none.fullscreen);
    EXPECT_EQ(none.network.role, TNetworkArguments::Role::None);

    const TCommandLine mixed = TCommandLine::Parse({"--fullscreen", "--host", "5000", "--windowed"});
    EXPECT_EQ(mixed.action, TCommandLine::Action::Play);
    EXPECT_EQ(mixed.fullscreen, std::optional<bool>(false)) << "the last mode given counts";
    EXPECT_EQ(mixed.network.address.ToString(), "0.0.0.0:5000");
    EXPECT_EQ(TCommandLine::Parse({"--windowed", "--join", "h", "--fullscreen"}).fullscreen, std::optional<bool>(true));
    EXPECT_EQ(TCommandLine::Parse({"--host", "--windowed"}).network.address.ToString(), "0.0.0.0:47400");

    EXPECT_EQ(TCommandLine::Parse({"--version", "--help"}).action, TCommandLine::Action::Help);
    EXPECT_EQ(TCommandLine::Parse({"--windowed", "-h"}).action, TCommandLine::Action::Help) << "-h is --help";
    EXPECT_EQ(TCommandLine::Parse({"--windowed", "--version"}).action, TCommandLine::Action::Version);
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--help", "--bogus"}, {"-H"}, {"-help"}, {"--Windowed"}, {"windowed"}, {"--join", "--help"}, {"--fullscreen", ""}}) {
        const TCommandLine line = TCommandLine::Parse(bad);
        EXPECT_EQ(line.action, TCommandLine::Action::Refuse) << bad[0] << " " << bad.back();
        EXPECT_FALSE(line.error.empty());
    }
    EXPECT_NE(TCommandLine::Parse({"--bogus"}).error.find("--bogus"), std::string::npos);

    const std::string usage = TCommandLine::Usage();
    for (const char* option : {"--windowed", "--fullscreen", "--host", "--join", "--help", "--version"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    EXPECT_EQ(TCommandLine::VersionLine(), "Vexmoor " VEXMOOR_EXPECTED_VERSION);
}

// The game's window mode under a mode given for the run, with a real settings file.
class RunWindowMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vexmoor-mode.XXXXXX";
        folder = mkdtemp(pattern);
        path = folder + "/settings.ini";
        TGame::InitClassData();
        game = std::make_shared<TVexmoor>();
    }
    void TearDown() override
    {
        game.reset();
        TGame::ReleaseClassData();
        std::filesystem::remove_all(folder);
    }
    bool SavedFullscreen()
    {
        TSettings saved;
        saved.fullscreen = !game->settings.fullscreen;
        TSettingsStore(path).Load(saved);
        return saved.fullscreen;
    }
    std::string folder, path;
    std::shared_ptr<TVexmoor> game;
};

TEST_F(RunWindowMode, HoldsForTheRunIsNeverSavedAndGivesWayToTheSettingsOwnSwitch)
{
    for (bool inFile : {true, false}) {
        SCOPED_TRACE(inFile ? "file says full screen" : "file says window");
        TSettings settings;
        settings.fullscreen = inFile;
        ASSERT_TRUE(TSettingsStore(path).Save(settings));
        game->UseSettingsFile(TSettingsStore(path));
        ASSERT_EQ(game->fullscreen, inFile);

        game->SetFullscreenForRun(!inFile);
        EXPECT_EQ(game->fullscreen, !inFile);
        EXPECT_EQ(game->settings.fullscreen, inFile);
        ASSERT_EQ(game->SaveSettings(), 1);
        EXPECT_EQ(SavedFullscreen(), inFile) << "a save keeps the file's mode";
        game->ApplyVideoSettings();  // another setting applied: the run's mode stays
        EXPECT_EQ(game->fullscreen, !inFile);

        // The player switches the mode, and back: their choice counts from then on.
        game->settings.fullscreen = !inFile;
        game->ApplyVideoSettings();
        EXPECT_EQ(game->fullscreen, !inFile);
        game->settings.fullscreen = inFile;
        game->ApplyVideoSettings();
        EXPECT_EQ(game->fullscreen, inFile);
    }
}
