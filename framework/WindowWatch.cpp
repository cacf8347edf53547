#include "framework/WindowWatch.h"

#include <X11/Xlib.h>

namespace WindowWatch {
namespace {

bool lost = false;
bool creating = false;
std::string creationError;

int OnXError(Display* display, XErrorEvent* error)
{
    if (creating) {
        if (creationError.empty()) {
            char name[128] = {};
            XGetErrorText(display, error->error_code, name, sizeof name);
            creationError = name[0] ? name : "X error " + std::to_string(error->error_code);
        }
        return 0;
    }
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

void BeginDeviceCreation()
{
    Start();
    creating = true;
    creationError.clear();
    // A new window: whatever befell the old one is over.
    lost = false;
}

std::string EndDeviceCreation(void* display)
{
    if (display) XSync(static_cast<Display*>(display), False);
    creating = false;
    return creationError;
}

bool WindowLost()
{
    return lost;
}

}  // namespace WindowWatch
