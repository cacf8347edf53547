// The match set-up screen's player rows: what they show, how clicks cycle them, and that
// FIGHT starts the match with the tanks and drivers they show.
#include "ScreenFixture.h"
#include "game/control/ComputerTankController.h"
#include "game/control/KeyboardTankController.h"
#include "game/match/ArenaScreen.h"
#include "game/settings/SettingsStore.h"
#include "game/tank/Tank.h"
#include "game/world/Player.h"

#include <unistd.h>

#include <cstdio>

namespace {

class SetupScreenTest : public ScreenTest {
protected:
    void OpenSetup()
    {
        StartAtTitle();
        PointAt(title->setup);
        Click();
        Frames();
        ASSERT_EQ(Current(), "StartScreen");
    }
    irr::gui::IGUIStaticText* Cell(int slot, TSetupPlayerRows::Column column)
    {
        return startScreen->players.rows[slot][column];
    }
    std::wstring Text(int slot, TSetupPlayerRows::Column column) { return Cell(slot, column)->getText(); }
    void ClickOn(irr::gui::IGUIElement* element)
    {
        PointAt(element);
        Click();
        Frames();
    }
};

}  // namespace

TEST_F(SetupScreenTest, RowsShowTheSetUpAndClicksCycleTankAndStatus)
{
    OpenSetup();
    game->settings.players[1].wins = 3;
    game->settings.players[1].losses = 4;
    TGame::SetGameState("TitleScreen");
    TGame::SetGameState("StartScreen");
    EXPECT_EQ(Text(0, TSetupPlayerRows::kPlayer), L"1");
    EXPECT_EQ(Text(1, TSetupPlayerRows::kPlayer), L"2");
    EXPECT_EQ(Text(0, TSetupPlayerRows::kTank), L"BOXY");
    EXPECT_EQ(Text(1, TSetupPlayerRows::kTank), L"SLEEK");
    EXPECT_EQ(Text(1, TSetupPlayerRows::kRecord), L"3/4");
    EXPECT_EQ(Text(0, TSetupPlayerRows::kStatus), L"HUMAN");
    // The rows stand under the headings, in the player table's columns.
    for (int slot = 0; slot < 2; ++slot)
        for (auto* cell : startScreen->players.rows[slot]) {
            EXPECT_GT(cell->getAbsolutePosition().UpperLeftCorner.Y, 30);
            EXPECT_LT(cell->getAbsolutePosition().LowerRightCorner.X, 625);
        }

    ClickOn(Cell(0, TSetupPlayerRows::kTank));
    EXPECT_EQ(Text(0, TSetupPlayerRows::kTank), L"SLEEK");
    EXPECT_EQ(game->settings.players[0].tank, TTankModel::Sleek);
    ClickOn(Cell(0, TSetupPlayerRows::kTank));
    EXPECT_EQ(Text(0, TSetupPlayerRows::kTank), L"BOXY");

    const wchar_t* cycle[] = {L"COMPUTER EASY", L"COMPUTER NORMAL", L"COMPUTER HARD", L"HUMAN"};
    for (const wchar_t* expected : cycle) {
        ClickOn(Cell(1, TSetupPlayerRows::kStatus));
        EXPECT_EQ(Text(1, TSetupPlayerRows::kStatus), expected);
    }
    EXPECT_EQ(game->settings.players[1].status, TPlayerStatus::Human);
    EXPECT_EQ(Text(0, TSetupPlayerRows::kStatus), L"HUMAN") << "the other row is left alone";

    // The number and the record are not choices: no light, no change.
    PointAt(Cell(0, TSetupPlayerRows::kRecord));
    EXPECT_EQ(Cell(0, TSetupPlayerRows::kRecord)->getOverrideColor(), Scheme("Background"));
    Click();
    Frames();
    EXPECT_EQ(Text(0, TSetupPlayerRows::kRecord), L"0/0");
    EXPECT_EQ(Current(), "StartScreen");
}

TEST_F(SetupScreenTest, FightStartsTheMatchWithTheRowsTanksAndDrivers)
{
    auto match = std::make_shared<TVexmoorArenaScreen>();
    arena = match;
    OpenSetup();
    ClickOn(Cell(0, TSetupPlayerRows::kTank));              // player 1: sleek
    ClickOn(Cell(1, TSetupPlayerRows::kTank));              // player 2: boxy
    for (int i = 0; i < 2; ++i) ClickOn(Cell(1, TSetupPlayerRows::kStatus));  // COMPUTER NORMAL
    ClickOn(startScreen->fight);
    ASSERT_EQ(Current(), "Arena");

    // Player 1 drives "tank2", player 2 "tank1"; each model keeps its own collision size.
    auto tank2 = match->GetGameObjectAs<TTank>("tank2");
    auto tank1 = match->GetGameObjectAs<TTank>("tank1");
    ASSERT_TRUE(tank1 && tank2);
    EXPECT_EQ(tank2->collision_radius.X, 1.0f) << "sleek";
    EXPECT_EQ(tank1->collision_radius.X, 1.25f) << "boxy";
    EXPECT_TRUE(tank2->GetPosition().equals({-17, 0, 0})) << "the slot's start place, whatever the model";
    auto player1 = match->GetGameObjectAs<TPlayer>("player1");
    auto player2 = match->GetGameObjectAs<TPlayer>("player2");
    EXPECT_NE(std::dynamic_pointer_cast<TKeyboardTankController>(player1->GetController()), nullptr);
    auto computer = std::dynamic_pointer_cast<TComputerTankController>(player2->GetController());
    ASSERT_NE(computer, nullptr);
    EXPECT_EQ(computer->difficulty.reactionMs, 200);
    EXPECT_EQ(computer->target_key, "tank1");

    // START GAME uses the last set-up too.
    TGame::SetGameState("TitleScreen");
    Frames();
    ClickOn(title->start);
    ASSERT_EQ(Current(), "Arena");
    EXPECT_NE(std::dynamic_pointer_cast<TComputerTankController>(
                  match->GetGameObjectAs<TPlayer>("player2")->GetController()),
              nullptr);
}

TEST_F(SetupScreenTest, TheSetUpSurvivesARestart)
{
    char folder[] = "/tmp/vexmoor-setup-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string path = std::string(folder) + "/settings.ini";
    {
        game = std::make_shared<TVexmoor>();
        game->UseSettingsFile(TSettingsStore(path));
        init->driverType = 0;
        TVexmoorScreens screens;
        screens.init = init;
        screens.title = title;
        screens.start = startScreen;
        screens.arena = arena;
        screens.Open();
        ASSERT_TRUE(game->RunFrame());
        clock.Advance(500);
        Frames(2);
        PointAt(title->setup);
        Click();
        Frames();
        ClickOn(Cell(0, TSetupPlayerRows::kTank));
        ClickOn(Cell(1, TSetupPlayerRows::kStatus));
        ClickOn(Cell(1, TSetupPlayerRows::kStatus));
        ClickOn(Cell(1, TSetupPlayerRows::kStatus));
        ClickOn(startScreen->back);
        ASSERT_EQ(Current(), "TitleScreen");
    }
    TGame::ReleaseClassData();
    TGame::InitClassData();
    TSettings restarted;
    TSettingsStore(path).Load(restarted);
    EXPECT_EQ(restarted.players[0].tank, TTankModel::Sleek);
    EXPECT_EQ(restarted.players[1].status, TPlayerStatus::ComputerHard);
    EXPECT_EQ(restarted.players[1].tank, TTankModel::Sleek);
    std::remove(path.c_str());
    rmdir(folder);
}

// Players 3 and 4 stand under players 1 and 2, start OFF, and step (Right and Left) through
// a cycle with OFF; NETWORK is offered while hosting only, never to player 1 (the host's
// own), and FIGHT refuses a NETWORK row that nobody would drive.
TEST_F(SetupScreenTest, PlayersThreeAndFourStartOffAndNetworkIsOfferedOnAHostOnly)
{
    OpenSetup();
    EXPECT_EQ(Text(2, TSetupPlayerRows::kPlayer), L"3");
    EXPECT_EQ(Text(3, TSetupPlayerRows::kTank), L"SLEEK");
    EXPECT_EQ(Text(2, TSetupPlayerRows::kStatus), L"OFF");
    EXPECT_EQ(Text(3, TSetupPlayerRows::kStatus), L"OFF");
    int lastBottom = 30;
    for (const auto& row : startScreen->players.rows) {
        for (auto* cell : row) {
            EXPECT_GT(cell->getAbsolutePosition().UpperLeftCorner.Y, lastBottom) << "rows one under the other";
            EXPECT_LT(cell->getAbsolutePosition().LowerRightCorner.X, 625);
        }
        lastBottom = row[0]->getAbsolutePosition().LowerRightCorner.Y;
    }
    EXPECT_LT(lastBottom, 450);

    const int status3 = TSetupPlayerRows::Id(2, TSetupPlayerRows::kStatus);
    auto light = [&](int id) { LightByKeys(*startScreen, id); };
    auto step = [&](irr::EKEY_CODE key) {
        TapKey(key);
        Frames();
        return Text(2, TSetupPlayerRows::kStatus);
    };
    light(status3);
    for (const wchar_t* next : {L"HUMAN", L"COMPUTER EASY", L"COMPUTER NORMAL", L"COMPUTER HARD", L"OFF"})
        EXPECT_EQ(step(irr::KEY_RIGHT), next);
    EXPECT_EQ(step(irr::KEY_LEFT), L"COMPUTER HARD");
    bool networkForPlayer2 = false;
    for (TPlayerStatus status = TPlayerStatus::Human, first = status;;) {
        status = TSetupPlayerRows::NextStatus(status, 1, true);
        EXPECT_NE(status, TPlayerStatus::Off) << "player 2 always plays";
        networkForPlayer2 |= status == TPlayerStatus::Network;
        if (status == first) break;
    }
    EXPECT_TRUE(networkForPlayer2) << "a host's joiner may play player 2";
    for (TPlayerStatus status = TPlayerStatus::Human, first = status;;) {
        status = TSetupPlayerRows::NextStatus(status, 0, true);
        EXPECT_NE(status, TPlayerStatus::Network) << "player 1 is the host's own";
        if (status == first) break;
    }

    // Hosting: NETWORK follows OFF.
    ClickOn(startScreen->network.roleEntry);
    light(status3);
    step(irr::KEY_RIGHT);
    EXPECT_EQ(step(irr::KEY_RIGHT), L"NETWORK");
    EXPECT_EQ(game->settings.players[2].status, TPlayerStatus::Network);
    // On to a match on this machine: nobody would drive player 3.
    ClickOn(startScreen->network.roleEntry);
    ClickOn(startScreen->network.roleEntry);
    ClickOn(startScreen->fight);
    EXPECT_EQ(Current(), "StartScreen");
    EXPECT_EQ(std::wstring(startScreen->network.note->getText()), L"PLAYER 3 IS NETWORK: HOST, OR CHOOSE ANOTHER STATUS");
    light(status3);
    EXPECT_EQ(step(irr::KEY_RIGHT), L"HUMAN") << "NETWORK is not offered here";
    ClickOn(startScreen->fight);
    EXPECT_EQ(Current(), "Arena");
    EXPECT_EQ(game->settings.PlayingCount(), 3);
}
