// Decodes a whole Ogg Vorbis file into 16-bit mono samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TDecodedSound {
  int sampleRate = 0;            // frames per second of the file
  int fileChannels = 0;          // channels in the file (the samples are mixed down to one)
  std::vector<int16_t> samples;  // mono
};

// Reads and decodes `path`. On failure returns false and sets `reason` to a short
// phrase ("is empty", "is truncated", ...) that the caller puts after the file name.
bool DecodeOggVorbis(const std::string& path, TDecodedSound& out, std::string& reason);
