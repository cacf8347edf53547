#include "game/settings/Settings.h"

#include <irrlicht.h>

TSettings::TSettings()
{
    players[0].tank = TTankModel::Boxy;
    players[0].keys = DefaultKeys(0);
    players[1].tank = TTankModel::Sleek;
    players[1].keys = DefaultKeys(1);
}

TKeyBindings TSettings::DefaultKeys(int slot)
{
    if (slot == 0) return {irr::KEY_KEY_X, irr::KEY_KEY_Z, irr::KEY_KEY_C, irr::KEY_TAB};
    return {irr::KEY_UP, irr::KEY_LEFT, irr::KEY_RIGHT, irr::KEY_RETURN};
}
