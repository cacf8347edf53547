#include "MemoryMap.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace bench {

std::map<std::string, long> ResidentByMapping()
{
    std::map<std::string, long> sizes;
    std::ifstream smaps("/proc/self/smaps");
    std::string line, name = "[anonymous]";
    while (std::getline(smaps, line)) {
        if (line.compare(0, 4, "Rss:") == 0) {
            sizes[name] += std::atol(line.c_str() + 4);
            continue;
        }
        // A mapping's header: "start-end perms offset dev inode [path]".
        std::istringstream fields(line);
        std::string range, perms, offset, device, inode, path;
        if (!(fields >> range >> perms >> offset >> device >> inode) || range.find('-') == std::string::npos ||
            range.back() == ':')
            continue;
        std::getline(fields >> std::ws, path);
        if (path.empty()) name = "[anonymous]";
        else if (path[0] == '[') name = path.substr(0, path.find(':'));
        else name = path.substr(path.rfind('/') + 1);
    }
    return sizes;
}

std::string WriteMappings(const std::map<std::string, long>& mappings)
{
    std::string out;
    for (const auto& [name, kb] : mappings) out += "mapping " + std::to_string(kb) + " " + name + "\n";
    return out;
}

std::map<std::string, long> ReadMappings(const std::string& lines)
{
    std::map<std::string, long> mappings;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, 8, "mapping ") != 0) continue;
        char* end = nullptr;
        const long kb = std::strtol(line.c_str() + 8, &end, 10);
        if (end && *end == ' ') mappings[end + 1] += kb;
    }
    return mappings;
}

void PrintDifference(const std::map<std::string, long>& mine, const std::map<std::string, long>& other,
                     long leastKb)
{
    std::map<std::string, long> difference;
    long mineTotal = 0, otherTotal = 0;
    for (const auto& [name, kb] : mine) difference[name] += kb, mineTotal += kb;
    for (const auto& [name, kb] : other) difference[name] -= kb, otherTotal += kb;
    std::vector<std::pair<std::string, long>> rows(difference.begin(), difference.end());
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return std::labs(a.second) > std::labs(b.second); });
    for (const auto& [name, kb] : rows) {
        if (std::labs(kb) < leastKb) break;
        const long a = mine.count(name) ? mine.at(name) : 0, b = other.count(name) ? other.at(name) : 0;
        std::printf("    %+8ld kB  %-40s %8ld kB against %ld kB\n", kb, name.c_str(), a, b);
    }
    std::printf("    %+8ld kB  in all: %ld kB against %ld kB\n", mineTotal - otherTotal, mineTotal, otherTotal);
}

}  // namespace bench
