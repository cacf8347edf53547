// Checks a 3DS file before the engine's loader sees it. That loader trusts every chunk
// length: a length under 6 makes it read the same chunk for ever, a chunk whose contents
// do not fill it exactly makes it read on from the wrong place, and a name without its
// terminating zero makes it read past the end of the file for ever.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Larger than any arena or tank could need: a bigger file is a mistake, not a mesh.
constexpr long kMaxMeshFileBytes = 16L << 20;

// Empty when the loader can read the file to its end; otherwise a phrase that reads
// after "the file" ("is a folder", "is 209715200 bytes, more than the 16 MiB a mesh may
// have", "is damaged: a chunk of length 0 at byte 12").
std::string Mesh3dsProblem(const std::string& path);

// The same check on bytes already in memory; `folder` is where texture names are
// looked up, as the loader does.
std::string Mesh3dsBytesProblem(const std::vector<uint8_t>& bytes, const std::string& folder);
