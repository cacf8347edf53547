// The set-up screen's OPTIONS column: a label and a value per match variation under the
// "OPTIONS" heading; a click on a value cycles it through its choices in the settings,
// which are kept in the settings file at once.
#include <unistd.h>

#include <cstdlib>
#include <optional>

#include "ScreenFixture.h"
#include "game/screens/StartScreen.h"

using Column = TSetupOptionsColumn;

class SetupOptions : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        folder = "/tmp/vexmoor_setup_options_" + std::to_string(getpid());
        // No arena files of the player's: ARENA offers the shipped one only.
        if (const char* data = std::getenv("XDG_DATA_HOME")) oldData = data;
        ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
        StartAtTitle();
        game->UseSettingsFile(TSettingsStore(folder + "/settings.ini"));
        TGame::SetGameState("StartScreen");
        Frames();
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
        std::system(("rm -rf " + folder).c_str());
        if (oldData) ::setenv("XDG_DATA_HOME", oldData->c_str(), 1);
        else ::unsetenv("XDG_DATA_HOME");
    }
    std::wstring Value(Column::Option option)
    {
        return startScreen->options.values[option]->getText();
    }
    void ClickValue(Column::Option option)
    {
        PointAt(startScreen->options.values[option]);
        Click();
        Frames();
    }
    std::string folder;
    std::optional<std::string> oldData;
};

TEST_F(SetupOptions, EachValueStandsInTheRightHandColumnAndShowsTheDefaults)
{
    const std::wstring defaults[] = {L"FORTS", L"STRAIGHT", L"1",        L"10",           L"NONE",
                                     L"OFF",   L"OFF",      L"ANYWHERE", L"FREE FOR ALL", L"OFF"};
    int lastBottom = 0;
    for (int i = 0; i < Column::kOptionCount; ++i) {
        irr::gui::IGUIStaticText* value = startScreen->options.values[i];
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->getID(), Column::kFirstId + i);
        EXPECT_EQ(std::wstring(value->getText()), defaults[i]);
        const irr::core::recti box = value->getAbsolutePosition();
        EXPECT_GT(box.UpperLeftCorner.X, 635) << "right of the column's band";
        EXPECT_EQ(box.getCenter().X, 718);
        EXPECT_GT(box.UpperLeftCorner.Y, lastBottom);
        lastBottom = box.LowerRightCorner.Y;
    }
    EXPECT_LT(lastBottom, 450) << "above the band over EXIT";
}

TEST_F(SetupOptions, ClicksCycleEveryOptionThroughItsValuesAndTheFileKeepsThem)
{
    struct Cycle {
        Column::Option option;
        std::vector<std::wstring> next;  // after each click, back to the start
    };
    const Cycle cycles[] = {
        {Column::kArena, {L"RANDOM", L"RANDOM MAZE", L"COURTYARD", L"OPEN FIELD", L"MAZE", L"FORTS"}},
        {Column::kShells, {L"BOUNCING", L"STRAIGHT"}},
        {Column::kBounces, {L"2", L"3", L"5", L"1"}},
        {Column::kScoreTo, {L"20", L"5", L"10"}},
        {Column::kTimeLimit, {L"2:16", L"5:00", L"NONE"}},
        {Column::kGuided, {L"ON", L"OFF"}},
        {Column::kInvisible, {L"ON", L"OFF"}},
        {Column::kRespawn, {L"SAFE", L"ANYWHERE"}},
        {Column::kMode, {L"TEAMS", L"FREE FOR ALL"}},
        {Column::kFriendlyFire, {L"ON", L"OFF"}},
    };
    for (const Cycle& cycle : cycles) {
        for (const std::wstring& expected : cycle.next) {
            ClickValue(cycle.option);
            EXPECT_EQ(Value(cycle.option), expected);
        }
    }
    EXPECT_EQ(game->settings.match.arena, TArenaChoice::Forts);

    // One more of each, and they are what the file holds and what the next visit shows.
    ClickValue(Column::kArena);
    ClickValue(Column::kShells);
    ClickValue(Column::kTimeLimit);
    ClickValue(Column::kRespawn);
    ClickValue(Column::kMode);
    ClickValue(Column::kFriendlyFire);
    EXPECT_EQ(game->settings.match.arena, TArenaChoice::Random);
    EXPECT_EQ(game->settings.match.shells, TShellKind::Bouncing);
    EXPECT_EQ(game->settings.match.timeLimitSeconds, 136);
    EXPECT_EQ(game->settings.match.respawn, TRespawnRule::Safe);
    TSettings reread;
    TSettingsStore(folder + "/settings.ini").Load(reread);
    EXPECT_EQ(reread.match.arena, TArenaChoice::Random);
    EXPECT_EQ(reread.match.shells, TShellKind::Bouncing);
    EXPECT_EQ(reread.match.timeLimitSeconds, 136);
    EXPECT_EQ(reread.match.respawn, TRespawnRule::Safe);
    EXPECT_EQ(reread.match.mode, TMatchMode::Teams);
    EXPECT_TRUE(reread.match.friendlyFire);
    TGame::SetGameState("TitleScreen");
    Frames();
    TGame::SetGameState("StartScreen");
    Frames();
    EXPECT_EQ(Value(Column::kArena), L"RANDOM");
    EXPECT_EQ(Value(Column::kTimeLimit), L"2:16");
}

// Without the mouse: Down walks the player table row by row (all four), the OPTIONS column from the
// top, the network role, FIGHT and EXIT; Right steps the lit value on, Left steps it back
// (round the cycle's start too), and the settings file keeps what the keys chose.
TEST_F(SetupOptions, DownWalksTableOptionsRoleFightAndExitAndLeftAndRightStepTheLitValue)
{
    std::vector<int> expected;
    for (int slot = 0; slot < kMaxPlayers; ++slot)
        for (auto column : {TSetupPlayerRows::kTank, TSetupPlayerRows::kStatus})
            expected.push_back(TSetupPlayerRows::Id(slot, column));
    for (int i = 0; i < Column::kOptionCount; ++i) expected.push_back(Column::Id(static_cast<Column::Option>(i)));
    for (int id : {TSetupNetworkRow::kRoleId, startScreen->fight->getID(), startScreen->back->getID()}) expected.push_back(id);
    std::vector<int> walked;
    for (size_t i = 0; i < expected.size(); ++i) {
        TapKey(irr::KEY_DOWN);
        Frames();
        walked.push_back(startScreen->HighlightedEntry());
    }
    EXPECT_EQ(walked, expected);

    auto light = [&](int id) { LightByKeys(*startScreen, id); };
    auto step = [&](irr::EKEY_CODE key) {
        TapKey(key);
        Frames();
    };
    light(Column::Id(Column::kScoreTo));
    step(irr::KEY_RIGHT);
    EXPECT_EQ(Value(Column::kScoreTo), L"20");
    step(irr::KEY_LEFT);
    step(irr::KEY_LEFT);
    EXPECT_EQ(Value(Column::kScoreTo), L"5");
    step(irr::KEY_LEFT);
    EXPECT_EQ(Value(Column::kScoreTo), L"20") << "back round the start of the cycle";
    // ARENA back from OPEN FIELD is the last arena file, after the built-in arenas.
    light(Column::Id(Column::kArena));
    for (const wchar_t* back : {L"MAZE", L"OPEN FIELD", L"COURTYARD", L"RANDOM MAZE"}) {
        step(irr::KEY_LEFT);
        EXPECT_EQ(Value(Column::kArena), back);
    }
    light(TSetupPlayerRows::Id(1, TSetupPlayerRows::kStatus));
    step(irr::KEY_LEFT);
    EXPECT_EQ(std::wstring(startScreen->players.rows[1][TSetupPlayerRows::kStatus]->getText()), L"COMPUTER HARD");
    step(irr::KEY_RIGHT);
    step(irr::KEY_RIGHT);
    EXPECT_EQ(game->settings.players[1].status, TPlayerStatus::ComputerEasy);
    light(TSetupNetworkRow::kRoleId);
    step(irr::KEY_LEFT);
    EXPECT_EQ(startScreen->network.role, TSetupNetworkRow::Role::Join);
    EXPECT_EQ(Current(), "StartScreen") << "Left and Right choose nothing";

    TSettings reread;
    TSettingsStore(folder + "/settings.ini").Load(reread);
    EXPECT_EQ(reread.match.scoreTo, 20);
    EXPECT_EQ(reread.match.arena, TArenaChoice::RandomMaze);
}
