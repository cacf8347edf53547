#include "game/match/EndMatchAnimator.h"

#include "framework/Game.h"
#include "game/match/ArenaScreen.h"

int TEndMatchAnimator::OnAnimate(TGameState* state, int ms)
{
    auto* arena = dynamic_cast<TVexmoorArenaScreen*>(state);
    if (!arena) return 0;
    if (start == 0) {
        start = ms;
        arena->ResetArena();
        arena->SetTanksDisabled(1);
        arena->SetTanksVolume(0);
        arena->IncrementColorScheme();
    }
    if (cnt >= end_cnt) {
        arena->QueueAnimatorForDeletion(obj_key);
        // The results follow where the game has them (a test's game may not); a replay
        // goes back where it was chosen.
        arena->SetNextState(arena->AfterFinale());
    } else if (ms - start >= cycle) {
        arena->IncrementColorScheme();
        start = ms;
        cnt += 1;
    }
    return 0;
}
