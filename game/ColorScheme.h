// One of the game's palettes: "Arena", "Tank1", "Tank2" and "Background", and in the
// game's own schemes "Tank3" and "Tank4" for players 3 and 4 (player 3 in player 1's hue,
// "Tank2", player 4 in player 2's, "Tank1": the teams' colors).
#pragma once

#include <irrlicht.h>

#include <memory>
#include <optional>
#include <string>

#include "framework/GameBase.h"

class TColorScheme : public TGameBase {
    VEXMOOR_CLASS(TColorScheme, TGameBase)

public:
    // A scheme holding the four colors as color resources under their keys.
    static std::shared_ptr<TColorScheme> Create(irr::video::SColor arena, irr::video::SColor tank1,
                                                irr::video::SColor tank2, irr::video::SColor background);
    // The same with the colors of the tanks of players 3 and 4.
    static std::shared_ptr<TColorScheme> Create(irr::video::SColor arena, irr::video::SColor tank1,
                                                irr::video::SColor tank2, irr::video::SColor background,
                                                irr::video::SColor tank3, irr::video::SColor tank4);

    // The color under one of the scheme's keys; any other key is a programming error and throws.
    virtual irr::video::SColor GetColor(const std::string& key);

    // One step from color toward target (opaque black when absent): each of red, green and
    // blue moves by at most one; the result is always opaque.
    static irr::video::SColor FadeColor(irr::video::SColor color, std::optional<irr::video::SColor> target);
};
