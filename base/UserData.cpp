#include "base/UserData.h"

#include <cstdlib>

std::string UserDataFolder(const std::string& name)
{
    // A relative XDG_DATA_HOME is ignored, as the XDG base directory rules ask.
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/') return std::string(data) + "/vexmoor/" + name;
    const char* home = std::getenv("HOME");
    if (home && home[0] != '\0') return std::string(home) + "/.local/share/vexmoor/" + name;
    return "";
}
