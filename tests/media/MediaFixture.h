// Shared set-up of the media tests: an engine on the NULL driver and the committed files.
#pragma once

#include <irrlicht.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace mediatest {

// The checkout the tests read media/ and fonts/ from.
std::string SourcePath(const std::string& relative);

// A NULL-driver device shared by every test of the run.
irr::IrrlichtDevice* Device();

// A mesh as the engine loads it: frame 0 of the file, every triangle in engine axes.
struct LoadedMesh {
    irr::scene::IMesh* mesh = nullptr;  // owned by the engine's mesh cache
    irr::core::aabbox3df box;
    std::vector<irr::core::triangle3df> triangles;
};

// Loads a 3DS file through the engine; a file that fails to load gives mesh == nullptr.
LoadedMesh LoadMesh(const std::string& path);

// Sum of the tetrahedra spanned by the origin and each face: the enclosed volume when
// every face is wound to face outwards, negative when turned inside out.
double SignedVolume(const std::vector<irr::core::triangle3df>& triangles);

// Number of edges not matched by the same edge running the other way in another face:
// 0 for closed solids with consistent winding.
size_t UnmatchedEdges(const std::vector<irr::core::triangle3df>& triangles);

}  // namespace mediatest
