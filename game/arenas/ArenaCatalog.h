// The arena files a player can choose: every *.txt in the data folder's media/arenas/,
// then in the player's own folder ($XDG_DATA_HOME/vexmoor/arenas, else
// ~/.local/share/vexmoor/arenas). A file that is refused is named on stderr and left out.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "game/arenas/ArenaGrid.h"

class TArenaCatalog {
public:
    // The folders looked in, in order: the shipped arenas, then the player's (left out when
    // neither an absolute XDG_DATA_HOME nor HOME is set).
    static std::vector<std::string> Folders();
    // The player's folder: an absolute $XDG_DATA_HOME/vexmoor/arenas, else
    // $HOME/.local/share/vexmoor/arenas; empty when neither is set.
    static std::string UserFolder();
    // Reads the *.txt files of each folder in name order; a missing folder is no fault. A
    // file that is refused, or whose name an earlier arena already has (the settings keep
    // a custom arena by its name), gets one line on `errors` and is left out.
    static std::vector<TArenaGrid> Load(const std::vector<std::string>& folders, std::ostream& errors);
    // The arena called `name`, or null.
    static const TArenaGrid* Find(const std::vector<TArenaGrid>& arenas, const std::string& name);
};
