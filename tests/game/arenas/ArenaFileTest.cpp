// The arena file format: the shipped example reads, text reads back to the same grid, and
// every refusal is one line with the file, the line and the column of the fault.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "game/arenas/ArenaFileReader.h"

namespace {

const char* const kExample = "media/arenas/courtyard.txt";

// A small valid arena, with the grid starting on line 2.
std::string Small(const std::string& grid) { return "name = Small\n" + grid; }

const std::string kGood = Small(
    "#########\n"
    "#.......#\n"
    "#.1...2.#\n"
    "#.......#\n"
    "#########\n");

struct TempFolder {
    std::string path;
    TempFolder()
    {
        char pattern[] = "/tmp/vexmoor-arenas-XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~TempFolder() { std::system(("rm -rf '" + path + "'").c_str()); }
};

}  // namespace

TEST(ArenaFile, ShippedExampleReadsWithItsRespawnPointsInside)
{
    const TArenaRead read = TArenaFileReader::ReadFile(kExample);
    ASSERT_TRUE(read.grid) << read.error.Message();
    const TArenaGrid& grid = *read.grid;
    EXPECT_EQ(grid.Name(), "Courtyard");
    EXPECT_EQ(grid.Respawns().size(), 6u);
    // As wide as the built-in arenas (42.5 inside the outer walls) and framed like them.
    const irr::core::aabbox3df bounds = grid.Bounds();
    EXPECT_FLOAT_EQ(bounds.getExtent().X - 2 * grid.CellSize(), 42.5f);
    EXPECT_LE(bounds.getExtent().Z, 33.0f);
    for (const irr::core::vector3df& p : grid.RespawnPositions()) {
        EXPECT_TRUE(grid.IsWalkableAt(p));
        EXPECT_FLOAT_EQ(p.Y, 0.0f);
    }
    // The tanks start west and east of the middle, as in the built-in arenas.
    EXPECT_LT(grid.RespawnPositions()[0].X, -15.0f);
    EXPECT_GT(grid.RespawnPositions()[1].X, 15.0f);
}

TEST(ArenaFile, TextReadsBackToTheSameGrid)
{
    const TArenaRead example = TArenaFileReader::ReadFile(kExample);
    ASSERT_TRUE(example.grid);
    const TArenaRead again = TArenaFileReader::Parse(example.grid->ToText(), "copy");
    ASSERT_TRUE(again.grid) << again.error.Message();
    EXPECT_EQ(*again.grid, *example.grid);

    // Windows line endings, trailing blanks, comments and settings in any case.
    const TArenaRead dos = TArenaFileReader::Parse(
        "; made on another machine\r\nName = Small\r\nCELL SIZE = 2\r\n#########  \r\n#.......#\r\n#.1...2.#\r\n"
        "#.......#\r\n#########\r\n\r\n",
        "dos");
    ASSERT_TRUE(dos.grid) << dos.error.Message();
    EXPECT_EQ(dos.grid->Columns(), 9);
    EXPECT_EQ(dos.grid->Rows(), 5);
    EXPECT_FLOAT_EQ(dos.grid->CellSize(), 2.0f);
}

TEST(ArenaFile, EveryFaultIsOneLineWithItsLineAndColumn)
{
    struct Case {
        const char* fault;
        std::string text;
        int line, column;
        const char* says;
    };
    const std::string wideRow = "#" + std::string(64, '.') + "#\n";
    std::string tallGrid = "name = Tall\n" + std::string(9, '#') + "\n";
    for (int i = 0; i < 64; ++i) tallGrid += "#.1...2.#\n";
    const Case cases[] = {
        {"a control byte", Small("#####\n#.1\x01.#\n"), 3, 4, "not a text file"},
        {"not UTF-8", Small("#####\n#.\xff"), 3, 3, "not UTF-8"},
        {"over 64 kB", "; " + std::string(70000, 'x') + "\n", 1, 65537, "over 64 kB"},
        {"over 64 across", Small(wideRow), 2, 65, "over 64 cells across"},
        {"over 64 rows", tallGrid, 66, 1, "over 64 rows"},
        {"open boundary", Small("#########\n#.......#\n#.1...2..\n#.......#\n#########\n"), 4, 9, "boundary is open"},
        {"one respawn point", Small("#########\n#.......#\n#.1.....#\n#.......#\n#########\n"), 4, 3,
         "fewer than two respawn points"},
        {"no respawn point", Small("#########\n#.......#\n#########\n"), 2, 1, "fewer than two"},
        {"respawn point against a wall", Small("#########\n#1......#\n#.....2.#\n#.......#\n#########\n"), 3, 2,
         "too close to a wall"},
        {"unreachable respawn point",
         Small("#########\n#...#...#\n#.1.#.2.#\n#...#...#\n#########\n"), 4, 7, "cannot be reached"},
        {"through a gap too narrow for a tank",
         Small("###########\n#...#.#...#\n#.1.....2.#\n#...#.#...#\n###########\n"), 4, 9, "cannot be reached"},
        {"unknown character", Small("#########\n#...x...#\n#.1...2.#\n#.......#\n#########\n"), 3, 5,
         "'x' is not an arena cell"},
        {"tab in the grid", Small("#########\n#...\t...#\n"), 3, 5, "is not an arena cell"},
        {"ragged row", Small("#########\n#.......#\n#.1...2#\n#.......#\n#########\n"), 4, 9, "8 cells long"},
        {"duplicate respawn point", Small("#########\n#.......#\n#.1...1.#\n#.......#\n#########\n"), 4, 7,
         "appears twice (first on line 4, column 3)"},
        {"gap in the numbers", Small("#########\n#.......#\n#.1...3.#\n#.......#\n#########\n"), 4, 7,
         "no respawn point 2"},
        {"no name", "#########\n#.1...2.#\n", 1, 1, "no name"},
        {"unknown setting", "name = A\n  colour = red\n#####\n", 2, 3, "unknown setting 'colour'"},
        {"setting twice", "name = A\nname = B\n#####\n", 2, 1, "set twice"},
        {"bad number", "name = A\ncell size = 1,5\n#####\n", 2, 13, "not a number"},
        {"number out of range", "name = A\nwall height = 99\n#####\n", 2, 15, "outside"},
        {"name too long", "name = " + std::string(30, 'n') + "\n#####\n", 1, 8, "1 to 24 characters"},
        {"no grid", "name = A\n\n", 3, 1, "no grid"},
        {"blank line inside the grid", Small("#########\n\n#.1...2.#\n"), 3, 1, "blank line inside the grid"},
        {"setting after the grid", Small("#########\nwall height = 2\n"), 3, 1, "settings go before the grid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const TArenaRead read = TArenaFileReader::Parse(c.text, "my.txt");
        ASSERT_FALSE(read.grid);
        EXPECT_EQ(read.error.line, c.line);
        EXPECT_EQ(read.error.column, c.column);
        const std::string message = read.error.Message();
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
        EXPECT_EQ(message.rfind("arena \"my.txt\", line " + std::to_string(c.line) + ", column " +
                                    std::to_string(c.column) + ": ",
                                0),
                  0u)
            << message;
        EXPECT_EQ(message.find('\n'), std::string::npos);
    }
    // The same small arena without its faults reads.
    EXPECT_TRUE(TArenaFileReader::Parse(kGood, "good").grid);
}

TEST(ArenaFile, FoldersFifosAndMissingFilesAreRefusedWithoutOpeningThem)
{
    TempFolder folder;
    const std::string fifo = folder.path + "/pipe.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A FIFO nobody writes to would block a plain open for good.
    const TArenaRead fromFifo = TArenaFileReader::ReadFile(fifo);
    EXPECT_FALSE(fromFifo.grid);
    EXPECT_EQ(fromFifo.error.Message(), "arena \"" + fifo + "\": the file is a FIFO");

    const TArenaRead fromFolder = TArenaFileReader::ReadFile(folder.path);
    EXPECT_FALSE(fromFolder.grid);
    EXPECT_NE(fromFolder.error.Message().find("is a folder"), std::string::npos);
    EXPECT_FALSE(TArenaFileReader::ReadFile(folder.path + "/missing.txt").grid);

    // A file just over the limit is read only that far and refused; one at it is read.
    const std::string big = folder.path + "/big.txt";
    std::string padded = kGood + std::string(TArenaFileReader::kMaxBytes - kGood.size(), '\n');
    std::ofstream(big, std::ios::binary) << padded;
    EXPECT_TRUE(TArenaFileReader::ReadFile(big).grid) << TArenaFileReader::ReadFile(big).error.Message();
    std::ofstream(big, std::ios::binary) << padded << "\n";
    EXPECT_NE(TArenaFileReader::ReadFile(big).error.Message().find("over 64 kB"), std::string::npos);
}
