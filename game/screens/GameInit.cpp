#include "game/screens/GameInit.h"

#include <stdexcept>

#include "framework/Clock.h"
#include "framework/GameResource.h"
#include "framework/Gamepads.h"
#include "game/Vexmoor.h"

namespace {

constexpr const char* kHoverSound = "media/menu_hover.ogg";

std::string DriverName(int driverType)
{
    switch (driverType) {
    case irr::video::EDT_NULL: return "NULL";
    case irr::video::EDT_SOFTWARE: return "software";
    case irr::video::EDT_BURNINGSVIDEO: return "Burning's Video";
    case irr::video::EDT_OPENGL: return "OpenGL";
    default: return "driver " + std::to_string(driverType);
    }
}

}  // namespace

int TVexmoorGameInit::OnSetGameState(TGameState*)
{
    start = static_cast<int>(GameClock::Milliseconds());
    return 0;
}

int TVexmoorGameInit::OnUpdate()
{
    const uint32_t elapsed = GameClock::Milliseconds() - static_cast<uint32_t>(start);
    if (elapsed >= static_cast<uint32_t>(frameDelay)) SetNextState(next);
    if (initCalled) return 0;

    TVexmoor* game = GetGame();
    if (!game) return 0;
    // Without a window there is nothing to play: end the program with the reason.
    if (!game->OpenFirstDevice(width, height, 16, driverType))
        throw std::runtime_error("InitGame: unable to open the " + std::to_string(game->settings.windowWidth) + "x" +
                                 std::to_string(game->settings.windowHeight) + " " + DriverName(driverType) + " window");
    game->SetCurrentColorScheme(-1);
    LoadGameResources(*game);
    if (!game->gamepads) game->gamepads = TGamepads::Open();
    initCalled = 1;
    return 0;
}

int TVexmoorGameInit::OnRender()
{
    return 0;
}

void TVexmoorGameInit::LoadGameResources(TVexmoor& game)
{
    // A one-shot sound cued on a channel of its own, so a new hover restarts it. When it
    // cannot be loaded (the sound service names the file on stderr) the menus stay silent.
    if (auto sound = TSoundResource::Create(kHoverSound, 2, 1)) game.AddGameResource("menu_hover", sound);
    LoadGameFonts();
}
