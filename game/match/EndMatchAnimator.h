// Closes a match: a fresh arena with both tanks frozen and silent, seven color-scheme
// changes 800 ms apart, then back to the title.
#pragma once

#include "framework/GameState.h"

class TEndMatchAnimator : public TGameStateAnimator {
    VEXMOOR_CLASS(TEndMatchAnimator, TGameStateAnimator)

public:
    int OnAnimate(TGameState* state, int ms) override;

    int start = 0;
    int cycle = 800;
    int cnt = 0;
    int end_cnt = 6;
};
