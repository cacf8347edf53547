// Opens the game's screens one after another in a real OpenGL window and saves a picture
// of the X server for each (ImageMagick's import). Run it under Xvfb from the checkout:
//   DISPLAY=:66 screen_tour <folder for the pictures>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include "framework/Game.h"
#include "framework/ProgramEntry.h"
#include "game/Vexmoor.h"
#include "game/VexmoorScreens.h"
#include "tests/support/InputEvents.h"

namespace {

std::shared_ptr<TVexmoor> game;

// Runs the main loop for a while of real time, so the window shows the latest frame.
void Run(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        game->RunFrame();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void PointAt(irr::gui::IGUIElement* element)
{
    if (!element) return;
    const irr::core::vector2di center = element->getAbsolutePosition().getCenter();
    game->device->postEventFromUser(MouseEvent(irr::EMIE_MOUSE_MOVED, center.X, center.Y));
}

void Shoot(const std::string& folder, const std::string& name)
{
    const std::string command = "import -window root -crop 800x600+0+0 +repage " + folder + "/" + name + ".png";
    if (std::system(command.c_str()) != 0) std::cerr << "screen_tour: " << command << " failed" << std::endl;
    std::cout << name << ": scheme " << game->ColorSchemeIdx << std::endl;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : ".";
    return RunProgram([&] {
        TGame::InitClassData();
        game = std::make_shared<TVexmoor>();
        auto title = std::make_shared<TVexmoorGameTitleScreen>();
        auto credits = std::make_shared<TVexmoorGameCreditsScreen>();
        auto options = std::make_shared<TVexmoorGameOptionsScreen>();
        auto start = std::make_shared<TVexmoorGameStartScreen>();
        TVexmoorScreens screens;
        screens.title = title;
        screens.credits = credits;
        screens.options = options;
        screens.start = start;
        screens.Open();

        Run(1000);
        Shoot(folder, "title");
        PointAt(title->start);
        Run(500);
        Shoot(folder, "title_hover");

        TGame::SetGameState("CreditsScreen");
        Run(500);
        PointAt(credits->back);
        Run(500);
        Shoot(folder, "credits");

        TGame::SetGameState("OptionsScreen");
        Run(1000);
        Shoot(folder, "options");

        TGame::SetGameState("StartScreen");
        Run(1000);
        Shoot(folder, "start");

        TGame::SetGameState("");
        game.reset();
    });
}
