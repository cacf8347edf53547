// Writes a triangle model as a 3D Studio (.3ds) file of one object and no materials.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "meshes/Solid.h"

namespace meshes {

// The file's bytes: Z-up axes, faces ordered so that the engine's loader (which swaps
// y and z and reverses every face) gives back the triangles exactly as passed in.
// Coordinates are rounded to 1/10000 so the output does not hang on the last bit.
std::vector<uint8_t> Encode3ds(const std::string& objectName, const std::vector<Triangle>& triangles);

// Encodes and writes; false with one line on stderr when the file cannot be written
// or the model is too large for the format.
bool Write3ds(const std::string& path, const std::string& objectName, const std::vector<Triangle>& triangles);

}  // namespace meshes
