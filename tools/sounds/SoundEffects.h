// The game's sound effects, synthesized from noise, oscillators and filters.
#pragma once

#include <string>
#include <vector>

namespace sounds {

// Tank engine idle, exactly one loop long: the game loops it and plays it at 0.85 to
// 2.85 times its speed as the tank drives.
std::vector<float> EngineIdle(long rate);
// A tank firing: a sharp crack over a short low thump.
std::vector<float> Fire(long rate);
// A tank blowing up, as long as its 750 ms death.
std::vector<float> Explosion(long rate);
// A soft rising blip for menu entries under the mouse.
std::vector<float> MenuHover(long rate);

struct SoundFile {
    std::string file;  // name inside the media folder
    long rate;
    float quality;
    std::vector<float> (*build)(long rate);
};

// Every sound the game loads, in a fixed order.
const std::vector<SoundFile>& AllSounds();

}  // namespace sounds
