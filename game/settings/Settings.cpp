#include "game/settings/Settings.h"

#include <irrlicht.h>

TSettings::TSettings()
{
    players[0].tank = TTankModel::Boxy;
    players[0].keys = DefaultKeys(0);
    players[1].tank = TTankModel::Sleek;
    players[1].keys = DefaultKeys(1);
    for (int slot = 2; slot < kMaxPlayers; ++slot) {
        players[static_cast<size_t>(slot)].tank = slot == 2 ? TTankModel::Boxy : TTankModel::Sleek;
        players[static_cast<size_t>(slot)].status = TPlayerStatus::Off;
        players[static_cast<size_t>(slot)].keys = DefaultKeys(slot);
    }
}

TKeyBindings TSettings::DefaultKeys(int slot)
{
    if (slot == 0) return {irr::KEY_KEY_X, irr::KEY_KEY_Z, irr::KEY_KEY_C, irr::KEY_TAB};
    if (slot == 2) return {irr::KEY_KEY_I, irr::KEY_KEY_J, irr::KEY_KEY_L, irr::KEY_SPACE};
    if (slot == 3) return {irr::KEY_NUMPAD8, irr::KEY_NUMPAD4, irr::KEY_NUMPAD6, irr::KEY_NUMPAD0};
    return {irr::KEY_UP, irr::KEY_LEFT, irr::KEY_RIGHT, irr::KEY_RETURN};
}

bool TSettings::IsPlaying(int slot) const
{
    return slot >= 0 && slot < kMaxPlayers && players[static_cast<size_t>(slot)].status != TPlayerStatus::Off;
}

int TSettings::PlayingCount() const
{
    int count = 0;
    for (int slot = 0; slot < kMaxPlayers; ++slot) count += IsPlaying(slot) ? 1 : 0;
    return count;
}
