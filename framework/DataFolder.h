// Finds the folder that holds the game's data (media/ and fonts/) and makes it the
// working directory, so that a game started from anywhere reads its files by their
// relative names.
#pragma once

#include <string>
#include <vector>

// True when the working directory holds every folder in `needed`, or one of
// `besideProgram` does (paths relative to the program's own folder, tried in order;
// the first that does becomes the working directory). Otherwise writes one line on
// stderr that names the folders looked in, followed by `howToStart`, and returns false.
bool EnterDataFolder(const std::vector<std::string>& needed, const std::vector<std::string>& besideProgram,
                     const std::string& howToStart);
