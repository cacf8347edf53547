#include "Stopwatch.h"

#include <fstream>
#include <sstream>

namespace bench {

long StatusKb(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, field.size() + 1, field + ":") != 0) continue;
        std::istringstream in(line.substr(field.size() + 1));
        long kb = -1;
        in >> kb;
        return kb;
    }
    return -1;
}

bool ResetPeakRss()
{
    // "5" clears the peak resident size (Linux 4.0 and later).
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    return static_cast<bool>(clear.flush());
}

}  // namespace bench
