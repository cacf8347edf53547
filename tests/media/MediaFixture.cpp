#include "MediaFixture.h"

#include <map>
#include <tuple>

namespace mediatest {

std::string SourcePath(const std::string& relative)
{
    return std::string(VEXMOOR_SOURCE_DIR) + "/" + relative;
}

irr::IrrlichtDevice* Device()
{
    // Dropped when the test program ends, with every mesh and font it cached.
    struct Holder {
        Holder()
        {
            irr::SIrrlichtCreationParameters params;
            params.DriverType = irr::video::EDT_NULL;
            params.LoggingLevel = irr::ELL_ERROR;
            device = irr::createDeviceEx(params);
        }
        ~Holder()
        {
            if (device)
                device->drop();
        }
        irr::IrrlichtDevice* device = nullptr;
    };
    static Holder holder;
    return holder.device;
}

LoadedMesh LoadMesh(const std::string& path)
{
    LoadedMesh loaded;
    irr::scene::ISceneManager* smgr = Device()->getSceneManager();
    irr::scene::IAnimatedMesh* animated = smgr->getMesh(path.c_str());
    if (!animated)
        return loaded;
    loaded.mesh = animated->getMesh(0, 255, -1, -1);
    if (!loaded.mesh)
        return loaded;
    loaded.box = loaded.mesh->getBoundingBox();
    for (irr::u32 b = 0; b < loaded.mesh->getMeshBufferCount(); ++b) {
        irr::scene::IMeshBuffer* buffer = loaded.mesh->getMeshBuffer(b);
        const irr::u16* indices = buffer->getIndices();
        for (irr::u32 i = 0; i + 2 < buffer->getIndexCount(); i += 3)
            loaded.triangles.emplace_back(buffer->getPosition(indices[i]), buffer->getPosition(indices[i + 1]),
                                          buffer->getPosition(indices[i + 2]));
    }
    return loaded;
}

double SignedVolume(const std::vector<irr::core::triangle3df>& triangles)
{
    double volume = 0.0;
    for (const irr::core::triangle3df& t : triangles) {
        const irr::core::vector3d<double> a(t.pointA.X, t.pointA.Y, t.pointA.Z);
        const irr::core::vector3d<double> b(t.pointB.X, t.pointB.Y, t.pointB.Z);
        const irr::core::vector3d<double> c(t.pointC.X, t.pointC.Y, t.pointC.Z);
        volume += a.dotProduct(b.crossProduct(c)) / 6.0;
    }
    return volume;
}

size_t UnmatchedEdges(const std::vector<irr::core::triangle3df>& triangles)
{
    using Point = std::tuple<float, float, float>;
    std::map<std::pair<Point, Point>, int> balance;
    auto key = [](const irr::core::vector3df& v) { return Point{v.X, v.Y, v.Z}; };
    for (const irr::core::triangle3df& t : triangles) {
        const Point p[3] = {key(t.pointA), key(t.pointB), key(t.pointC)};
        for (int i = 0; i < 3; ++i) {
            const Point& from = p[i];
            const Point& to = p[(i + 1) % 3];
            if (from < to)
                ++balance[{from, to}];
            else
                --balance[{to, from}];
        }
    }
    size_t unmatched = 0;
    for (const auto& entry : balance)
        unmatched += static_cast<size_t>(std::abs(entry.second));
    return unmatched;
}

}  // namespace mediatest
