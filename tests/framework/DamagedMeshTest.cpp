// Damaged meshes: every form is refused before the engine's 3DS loader sees it, with one
// line naming the file, and never hangs (each load runs in a child under a one-second alarm).
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "framework/GameResource.h"
#include "tests/support/Watchdog.h"

namespace {

using Bytes = std::vector<uint8_t>;

const std::string kMedia = std::string(VEXMOOR_SOURCE_DIR) + "/media/";

Bytes ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutU16(Bytes& b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutU32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A chunk: its id, its length and its contents.
Bytes Chunk(uint16_t id, const Bytes& contents)
{
    Bytes b(6);
    PutU16(b, 0, id);
    PutU32(b, 2, static_cast<uint32_t>(6 + contents.size()));
    b.insert(b.end(), contents.begin(), contents.end());
    return b;
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes b;
    for (const Bytes& part : parts) b.insert(b.end(), part.begin(), part.end());
    return b;
}

Bytes Floats(std::initializer_list<float> values)
{
    Bytes b(values.size() * 4);
    size_t at = 0;
    for (float v : values) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        PutU32(b, at, u);
        at += 4;
    }
    return b;
}

Bytes U16s(std::initializer_list<uint16_t> values)
{
    Bytes b(values.size() * 2);
    size_t at = 0;
    for (uint16_t v : values) PutU16(b, (at += 2) - 2, v);
    return b;
}

// One triangle in an object "t": main { editor { object { trimesh { vertices, faces } } } }.
Bytes Triangle(const Bytes& extraInTrimesh = {})
{
    const Bytes vertices = Chunk(0x4110, Join({U16s({3}), Floats({0, 0, 0, 1, 0, 0, 0, 1, 0})}));
    const Bytes faces = Chunk(0x4120, U16s({1, 0, 1, 2, 0}));
    const Bytes trimesh = Chunk(0x4100, Join({vertices, faces, extraInTrimesh}));
    return Chunk(0x4D4D, Chunk(0x3D3D, Chunk(0x4000, Join({Bytes{'t', 0}, trimesh}))));
}

class DamagedMesh : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/vexmoor-meshes-XXXXXX";
        dir = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string Write(const std::string& name, const Bytes& bytes)
    {
        const std::string path = dir + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path;
    }

    // Loads each file on the NULL driver in a child, each under a fresh one-second alarm;
    // the child's status is 0 when every file was refused, else 10 + the first loaded one.
    WatchdogResult LoadEach(const std::vector<std::string>& files)
    {
        return RunUnderWatchdog(5, [&] {
            irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
            int status = 0;
            for (size_t i = 0; i < files.size() && status == 0; ++i) {
                alarm(1);
                if (TMeshResource::Create(device->getSceneManager(), files[i])) status = 10 + static_cast<int>(i);
            }
            alarm(0);
            device->drop();
            return status;
        });
    }

    // Every file refused in time, each named on exactly one line that gives `reason`.
    void ExpectEachRefused(const std::vector<std::string>& files, const std::string& reason)
    {
        const WatchdogResult result = LoadEach(files);
        ASSERT_FALSE(result.hung) << "a load did not end within a second; stderr: " << result.stderrText;
        ASSERT_EQ(result.status, 0) << "loaded: " << (result.status >= 10 ? files[result.status - 10] : "?");
        for (const std::string& file : files) {
            EXPECT_EQ(LinesContaining(result.stderrText, "mesh: cannot load \"" + file + "\": the file "), 1)
                << file << "\n" << result.stderrText;
        }
        EXPECT_EQ(LinesContaining(result.stderrText, reason), static_cast<int>(files.size())) << result.stderrText;
    }

    std::string dir;
};

TEST_F(DamagedMesh, TheGameMeshesAndAWholeTriangleLoad)
{
    std::vector<std::string> files = {Write("triangle.3ds", Triangle())};
    for (const char* name : {"tank", "sleek_tank", "tank_shell", "arena_base", "arena1", "arena2"})
        files.push_back(kMedia + name + ".3ds");
    const WatchdogResult result = RunUnderWatchdog(5, [&] {
        irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
        int missing = 0;
        for (const std::string& file : files)
            if (!TMeshResource::Create(device->getSceneManager(), file)) ++missing;
        device->drop();
        return missing;
    });
    EXPECT_FALSE(result.hung);
    EXPECT_EQ(result.status, 0) << result.stderrText;
    EXPECT_EQ(LinesContaining(result.stderrText, "mesh:"), 0) << result.stderrText;
}

TEST_F(DamagedMesh, TwelveByteHeaderWithZerosIsRefused)
{
    Bytes twelve(12, 0);
    PutU16(twelve, 0, 0x4D4D);
    PutU32(twelve, 2, 12);
    ExpectEachRefused({Write("twelve.3ds", twelve)}, "is damaged: a chunk of length 0 at byte 6");
}

TEST_F(DamagedMesh, ZeroLengthChunkAnywhereIsRefused)
{
    // Every chunk of the triangle in turn: main 0, editor 6, object 12, trimesh 20,
    // vertices 26, faces 70, and one unknown chunk the loader would skip by its length.
    std::vector<std::string> files;
    for (size_t at : {6u, 12u, 20u, 26u, 70u}) {
        Bytes bytes = Triangle();
        PutU32(bytes, at + 2, 0);
        files.push_back(Write("zero" + std::to_string(at) + ".3ds", bytes));
    }
    Bytes unknown = Triangle(Chunk(0x4ABC, {}));
    PutU32(unknown, unknown.size() - 4, 0);
    files.push_back(Write("zero_unknown.3ds", unknown));
    ExpectEachRefused(files, "a chunk of length 0 at byte");
}

TEST_F(DamagedMesh, LengthPastItsParentsEndIsRefused)
{
    Bytes mainTooLong = Triangle();
    PutU32(mainTooLong, 2, static_cast<uint32_t>(mainTooLong.size() + 1));
    Bytes verticesTooLong = Triangle();
    PutU32(verticesTooLong, 26 + 2, 44 + 20);  // into the faces, past the trimesh's end
    Bytes huge = Triangle();
    PutU32(huge, 6 + 2, 0xFFFFFFF0u);
    ExpectEachRefused({Write("main.3ds", mainTooLong), Write("vertices.3ds", verticesTooLong), Write("huge.3ds", huge)},
                      "a chunk running past its end");
}

TEST_F(DamagedMesh, TheTankCutAtEvery64thByteIsRefused)
{
    const Bytes tank = ReadBytes(kMedia + "tank.3ds");
    ASSERT_GT(tank.size(), 1000u);
    std::vector<std::string> files;
    for (size_t size = 0; size < tank.size(); size += 64)
        files.push_back(Write("cut" + std::to_string(size) + ".3ds", Bytes(tank.begin(), tank.begin() + size)));
    // A file of no bytes at all is "not a 3DS file"; every other cut is damage.
    const WatchdogResult result = LoadEach(files);
    ASSERT_FALSE(result.hung) << result.stderrText;
    ASSERT_EQ(result.status, 0) << result.stderrText;
    EXPECT_EQ(LinesContaining(result.stderrText, "mesh: cannot load"), static_cast<int>(files.size()));
    EXPECT_EQ(LinesContaining(result.stderrText, "is damaged"), static_cast<int>(files.size()) - 1);
}

TEST_F(DamagedMesh, HeaderWithZerosOrRandomBytesIsRefused)
{
    std::vector<std::string> files;
    Bytes zeros(1 << 20, 0);
    PutU16(zeros, 0, 0x4D4D);
    PutU32(zeros, 2, static_cast<uint32_t>(zeros.size()));
    files.push_back(Write("zeros.3ds", zeros));
    std::mt19937 random(22);
    for (int i = 0; i < 8; ++i) {
        Bytes noise(64 << 10);
        for (uint8_t& b : noise) b = static_cast<uint8_t>(random());
        PutU16(noise, 0, 0x4D4D);
        PutU32(noise, 2, static_cast<uint32_t>(noise.size()));
        files.push_back(Write("random" + std::to_string(i) + ".3ds", noise));
    }
    ExpectEachRefused(files, "is damaged");
}

TEST_F(DamagedMesh, FileOver16MiBIsRefusedWithItsSize)
{
    // 200 MB of a header and zeros, without writing them: the file is sparse.
    Bytes header(6);
    PutU16(header, 0, 0x4D4D);
    PutU32(header, 2, 200000000u);
    const std::string path = Write("big.3ds", header);
    std::filesystem::resize_file(path, 200000000u);
    ExpectEachRefused({path}, "is 200000000 bytes, more than the 16 MiB a mesh may have");
}

TEST_F(DamagedMesh, NoGeometryIsRefusedAfterLoading)
{
    const Bytes emptyEditor = Chunk(0x4D4D, Chunk(0x3D3D, Chunk(0x3D3E, U16s({3, 0}))));
    const Bytes noFaces = Chunk(
        0x4D4D, Chunk(0x3D3D, Chunk(0x4000, Join({Bytes{'t', 0},
                                                  Chunk(0x4100, Chunk(0x4110, Join({U16s({3}),
                                                                                    Floats({0, 0, 0, 1, 0, 0, 0, 1, 0})})))}))));
    ExpectEachRefused({Write("empty.3ds", emptyEditor), Write("nofaces.3ds", noFaces)}, "the file holds no triangles");
}

TEST_F(DamagedMesh, ContentsThatDoNotFillTheirChunkAreRefused)
{
    // What the loader reads would stop short of the chunk's end, or run past it, and it
    // would read on from the wrong place.
    const Bytes vertices = Chunk(0x4110, Join({U16s({4}), Floats({0, 0, 0, 1, 0, 0, 0, 1, 0})}));
    const Bytes object = Chunk(0x4000, Join({Bytes{'t', 0}, Chunk(0x4100, vertices)}));
    const Bytes wrongCount = Chunk(0x4D4D, Chunk(0x3D3D, object));
    const Bytes noNameEnd = Chunk(0x4D4D, Chunk(0x3D3D, Chunk(0x4000, Bytes{'t', 't'})));
    Bytes withGroup = Triangle(Chunk(0x4130, Join({Bytes{'m', 0}, U16s({1, 5})})));
    ExpectEachRefused({Write("count.3ds", wrongCount), Write("name.3ds", noNameEnd), Write("group.3ds", withGroup)},
                      "is damaged");
}

// A face group may name the object's last face, not the one after it.
TEST_F(DamagedMesh, AFaceGroupNamingOnePastTheLastFaceIsRefused)
{
    const Bytes material = Chunk(0xAFFF, Chunk(0xA000, Bytes{'m', 0}));
    auto withGroup = [&](uint16_t face) {
        const Bytes group = Chunk(0x4130, Join({Bytes{'m', 0}, U16s({1, face})}));
        const Bytes vertices = Chunk(0x4110, Join({U16s({3}), Floats({0, 0, 0, 1, 0, 0, 0, 1, 0})}));
        const Bytes faces = Chunk(0x4120, Join({U16s({1, 0, 1, 2, 0}), group}));
        const Bytes object = Chunk(0x4000, Join({Bytes{'t', 0}, Chunk(0x4100, Join({vertices, faces}))}));
        return Chunk(0x4D4D, Chunk(0x3D3D, Join({material, object})));
    };
    const WatchdogResult last = LoadEach({Write("last.3ds", withGroup(0))});
    EXPECT_EQ(last.status, 10) << "the group of the one face was refused: " << last.stderrText;
    ExpectEachRefused({Write("past.3ds", withGroup(1))}, "a face group naming a missing face");
}

}  // namespace

TEST_F(DamagedMesh, AVertexFarOutOrTooManyTrianglesIsRefusedAfterLoading)
{
    // Each a well-formed file: only the values are beyond any arena or tank.
    auto withVertex = [](float x) {
        const Bytes vertices = Chunk(0x4110, Join({U16s({3}), Floats({0, 0, 0, 1, 0, 0, 0, 1, x})}));
        const Bytes trimesh = Chunk(0x4100, Join({vertices, Chunk(0x4120, U16s({1, 0, 1, 2, 0}))}));
        return Chunk(0x4D4D, Chunk(0x3D3D, Chunk(0x4000, Join({Bytes{'t', 0}, trimesh}))));
    };
    ExpectEachRefused({Write("far.3ds", withVertex(1e30f)), Write("farther.3ds", withVertex(1e5f)),
                       Write("nan.3ds", withVertex(std::nanf("")))},
                      " units a mesh may reach");

    Bytes faces = U16s({65535});
    for (int f = 0; f < 65535; ++f) faces = Join({faces, U16s({0, 1, 2, 0})});
    const Bytes vertices = Chunk(0x4110, Join({U16s({3}), Floats({0, 0, 0, 1, 0, 0, 0, 1, 0})}));
    Bytes objects;
    for (char name : {'a', 'b', 'c', 'd'})
        objects = Join({objects, Chunk(0x4000, Join({Bytes{static_cast<uint8_t>(name), 0},
                                                     Chunk(0x4100, Join({vertices, Chunk(0x4120, faces)}))}))});
    ExpectEachRefused({Write("many.3ds", Chunk(0x4D4D, Chunk(0x3D3D, objects)))},
                      "holds 262140 triangles, more than the 200000 a mesh may have");
}
