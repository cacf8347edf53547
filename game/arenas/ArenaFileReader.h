// Reads an arena file (the format of docs/arenas.md) into a checked grid, or refuses it
// with one line that names the file, the line, the column and what is wrong.
#pragma once

#include <optional>
#include <string>

#include "game/arenas/ArenaGrid.h"

// Why a file was refused. Line and column count from 1; 0 when the fault is the whole file
// (it cannot be opened, is a folder).
struct TArenaError {
    std::string source;
    int line = 0, column = 0;
    std::string what;

    // `arena "<source>", line L, column C: <what>`
    std::string Message() const;
};

struct TArenaRead {
    std::optional<TArenaGrid> grid;
    TArenaError error;  // meaningful when there is no grid
};

class TArenaFileReader {
public:
    static constexpr size_t kMaxBytes = 64 * 1024;

    // Reads the file at `path`, refusing what is not a regular file before opening it.
    static TArenaRead ReadFile(const std::string& path);
    // Parses and checks arena text; `source` names it in the error (a path, "the host").
    static TArenaRead Parse(const std::string& text, const std::string& source);
};
