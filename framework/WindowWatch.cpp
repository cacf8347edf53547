#include "framework/WindowWatch.h"

#include <X11/Xlib.h>

namespace WindowWatch {
namespace {

bool lost = false;

int OnXError(Display*, XErrorEvent* error)
{
    // Any failed request is survivable; one on a vanished window or drawable (the GLX
    // drawable included) means the window is gone, and the game ends as if it was closed.
    if (error->error_code == BadWindow || error->error_code == BadDrawable || error->error_code >= 128)
        lost = true;
    return 0;
}

}  // namespace

void Start()
{
    XSetErrorHandler(OnXError);
}

bool WindowLost()
{
    return lost;
}

}  // namespace WindowWatch
