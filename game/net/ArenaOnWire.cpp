#include "game/net/ArenaOnWire.h"

namespace ArenaOnWire {

Wire::ArenaGrid Pack(const TArenaGrid& grid)
{
    Wire::ArenaGrid wire;
    wire.name = grid.Name();
    wire.cellSize = grid.CellSize();
    wire.wallHeight = grid.WallHeight();
    wire.columns = static_cast<uint8_t>(grid.Columns());
    wire.rows = static_cast<uint8_t>(grid.Rows());
    for (const TCellPos& cell : grid.Respawns())
        wire.respawns.push_back({static_cast<uint8_t>(cell.column), static_cast<uint8_t>(cell.row)});
    for (int row = 0; row < grid.Rows(); ++row)
        for (int column = 0; column < grid.Columns(); ++column)
            wire.cells.push_back(static_cast<uint8_t>(grid.At({column, row})));
    return wire;
}

TArenaRead Unpack(const Wire::ArenaGrid& wire)
{
    static const char kCellChars[] = {TArenaGrid::kFloorChar, TArenaGrid::kWallChar, TArenaGrid::kLowBlockChar};
    std::string rows;
    for (int row = 0; row < wire.rows; ++row) {
        for (int column = 0; column < wire.columns; ++column) {
            const size_t at = size_t(row) * wire.columns + column;
            char c = at < wire.cells.size() && wire.cells[at] < 3 ? kCellChars[wire.cells[at]] : '?';
            // A respawn point on the cell; the first of the same place wins, and the
            // reader then finds the number that is missing.
            for (size_t n = 0; n < wire.respawns.size(); ++n)
                if (wire.respawns[n].column == column && wire.respawns[n].row == row && c == TArenaGrid::kFloorChar)
                    c = static_cast<char>('1' + n);
            rows += c;
        }
        rows += '\n';
    }
    const std::string text = "name = " + wire.name + "\ncell size = " + TArenaGrid::NumberText(wire.cellSize) +
                             "\nwall height = " + TArenaGrid::NumberText(wire.wallHeight) + "\n" + rows;
    return TArenaFileReader::Parse(text, "the host");
}

}  // namespace ArenaOnWire
