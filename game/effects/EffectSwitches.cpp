#include "game/effects/EffectSwitches.h"

namespace {
bool effectsShown = true;
bool kindShown[kEffectKinds] = {true, true, true, true, true, true};
}  // namespace

bool EffectsShown()
{
    return effectsShown;
}

void ShowEffects(bool shown)
{
    effectsShown = shown;
}

bool EffectShown(TEffect effect)
{
    return effectsShown && kindShown[static_cast<int>(effect)];
}

void ShowEffect(TEffect effect, bool shown)
{
    kindShown[static_cast<int>(effect)] = shown;
}

const char* EffectName(TEffect effect)
{
    static const char* const kNames[kEffectKinds] = {"sky", "glow", "trail", "flash", "burst", "spin blur"};
    return kNames[static_cast<int>(effect)];
}
