// Controllers read the input receiver once per frame and drive their tank through the
// tank's own operations; the tank never knows who drives it.
#pragma once

#include <irrlicht.h>

#include <memory>
#include <optional>

#include "framework/ObjectLookup.h"
#include "framework/objects/MovableGameObjectController.h"
#include "game/control/DriveCommand.h"

class TGameEventReceiver;
class TGameState;
class TTank;

// Marks controllers of tanks.
class TTankController : public TMovableGameObjectController {
    VEXMOOR_CLASS(TTankController, TMovableGameObjectController)

public:
    // The command Drive applied since the last call, if it was called: what a recording of
    // the match keeps of this controller's frame, whatever device filled it.
    std::optional<TDriveCommand> TakeDriven();

protected:
    // The game's input receiver; null without a game.
    static TGameEventReceiver* Receiver();
    // The driven tank, or null when the target is missing or not a tank.
    std::shared_ptr<TTank> Tank();
    // Lets a moving tank coast to a halt, calling Stop once.
    static void Coast(TTank& tank);
    // Applies a frame's command: the turn stops unless the command holds it; a disabled
    // tank only coasts; otherwise it fires, turns left, turns right, then starts or coasts.
    void Drive(TTank& tank, const TDriveCommand& command, TGameState* state);

private:
    TObjectLookup<TTank> tank_;
    std::optional<TDriveCommand> driven_;
};
