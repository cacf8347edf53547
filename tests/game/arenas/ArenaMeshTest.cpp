// The arena mesh and its boxes: every wall cell in exactly one box, every face a tank can
// touch present, front side out like the loaded arenas, nothing hidden inside a wall.
#include <gtest/gtest.h>

#include <vector>

#include "game/arenas/ArenaFileReader.h"
#include "game/arenas/ArenaMeshBuilder.h"
#include "game/arenas/MazeGenerator.h"

using irr::core::aabbox3df;
using irr::core::triangle3df;
using irr::core::vector3df;

namespace {

// The nearest triangle the segment from-to meets, if any.
const triangle3df* FirstHit(const std::vector<triangle3df>& triangles, const vector3df& from, const vector3df& to,
                            vector3df& at)
{
    const triangle3df* nearest = nullptr;
    for (const triangle3df& triangle : triangles) {
        vector3df hit;
        if (!triangle.getIntersectionWithLimitedLine({from, to}, hit)) continue;
        if (!nearest || hit.getDistanceFrom(from) < at.getDistanceFrom(from)) {
            nearest = &triangle;
            at = hit;
        }
    }
    return nearest;
}

std::vector<TArenaGrid> SomeArenas()
{
    std::vector<TArenaGrid> arenas;
    // Read from the checkout, where CTest runs the tests.
    TArenaRead courtyard = TArenaFileReader::ReadFile("media/arenas/courtyard.txt");
    if (courtyard.grid) arenas.push_back(*courtyard.grid);
    else ADD_FAILURE() << courtyard.error.Message() << " (the tests run from the checkout)";
    for (uint32_t seed = 0; seed < 5; ++seed) arenas.push_back(*TMazeGenerator::Generate(TMazeGenerator::ForWindow(seed, 800, 600)));
    return arenas;
}

float HeightOf(const TArenaGrid& grid, TCellPos cell)
{
    const TArenaCell kind = grid.At(cell);
    return kind == TArenaCell::Wall ? grid.WallHeight() : kind == TArenaCell::LowBlock ? TArenaGrid::kLowBlockHeight : 0.0f;
}

}  // namespace

TEST(ArenaBoxes, EveryWallCellLiesInExactlyOneOfFewBoxes)
{
    TArenaGrid ring("Ring", 10, 8);
    for (int c = 0; c < 10; ++c) ring.Set({c, 0}, TArenaCell::Wall), ring.Set({c, 7}, TArenaCell::Wall);
    for (int r = 0; r < 8; ++r) ring.Set({0, r}, TArenaCell::Wall), ring.Set({9, r}, TArenaCell::Wall);
    EXPECT_EQ(ring.WallBoxes().size(), 4u);

    for (const TArenaGrid& grid : SomeArenas()) {
        SCOPED_TRACE(grid.Name());
        const std::vector<aabbox3df> walls = grid.WallBoxes();
        const std::vector<aabbox3df> lows = grid.LowBlockBoxes();
        int wallCells = 0;
        for (int row = 0; row < grid.Rows(); ++row) {
            for (int column = 0; column < grid.Columns(); ++column) {
                const TCellPos cell{column, row};
                const vector3df center = grid.CellCenter(cell) + vector3df(0, 0.1f, 0);
                int inWalls = 0, inLows = 0;
                for (const aabbox3df& box : walls) inWalls += box.isPointInside(center);
                for (const aabbox3df& box : lows) inLows += box.isPointInside(center);
                EXPECT_EQ(inWalls, grid.At(cell) == TArenaCell::Wall) << column << "," << row;
                EXPECT_EQ(inLows, grid.At(cell) == TArenaCell::LowBlock) << column << "," << row;
                wallCells += grid.At(cell) == TArenaCell::Wall;
            }
        }
        EXPECT_LE(walls.size() * 3, static_cast<size_t>(wallCells));
        for (const aabbox3df& box : walls) EXPECT_FLOAT_EQ(box.MaxEdge.Y, grid.WallHeight());
    }
}

TEST(ArenaMesh, EveryFaceATankOrShellMeetsIsThereFrontSideOut)
{
    for (const TArenaGrid& grid : SomeArenas()) {
        SCOPED_TRACE(grid.Name());
        irr::scene::SMesh* mesh = TArenaMeshBuilder::Build(grid);
        const std::vector<triangle3df> triangles = TArenaMeshBuilder::Triangles(mesh);
        const aabbox3df bounds = grid.Bounds();
        EXPECT_TRUE(mesh->getBoundingBox().MinEdge.equals(bounds.MinEdge));
        EXPECT_TRUE(mesh->getBoundingBox().MaxEdge.equals(bounds.MaxEdge));
        const bool hasLow = !grid.LowBlockBoxes().empty();
        EXPECT_EQ(mesh->getMeshBufferCount(), hasLow ? 2u : 1u);

        for (int row = 0; row < grid.Rows(); ++row) {
            for (int column = 0; column < grid.Columns(); ++column) {
                const TCellPos cell{column, row};
                const vector3df center = grid.CellCenter(cell);
                const float height = HeightOf(grid, cell);
                vector3df at;
                if (height > 0) {
                    // A cell's top, seen from above.
                    const triangle3df* top = FirstHit(triangles, center + vector3df(0, 10, 0), center, at);
                    ASSERT_TRUE(top) << column << "," << row;
                    EXPECT_NEAR(at.Y, height, 1e-4f);
                    EXPECT_GT(top->getNormal().Y, 0.0f);
                    continue;
                }
                // From a floor cell, each higher neighbour's side, at the shared edge.
                for (const TCellPos next : {TCellPos{column + 1, row}, TCellPos{column - 1, row},
                                            TCellPos{column, row + 1}, TCellPos{column, row - 1}}) {
                    const float side = HeightOf(grid, next);
                    if (side <= 0) continue;
                    const vector3df from = center + vector3df(0, side / 2, 0);
                    const vector3df to = grid.CellCenter(next) + vector3df(0, side / 2, 0);
                    const triangle3df* wall = FirstHit(triangles, from, to, at);
                    ASSERT_TRUE(wall) << column << "," << row << " towards " << next.column << "," << next.row;
                    EXPECT_NEAR(at.getDistanceFrom(from), grid.CellSize() / 2, 1e-4f);
                    EXPECT_LT(wall->getNormal().dotProduct(to - from), 0.0f);
                }
            }
        }
        // Nothing inside a wall: just in front of every face is open air.
        const std::vector<aabbox3df> walls = grid.WallBoxes();
        for (const triangle3df& triangle : triangles) {
            const vector3df front = (triangle.pointA + triangle.pointB + triangle.pointC) / 3.0f +
                                    triangle.getNormal().normalize() * 0.01f;
            for (const aabbox3df& box : walls) ASSERT_FALSE(box.isPointInside(front));
        }
        mesh->drop();
    }
}

TEST(ArenaMesh, WindsLikeTheLoadedArenas)
{
    irr::IrrlichtDevice* device = irr::createDevice(irr::video::EDT_NULL);
    ASSERT_TRUE(device);
    irr::scene::IAnimatedMesh* loaded = device->getSceneManager()->getMesh("media/arena_base.3ds");
    ASSERT_TRUE(loaded);
    // The loaded walls' tops face up under the same rule the builder uses: (b - a) x (c - a).
    const float top = loaded->getBoundingBox().MaxEdge.Y;
    int tops = 0;
    for (const triangle3df& triangle : TArenaMeshBuilder::Triangles(loaded->getMesh(0))) {
        if (triangle.pointA.Y < top - 1e-4f || triangle.pointB.Y < top - 1e-4f || triangle.pointC.Y < top - 1e-4f)
            continue;
        ++tops;
        EXPECT_GT(triangle.getNormal().Y, 0.0f);
    }
    EXPECT_GT(tops, 0);
    // The arena's mesh goes into the mesh cache under a name, as the match finds its models.
    irr::scene::SAnimatedMesh* built =
        TArenaMeshBuilder::BuildAnimated(*TMazeGenerator::Generate(TMazeGenerator::ForWindow(3, 800, 600)));
    device->getSceneManager()->getMeshCache()->addMesh("maze 3", built);
    built->drop();
    EXPECT_EQ(device->getSceneManager()->getMesh("maze 3"), built);
    EXPECT_GT(built->getMesh(0)->getMeshBufferCount(), 0u);
    device->drop();
}

TEST(ArenaMesh, ManyLoneBlocksSplitTheirBuffersWithinTheIndexLimit)
{
    // Every other cell a lone wall, the most faces a grid can have, on a grid larger than a
    // file may hold (within a file's 64 x 64 one buffer is always enough).
    TArenaGrid grid("Checks", 100, 100);
    for (int row = 0; row < grid.Rows(); ++row)
        for (int column = 0; column < grid.Columns(); ++column)
            if ((row + column) % 2 == 0) grid.Set({column, row}, TArenaCell::Wall);
    irr::scene::SMesh* mesh = TArenaMeshBuilder::Build(grid);
    size_t quads = 0;
    for (irr::u32 b = 0; b < mesh->getMeshBufferCount(); ++b) {
        irr::scene::IMeshBuffer* buffer = mesh->getMeshBuffer(b);
        EXPECT_LE(buffer->getVertexCount(), 65535u);
        for (irr::u32 i = 0; i < buffer->getIndexCount(); ++i) ASSERT_LT(buffer->getIndices()[i], buffer->getVertexCount());
        quads += buffer->getVertexCount() / 4;
    }
    EXPECT_GE(mesh->getMeshBufferCount(), 2u);
    // A lone block shows its top and four sides.
    size_t expected = 0;
    for (int row = 0; row < grid.Rows(); ++row)
        for (int column = 0; column < grid.Columns(); ++column)
            if ((row + column) % 2 == 0) expected += 5;
    EXPECT_EQ(quads, expected);
    mesh->drop();
}
