// The set-up screen's network row: the role (a match on this machine, HOST, JOIN) and, to
// join, a text field for the host's address with an optional :port. FIGHT asks it to start
// the role's network match; what goes wrong is said in the row.
#pragma once

#include <irrlicht.h>

#include <string>

#include "net/WireFormat.h"

class TNetSession;
class TVexmoor;
struct TNetworkArguments;
class TVexmoorGameState;

class TSetupNetworkRow {
public:
    static constexpr int kRoleId = 140;
    static constexpr int kAddressId = 141;
    enum class Role { Local, Host, Join };

    void Build(TVexmoorGameState& screen);
    void Clear();
    // A click on `id`: the role entry steps to the next role.
    void Click(int id) { Step(id, 1); }
    // The role entry steps to the next role (1) or the one before (-1).
    void Step(int id, int direction);
    // Sets game.network as the role asks; false, with the reason shown, when it cannot.
    bool Start(TVexmoor& game);
    // A network match is over: the row takes its role and address, so that FIGHT hosts or
    // joins the same way again, and shows why it ended, when it ended early.
    void AfterMatch(const TNetSession& session, const std::string& endMessage);
    // The command line's role could not start (a port in use, a host not found): the row
    // offers that role and address, and says why.
    void Offer(const TNetworkArguments& arguments, const std::string& why);

    Role role = Role::Local;
    std::string hostAddress = "0.0.0.0";  // where a host listens
    uint16_t hostPort = Wire::kDefaultPort;
    std::wstring address = L"127.0.0.1";  // the joiner's text, kept between visits

    irr::gui::IGUIStaticText* roleEntry = nullptr;
    irr::gui::IGUIEditBox* addressBox = nullptr;
    irr::gui::IGUIStaticText* note = nullptr;
    std::wstring endNote;  // shown in the note as the screen is next built

private:
    void Show();
};
