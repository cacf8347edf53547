// The set-up screen's network row: the role entry steps through the three roles, JOIN shows
// the address field, FIGHT starts the role's network match, and a bad address keeps the
// screen with the reason in the row. Only 127.0.0.1 is used.
#include "ScreenFixture.h"

#include "game/net/NetworkMatch.h"
#include "sound/SoundDevice.h"

class SetupNetworkRow : public ScreenTest {
protected:
    void AtSetup()
    {
        StartAtTitle();
        TGame::SetGameState("StartScreen");
        Frames();
    }
    void ClickOn(irr::gui::IGUIElement* element)
    {
        PointAt(element);
        Click();
        Frames();
    }
    std::wstring RoleText() { return startScreen->network.roleEntry->getText(); }
};

TEST_F(SetupNetworkRow, TheRoleStepsThroughThisMachineHostAndJoinAndJoinShowsTheAddress)
{
    AtSetup();
    TSetupNetworkRow& row = startScreen->network;
    EXPECT_EQ(RoleText(), L"ON THIS MACHINE");
    EXPECT_FALSE(row.addressBox->isVisible());
    ClickOn(row.roleEntry);
    EXPECT_EQ(RoleText(), L"HOST ON PORT 47400");
    ClickOn(row.roleEntry);
    EXPECT_EQ(RoleText(), L"JOIN");
    EXPECT_TRUE(row.addressBox->isVisible());
    ClickOn(row.roleEntry);
    EXPECT_EQ(RoleText(), L"ON THIS MACHINE");
    // A local match starts no network match.
    ClickOn(startScreen->fight);
    EXPECT_EQ(Current(), "Arena");
    EXPECT_EQ(game->network, nullptr);
}

TEST_F(SetupNetworkRow, FightJoinsTheTypedAddressOrSaysWhyNot)
{
    std::string error;
    auto host = TNetSession::Host("127.0.0.1", 0, GameClock::Milliseconds, {}, &error);
    ASSERT_TRUE(host) << error;
    AtSetup();
    TSetupNetworkRow& row = startScreen->network;
    ClickOn(row.roleEntry);
    ClickOn(row.roleEntry);
    row.addressBox->setText(L"127.0.0.1:");
    ClickOn(startScreen->fight);
    EXPECT_EQ(Current(), "StartScreen");
    EXPECT_EQ(std::wstring(row.note->getText()), L"bad port in \"127.0.0.1:\" (1 to 65535)");
    EXPECT_EQ(game->network, nullptr);

    row.addressBox->setText((L"127.0.0.1:" + std::to_wstring(host->GetPort())).c_str());
    ClickOn(startScreen->fight);
    EXPECT_EQ(Current(), "Arena");
    ASSERT_NE(game->network, nullptr);
    EXPECT_TRUE(game->network->IsJoiner());
    game->network.reset();
}

TEST_F(SetupNetworkRow, FightAsHostListensOnTheRowsAddress)
{
    AtSetup();
    TSetupNetworkRow& row = startScreen->network;
    row.hostAddress = "127.0.0.1";
    row.hostPort = 0;  // any free port
    ClickOn(row.roleEntry);
    ClickOn(startScreen->fight);
    EXPECT_EQ(Current(), "Arena");
    ASSERT_NE(game->network, nullptr);
    EXPECT_FALSE(game->network->IsJoiner());
    EXPECT_NE(game->network->Session().GetPort(), 0);
    game->network.reset();
}
