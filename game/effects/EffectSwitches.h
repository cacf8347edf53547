// Whether the battlefield's effects are made and drawn: all of them at once (on unless
// turned off), and each kind on its own, so that a benchmark can weigh what each costs.
#pragma once

enum class TEffect { Sky, Glow, Trail, Flash, Burst, SpinBlur };
constexpr int kEffectKinds = 6;

bool EffectsShown();
void ShowEffects(bool shown);

// EffectsShown() and this kind not turned off on its own (every kind is on by default).
bool EffectShown(TEffect effect);
void ShowEffect(TEffect effect, bool shown);
const char* EffectName(TEffect effect);  // "sky", "glow", ...
