#include <gtest/gtest.h>
#include <irrlicht.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "game/settings/SettingsStore.h"

namespace fs = std::filesystem;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vexmoor-settings.XXXXXX";
        folder = mkdtemp(pattern);
        path = folder + "/vexmoor/settings.ini";
        fs::create_directories(folder + "/vexmoor");
    }
    void TearDown() override
    {
        std::error_code error;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(folder, error);
    }
    void Write(const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string Read(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Loads the file into fresh settings; the stderr lines it wrote go to errors.
    TSettings Load()
    {
        TSettings settings;
        ::testing::internal::CaptureStderr();
        TSettingsStore(path).Load(settings);
        errors = ::testing::internal::GetCapturedStderr();
        return settings;
    }
    int ErrorLines() const { return static_cast<int>(std::count(errors.begin(), errors.end(), '\n')); }
    // Settings in which every entry differs from its default.
    static TSettings AllChanged()
    {
        TSettings s;
        s.fullscreen = false;
        s.windowWidth = 1280;
        s.windowHeight = 720;
        s.frameRate = 144;
        s.volume = 30;
        for (int slot = 0; slot < 2; ++slot) {
            TPlayerSetup& p = s.players[static_cast<size_t>(slot)];
            p.tank = slot == 0 ? TTankModel::Sleek : TTankModel::Boxy;
            p.status = slot == 0 ? TPlayerStatus::ComputerHard : TPlayerStatus::Gamepad2;
            p.keys = slot == 0 ? TKeyBindings{irr::KEY_KEY_W, irr::KEY_KEY_A, irr::KEY_KEY_D, irr::KEY_SPACE}
                               : TKeyBindings{irr::KEY_NUMPAD8, irr::KEY_NUMPAD4, irr::KEY_NUMPAD6, irr::KEY_RCONTROL};
            p.wins = 7 + slot;
            p.losses = 3 + slot;
        }
        s.match = {TArenaChoice::Maze, TShellKind::Bouncing, 5, 20, 136, true, true, TRespawnRule::Safe};
        return s;
    }

    std::string folder;
    std::string path;
    std::string errors;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

TEST_F(SettingsFileTest, EverySettingComesBackFromTheFileAsItWasSaved)
{
    const TSettings changed = AllChanged();
    // Each entry's line differs from the default's, so each one is really written and read.
    const auto defaultLines = Lines(TSettingsSchema::Text(TSettings()));
    const auto changedLines = Lines(TSettingsSchema::Text(changed));
    ASSERT_EQ(defaultLines.size(), changedLines.size());
    int differing = 0;
    for (size_t i = 0; i < defaultLines.size(); ++i) differing += defaultLines[i] != changedLines[i];
    EXPECT_EQ(differing, static_cast<int>(TSettingsSchema::Entries().size()));

    fs::remove_all(folder + "/vexmoor");  // the folder is made on the first save
    TSettingsStore file(path);
    ASSERT_TRUE(file.Save(changed));
    const TSettings loaded = Load();
    EXPECT_EQ(errors, "");
    EXPECT_EQ(TSettingsSchema::Text(loaded), TSettingsSchema::Text(changed));
    EXPECT_EQ(loaded.players[0].keys.forward, irr::KEY_KEY_W);
    EXPECT_EQ(loaded.windowWidth, 1280);
    EXPECT_FALSE(loaded.fullscreen);
    EXPECT_EQ(loaded.match.arena, TArenaChoice::Maze);
    EXPECT_EQ(loaded.players[1].losses, 4);
}

TEST_F(SettingsFileTest, FileIsFoundThroughXdgConfigHomeThenHomeElseSettingsLastForTheRun)
{
    setenv("XDG_CONFIG_HOME", "/x/config", 1);
    setenv("HOME", "/h", 1);
    EXPECT_EQ(TSettingsStore::FromEnvironment().Path(), "/x/config/vexmoor/settings.ini");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(TSettingsStore::FromEnvironment().Path(), "/h/.config/vexmoor/settings.ini");
    unsetenv("HOME");
    ::testing::internal::CaptureStderr();
    TSettingsStore runOnly = TSettingsStore::FromEnvironment();
    EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(runOnly.IsRunOnly());
    EXPECT_TRUE(runOnly.Save(AllChanged())) << "nothing to write is no failure";
}

TEST_F(SettingsFileTest, BadEntriesAreIgnoredOrResetAloneWhileGoodOnesSurvive)
{
    Write("# comment\n"
          "[video]\nfullscreen = false\nwindow_size = 1024x769\nframe_rate = 120\nbrightness = 3\n"
          "[sound]\nvolume = 55\n"
          "[player1]\nforward = W\nleft = F5\nright = nonsense\nfire = SPACE\nwins = -1\nlosses = 4\n"
          "[player2]\ntank = boxy\nstatus = computer_normal\n"
          "[cheats]\ngod = 1\nnoclip = 1\n"
          "this line is not a setting\n"
          "[match]\nscore_to = 20\nbounces = 4\nguided = maybe\n");
    const TSettings s = Load();
    // Kept: every good entry.
    EXPECT_FALSE(s.fullscreen);
    EXPECT_EQ(s.frameRate, 120);
    EXPECT_EQ(s.players[0].keys.forward, irr::KEY_KEY_W);
    EXPECT_EQ(s.players[0].keys.fire, irr::KEY_SPACE);
    EXPECT_EQ(s.players[0].losses, 4);
    EXPECT_EQ(s.players[1].tank, TTankModel::Boxy);
    EXPECT_EQ(s.players[1].status, TPlayerStatus::ComputerNormal);
    EXPECT_EQ(s.match.scoreTo, 20);
    // Reset: only the bad ones, each named.
    const TSettings d;
    EXPECT_EQ(s.windowWidth, d.windowWidth);
    EXPECT_EQ(s.windowHeight, d.windowHeight);
    EXPECT_EQ(s.volume, d.volume);
    EXPECT_EQ(s.players[0].keys.left, irr::KEY_KEY_Z) << "a match key is never bound";
    EXPECT_EQ(s.players[0].keys.right, irr::KEY_KEY_C);
    EXPECT_EQ(s.players[0].wins, 0);
    EXPECT_EQ(s.match.bounces, d.match.bounces);
    EXPECT_EQ(s.match.guided, d.match.guided);
    for (const char* named : {"window_size", "volume", "left", "right", "wins", "bounces", "guided", "brightness",
                              "[cheats]"})
        EXPECT_NE(errors.find(named), std::string::npos) << named << " not named in:\n" << errors;
    // One line each: seven bad values, one unknown key, one unknown section (once), one bad line.
    EXPECT_EQ(ErrorLines(), 10) << errors;
    EXPECT_TRUE(fs::exists(path)) << "a file with bad entries stays where it is";
}

TEST_F(SettingsFileTest, AKeyBoundTwiceGivesBothPlayersTheirDefaultKeys)
{
    Write("[player1]\nforward = UP\n[sound]\nvolume = 40\n");
    const TSettings s = Load();
    EXPECT_EQ(s.players[0].keys.forward, irr::KEY_KEY_X);
    EXPECT_EQ(s.players[1].keys.forward, irr::KEY_UP);
    EXPECT_EQ(s.volume, 40);
    EXPECT_EQ(ErrorLines(), 1) << errors;
}

TEST_F(SettingsFileTest, UnusableFilesAreMovedAsideAndTheDefaultsUsed)
{
    const std::string bad = path + ".bad";
    const std::string defaults = TSettingsSchema::Text(TSettings());
    auto expectMovedAside = [&](const char* what) {
        const TSettings s = Load();
        EXPECT_EQ(TSettingsSchema::Text(s), defaults) << what;
        EXPECT_FALSE(fs::exists(fs::symlink_status(path))) << what;
        EXPECT_TRUE(fs::exists(fs::symlink_status(bad))) << what;
        EXPECT_EQ(ErrorLines(), 1) << what << ": " << errors;
        fs::remove_all(bad);
    };

    Write(std::string("[sound]\nvolume = 20\n\0\x01\x02\xff", 24));
    expectMovedAside("binary");

    Write("[sound]\nvolume = 20\n" + std::string(TSettingsStore::kMaxBytes, '#'));
    expectMovedAside("over 64 KiB");

    fs::create_directories(path);
    expectMovedAside("a folder");

    if (geteuid() != 0) {
        Write("[sound]\nvolume = 20\n");
        chmod(path.c_str(), 0);
    } else {
        fs::create_symlink(path, path);  // root reads any file: a link to itself cannot be read either
    }
    expectMovedAside("unreadable");
}

TEST_F(SettingsFileTest, AnInterruptedWriteLeavesTheOldFileByteForByte)
{
    TSettingsStore file(path);
    TSettings first;
    first.volume = 70;
    ASSERT_TRUE(file.Save(first));
    const std::string before = Read(path);

    file.renameStep = [](const std::string&, const std::string&) { return false; };  // the crash comes first
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(file.Save(AllChanged()));
    EXPECT_FALSE(file.Save(AllChanged()));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << "said once: " << said;
    EXPECT_TRUE(file.LastSaveFailed());

    EXPECT_EQ(Read(path), before);
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder + "/vexmoor")) files += entry.is_regular_file();
    EXPECT_EQ(files, 1) << "no temporary file is left behind";
    EXPECT_EQ(Load().volume, 70);
}

TEST_F(SettingsFileTest, AFolderThatCannotBeMadeMeansNoSaveAndTheGameGoesOn)
{
    Write("");
    TSettingsStore file(path + "/under/a/file/settings.ini");
    EXPECT_FALSE(file.CanSave());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(file.Save(TSettings()));
    EXPECT_NE(::testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(TSettingsStore(path).CanSave());
}
