// Encodes mono float samples as an Ogg Vorbis file with libvorbisenc.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sounds {

// The stream serial every file gets, so that the same samples give the same bytes.
const int kStreamSerial = 0x56584D52;

// Writes `samples` (-1..1) at `rate` Hz, variable bitrate at `quality` (-0.1..1).
// False with one line on stderr when encoding or writing fails.
bool WriteOggVorbis(const std::string& path, const std::vector<float>& samples, long rate, float quality,
                    const std::string& title);

}  // namespace sounds
