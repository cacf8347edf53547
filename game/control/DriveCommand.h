// What a controller wants of its tank this frame, whatever device it reads: every
// controller fills one and hands it to TTankController::Drive, which applies it.
#pragma once

struct TDriveCommand {
    bool drive = false;  // start, or keep rolling; false lets the tank coast to a halt
    bool left = false;   // turn left
    bool right = false;  // turn right; with both held the right turn wins
    bool fire = false;   // shoot now (a press or a release, by the device's own rule)
};
