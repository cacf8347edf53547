// An arena grid as the host's Welcome carries it, and back: the joiner reads what it is
// sent as the text of an arena file, so that it passes every check a file passes.
#pragma once

#include "game/arenas/ArenaFileReader.h"
#include "game/arenas/ArenaGrid.h"
#include "net/WireFormat.h"

namespace ArenaOnWire {

Wire::ArenaGrid Pack(const TArenaGrid& grid);
// The grid the host sent, or why it is refused (named "the host").
TArenaRead Unpack(const Wire::ArenaGrid& wire);

}  // namespace ArenaOnWire
