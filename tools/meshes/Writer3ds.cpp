#include "meshes/Writer3ds.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <tuple>

namespace meshes {
namespace {

enum ChunkId : uint16_t {
    kMain = 0x4D4D,
    kVersion = 0x0002,
    kEditor = 0x3D3D,
    kMeshVersion = 0x3D3E,
    kObject = 0x4000,
    kTriMesh = 0x4100,
    kVertices = 0x4110,
    kFaces = 0x4120,
};

class ByteWriter {
public:
    void U16(uint16_t v)
    {
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
    }
    void F32(float f)
    {
        uint32_t v;
        std::memcpy(&v, &f, sizeof v);
        U32(v);
    }
    // Opens a chunk; its length is filled in by End.
    size_t Begin(uint16_t id)
    {
        const size_t at = bytes.size();
        U16(id);
        U32(0);
        return at;
    }
    void End(size_t at)
    {
        const uint32_t length = static_cast<uint32_t>(bytes.size() - at);
        for (int i = 0; i < 4; ++i)
            bytes[at + 2 + i] = static_cast<uint8_t>((length >> (8 * i)) & 0xFF);
    }
    std::vector<uint8_t> bytes;
};

float Round(float v)
{
    const float r = static_cast<float>(std::round(static_cast<double>(v) * 10000.0) / 10000.0);
    return r == 0.0f ? 0.0f : r;  // no negative zero
}

}  // namespace

std::vector<uint8_t> Encode3ds(const std::string& objectName, const std::vector<Triangle>& triangles)
{
    // Shared corners are written once; the file stores at most 65535 of either.
    using Key = std::tuple<float, float, float>;
    std::map<Key, uint16_t> index;
    std::vector<Key> vertices;
    std::vector<uint16_t> faces;
    auto corner = [&](const Vec3& p) {
        // File axes are Z-up: (x, y, z) here is (x, z, y) there.
        const Key key{Round(p.x), Round(p.z), Round(p.y)};
        auto it = index.find(key);
        if (it != index.end())
            return it->second;
        if (vertices.size() >= 0xFFFF)
            throw std::length_error("too many vertices for a 3ds object");
        const uint16_t i = static_cast<uint16_t>(vertices.size());
        index.emplace(key, i);
        vertices.push_back(key);
        return i;
    };
    if (triangles.size() >= 0xFFFF)
        throw std::length_error("too many faces for a 3ds object");
    for (const Triangle& t : triangles) {
        // The loader reads a face (a, b, c) as (a, c, b).
        faces.push_back(corner(t.a));
        faces.push_back(corner(t.c));
        faces.push_back(corner(t.b));
    }

    ByteWriter w;
    const size_t main = w.Begin(kMain);
    const size_t version = w.Begin(kVersion);
    w.U32(3);
    w.End(version);
    const size_t editor = w.Begin(kEditor);
    const size_t meshVersion = w.Begin(kMeshVersion);
    w.U32(3);
    w.End(meshVersion);
    const size_t object = w.Begin(kObject);
    for (char c : objectName)
        w.bytes.push_back(static_cast<uint8_t>(c));
    w.bytes.push_back(0);
    const size_t mesh = w.Begin(kTriMesh);
    const size_t verts = w.Begin(kVertices);
    w.U16(static_cast<uint16_t>(vertices.size()));
    for (const Key& v : vertices) {
        w.F32(std::get<0>(v));
        w.F32(std::get<1>(v));
        w.F32(std::get<2>(v));
    }
    w.End(verts);
    const size_t faceChunk = w.Begin(kFaces);
    w.U16(static_cast<uint16_t>(triangles.size()));
    for (size_t i = 0; i < faces.size(); i += 3) {
        w.U16(faces[i]);
        w.U16(faces[i + 1]);
        w.U16(faces[i + 2]);
        w.U16(0x0007);  // all three edges visible
    }
    w.End(faceChunk);
    w.End(mesh);
    w.End(object);
    w.End(editor);
    w.End(main);
    return w.bytes;
}

bool Write3ds(const std::string& path, const std::string& objectName, const std::vector<Triangle>& triangles)
{
    std::vector<uint8_t> bytes;
    try {
        bytes = Encode3ds(objectName, triangles);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_meshes: %s: %s\n", path.c_str(), e.what());
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "make_meshes: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "make_meshes: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace meshes
