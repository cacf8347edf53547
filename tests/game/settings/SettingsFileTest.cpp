#include <gtest/gtest.h>
#include <irrlicht.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    // A file beside settings.ini, named by what follows its name.
    void Write(const std::string& suffix, const std::string& text)
    {
        std::ofstream(path + suffix, std::ios::binary) << text;
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
        const TPlayerStatus statuses[kMaxPlayers] = {TPlayerStatus::ComputerHard, TPlayerStatus::Gamepad2,
                                                     TPlayerStatus::Gamepad4, TPlayerStatus::ComputerEasy};
        const TKeyBindings keys[kMaxPlayers] = {
            {irr::KEY_KEY_W, irr::KEY_KEY_A, irr::KEY_KEY_D, irr::KEY_SPACE},
            {irr::KEY_NUMPAD8, irr::KEY_NUMPAD4, irr::KEY_NUMPAD6, irr::KEY_RCONTROL},
            {irr::KEY_KEY_T, irr::KEY_KEY_F, irr::KEY_KEY_H, irr::KEY_KEY_G},
            {irr::KEY_KEY_O, irr::KEY_KEY_K, irr::KEY_KEY_M, irr::KEY_KEY_N}};
        for (int slot = 0; slot < kMaxPlayers; ++slot) {
            TPlayerSetup& p = s.players[static_cast<size_t>(slot)];
            p.tank = slot % 2 == 0 ? TTankModel::Sleek : TTankModel::Boxy;
            p.status = statuses[slot];
            p.keys = keys[slot];
            p.wins = 7 + slot;
            p.losses = 3 + slot;
        }
        s.match = {TArenaChoice::Custom, TShellKind::Bouncing, 5, 20, 136, true, true, TRespawnRule::Safe, "My Den", 4242,
                   TMatchMode::Teams, true};
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
    EXPECT_EQ(loaded.match.arena, TArenaChoice::Custom);
    EXPECT_EQ(loaded.match.customArena, "My Den");
    EXPECT_EQ(loaded.match.mazeSeed, 4242);
    EXPECT_EQ(loaded.players[1].losses, 4);
}

TEST_F(SettingsFileTest, FileIsFoundThroughXdgConfigHomeThenHomeElseSettingsLastForTheRun)
{
    setenv("XDG_CONFIG_HOME", "/x/config", 1);
    setenv("HOME", "/h", 1);
    EXPECT_EQ(TSettingsStore::FromEnvironment().Path(), "/x/config/vexmoor/settings.ini");
    setenv("XDG_CONFIG_HOME", "x/config", 1);
    EXPECT_EQ(TSettingsStore::FromEnvironment().Path(), "/h/.config/vexmoor/settings.ini") << "a relative one is ignored";
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

TEST_F(SettingsFileTest, OnlyPlayersThreeAndFourCanBeOff)
{
    Write("[player1]\nstatus = off\n[player2]\nstatus = off\n[player3]\nstatus = human\n[player4]\nstatus = off\n");
    const TSettings s = Load();
    EXPECT_EQ(s.players[0].status, TPlayerStatus::Human);
    EXPECT_EQ(s.players[1].status, TPlayerStatus::Human);
    EXPECT_EQ(s.players[2].status, TPlayerStatus::Human);
    EXPECT_EQ(s.players[3].status, TPlayerStatus::Off);
    EXPECT_EQ(ErrorLines(), 2) << errors;
    EXPECT_NE(errors.find("bad value \"off\" for status in [player2]"), std::string::npos) << errors;
}

// A file written for two players may bind a key players 3 and 4 have by default: the file's
// key stays, and the newer player takes the old key of the action that took its own.
TEST_F(SettingsFileTest, KeysOfAFileForTwoPlayersTradeWithPlayersThreeAndFour)
{
    Write("[player1]\nfire = SPACE\n[player2]\nforward = KEYPAD 8\n");
    const TSettings s = Load();
    EXPECT_EQ(errors, "");
    EXPECT_EQ(s.players[0].keys.fire, irr::KEY_SPACE);
    EXPECT_EQ(s.players[2].keys.fire, irr::KEY_TAB);
    EXPECT_EQ(s.players[1].keys.forward, irr::KEY_NUMPAD8);
    EXPECT_EQ(s.players[3].keys.forward, irr::KEY_UP);
    EXPECT_EQ(s.players[0].keys.forward, irr::KEY_KEY_X) << "the other keys are kept";
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
    // Copies made by other means are the player's: a folder with files in it under the old
    // name and under the first number stays as it is.
    fs::create_directories(path + ".bad");
    Write(".bad/kept", "mine");
    fs::create_directories(path + ".bad.1");
    Write(".bad.1/kept", "mine");
    const std::string defaults = TSettingsSchema::Text(TSettings());
    int next = 2;
    auto expectMovedAside = [&](const char* what) {
        const TSettings s = Load();
        EXPECT_EQ(TSettingsSchema::Text(s), defaults) << what;
        EXPECT_FALSE(fs::exists(fs::symlink_status(path))) << what;
        EXPECT_TRUE(fs::exists(fs::symlink_status(path + ".bad." + std::to_string(next++)))) << what;
        EXPECT_EQ(ErrorLines(), 1) << what << ": " << errors;
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

    for (int more = 0; more < TSettingsStore::kBadCopiesKept; ++more) {
        Write(std::string("\x01", 1));
        expectMovedAside("binary again");
    }
    EXPECT_EQ(Read(path + ".bad/kept"), "mine");
    EXPECT_EQ(Read(path + ".bad.1/kept"), "mine");
    EXPECT_TRUE(fs::is_directory(path + ".bad.4")) << "a folder moved aside is never removed";
    int plain = 0;
    for (const auto& entry : fs::directory_iterator(folder + "/vexmoor")) plain += entry.is_regular_file();
    EXPECT_EQ(plain, TSettingsStore::kBadCopiesKept) << "the last few copies are kept, beside the folders";
    EXPECT_TRUE(fs::exists(path + ".bad." + std::to_string(next - 1)));
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
    // A file where the folder should be is named as what it is, when read and when saved.
    Write("");
    TSettingsStore file(path + "/under/a/file/settings.ini");
    EXPECT_FALSE(file.CanSave());
    TSettings settings;
    ::testing::internal::CaptureStderr();
    file.Load(settings);
    EXPECT_FALSE(file.Save(TSettings()));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 2) << said;
    EXPECT_NE(said.find(path + " is a file, not a folder"), std::string::npos) << said;
    EXPECT_EQ(said.find("Not a directory"), std::string::npos) << said;
    EXPECT_TRUE(fs::is_regular_file(path)) << "the file in the way is left alone";
    EXPECT_TRUE(TSettingsStore(path).CanSave());

    if (geteuid() != 0) {  // root writes into any folder
        chmod(folder.c_str(), 0500);
        TSettingsStore readOnly(folder + "/other/settings.ini");
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(readOnly.Save(TSettings()));
        const std::string denied = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(denied.find("Permission denied"), std::string::npos) << denied;
    }
}

TEST_F(SettingsFileTest, HandEditedFilesAreReadAsTheyLook)
{
    // Indented keys, tabs and other white space around keys, values and section names,
    // Windows line ends and a comment longer than inih's line.
    Write("\xEF\xBB\xBF# edited by hand\r\n"
          "[player1]\r\n"
          "\tstatus = computer_hard\r\n"
          "    forward\t=\tW\r\n"
          " \t wins =  7 \t\r\n"
          "\f\n"
          "[\tsound ]\t\n"
          "volume\v=\v40\n"
          "# " + std::string(300, 'x') + " volume = 30\n"
          "; " + std::string(300, 'y') + "\n"
          "[match]\n"
          "score_to = 5   ; short matches\n");
    const TSettings s = Load();
    EXPECT_EQ(errors, "");
    EXPECT_EQ(s.players[0].status, TPlayerStatus::ComputerHard);
    EXPECT_EQ(s.players[0].keys.forward, irr::KEY_KEY_W);
    EXPECT_EQ(s.players[0].wins, 7);
    EXPECT_EQ(s.volume, 40);
    EXPECT_EQ(s.match.scoreTo, 5);
    EXPECT_TRUE(fs::is_regular_file(path)) << "a text file with tabs is no binary file";

    // A setting's line too long to read is named, and the others still count.
    Write("[sound]\nvolume = 60\n[player2]\nwins = 3" + std::string(250, ' ') + "1\nlosses = 2\n");
    const TSettings t = Load();
    EXPECT_EQ(t.volume, 60);
    EXPECT_EQ(t.players[1].wins, 0);
    EXPECT_EQ(t.players[1].losses, 2);
    EXPECT_NE(errors.find("line 4 of"), std::string::npos) << errors;
    EXPECT_EQ(ErrorLines(), 1) << errors;
}

TEST_F(SettingsFileTest, ASaveChangesOnlyItsOwnLinesAndKeepsTheFileWhereAndAsItIs)
{
    // The file is a symlink to a hand-kept file readable by the group, with lines of the
    // player's own, a bad value and a save's temporary file left by a game that was killed.
    fs::create_directories(folder + "/dotfiles");
    const std::string real = folder + "/dotfiles/vexmoor.ini";
    const std::string original = "# my settings\n"
                                 "[video]\nfullscreen = false\ngamma = 2.2\n"
                                 "[sound]\nvolume = 40 ; quiet at night\n"
                                 "[player1]\nwins = lots\n"
                                 "[mods]\n; keep this\nskin = red\n";
    std::ofstream(real) << original;
    chmod(real.c_str(), 0640);
    fs::create_symlink(real, path);
    std::ofstream(real + ".k3Xa9Q") << "half a save";

    TSettingsStore store(path);
    TSettings settings;
    ::testing::internal::CaptureStderr();
    store.Load(settings);
    settings.volume = 70;
    settings.match.scoreTo = 20;
    ASSERT_TRUE(store.Save(settings));
    const std::string said = ::testing::internal::GetCapturedStderr();

    EXPECT_TRUE(fs::is_symlink(path));
    struct stat info {};
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    const std::string text = Read(real);
    for (const char* kept : {"# my settings\n", "gamma = 2.2\n", "[mods]\n; keep this\nskin = red\n",
                             "volume = 70 ; quiet at night\n", "fullscreen = false\n", "wins = 0\n", "score_to = 20\n"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " missing from:\n" << text;
    EXPECT_EQ(text.find("lots"), std::string::npos);
    EXPECT_EQ(Read(real + ".bad.1"), original) << "the file with a fault is kept before it is put right";
    EXPECT_NE(said.find(".bad.1"), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(real + ".k3Xa9Q")) << "a killed game's temporary file is cleaned up";

    const TSettings reread = Load();
    EXPECT_EQ(reread.volume, 70);
    EXPECT_FALSE(reread.fullscreen);
    EXPECT_NE(errors.find("[mods]"), std::string::npos) << "unknown, but kept and named";
}

// Two games at once, as two processes: each save merges what that game changed into the
// file on disk, and wins are added.
TEST_F(SettingsFileTest, TwoRunningGamesLoseNothingOfEachOther)
{
    TSettings start;
    start.players[0].wins = 3;
    ASSERT_TRUE(TSettingsStore(path).Save(start));

    // A starts, then B; B wins a match and leaves first; then A changes the volume, wins too.
    int toA[2], fromA[2];
    ASSERT_EQ(pipe(toA), 0);
    ASSERT_EQ(pipe(fromA), 0);
    const pid_t a = fork();
    if (a == 0) {
        TSettingsStore store(path);
        TSettings settings;
        store.Load(settings);
        char go = 0;
        bool sent = write(fromA[1], "l", 1) == 1;
        sent = sent && read(toA[0], &go, 1) == 1;
        settings.volume = 30;
        settings.players[0].wins += 1;
        _exit(sent && store.Save(settings) ? 0 : 1);
    }
    char loaded = 0;
    ASSERT_EQ(read(fromA[0], &loaded, 1), 1);
    const pid_t b = fork();
    if (b == 0) {
        TSettingsStore store(path);
        TSettings settings;
        store.Load(settings);
        settings.players[0].wins += 1;
        settings.players[1].losses += 2;
        settings.match.arena = TArenaChoice::Maze;
        _exit(store.Save(settings) ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(b, &status, 0), b);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(write(toA[1], "g", 1), 1);
    ASSERT_EQ(waitpid(a, &status, 0), a);
    EXPECT_EQ(status, 0);
    TSettings both = Load();
    EXPECT_EQ(both.players[0].wins, 5);
    EXPECT_EQ(both.players[1].losses, 2);
    EXPECT_EQ(both.volume, 30);
    EXPECT_EQ(both.match.arena, TArenaChoice::Maze);

    // Games saving at the same moment wait for each other's read-merge-write.
    constexpr int kGames = 6, kSaves = 15;
    std::vector<pid_t> games;
    for (int game = 0; game < kGames; ++game) {
        const pid_t pid = fork();
        if (pid == 0) {
            TSettingsStore store(path);
            TSettings settings;
            store.Load(settings);
            bool saved = true;
            for (int save = 0; save < kSaves; ++save) {
                settings.players[1].wins += 1;
                saved = saved && store.Save(settings);
            }
            _exit(saved ? 0 : 1);
        }
        games.push_back(pid);
    }
    for (pid_t pid : games) {
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_EQ(status, 0);
    }
    EXPECT_EQ(Load().players[1].wins, kGames * kSaves);
    for (int fd : {toA[0], toA[1], fromA[0], fromA[1]}) close(fd);
}

TEST_F(SettingsFileTest, KeysCollideOnlyAmongSlotsThatPlay)
{
    // Player 3 binds Space as player 1 does: harmless while player 3 is off.
    Write("[player1]\nfire = SPACE\n[player3]\nfire = SPACE\n");
    EXPECT_EQ(Load().players[0].keys.fire, irr::KEY_SPACE);
    EXPECT_EQ(errors, "");
    // With player 3 on, two tanks would fire on one key: every player gets the default keys.
    Write("[player1]\nfire = SPACE\n[player3]\nfire = SPACE\nstatus = computer_easy\n");
    const TSettings s = Load();
    EXPECT_EQ(s.players[0].keys.fire, irr::KEY_TAB);
    EXPECT_EQ(s.players[2].keys.fire, irr::KEY_SPACE);
    EXPECT_NE(errors.find("SPACE is bound to two actions"), std::string::npos) << errors;
}
