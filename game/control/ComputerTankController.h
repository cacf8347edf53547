// The computer player: senses what a player at the screen would see of the match (the
// enemy it fights, chosen among all of them, the shells coming at it, a bouncing one along
// the walls it will bounce off, the team mates its shots must spare), lets its brain decide, and drives its tank through the tank's own operations (start, stop,
// turn, shoot), as the keyboard controller does.
#pragma once

#include <memory>
#include <string>

#include "framework/ObjectLookup.h"
#include "game/control/TankController.h"
#include "game/ai/TankBrain.h"
#include "game/ai/WallQueries.h"
#include "game/settings/Settings.h"

class TTankShell;
class TNodeGameObject;
class TNavGrid;

class TComputerTankController : public TTankController {
    VEXMOOR_CLASS(TComputerTankController, TTankController)

public:
    static std::shared_ptr<TComputerTankController> Create(const std::string& targetKey, ai::TDifficulty difficulty);
    int OnUpdate() override;

    ai::TDifficulty difficulty;
    // The brain's dice. The match sets them as it starts (and records them), so that no
    // computer player draws from the game's own random numbers in the middle of a match.
    unsigned seed = 0;
    // The brain, made at the first update that finds the arena; null before.
    std::unique_ptr<ai::TTankBrain> brain;

private:
    bool MakeBrain();
    ai::TSenses Sense(TTank& tank);
    static void SenseOpponent(ai::TSenses& s, const std::shared_ptr<TTank>& opponent);
    static void SenseShell(ai::TSenses& s, const std::shared_ptr<TTankShell>& shell);

    irr::scene::ITriangleSelector* walls_ = nullptr;  // of the arena the brain was made for
    TObjectLookup<TNodeGameObject> arena_;
    std::shared_ptr<const TNavGrid> grid_;  // the brain's
    ai::ShotTest targetShot_;  // the grid's test of a shot at an enemy, for the choice of one
    TObjectLookup<TTank> opponent_;
    TObjectLookup<TTankShell> enemyShell_;
    // The enemy fought (a slot), and every slot's tank and shell.
    int targetSlot_ = -1;
    TObjectLookup<TTank> tanks_[kMaxPlayers];
    TObjectLookup<TTankShell> shells_[kMaxPlayers];
};
