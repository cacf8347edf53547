#include "game/CommandLine.h"

// VEXMOOR_VERSION is the project's version, set by the build.

TCommandLine TCommandLine::Parse(const std::vector<std::string>& args)
{
    TCommandLine line;
    bool help = false, version = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            help = true;
        } else if (arg == "--version") {
            version = true;
        } else if (arg == "--windowed" || arg == "--fullscreen") {
            line.fullscreen = arg == "--fullscreen";
        } else if (arg == "--replay") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                line.error = "--replay needs the replay FILE to play";
                break;
            }
            line.replay = args[++i];
        } else if (TNetworkArguments::IsRole(arg)) {
            if (!line.network.TakeRole(args, &i, &line.error)) break;
        } else {
            line.error = "unknown argument \"" + arg + "\"";
            break;
        }
    }
    if (line.error.empty() && !line.replay.empty() && line.network.role != TNetworkArguments::Role::None)
        line.error = "--replay plays a recorded match alone: not with --host or --join";
    if (!line.error.empty())
        line.action = Action::Refuse;
    else if (help)
        line.action = Action::Help;
    else if (version)
        line.action = Action::Version;
    return line;
}

std::string TCommandLine::Usage()
{
    return "Usage: vexmoor [OPTION]...\n"
           "A two-player tank arena game. Without options it starts on the title screen in the\n"
           "window mode of its settings file.\n"
           "\n"
           "  --windowed               play in a window this time (the settings are not changed)\n"
           "  --fullscreen             play full screen this time (the settings are not changed)\n"
           "  --host [[ADDRESS:]PORT]  host a network match: listen on UDP port 47400 (or PORT)\n"
           "                           on every address (or ADDRESS only)\n"
           "  --join HOST[:PORT]       join the network match HOST is hosting (port 47400 unless given)\n"
           "  --replay FILE            play the recorded match FILE (matches are recorded in\n"
           "                           ~/.local/share/vexmoor/replays), then go to the title\n"
           "  --help, -h               show this help and exit\n"
           "  --version                show the version and exit\n";
}

std::string TCommandLine::VersionLine()
{
    return std::string("Vexmoor ") + VEXMOOR_VERSION;
}
