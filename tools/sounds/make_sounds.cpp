// make_sounds OUTDIR: synthesizes the game's sounds into OUTDIR as Ogg Vorbis files.
#include <cstdio>
#include <string>

#include "sounds/OggWriter.h"
#include "sounds/SoundEffects.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    for (const sounds::SoundFile& sound : sounds::AllSounds()) {
        const std::vector<float> samples = sound.build(sound.rate);
        const std::string path = dir + "/" + sound.file;
        if (!sounds::WriteOggVorbis(path, samples, sound.rate, sound.quality, sound.file))
            return 1;
        std::printf("%-18s %6.3f s\n", sound.file.c_str(), static_cast<double>(samples.size()) / sound.rate);
    }
    return 0;
}
