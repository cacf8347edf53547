#include "game/TankColors.h"

#include "framework/GameResource.h"
#include "game/ColorScheme.h"
#include "game/Vexmoor.h"
#include "game/VexmoorGameState.h"

namespace TankColors {

const std::string& KeyOfSlot(int slot)
{
    static const std::string kKeys[4] = {"Tank2", "Tank1", "Tank3", "Tank4"};
    return kKeys[slot >= 0 && slot < 4 ? slot : 0];
}

const std::string& SchemeKeyOfSlot(TVexmoorGameState& state, int slot)
{
    const std::string& own = KeyOfSlot(slot);
    if (slot < 2) return own;
    TVexmoor* game = state.GetGame();
    TColorScheme* scheme = game ? game->CurrentColorScheme.get() : nullptr;
    if (scheme && scheme->GetGameResourceAs<TColorResource>(own)) return own;
    return KeyOfSlot(slot % 2);
}

irr::video::SColor OfSlot(TVexmoorGameState& state, int slot)
{
    return state.SchemeColor(SchemeKeyOfSlot(state, slot));
}

}  // namespace TankColors
