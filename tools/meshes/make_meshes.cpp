// make_meshes OUTDIR: writes the game's 3DS models into OUTDIR.
#include <cstdio>
#include <string>

#include "meshes/Models.h"
#include "meshes/Writer3ds.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_meshes OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    for (const meshes::ModelFile& model : meshes::AllModels()) {
        const meshes::Solid solid = model.build();
        const std::string path = dir + "/" + model.file;
        if (!meshes::Write3ds(path, model.object, solid.Triangles()))
            return 1;
        std::printf("%-16s %5zu triangles\n", model.file.c_str(), solid.Triangles().size());
    }
    return 0;
}
