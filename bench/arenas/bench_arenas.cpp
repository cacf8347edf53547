// What building an arena at entry costs: a 32 x 32 arena file parsed and checked, its mesh
// built, and the computer player's walkable grid made from the mesh's triangles (as the
// match makes it from the arena's triangle selector); and a random maze, alone and with
// the same mesh and grid.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "game/ai/NavGrid.h"
#include "game/arenas/ArenaFileReader.h"
#include "game/arenas/ArenaMeshBuilder.h"
#include "game/arenas/MazeGenerator.h"

namespace {

// The computer player's clearance: the larger tank's radius and its margin.
constexpr float kClearance = 1.5f;

// A 32 x 32 arena: the outer wall, pillars every fourth cell, a band of low blocks and six
// respawn points.
std::string Arena32()
{
    std::string text = "name = Bench\ncell size = 1.25\n";
    for (int row = 0; row < 32; ++row) {
        std::string line(32, '.');
        for (int column = 0; column < 32; ++column) {
            const bool edge = row == 0 || column == 0 || row == 31 || column == 31;
            if (edge || (row % 6 == 3 && column % 6 == 3)) line[column] = '#';
            else if (row == 18 && column % 6 == 3) line[column] = 'o';
        }
        if (row == 6) line[6] = '1', line[25] = '2', line[15] = '3';
        if (row == 25) line[6] = '4', line[25] = '5', line[15] = '6';
        text += line + "\n";
    }
    return text;
}

void MeshAndWalkableGrid(benchmark::State& state, const TArenaGrid& grid)
{
    irr::scene::SMesh* mesh = TArenaMeshBuilder::Build(grid);
    TNavGrid walkable(TArenaMeshBuilder::Triangles(mesh), kClearance);
    benchmark::DoNotOptimize(walkable.Width());
    state.counters["triangles"] = static_cast<double>(TArenaMeshBuilder::Triangles(mesh).size());
    mesh->drop();
}

void BM_Arena32FileToMeshAndWalkableGrid(benchmark::State& state)
{
    const std::string text = Arena32();
    for (auto _ : state) {
        const TArenaRead read = TArenaFileReader::Parse(text, "bench");
        if (!read.grid) {
            state.SkipWithError(read.error.Message().c_str());
            return;
        }
        MeshAndWalkableGrid(state, *read.grid);
    }
}
BENCHMARK(BM_Arena32FileToMeshAndWalkableGrid)->Unit(benchmark::kMillisecond);

void BM_Arena32ParseAndCheck(benchmark::State& state)
{
    const std::string text = Arena32();
    for (auto _ : state) benchmark::DoNotOptimize(TArenaFileReader::Parse(text, "bench").grid);
}
BENCHMARK(BM_Arena32ParseAndCheck)->Unit(benchmark::kMillisecond);

void BM_Arena32Mesh(benchmark::State& state)
{
    const TArenaGrid grid = *TArenaFileReader::Parse(Arena32(), "bench").grid;
    for (auto _ : state) TArenaMeshBuilder::Build(grid)->drop();
}
BENCHMARK(BM_Arena32Mesh)->Unit(benchmark::kMillisecond);

void BM_Maze(benchmark::State& state)
{
    uint32_t seed = 0;
    for (auto _ : state) benchmark::DoNotOptimize(TMazeGenerator::Generate(TMazeGenerator::ForWindow(seed++, 800, 600)));
}
BENCHMARK(BM_Maze)->Unit(benchmark::kMillisecond);

void BM_MazeToMeshAndWalkableGrid(benchmark::State& state)
{
    uint32_t seed = 0;
    for (auto _ : state) MeshAndWalkableGrid(state, *TMazeGenerator::Generate(TMazeGenerator::ForWindow(seed++, 800, 600)));
}
BENCHMARK(BM_MazeToMeshAndWalkableGrid)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
