// Writes 8-bit RGBA images as PNG files with libpng.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fonts {

// `rgba` holds width * height pixels, rows top to bottom. False with one line on
// stderr when the file cannot be written.
bool WritePng(const std::string& path, uint32_t width, uint32_t height, const std::vector<uint8_t>& rgba);

}  // namespace fonts
