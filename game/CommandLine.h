// The program's command line: the window mode for this run, the network role, a replay to
// play, --help (or -h) and --version. One pass over the arguments; anything it does not know
// is refused.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "game/net/NetworkArguments.h"

struct TCommandLine {
    enum class Action { Play, Help, Version, Refuse };
    Action action = Action::Play;
    // --fullscreen or --windowed (the last one given): this run's mode, never saved.
    std::optional<bool> fullscreen;
    TNetworkArguments network;
    // --replay FILE: the recorded match this run plays (then the title follows).
    std::string replay;
    // Why the line was refused (Action::Refuse).
    std::string error;

    // Reads args (the program's arguments without its name). A refusal wins over --help,
    // --help over --version.
    static TCommandLine Parse(const std::vector<std::string>& args);

    // The options, one a line, for --help and after a refusal.
    static std::string Usage();
    // "Vexmoor " and the version.
    static std::string VersionLine();
};
