// Notices when the game's X window is destroyed under it (by another client or a window
// manager), which Xlib would otherwise answer by killing the process on the next error,
// and catches the X errors raised while a device is made, so that a mode the X server or
// its OpenGL refuses (a vsync request, say) is refused like any other and never ends the program.
#pragma once

#include <string>

namespace WindowWatch {

// Installs our X error handler; call before the first device is made.
void Start();

// From now until EndDeviceCreation, X errors are the device's making failing, not a lost window.
void BeginDeviceCreation();
// Waits for the X server to answer every request sent so far on display (an X Display*;
// null to skip the wait) and ends the creation: the name of the first X error raised
// since BeginDeviceCreation, or empty when there was none.
std::string EndDeviceCreation(void* display);

// True once an X request failed because the window or its drawable is gone.
bool WindowLost();

}  // namespace WindowWatch
