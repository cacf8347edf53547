// Where the game keeps what a player makes: $XDG_DATA_HOME/vexmoor (when XDG_DATA_HOME is an
// absolute path), else $HOME/.local/share/vexmoor. The arena files and the replays each
// have a folder there.
#pragma once

#include <string>

// The folder `name` under the game's data home ("arenas" -> ".../vexmoor/arenas"); empty
// when neither an absolute XDG_DATA_HOME nor HOME is set.
std::string UserDataFolder(const std::string& name);
