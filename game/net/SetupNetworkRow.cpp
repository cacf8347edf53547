#include "game/net/SetupNetworkRow.h"

#include <cstdio>

#include "game/Vexmoor.h"
#include "game/VexmoorGameState.h"
#include "game/net/NetworkArguments.h"
#include "game/net/NetworkMatch.h"

namespace {

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace

void TSetupNetworkRow::Build(TVexmoorGameState& screen)
{
    if (!screen.guienv) return;
    irr::gui::IGUIFont* font = screen.GameFont("fnt_14");
    roleEntry = screen.AddMenuEntry(L"HOST ON PORT 00000", font, 110, screen.SY(462), kRoleId);
    addressBox = screen.guienv->addEditBox(address.c_str(),
                                           irr::core::recti(screen.SX(230), screen.SY(458), screen.SX(470), screen.SY(482)),
                                           true, nullptr, kAddressId);
    addressBox->setOverrideFont(font);
    addressBox->setMax(64);
    note = screen.guienv->addStaticText(L"", irr::core::recti(screen.SX(5), screen.SY(530), screen.SX(620), screen.SY(550)),
                                        false, false, nullptr, -1, false);
    note->setOverrideFont(font);
    note->setOverrideColor(screen.SchemeColor("Tank2"));
    Show();
}

void TSetupNetworkRow::Clear()
{
    if (addressBox) address = addressBox->getText();
    roleEntry = nullptr;
    addressBox = nullptr;
    note = nullptr;
}

void TSetupNetworkRow::Step(int id, int direction)
{
    if (id != kRoleId) return;
    if (direction < 0)
        role = role == Role::Local ? Role::Join : role == Role::Join ? Role::Host : Role::Local;
    else
        role = role == Role::Local ? Role::Host : role == Role::Host ? Role::Join : Role::Local;
    Show();
}

void TSetupNetworkRow::Show()
{
    if (!roleEntry) return;
    const std::wstring text = role == Role::Local ? L"ON THIS MACHINE"
                              : role == Role::Host ? L"HOST ON PORT " + std::to_wstring(hostPort)
                                                   : L"JOIN";
    roleEntry->setText(text.c_str());
    addressBox->setVisible(role == Role::Join);
    note->setText(endNote.c_str());
    endNote.clear();
}

void TSetupNetworkRow::AfterMatch(const TNetSession& session, const std::string& endMessage)
{
    if (session.GetRole() == TNetSession::Role::Host) {
        role = Role::Host;
        hostAddress = session.GetAddress();
        if (session.GetPort() != 0) hostPort = session.GetPort();
    } else {
        role = Role::Join;
        address = Wide(session.GetAddress());
    }
    endNote = Wide(endMessage);
}

void TSetupNetworkRow::Offer(const TNetworkArguments& arguments, const std::string& why)
{
    if (arguments.role == TNetworkArguments::Role::Host) {
        role = Role::Host;
        hostAddress = arguments.address.host;
        hostPort = arguments.address.port;
    } else if (arguments.role == TNetworkArguments::Role::Join) {
        role = Role::Join;
        address = Wide(arguments.address.host + ":" + std::to_string(arguments.address.port));
    }
    endNote = Wide(why);
}

bool TSetupNetworkRow::Start(TVexmoor& game)
{
    if (role == Role::Local) return true;
    std::string error;
    if (role == Role::Host) {
        game.network = TNetworkMatch::Host(hostAddress, hostPort, &error);
    } else {
        if (addressBox) address = addressBox->getText();
        const std::string text(address.begin(), address.end());
        if (auto host = TNetAddress::Parse(text, &error)) game.network = TNetworkMatch::Join(*host, &error);
    }
    if (game.network) return true;
    std::fprintf(stderr, "network: %s\n", error.c_str());
    if (note) note->setText(Wide(error).c_str());
    return false;
}
