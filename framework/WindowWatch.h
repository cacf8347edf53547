// Notices when the game's X window is destroyed under it (by another client or a window
// manager), which Xlib would otherwise answer by killing the process on the next error.
#pragma once

namespace WindowWatch {

// Installs our X error handler; call once the window exists.
void Start();

// True once an X request failed because the window or its drawable is gone.
bool WindowLost();

}  // namespace WindowWatch
