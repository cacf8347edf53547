// The process's resident memory by what holds it, read from /proc/self/smaps: each
// library, the heap, the anonymous mappings (threads' stacks and malloc arenas, the
// engine's and the driver's buffers), so that two programs can be compared mapping by mapping.
#pragma once

#include <map>
#include <string>

namespace bench {

// Resident kB by mapping name: a file's name without its folder, "[heap]", "[stack]",
// "[anonymous]". Empty when smaps cannot be read.
std::map<std::string, long> ResidentByMapping();

// One line a name, "name kB", for another program to read back with ReadMappings.
std::string WriteMappings(const std::map<std::string, long>& mappings);
std::map<std::string, long> ReadMappings(const std::string& lines);

// Prints the names whose size differs by at least `leastKb` between `mine` and `other`,
// largest difference first, and the totals.
void PrintDifference(const std::map<std::string, long>& mine, const std::map<std::string, long>& other,
                     long leastKb);

}  // namespace bench
